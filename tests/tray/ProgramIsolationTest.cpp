// Two programs in one test process share nothing: what a process keeps once (the tray's
// message window with its reference count, the entry identities, the control identifiers)
// belongs to the platform instance a program runs on.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/SimFixture.h"
#include "tray/TrayIconHandler.h"

namespace {
// What a program shows of its process-wide state, as the shell and the windows see it.
struct TIdentities {
  std::uint32_t EntryWindow = 0;
  std::uint32_t EntryId = 0;
  std::vector<int> ControlIds;
  std::size_t Windows = 0;
  friend bool operator==(const TIdentities&, const TIdentities&) = default;
};

TIdentities RunOnce() {
  TSimProgram program;
  TForm1& form = program.Start();
  program.RunFor(5000);
  TIdentities seen;
  const auto& added = program.Sim.Shell.Requests.at(1);
  EXPECT_EQ(added.Message, NIM_ADD);
  seen.EntryWindow = added.Data.hWnd;
  seen.EntryId = added.Data.uID;
  for (TWinControl* control :
       {static_cast<TWinControl*>(form.GroupBox1), static_cast<TWinControl*>(form.GroupBox2),
        static_cast<TWinControl*>(form.udBoostOnTemp),
        static_cast<TWinControl*>(form.udBoostOffTemp), static_cast<TWinControl*>(form.Button1)})
    seen.ControlIds.push_back(control->Id());
  seen.Windows = program.Sim.Windows.WindowCount();
  program.Close();
  EXPECT_EQ(TTrayIconHandler::Instance(program.Sim.Platform()), nullptr);
  return seen;
}
}  // namespace

TEST(ProgramIsolation, ProgramsOneAfterTheOtherSeeTheSameIdentities) {
  TIdentities first = RunOnce();
  TIdentities second = RunOnce();
  EXPECT_EQ(first.EntryId, 1u);
  EXPECT_EQ(first.EntryId, second.EntryId);
  EXPECT_EQ(first.EntryWindow, second.EntryWindow);
  EXPECT_EQ(first.ControlIds, second.ControlIds);
  EXPECT_EQ(first, second);
}

TEST(ProgramIsolation, ATrayWindowOfOneProgramIsNeverUsedByAnother) {
  auto a = std::make_unique<TSimPlatform>();
  TSimPlatform b;
  TComponent rootA(nullptr, &a->Platform());
  TComponent rootB(nullptr, &b.Platform());
  auto iconA = std::make_unique<TTrayIcon>(&rootA);
  auto iconB = std::make_unique<TTrayIcon>(&rootB);
  TTrayIconHandler* handlerA = TTrayIconHandler::Instance(a->Platform());
  TTrayIconHandler* handlerB = TTrayIconHandler::Instance(b.Platform());
  ASSERT_NE(handlerA, nullptr);
  ASSERT_NE(handlerB, nullptr);
  EXPECT_NE(handlerA, handlerB);
  EXPECT_EQ(handlerA->RefCount(), 1);
  EXPECT_EQ(handlerB->RefCount(), 1);
  // Each entry names a window of its own machine, and both start the identities afresh.
  EXPECT_TRUE(b.Windows.IsWindow(static_cast<HWnd>(iconB->EntryRecord().hWnd)));
  EXPECT_EQ(static_cast<HWnd>(iconB->EntryRecord().hWnd), handlerB->Handle());
  EXPECT_EQ(iconA->EntryRecord().uID, iconB->EntryRecord().uID);
  // The first program ends (its machine with it); the second keeps its window and clicks.
  iconA.reset();
  EXPECT_EQ(TTrayIconHandler::Instance(a->Platform()), nullptr);
  a.reset();
  int clicks = 0;
  iconB->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
  iconB->SetIconVisible(true);
  for (std::uint32_t m : {WM_LBUTTONDOWN, WM_LBUTTONUP}) b.Shell.PostPointerMessage(b.Windows, m);
  b.RunFor(0);
  EXPECT_EQ(clicks, 1);
}

TEST(ProgramIsolation, ATrayWindowStillHeldWhenThePlatformGoesIsDestroyedWithIt) {
  TSimPlatform sim;
  HWnd window = HWnd::None;
  {
    TPlatform platform{sim.Chip, sim.System, sim.Windows, sim.Gdi, sim.Registry, sim.Shell};
    TTrayIconHandler::Acquire(platform);  // a reference nobody gives back
    window = TTrayIconHandler::Instance(platform)->Handle();
    EXPECT_TRUE(sim.Windows.IsWindow(window));
  }
  EXPECT_FALSE(sim.Windows.IsWindow(window));
  EXPECT_EQ(TTrayIconHandler::Instance(sim.Platform()), nullptr);
}

// Each program reports its failures in its own box, with its own title: the application is
// found through the platform a component runs on, never through a process-wide pointer.
TEST(ProgramIsolation, EachProgramReportsThroughItsOwnApplication) {
  TSimPlatform a;
  TSimPlatform b;
  TApplication first(a.Platform());
  first.SetTitle("First");
  {
    TApplication second(b.Platform());
    second.SetTitle("Second");
    EXPECT_EQ(TApplication::Of(a.Platform()), &first);
    EXPECT_EQ(TApplication::Of(b.Platform()), &second);
    ReportException(a.Platform(), std::runtime_error("one"));
    ReportException(b.Platform(), std::runtime_error("two"));
    ASSERT_EQ(a.System.Boxes.size(), 1u);
    ASSERT_EQ(b.System.Boxes.size(), 1u);
    EXPECT_EQ(a.System.Boxes[0].Caption, std::optional<std::string>("First"));
    EXPECT_EQ(b.System.Boxes[0].Caption, std::optional<std::string>("Second"));
  }
  // The second program's end leaves the first one's report where it was.
  EXPECT_EQ(TApplication::Of(b.Platform()), nullptr);
  EXPECT_EQ(TApplication::Of(a.Platform()), &first);
}
