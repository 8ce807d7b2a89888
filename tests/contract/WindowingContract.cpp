// Windows and messages: creation and destruction, showing and hiding, rectangles, messages
// sent and posted, the quit message, registered messages, procedure replacement, timers,
// painting and the dialog keys, as the program relies on them.
#include "tests/contract/ContractPlatform.h"

namespace {
IWindowing& Windows() { return ContractPlatform().Windows; }

std::vector<std::uint32_t> Numbers(const std::vector<TMsg>& messages) {
  std::vector<std::uint32_t> result;
  for (const TMsg& m : messages) result.push_back(m.Message);
  return result;
}
}  // namespace

// ---- creation and destruction -------------------------------------------------------------

TEST(Windowing, CreationSendsCreateToTheWindowsOwnProcedure) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  ASSERT_NE(window.Handle(), HWnd::None);
  EXPECT_TRUE(Windows().IsWindow(window));
  ASSERT_EQ(rec.Count(WM_CREATE), 1u);
  EXPECT_EQ(rec.Only({WM_CREATE})[0].Window, window.Handle());
  EXPECT_FALSE(Windows().IsWindowVisible(window)) << "created without WS_VISIBLE";
}

TEST(Windowing, DestructionReachesParentThenChildThenBothFinalMessages) {
  TRecorder parentRec(Windows()), childRec(Windows());
  HWnd parent = Windows().CreateWindow(PlainWindow(&parentRec));
  TWindowParams child = ChildWindow(TWindowClass::Panel, parent, Bounds(5, 5, 20, 20), &childRec);
  HWnd childWindow = Windows().CreateWindow(child);
  ASSERT_NE(childWindow, HWnd::None);

  std::vector<std::pair<HWnd, std::uint32_t>> order;
  auto log = [&](HWnd w, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    if (m == WM_DESTROY || m == WM_NCDESTROY) order.push_back({w, m});
    return std::optional<std::intptr_t>();
  };
  parentRec.Handle = log;
  childRec.Handle = log;
  Windows().DestroyWindow(parent);

  using P = std::pair<HWnd, std::uint32_t>;
  EXPECT_EQ(order, (std::vector<P>{{parent, WM_DESTROY},
                                   {childWindow, WM_DESTROY},
                                   {childWindow, WM_NCDESTROY},
                                   {parent, WM_NCDESTROY}}));
  EXPECT_FALSE(Windows().IsWindow(parent));
  EXPECT_FALSE(Windows().IsWindow(childWindow));
}

TEST(Windowing, DefaultCloseDestroysTheWindow) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  Windows().SendMessage(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(Windows().IsWindow(window));
  EXPECT_EQ(rec.Count(WM_DESTROY), 1u);
}

TEST(Windowing, DefaultAnswerToEndOfSessionQueryIsYes) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  EXPECT_EQ(Windows().SendMessage(window, WM_QUERYENDSESSION, 0, 0), 1);
}

// ---- showing and hiding -------------------------------------------------------------------

TEST(Windowing, ShowSendsShowWindowWhileStillHiddenAndGivesPreviousVisibility) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  rec.Seen.clear();
  rec.VisibleAt.clear();

  EXPECT_FALSE(Windows().ShowWindow(window, SW_SHOW)) << "was hidden";
  EXPECT_TRUE(Windows().IsWindowVisible(window));
  auto shows = rec.Only({WM_SHOWWINDOW});
  ASSERT_EQ(shows.size(), 1u);
  EXPECT_EQ(shows[0].WParam, 1u);
  for (std::size_t i = 0; i < rec.Seen.size(); ++i)
    EXPECT_TRUE(rec.Seen[i].Message != WM_SHOWWINDOW || !rec.VisibleAt[i]) << "visible too early";

  rec.Seen.clear();
  EXPECT_TRUE(Windows().ShowWindow(window, SW_SHOW)) << "was visible";
  EXPECT_EQ(rec.Count(WM_SHOWWINDOW), 0u) << "no change, no message";

  EXPECT_TRUE(Windows().ShowWindow(window, SW_HIDE));
  EXPECT_FALSE(Windows().IsWindowVisible(window));
  shows = rec.Only({WM_SHOWWINDOW});
  ASSERT_EQ(shows.size(), 1u);
  EXPECT_EQ(shows[0].WParam, 0u);

  rec.Seen.clear();
  EXPECT_FALSE(Windows().ShowWindow(window, SW_HIDE)) << "hiding a hidden window";
  EXPECT_EQ(rec.Count(WM_SHOWWINDOW), 0u);
}

TEST(Windowing, ShowWindowEventComesBeforeTheFirstPaint) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  Windows().ShowWindow(window, SW_SHOW);
  PumpUntil([&] { return rec.Count(WM_PAINT) > 0; }, 1000);
  auto order = Numbers(rec.Only({WM_SHOWWINDOW, WM_PAINT}));
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order[0], WM_SHOWWINDOW);
  EXPECT_EQ(order[1], WM_PAINT);
}

TEST(Windowing, ChildIsVisibleOnlyWhileItsParentIs) {
  TRecorder rec(Windows());
  TTestWindow parent(Windows(), PlainWindow(&rec));
  TWindowParams child = ChildWindow(TWindowClass::Label, parent, Bounds(4, 4, 30, 20));
  HWnd label = Windows().CreateWindow(child);
  EXPECT_FALSE(Windows().IsWindowVisible(label));
  Windows().ShowWindow(parent, SW_SHOWNA);
  EXPECT_TRUE(Windows().IsWindowVisible(label));
  Windows().ShowWindow(parent, SW_HIDE);
  EXPECT_FALSE(Windows().IsWindowVisible(label));
}

TEST(Windowing, ShownWindowBecomesForegroundAndLeavesItWhenHidden) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  Windows().ShowWindow(window, SW_SHOW);
  EXPECT_TRUE(Windows().SetForegroundWindow(window));
  EXPECT_EQ(Windows().GetForegroundWindow(), window.Handle());
  Windows().ShowWindow(window, SW_HIDE);
  EXPECT_NE(Windows().GetForegroundWindow(), window.Handle());
}

TEST(Windowing, DefaultRestoreCommandShowsAHiddenWindow) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  Windows().DefWindowProc(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(Windows().IsWindowVisible(window));
  EXPECT_EQ(rec.Only({WM_SHOWWINDOW}).size(), 1u);
}

// ---- rectangles ---------------------------------------------------------------------------

TEST(Windowing, PlainPopupClientAreaIsTheWholeWindow) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(210, 220, 120, 80)));
  EXPECT_EQ(Windows().GetWindowRect(window), Bounds(210, 220, 120, 80));
  EXPECT_EQ(Windows().GetClientRect(window), Bounds(0, 0, 120, 80));
}

TEST(Windowing, FrameMadeFromAdjustedRectangleHasTheAskedClientSize) {
  TRecorder rec(Windows());
  TWindowParams params = FrameWindow(&rec);
  TRect outer = Windows().AdjustWindowRect({0, 0, 150, 90}, params.Style, params.ExStyle);
  EXPECT_LT(outer.Left, 0);
  EXPECT_LT(outer.Top, outer.Left) << "the caption adds to the top";
  EXPECT_GT(outer.Right, 150);
  EXPECT_GT(outer.Bottom, 90);
  params.Bounds = Bounds(200, 200, outer.Width(), outer.Height());
  TTestWindow window(Windows(), params);
  EXPECT_EQ(Windows().GetClientRect(window), Bounds(0, 0, 150, 90));
  EXPECT_EQ(Windows().GetWindowRect(window), params.Bounds);
}

TEST(Windowing, ChildRectangleIsPlacedInTheParentsClientArea) {
  TRecorder rec(Windows());
  TWindowParams params = FrameWindow(&rec);
  TTestWindow frame(Windows(), params);
  TRect inset = Windows().AdjustWindowRect({0, 0, 0, 0}, params.Style, params.ExStyle);
  TWindowParams child = ChildWindow(TWindowClass::Button, frame, Bounds(10, 15, 40, 20));
  child.Id = 7;
  HWnd button = Windows().CreateWindow(child);
  TRect outer = Windows().GetWindowRect(frame);
  EXPECT_EQ(Windows().GetWindowRect(button),
            Bounds(outer.Left - inset.Left + 10, outer.Top - inset.Top + 15, 40, 20));
  EXPECT_EQ(Windows().GetClientRect(button), Bounds(0, 0, 40, 20));
}

TEST(Windowing, SetWindowPosMovesAndSizesAsFlagged) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(200, 200, 100, 60)));
  EXPECT_TRUE(Windows().SetWindowPos(window, 250, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  EXPECT_EQ(Windows().GetWindowRect(window), Bounds(250, 260, 100, 60));
  EXPECT_TRUE(Windows().SetWindowPos(window, 0, 0, 70, 50, SWP_NOMOVE | SWP_NOZORDER));
  EXPECT_EQ(Windows().GetWindowRect(window), Bounds(250, 260, 70, 50));
  EXPECT_TRUE(Windows().SetWindowPos(window, 220, 230, 90, 40, SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(Windows().GetWindowRect(window), Bounds(220, 230, 90, 40));
}

TEST(Windowing, PlacementOfAHiddenWindowIsNormalAtItsRectangle) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(240, 250, 100, 60)));
  TWindowPlacement placement;
  ASSERT_TRUE(Windows().GetWindowPlacement(window, placement));
  EXPECT_EQ(placement.Length, 44u);
  EXPECT_EQ(placement.ShowCmd, static_cast<std::uint32_t>(SW_SHOWNORMAL));
  EXPECT_EQ(placement.NormalPosition, Bounds(240, 250, 100, 60));
}

TEST(Windowing, SettingPlacementMovesAndShowsTheWindow) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(240, 250, 100, 60)));
  TWindowPlacement placement;
  placement.ShowCmd = SW_SHOWNORMAL;
  placement.NormalPosition = Bounds(260, 270, 110, 70);
  ASSERT_TRUE(Windows().SetWindowPlacement(window, placement));
  EXPECT_EQ(Windows().GetWindowRect(window), Bounds(260, 270, 110, 70));
  EXPECT_TRUE(Windows().IsWindowVisible(window));
  TWindowPlacement read;
  ASSERT_TRUE(Windows().GetWindowPlacement(window, read));
  EXPECT_EQ(read.NormalPosition, Bounds(260, 270, 110, 70));
  EXPECT_EQ(read.ShowCmd, static_cast<std::uint32_t>(SW_SHOWNORMAL));

  placement.ShowCmd = SW_HIDE;
  ASSERT_TRUE(Windows().SetWindowPlacement(window, placement));
  EXPECT_FALSE(Windows().IsWindowVisible(window));
}

TEST(Windowing, ScreenMetricsArePositive) {
  EXPECT_GT(Windows().GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(Windows().GetSystemMetrics(SM_CYSCREEN), 0);
  EXPECT_GE(Windows().GetSystemMetrics(SM_CXBORDER), 1);
  EXPECT_GE(Windows().GetSystemMetrics(SM_CXDLGFRAME), Windows().GetSystemMetrics(SM_CXBORDER));
}

// ---- text and state -----------------------------------------------------------------------

TEST(Windowing, WindowTextRoundTrips) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  EXPECT_EQ(Windows().GetWindowText(window), "contract");
  Windows().SetWindowText(window,
                          "42\xB0"
                          "C");
  EXPECT_EQ(Windows().GetWindowText(window),
            "42\xB0"
            "C");
  Windows().SetWindowText(window, "");
  EXPECT_EQ(Windows().GetWindowText(window), "");
}

TEST(Windowing, EnableWindowGivesWhetherItWasDisabled) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  EXPECT_FALSE(Windows().EnableWindow(window, false));
  EXPECT_TRUE(Windows().EnableWindow(window, false));
  EXPECT_TRUE(Windows().EnableWindow(window, true));
  EXPECT_FALSE(Windows().EnableWindow(window, true));
}

// ---- messages -----------------------------------------------------------------------------

TEST(Windowing, SentMessageRunsAtOnceAndGivesTheProceduresResult) {
  TRecorder rec(Windows());
  rec.Handle = [](HWnd, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) {
    return m == WM_APP + 1 ? std::optional<std::intptr_t>(static_cast<std::intptr_t>(wp) + lp)
                           : std::nullopt;
  };
  TTestWindow window(Windows(), PlainWindow(&rec));
  EXPECT_EQ(Windows().SendMessage(window, WM_APP + 1, 40, 2), 42);
  EXPECT_EQ(rec.Count(WM_APP + 1), 1u);
}

TEST(Windowing, PostedMessagesWaitForTheLoopAndArriveInOrder) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  for (std::uintptr_t i = 1; i <= 3; ++i)
    EXPECT_TRUE(Windows().PostMessage(window, WM_APP + 2, i, 0));
  EXPECT_EQ(rec.Count(WM_APP + 2), 0u);
  PumpUntil([&] { return rec.Count(WM_APP + 2) == 3; }, 1000);
  auto posted = rec.Only({WM_APP + 2});
  ASSERT_EQ(posted.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(posted[i].WParam, i + 1);
}

TEST(Windowing, PostingToADestroyedWindowFails) {
  TRecorder rec(Windows());
  HWnd window = Windows().CreateWindow(PlainWindow(&rec));
  Windows().DestroyWindow(window);
  EXPECT_FALSE(Windows().PostMessage(window, WM_APP + 3, 0, 0));
}

TEST(Windowing, MessagePostedToNoWindowComesOffTheQueueWithoutOne) {
  EXPECT_TRUE(Windows().PostMessage(HWnd::None, WM_APP + 4, 9, 0));
  TMsg msg;
  bool found = false;
  while (Windows().PeekMessage(msg))
    if (msg.Message == WM_APP + 4) {
      found = true;
      EXPECT_EQ(msg.Window, HWnd::None);
      EXPECT_EQ(msg.WParam, 9u);
    }
  EXPECT_TRUE(found);
}

TEST(Windowing, QuitComesAfterPostedMessagesAndCarriesTheExitCode) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  Windows().PostMessage(window, WM_APP + 5, 0, 0);
  Windows().PostQuitMessage(3);
  TMsg msg;
  int taken = 0;
  while (Windows().GetMessage(msg)) {
    Windows().DispatchMessage(msg);
    ASSERT_LT(++taken, 100) << "no quit message";
  }
  EXPECT_EQ(msg.Message, WM_QUIT);
  EXPECT_EQ(msg.WParam, 3u);
  EXPECT_EQ(rec.Count(WM_APP + 5), 1u);
}

TEST(Windowing, RegisteredMessagesAreOneNumberPerNameWhateverTheCase) {
  std::uint32_t taskbar = Windows().RegisterWindowMessage("TaskbarCreated");
  EXPECT_GE(taskbar, 0xC000u);
  EXPECT_LE(taskbar, 0xFFFFu);
  EXPECT_EQ(Windows().RegisterWindowMessage("TaskbarCreated"), taskbar);
  EXPECT_EQ(Windows().RegisterWindowMessage("TASKBARCREATED"), taskbar);
  std::uint32_t other = Windows().RegisterWindowMessage("KelvaneContractMessage");
  EXPECT_GE(other, 0xC000u);
  EXPECT_NE(other, taskbar);
}

TEST(Windowing, RegisteredMessageReachesThePostedWindow) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  std::uint32_t message = Windows().RegisterWindowMessage("KelvaneContractMessage");
  Windows().PostMessage(window, message, 5, 6);
  PumpUntil([&] { return rec.Count(message) > 0; }, 1000);
  auto got = rec.Only({message});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].WParam, 5u);
  EXPECT_EQ(got[0].LParam, 6);
}

TEST(Windowing, BroadcastReachesTopLevelWindowsButNotChildren) {
  TRecorder top(Windows()), child(Windows());
  TTestWindow window(Windows(), PlainWindow(&top));
  TWindowParams params = ChildWindow(TWindowClass::Panel, window, Bounds(2, 2, 10, 10), &child);
  Windows().CreateWindow(params);
  std::uint32_t message = Windows().RegisterWindowMessage("KelvaneContractBroadcast");
  constexpr HWnd kBroadcast{0xFFFF};
  EXPECT_TRUE(Windows().PostMessage(kBroadcast, message, 1, 2));
  PumpUntil([&] { return top.Count(message) > 0; }, 1000);
  PumpFor(50);
  EXPECT_EQ(top.Count(message), 1u) << "hidden top-level windows too";
  EXPECT_EQ(child.Count(message), 0u);
}

// ---- procedure replacement -------------------------------------------------------------------

namespace {
// A replacement that answers one message itself and passes everything else on.
class TReplacement : public IWindowProc {
 public:
  TWndProcRef Previous = 0;
  std::vector<std::uint32_t> Seen;
  std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
    Seen.push_back(message);
    if (message == WM_APP + 7) return 77;
    return ContractPlatform().Windows.CallWindowProc(Previous, window, message, wParam, lParam);
  }
};
}  // namespace

TEST(Windowing, ReplacementSeesMessagesFirstAndReachesTheOriginal) {
  TRecorder rec(Windows());
  rec.Handle = [](HWnd, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    return m == WM_APP + 6 ? std::optional<std::intptr_t>(66) : std::nullopt;
  };
  TTestWindow window(Windows(), PlainWindow(&rec));
  TReplacement replacement;
  replacement.Previous = Windows().SubclassWindow(window, &replacement);
  ASSERT_NE(replacement.Previous, 0u);

  EXPECT_EQ(Windows().SendMessage(window, WM_APP + 6, 0, 0), 66) << "passed on to the original";
  EXPECT_EQ(Windows().SendMessage(window, WM_APP + 7, 0, 0), 77) << "answered by the replacement";
  EXPECT_EQ(rec.Count(WM_APP + 6), 1u);
  EXPECT_EQ(rec.Count(WM_APP + 7), 0u);

  Windows().PostMessage(window, WM_APP + 8, 0, 0);
  PumpUntil([&] { return rec.Count(WM_APP + 8) > 0; }, 1000);
  EXPECT_EQ(std::count(replacement.Seen.begin(), replacement.Seen.end(), WM_APP + 8), 1)
      << "dispatched messages go through the replacement too";

  Windows().RestoreWindowProc(window, replacement.Previous);
  replacement.Seen.clear();
  EXPECT_EQ(Windows().SendMessage(window, WM_APP + 7, 0, 0), 0);
  EXPECT_TRUE(replacement.Seen.empty());
  EXPECT_EQ(rec.Count(WM_APP + 7), 1u);
}

TEST(Windowing, ReplacementOfAStandardControlReachesTheControl) {
  TRecorder rec(Windows());
  TTestWindow frame(Windows(), FrameWindow(&rec));
  TWindowParams params = ChildWindow(TWindowClass::UpDown, frame, Bounds(10, 10, 16, 24));
  params.Id = 3;
  HWnd upDown = Windows().CreateWindow(params);
  ASSERT_NE(upDown, HWnd::None);
  TReplacement replacement;
  replacement.Previous = Windows().SubclassWindow(upDown, &replacement);
  Windows().SendMessage(upDown, UDM_SETRANGE32, 0, 50);
  Windows().SendMessage(upDown, UDM_SETPOS32, 0, 20);
  EXPECT_EQ(Windows().SendMessage(upDown, UDM_GETPOS32, 0, 0), 20);
  EXPECT_EQ(std::count(replacement.Seen.begin(), replacement.Seen.end(), UDM_GETPOS32), 1);
  Windows().RestoreWindowProc(upDown, replacement.Previous);
}

// ---- standard controls --------------------------------------------------------------------

TEST(Windowing, UpDownKeepsItsPositionWithinItsRange) {
  TRecorder rec(Windows());
  TTestWindow frame(Windows(), FrameWindow(&rec));
  TWindowParams params = ChildWindow(TWindowClass::UpDown, frame, Bounds(10, 10, 16, 24));
  HWnd upDown = Windows().CreateWindow(params);
  Windows().SendMessage(upDown, UDM_SETRANGE32, 10, 90);
  Windows().SendMessage(upDown, UDM_SETPOS32, 0, 30);
  EXPECT_EQ(Windows().SendMessage(upDown, UDM_SETPOS32, 0, 40), 30) << "gives the old position";
  EXPECT_EQ(Windows().SendMessage(upDown, UDM_GETPOS32, 0, 0), 40);
  Windows().SendMessage(upDown, UDM_SETPOS32, 0, 95);
  EXPECT_EQ(Windows().SendMessage(upDown, UDM_GETPOS32, 0, 0), 90);
  Windows().SendMessage(upDown, UDM_SETPOS32, 0, 5);
  EXPECT_EQ(Windows().SendMessage(upDown, UDM_GETPOS32, 0, 0), 10);
}

// ---- timers -------------------------------------------------------------------------------

TEST(Windowing, TimerTicksThroughTheLoopUntilKilled) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  ASSERT_TRUE(Windows().SetTimer(window, 5, 50));
  EXPECT_EQ(rec.Count(WM_TIMER), 0u) << "nothing before the loop runs";
  PumpUntil([&] { return rec.Count(WM_TIMER) >= 2; }, 2000);
  auto ticks = rec.Only({WM_TIMER});
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_EQ(ticks[0].WParam, 5u);
  EXPECT_EQ(ticks[0].Window, window.Handle());
  EXPECT_TRUE(Windows().KillTimer(window, 5));
  PumpFor(20);  // a tick already queued may still come
  std::size_t after = rec.Count(WM_TIMER);
  PumpFor(200);
  EXPECT_EQ(rec.Count(WM_TIMER), after);
  EXPECT_FALSE(Windows().KillTimer(window, 5)) << "no such timer any more";
}

TEST(Windowing, SettingATimerAgainRestartsIt) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec));
  ISystem& system = ContractPlatform().System;
  ASSERT_TRUE(Windows().SetTimer(window, 1, 1000));
  const std::uint32_t first = system.TickCount();
  PumpFor(300);
  ASSERT_TRUE(Windows().SetTimer(window, 1, 1000));
  const std::uint32_t second = system.TickCount();
  ASSERT_LT(second - first, 900u) << "held up too long between the settings to tell";
  // Past the first due time: a timer that kept it would have ticked by now.
  PumpUntil([&] { return system.TickCount() - first >= 1200; }, 3000);
  EXPECT_EQ(rec.Count(WM_TIMER), 0u) << "ticked when the first setting fell due: not restarted";
  // The one tick comes 1000 ms after the second setting (the tick count moves in steps of up
  // to 16 ms and may lag by one at each end; a busy machine may deliver it late).
  ASSERT_TRUE(PumpUntil([&] { return rec.Count(WM_TIMER) > 0; }, 3000));
  const std::uint32_t due = system.TickCount() - second;
  EXPECT_GE(due, 1000u - 2 * 16u);
  EXPECT_LT(due, 2000u);
  EXPECT_EQ(rec.Count(WM_TIMER), 1u);
  Windows().KillTimer(window, 1);
}

TEST(Windowing, TimerOnNoWindowIsRefused) {
  TRecorder rec(Windows());
  HWnd window = Windows().CreateWindow(PlainWindow(&rec));
  Windows().DestroyWindow(window);
  EXPECT_FALSE(Windows().SetTimer(window, 1, 100));
}

// ---- painting -----------------------------------------------------------------------------

TEST(Windowing, InvalidatedWindowGetsOnePaintOfItsClientArea) {
  TRecorder rec(Windows());
  std::vector<TRect> painted;
  rec.Handle = [&](HWnd w, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    if (m != WM_PAINT) return std::optional<std::intptr_t>();
    TRect area;
    HDc dc = Windows().BeginPaint(w, area);
    EXPECT_NE(dc, HDc::None);
    painted.push_back(area);
    Windows().EndPaint(w);
    return std::optional<std::intptr_t>(0);
  };
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(200, 200, 64, 48)));
  Windows().ShowWindow(window, SW_SHOWNA);
  PumpFor(100);
  painted.clear();
  Windows().InvalidateRect(window, nullptr);
  PumpFor(100);
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0], Bounds(0, 0, 64, 48));
}

TEST(Windowing, PaintContextDrawsOnTheWindow) {
  TRecorder rec(Windows());
  IGdi& gdi = ContractPlatform().Gdi;
  std::vector<TColorRef> read;
  rec.Handle = [&](HWnd w, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    if (m != WM_PAINT) return std::optional<std::intptr_t>();
    TRect area;
    HDc dc = Windows().BeginPaint(w, area);
    HGdiObj brush = gdi.CreateSolidBrush(0x0000FF);
    gdi.FillRect(dc, {0, 0, 10, 10}, brush);
    gdi.DeleteObject(brush);
    gdi.SetPixel(dc, 20, 5, 0x00FF00);
    read = {gdi.GetPixel(dc, 0, 0), gdi.GetPixel(dc, 9, 9), gdi.GetPixel(dc, 20, 5)};
    Windows().EndPaint(w);
    return std::optional<std::intptr_t>(0);
  };
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(300, 300, 40, 20)));
  Windows().ShowWindow(window, SW_SHOWNA);
  PumpUntil([&] { return !read.empty(); }, 1000);
  EXPECT_EQ(read, (std::vector<TColorRef>{0x0000FF, 0x0000FF, 0x00FF00}));
}

// ---- dialog keys --------------------------------------------------------------------------

namespace {
// A form with one push button of id 11, whose procedure names `defaultId` as default.
struct TDialogForm {
  explicit TDialogForm(std::uint16_t defaultId, bool enabled = true) : Rec(Windows()) {
    Rec.Handle = [defaultId](HWnd, std::uint32_t m, std::uintptr_t, std::intptr_t) {
      if (m != DM_GETDEFID) return std::optional<std::intptr_t>();
      return std::optional<std::intptr_t>(
          static_cast<std::intptr_t>(MakeLong(defaultId, DC_HASDEFID)));
    };
    Form = Windows().CreateWindow(FrameWindow(&Rec));
    TWindowParams params = PlainWindow(nullptr, Bounds(10, 10, 60, 22));
    params.Class = TWindowClass::Button;
    params.Caption = "OK";
    params.Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    params.Parent = Form;
    params.Id = 11;
    Button = Windows().CreateWindow(params);
    Windows().EnableWindow(Button, enabled);
    Windows().ShowWindow(Form, SW_SHOW);
    PumpFor(50);
    Rec.Seen.clear();
  }
  ~TDialogForm() { Windows().DestroyWindow(Form); }
  // Posts Enter to the form and hands it to the dialog keys as the loop does.
  bool PressEnter() {
    Windows().PostMessage(Form, WM_KEYDOWN, VK_RETURN, 0);
    TMsg msg;
    bool handled = false;
    while (Windows().PeekMessage(msg)) {
      if (msg.Message == WM_KEYDOWN && msg.WParam == VK_RETURN) {
        handled = Windows().IsDialogMessage(Form, msg);
        if (handled) continue;
      }
      Windows().TranslateMessage(msg);
      Windows().DispatchMessage(msg);
    }
    return handled;
  }
  TRecorder Rec;
  HWnd Form = HWnd::None;
  HWnd Button = HWnd::None;
};
}  // namespace

TEST(Windowing, EnterPressesTheDefaultButton) {
  TDialogForm form(11);
  EXPECT_TRUE(form.PressEnter());
  auto commands = form.Rec.Only({WM_COMMAND});
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LoWord(commands[0].WParam), 11);
  EXPECT_EQ(HiWord(commands[0].WParam), BN_CLICKED);
  EXPECT_EQ(static_cast<HWnd>(commands[0].LParam), form.Button);
  EXPECT_EQ(form.Rec.Count(DM_GETDEFID), 1u) << "the default is asked for";
}

TEST(Windowing, EnterWithoutADefaultButtonCommandsOk) {
  TDialogForm form(0);
  form.Rec.Handle = [](HWnd, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    return m == DM_GETDEFID ? std::optional<std::intptr_t>(0) : std::nullopt;
  };
  EXPECT_TRUE(form.PressEnter());
  auto commands = form.Rec.Only({WM_COMMAND});
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].WParam, 1u) << "IDOK";
  EXPECT_EQ(commands[0].LParam, 0) << "no control of that id";
}

TEST(Windowing, EnterDoesNothingWhenTheDefaultButtonIsDisabled) {
  TDialogForm form(11, false);
  EXPECT_TRUE(form.PressEnter()) << "the key is still the dialog's";
  EXPECT_EQ(form.Rec.Count(WM_COMMAND), 0u);
}

// ---- input state --------------------------------------------------------------------------

TEST(Windowing, KeyNotHeldReadsAsUp) {
  EXPECT_EQ(Windows().GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
}
