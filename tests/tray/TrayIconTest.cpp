// The tray entry: the notify record, the click rule, the shared message window and the hooks.
// Still to test: an icon whose handle cannot be made (the icon objects here cannot fail).
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>

#include "platform/Exception.h"

#include "tests/tray/TrayTestSupport.h"

namespace {
using TRig = TTrayRig<TTrayIcon>;

// Records the events of an icon as short words, in order.
struct TEventLog {
  std::vector<std::string> Words;
  void Attach(TTrayIcon& icon) {
    auto name = [](TMouseButton b) {
      return b == TMouseButton::mbLeft ? "L" : b == TMouseButton::mbRight ? "R" : "M";
    };
    icon.OnClick = TNotifyEvent([this](TObject*) { Words.push_back("click"); });
    icon.OnDblClick = TNotifyEvent([this](TObject*) { Words.push_back("dbl"); });
    icon.OnMouseDown = TMouseEvent([this, name](TObject*, TMouseButton b, TShiftState, int, int) {
      Words.push_back(std::string("down") + name(b));
    });
    icon.OnMouseUp = TMouseEvent([this, name](TObject*, TMouseButton b, TShiftState, int, int) {
      Words.push_back(std::string("up") + name(b));
    });
    icon.OnMouseMove =
        TMouseMoveEvent([this](TObject*, TShiftState, int, int) { Words.push_back("move"); });
  }
};

std::array<std::uint8_t, NotifyIconDataSize> Bytes(const TNotifyIconData& data) {
  std::array<std::uint8_t, NotifyIconDataSize> bytes;
  std::memcpy(bytes.data(), &data, bytes.size());
  return bytes;
}

std::uint32_t Dword(const std::array<std::uint8_t, NotifyIconDataSize>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
}  // namespace

// ---- the click rule ------------------------------------------------------------

TEST(TrayClicks, PointerSequencesGiveTheseEventsInThisOrder) {
  constexpr auto D = WM_LBUTTONDOWN, U = WM_LBUTTONUP, DBL = WM_LBUTTONDBLCLK;
  struct TCase {
    const char* Name;
    std::vector<std::uint32_t> Messages;  // what reaches the entry; presses elsewhere do not
    std::vector<std::string> Events;
  };
  const std::vector<TCase> cases = {
      {"single click", {D, U}, {"downL", "click", "upL"}},
      {"double click", {D, U, DBL, U}, {"downL", "click", "upL", "dbl", "upL"}},
      {"press elsewhere, release over the entry", {U}, {"upL"}},
      {"press elsewhere twice after a click", {D, U, U}, {"downL", "click", "upL", "upL"}},
      {"release elsewhere, then a click", {D, D, U}, {"downL", "downL", "click", "upL"}},
      {"right click", {WM_RBUTTONDOWN, WM_RBUTTONUP}, {"downR", "upR"}},
      {"right double click",
       {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP},
       {"downR", "upR", "upR"}},
      {"middle click", {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}, {"downM", "upM"}},
      {"right press, left release", {WM_RBUTTONDOWN, U}, {"downR", "upL"}},
      {"move", {WM_MOUSEMOVE, WM_MOUSEMOVE}, {"move", "move"}},
  };
  // At version 3 the shell follows each left release with NIN_SELECT and each right release
  // with WM_CONTEXTMENU: the events stay those of the pointer messages.
  for (const TCase& c : cases) {
    TRig rig;
    rig.Icon->SetIconVisible(true);
    ASSERT_EQ(rig.Sim.Shell.Entries.begin()->second.uVersion, NOTIFYICON_VERSION);
    TEventLog log;
    log.Attach(*rig.Icon);
    rig.Pointer(c.Messages);
    EXPECT_EQ(log.Words, c.Events) << c.Name;
  }
}

// Every add sets the entry's version, the one after a shell restart too (the shell forgets it
// with the entry); a shell that refuses the version keeps the entry at the first.
TEST(TrayKeyboard, EveryAddSetsVersionThreeWhereTheShellKnowsIt) {
  for (std::uint32_t newest : {4u, 0u}) {
    SCOPED_TRACE(newest);
    TRig rig;
    rig.Sim.Shell.NewestVersion = newest;
    rig.Icon->SetIconVisible(true);
    const std::uint32_t expected = newest ? NOTIFYICON_VERSION : 0;
    EXPECT_EQ(rig.Sim.Shell.Entries.begin()->second.uVersion, expected);
    rig.Sim.Shell.Restart(rig.Sim.Windows);
    rig.Sim.RunFor(0);
    ASSERT_EQ(rig.Sim.Shell.Entries.size(), 1u);
    EXPECT_EQ(rig.Sim.Shell.Entries.begin()->second.uVersion, expected);
    EXPECT_EQ(rig.Icon->EntryVersion(), expected);
  }
}

// Enter gives two NIN_KEYSELECT, Space one, a held key a string of them: one click per press,
// and presses apart a click each. At the first version a selection with the keyboard is a
// right press and release, which clicks nothing.
TEST(TrayKeyboard, OneClickPerKeyPress) {
  struct TPress {
    std::uint32_t After;  // ms since the previous press
    bool Enter;
  };
  struct TCase {
    const char* Name;
    std::uint32_t Newest;
    std::vector<TPress> Presses;
    int Clicks;
  };
  const TCase cases[] = {
      {"Enter", 4, {{0, true}}, 1},
      {"Space", 4, {{0, false}}, 1},
      {"Enter, then again a second later", 4, {{0, true}, {1000, true}}, 2},
      {"a held Space", 4, {{0, false}, {40, false}, {40, false}}, 1},
      {"the first version", 0, {{0, true}}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRig rig;
    rig.Sim.Shell.NewestVersion = c.Newest;
    rig.Icon->SetIconVisible(true);
    int clicks = 0;
    rig.Icon->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    for (const TPress& press : c.Presses) {
      rig.Sim.RunFor(press.After);
      ASSERT_TRUE(rig.Sim.Shell.SelectWithKeyboard(rig.Sim.Windows, press.Enter));
      rig.Sim.RunFor(0);
    }
    EXPECT_EQ(clicks, c.Clicks);
  }
}

TEST(TrayClicks, DisabledEntryRaisesNothing) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  TEventLog log;
  log.Attach(*rig.Icon);
  rig.Icon->SetEnabled(false);
  rig.Pointer({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
               WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP});
  EXPECT_TRUE(log.Words.empty());
  // A press while disabled does not arm the click either.
  rig.Icon->SetEnabled(true);
  rig.Pointer({WM_LBUTTONUP});
  EXPECT_EQ(log.Words, std::vector<std::string>{"upL"});
}

TEST(TrayClicks, ShiftAndPositionAreReadWhenHandled) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  struct TSeen {
    TMouseButton Button;
    TShiftState Shift;
    TPoint At;
  };
  std::vector<TSeen> seen;
  rig.Icon->OnMouseDown =
      TMouseEvent([&](TObject* sender, TMouseButton b, TShiftState s, int x, int y) {
        EXPECT_EQ(sender, rig.Icon);
        seen.push_back({b, s, {x, y}});
      });
  rig.Sim.Windows.CursorPos = {1, 1};
  rig.Sim.Shell.PostPointerMessage(rig.Sim.Windows, WM_LBUTTONDOWN);
  rig.Sim.Shell.PostPointerMessage(rig.Sim.Windows, WM_RBUTTONDOWN);
  // The state changes between the shell's message and its handling.
  rig.Sim.Windows.CursorPos = {1000, 745};
  rig.Sim.Windows.KeysDown[VK_SHIFT] = true;
  rig.Sim.Windows.KeysDown[0x11] = true;  // Ctrl
  rig.Sim.RunFor(0);
  rig.Sim.Windows.KeysDown = {{0x12, true}};  // Alt
  rig.Pointer({WM_MBUTTONDOWN});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].Shift, ssShift | ssCtrl | ssLeft);
  EXPECT_EQ(seen[0].At, (TPoint{1000, 745}));
  EXPECT_EQ(seen[1].Button, TMouseButton::mbRight);
  EXPECT_EQ(seen[1].Shift, ssShift | ssCtrl | ssRight);
  EXPECT_EQ(seen[2].Button, TMouseButton::mbMiddle);
  EXPECT_EQ(seen[2].Shift, ssAlt | ssMiddle);
}

TEST(TrayClicks, NotificationsReachTheirOwnEntry) {
  TRig rig;
  TTrayIcon* second = NewComponent<TTrayIcon>(&rig.Root);
  rig.Icon->SetIconVisible(true);
  second->SetIconVisible(true);
  int first = 0, other = 0;
  rig.Icon->OnClick = TNotifyEvent([&](TObject*) { ++first; });
  second->OnClick = TNotifyEvent([&](TObject*) { ++other; });
  HWnd window = rig.TrayWindow();
  std::uint32_t id = second->EntryRecord().uID;
  rig.Sim.Shell.PostPointerMessage(rig.Sim.Windows, window, id, WM_LBUTTONDOWN);
  rig.Sim.Shell.PostPointerMessage(rig.Sim.Windows, window, id, WM_LBUTTONUP);
  // A stale identity (an entry long gone) is ignored.
  rig.Sim.Windows.PostMessage(window, TrayCallbackMessage, 0xDEAD, WM_LBUTTONUP);
  rig.Sim.RunFor(0);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(other, 1);
}

// ---- the record -----------------------------------------------------------------

TEST(TrayRecord, AddCarriesTheRecordByteForByte) {
  TRig rig;
  TIcon image(rig.Sim.Gdi);
  TBitmap bitmap(rig.Sim.Gdi);
  bitmap.SetSize(16, 16);
  image.FromBitmap(bitmap, clNone);
  rig.Icon->SetIcon(&image);
  rig.Icon->SetIconVisible(true);
  const auto& request = rig.Sim.Shell.Requests.end()[-2];  // the version's request follows
  ASSERT_EQ(request.Message, NIM_ADD);
  EXPECT_TRUE(request.Accepted);
  auto b = Bytes(request.Data);
  EXPECT_EQ(Dword(b, 0), 936u);
  EXPECT_EQ(static_cast<HWnd>(Dword(b, 4)), rig.TrayWindow());
  EXPECT_NE(Dword(b, 8), 0u);
  EXPECT_EQ(Dword(b, 12), 7u);
  EXPECT_EQ(Dword(b, 16), 0x0800u);
  EXPECT_EQ(static_cast<HIcon>(Dword(b, 20)), rig.Icon->Icon()->Handle());
  EXPECT_NE(Dword(b, 20), 0u);
  for (std::size_t i = 24; i < NotifyIconDataSize; ++i) ASSERT_EQ(b[i], 0) << "byte " << i;
}

TEST(TrayRecord, IdentitiesAreUniqueAndEveryRequestHasAllThreeFlags) {
  TRig rig;
  TTrayIcon* second = NewComponent<TTrayIcon>(&rig.Root);
  EXPECT_NE(rig.Icon->EntryRecord().uID, second->EntryRecord().uID);
  EXPECT_EQ(rig.Icon->EntryRecord().hWnd, second->EntryRecord().hWnd);
  rig.Icon->SetIconVisible(true);
  rig.Icon->SetHint("h");
  rig.Icon->SetIconVisible(false);
  EXPECT_EQ(rig.RequestMessages(),
            (std::vector<std::uint32_t>{NIM_ADD, NIM_SETVERSION, NIM_MODIFY, NIM_DELETE}));
  for (const auto& r : rig.Sim.Shell.Requests) {
    EXPECT_EQ(r.Data.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    EXPECT_TRUE(r.Accepted);
  }
  EXPECT_TRUE(rig.Sim.Shell.Entries.empty());
}

// The hint is UTF-8; the tip is UTF-16, whatever the system's code page.
TEST(TrayRecord, TipIsTheHintInUtf16CutTo127UnitsOrAllZero) {
  struct TCase {
    std::string Hint;
    bool ShowHint;
    std::u16string Tip;
  };
  const TCase cases[] = {
      {"", true, u""},
      {"CPU: 45\xC2\xB0\nFan", true, u"CPU: 45\u00B0\nFan"},
      {std::string(127, 'a'), true, std::u16string(127, u'a')},
      {std::string(200, 'a'), true, std::u16string(127, u'a')},
      {std::string(126, 'a') + "\xC2\xB0\xC2\xB0", true, std::u16string(126, u'a') + u"\u00B0"},
      // A character outside the basic plane is two units: cut before it, not through it.
      {std::string(126, 'a') + "\xF0\x9F\x8C\xA1", true, std::u16string(126, u'a')},
      {"47\xB0", true, u"47\uFFFD"},  // a lone ANSI byte is no UTF-8
      {std::string(200, 'a'), false, u""},
  };
  for (const TCase& c : cases) {
    TRig rig;
    rig.Icon->SetIconVisible(true);
    rig.Icon->SetHint(std::string(300, 'z'));  // leaves nothing behind for the next one
    rig.Icon->SetShowHint(c.ShowHint);
    rig.Icon->SetHint(c.Hint);
    const TNotifyIconData& data = rig.Sim.Shell.Requests.back().Data;
    EXPECT_EQ(std::u16string(data.szTip, c.Tip.size()), c.Tip) << c.Hint;
    for (std::size_t i = c.Tip.size(); i < std::size(data.szTip); ++i)
      ASSERT_EQ(data.szTip[i], 0) << c.Hint << " unit " << i;
  }
}

TEST(TrayRecord, EverySetterPushesEvenWithTheSameValue) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  rig.Icon->SetIconVisible(true);  // a second add, refused by the shell
  rig.Icon->SetHint("");
  rig.Icon->SetShowHint(true);
  rig.Icon->SetIconIndex(3);
  rig.Icon->SetIcon(nullptr);
  rig.Icon->SetCycleInterval(500);  // no icon list: nothing to show
  EXPECT_EQ(rig.Icon->IconIndex(), 0);
  EXPECT_EQ(rig.RequestMessages(), (std::vector<std::uint32_t>{
                                       NIM_ADD, NIM_SETVERSION, NIM_ADD, NIM_MODIFY, NIM_SETVERSION,
                                       NIM_MODIFY, NIM_MODIFY, NIM_MODIFY, NIM_MODIFY}));
  EXPECT_FALSE(rig.Sim.Shell.Requests[2].Accepted);
  EXPECT_TRUE(rig.Sim.Shell.Requests[3].Accepted);  // the change after the refused add
}

TEST(TrayRecord, EndOfLoadingUpdatesAddsAgainAndSetsTheVersion) {
  TRig rig;
  rig.Icon->BeginLoading();
  rig.Icon->SetIconVisible(true);
  rig.Sim.Shell.Requests.clear();
  rig.Icon->EndLoading();
  EXPECT_EQ(rig.RequestMessages(),
            (std::vector<std::uint32_t>{NIM_MODIFY, NIM_ADD, NIM_MODIFY, NIM_SETVERSION}));
  EXPECT_FALSE(rig.Sim.Shell.Requests[1].Accepted);
  EXPECT_TRUE(rig.Sim.Shell.Requests[2].Accepted);
  EXPECT_TRUE(rig.Sim.Shell.Requests[3].Accepted);
  EXPECT_EQ(rig.Sim.Shell.Requests[3].Data.uVersion, NOTIFYICON_VERSION);
}

TEST(TrayRecord, AnEntryTheShellRefusedIsAddedAtTheNextUpdate) {
  TRig rig;
  rig.Sim.Shell.Absent = true;
  rig.Icon->SetIconVisible(true);
  EXPECT_TRUE(rig.Icon->IconVisible());
  EXPECT_FALSE(rig.Sim.Shell.Requests.back().Accepted);
  rig.Icon->SetHint("x");  // still no shell: offered again, refused again
  EXPECT_EQ(rig.RequestMessages(),
            (std::vector<std::uint32_t>{NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_MODIFY}));
  rig.Sim.Shell.Absent = false;
  rig.Icon->SetHint("y");  // the shell is there: the update adds the entry, with the hint
  EXPECT_EQ(rig.RequestMessages().end()[-2], NIM_ADD);
  EXPECT_EQ(rig.Icon->EntryVersion(), NOTIFYICON_VERSION);
  ASSERT_EQ(rig.Sim.Shell.Entries.size(), 1u);
  EXPECT_EQ(TipOf(rig.Sim.Shell.Entries.begin()->second), "y");
  rig.Icon->SetHint("z");  // from then on, changes
  EXPECT_EQ(rig.Sim.Shell.Requests.back().Message, NIM_MODIFY);
  EXPECT_TRUE(rig.Sim.Shell.Requests.back().Accepted);
}

TEST(TrayRecord, AChangeTheShellRefusedIsFollowedByAnAdd) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  rig.Sim.Shell.Entries.clear();  // the shell lost the entry without a word
  rig.Icon->SetHint("a");
  EXPECT_FALSE(rig.Sim.Shell.Requests.back().Accepted);
  EXPECT_EQ(rig.Sim.Shell.Requests.back().Message, NIM_MODIFY);
  rig.Icon->SetHint("b");
  EXPECT_EQ(rig.Sim.Shell.Requests.end()[-2].Message, NIM_ADD);
  EXPECT_TRUE(rig.Sim.Shell.Requests.end()[-2].Accepted);
  // A hidden entry is not brought back by a change.
  rig.Icon->SetIconVisible(false);
  rig.Icon->SetHint("c");
  EXPECT_EQ(rig.Sim.Shell.Requests.back().Message, NIM_MODIFY);
  EXPECT_TRUE(rig.Sim.Shell.Entries.empty());
}

TEST(TrayRecord, ARefusedDuplicateAddKeepsChangingTheEntry) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  rig.Icon->SetIconVisible(true);  // the shell refuses the duplicate; a change follows
  EXPECT_FALSE(rig.Sim.Shell.Requests[2].Accepted);
  rig.Icon->SetHint("a");
  EXPECT_EQ(rig.Sim.Shell.Requests.back().Message, NIM_MODIFY);
  EXPECT_TRUE(rig.Sim.Shell.Requests.back().Accepted);
}

// ---- the message window and the hooks -------------------------------------------------

TEST(TrayWindow, OneWindowPerProcessWhileAnyIconLives) {
  TSimPlatform sim;
  TComponent root(nullptr, &sim.Platform());
  EXPECT_EQ(TTrayIconHandler::Instance(sim.Platform()), nullptr);
  auto a = std::make_unique<TTrayIcon>(&root);
  HWnd window = TTrayIconHandler::Instance(sim.Platform())->Handle();
  auto b = std::make_unique<TTrayIcon>(&root);
  EXPECT_EQ(TTrayIconHandler::Instance(sim.Platform())->Handle(), window);
  EXPECT_EQ(TTrayIconHandler::Instance(sim.Platform())->RefCount(), 2);
  const auto* w = sim.Windows.Find(window);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->Visible);
  EXPECT_EQ(w->Params.Parent, HWnd::None);
  std::size_t windows = sim.Windows.WindowCount();
  b.reset();
  EXPECT_TRUE(sim.Windows.IsWindow(window));
  a.reset();
  EXPECT_FALSE(sim.Windows.IsWindow(window));
  EXPECT_EQ(TTrayIconHandler::Instance(sim.Platform()), nullptr);
  EXPECT_EQ(sim.Windows.WindowCount(), windows - 1);
}

TEST(TrayWindow, CloseQuitAndSessionMessagesAreAnsweredWithOne) {
  TRig rig;
  HWnd window = rig.TrayWindow();
  for (std::uint32_t message :
       {WM_CLOSE, WM_QUERYENDSESSION, WM_QUIT, WM_ENDSESSION, WM_DESTROY, WM_NCDESTROY}) {
    EXPECT_EQ(rig.Sim.Windows.SendMessage(window, message, 0, 0), 1) << message;
    EXPECT_TRUE(rig.Sim.Windows.IsWindow(window)) << message;
  }
  EXPECT_EQ(rig.Sim.Windows.SendMessage(window, WM_USER + 5, 0, 0), 0);
}

TEST(TrayHooks, ShellRestartPutsTheEntryBack) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  rig.Icon->SetHint("back");
  rig.Sim.Shell.Restart(rig.Sim.Windows);
  rig.Sim.RunFor(0);
  ASSERT_EQ(rig.Sim.Shell.Entries.size(), 1u);
  EXPECT_EQ(TipOf(rig.Sim.Shell.Entries.begin()->second), "back");
  EXPECT_EQ(rig.Sim.Shell.Requests.end()[-2].Message, NIM_ADD);
}

TEST(TrayHooks, NoComebackWhenHiddenOrWithOldCommonControls) {
  {
    TRig rig;
    rig.Icon->SetIconVisible(true);
    rig.Icon->SetIconVisible(false);
    rig.Sim.Shell.Restart(rig.Sim.Windows);
    rig.Sim.RunFor(0);
    EXPECT_TRUE(rig.Sim.Shell.Entries.empty());
  }
  TSimPlatform sim;
  sim.Shell.CommonControlsVersion = {4, 70};
  TApplication application(sim.Platform());
  TComponent root(nullptr, &sim.Platform());
  auto* icon = NewComponent<TTrayIcon>(&root);
  EXPECT_EQ(TTrayIconHandler::Instance(sim.Platform())->ShellRestartMessage(), 0u);
  icon->SetIconVisible(true);
  std::size_t requests = sim.Shell.Requests.size();
  sim.Shell.Restart(sim.Windows);
  sim.RunFor(0);
  EXPECT_TRUE(sim.Shell.Entries.empty());
  EXPECT_EQ(sim.Shell.Requests.size(), requests);
}

TEST(TrayHooks, RestoreCommandShowsTheMainForm) {
  TSimPlatform sim;
  TApplication application(sim.Platform());
  TForm* form = application.CreateForm<TForm>();
  NewComponent<TTrayIcon>(form);
  sim.Windows.PostMessage(application.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  sim.RunFor(0);
  EXPECT_TRUE(form->Visible());
}

TEST(TrayHooks, OwnerShownByItselfComesToTheFront) {
  TSimPlatform sim;
  TApplication application(sim.Platform());
  TForm* form = application.CreateForm<TForm>();
  auto icon = std::make_unique<TTrayIcon>(form);
  HWnd window = form->Handle();
  HWnd other = sim.Windows.CreateWindow({});
  sim.Windows.SetForegroundWindow(other);
  // Shown along with its owner: stays behind.
  sim.Windows.SendMessage(window, WM_SHOWWINDOW, 1, 3);
  EXPECT_EQ(sim.Windows.GetForegroundWindow(), other);
  // Shown without activation, but by a request on the window itself: to the front.
  sim.Windows.ShowWindow(window, SW_SHOWNA);
  EXPECT_EQ(sim.Windows.GetForegroundWindow(), window);
  // Messages still reach the form's own procedure through the hook.
  sim.Windows.SendMessage(window, WM_SHOWWINDOW, 0, 0);
  icon.reset();
  EXPECT_EQ(sim.Windows.Find(window)->Proc, static_cast<IWindowProc*>(form));
}

// ---- the end of an entry ---------------------------------------------------------------

namespace {
// The simulated shell, failing the removal the way it is told to.
struct TFailingShell : IShell {
  TSimShell& Shell;
  std::function<void()> FailDelete;
  explicit TFailingShell(TSimShell& shell) : Shell(shell) {}
  bool NotifyIcon(std::uint32_t message, const TNotifyIconData& data) override {
    if (message == NIM_DELETE && FailDelete) FailDelete();
    return Shell.NotifyIcon(message, data);
  }
  TFileVersion ComCtlVersion() override { return Shell.ComCtlVersion(); }
  int NotifyIconSize() override { return Shell.NotifyIconSize(); }
  bool HidesNewEntries() override { return Shell.HidesNewEntries(); }
};
}  // namespace

TEST(TrayEnd, OwnFailuresAreIgnoredFaultsReportedAndTheCleanUpRunsRegardless) {
  struct TCase {
    const char* Name;
    std::function<void()> Fail;
    std::size_t Boxes;
  };
  const TCase cases[] = {
      {"own", [] { throw Exception("Shell refused"); }, 0},
      {"fault", [] { throw std::length_error("record"); }, 1},
  };
  for (const TCase& c : cases) {
    TSimPlatform sim;
    TFailingShell shell(sim.Shell);
    TPlatform platform{sim.Chip, sim.System, sim.Windows, sim.Gdi, sim.Registry, shell};
    TApplication application(platform);
    application.SetTitle("Kelvane");
    TForm* form = application.CreateForm<TForm>();
    form->Handle();
    std::size_t windows = sim.Windows.WindowCount();
    auto icon = std::make_unique<TTrayIcon>(form);
    icon->SetIconVisible(true);
    shell.FailDelete = c.Fail;
    icon.reset();
    ASSERT_EQ(sim.System.Boxes.size(), c.Boxes) << c.Name;
    if (c.Boxes) {
      EXPECT_EQ(sim.System.Boxes[0].Text, "record.");
    }
    // The hooks and the shared window went all the same.
    EXPECT_EQ(TTrayIconHandler::Instance(platform), nullptr) << c.Name;
    EXPECT_EQ(sim.Windows.WindowCount(), windows) << c.Name;
    EXPECT_EQ(sim.Windows.Find(form->Handle())->Proc, static_cast<IWindowProc*>(form)) << c.Name;
  }
}
