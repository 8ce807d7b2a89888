// One controller per log-on session: programs started one after the other on one simulated
// session (one window system, one namespace of named objects).
#include <gtest/gtest.h>

#include "app/Program.h"
#include "platform/sim/SimPlatform.h"

namespace {
struct OneInstance : ::testing::Test {
  OneInstance() {
    Sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
    Sim.Chip.SetTemperatures(47, 30);
  }

  // What a second start could disturb, taken before it.
  struct TSnapshot {
    std::uint64_t PortAccesses;
    std::size_t RegistryCalls;
    std::size_t TrayRequests;
    std::size_t Windows;
    std::size_t Timers;
    std::size_t Boxes;
    friend bool operator==(const TSnapshot&, const TSnapshot&) = default;
  };
  TSnapshot Snapshot() {
    return {Sim.Chip.AccessCount(),    Sim.Registry.Calls.size(), Sim.Shell.Requests.size(),
            Sim.Windows.WindowCount(), Sim.Windows.TimerCount(),  Sim.System.Boxes.size()};
  }

  TSimPlatform Sim;
};
}  // namespace

TEST_F(OneInstance, SecondStartHandsOverToTheHiddenFirstAndEnds) {
  TProgram first(Sim.Platform());
  ASSERT_TRUE(first.Start());
  Sim.RunFor(7000);
  TForm1& form = *first.Form();
  ASSERT_FALSE(form.Visible());
  const TSnapshot before = Snapshot();
  {
    TProgram second(Sim.Platform());
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(second.Application(), nullptr);
    EXPECT_EQ(Snapshot(), before);  // no port, registry, tray, window, timer or box
  }
  EXPECT_EQ(TApplication::Of(Sim.Platform()), first.Application());
  EXPECT_TRUE(Sim.System.ForegroundAllowed);

  Sim.RunFor(0);  // the first program takes the request from its queue
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(Sim.Windows.IsWindowVisible(form.Handle()));
  EXPECT_EQ(Sim.Windows.GetForegroundWindow(), form.Handle());
  // Shown as a tray click shows it: the thresholds restored and mirrored.
  EXPECT_GT(Sim.Registry.Calls.size(), before.RegistryCalls);
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 65);
  // Still the one tray entry, refreshed by the one timer.
  Sim.RunFor(5000);
  EXPECT_EQ(Sim.Windows.TimerCount(), before.Timers);
}

TEST_F(OneInstance, SecondStartBringsAVisibleFirstToTheFront) {
  TProgram first(Sim.Platform());
  ASSERT_TRUE(first.Start());
  TForm1& form = *first.Form();
  form.Show();
  Sim.Windows.SetForegroundWindow(first.Application()->Handle());
  const std::size_t registryCalls = Sim.Registry.Calls.size();
  TProgram second(Sim.Platform());
  EXPECT_FALSE(second.Start());
  Sim.RunFor(0);
  EXPECT_TRUE(form.Visible());  // not toggled away
  EXPECT_EQ(Sim.Windows.GetForegroundWindow(), form.Handle());
  EXPECT_EQ(Sim.Registry.Calls.size(), registryCalls);  // no second restore
}

TEST_F(OneInstance, EveryLaterStartHandsOverWhileTheFirstRuns) {
  TProgram first(Sim.Platform());
  ASSERT_TRUE(first.Start());
  for (int i = 0; i < 3; ++i) {
    TProgram again(Sim.Platform());
    EXPECT_FALSE(again.Start()) << i;
  }
  Sim.RunFor(0);
  EXPECT_TRUE(first.Form()->Visible());         // three requests show it, none hides it
  EXPECT_EQ(Sim.System.OpenHandleCount(), 1u);  // the first's own session mutex
}

TEST_F(OneInstance, AfterTheFirstEndsTheNextStartRuns) {
  {
    TProgram first(Sim.Platform());
    ASSERT_TRUE(first.Start());
    Sim.Windows.PostMessage(first.Form()->Handle(), WM_CLOSE, 0, 0);
    first.Run();
    EXPECT_TRUE(first.Application()->Terminated());
  }
  EXPECT_EQ(Sim.System.OpenHandleCount(), 0u);
  EXPECT_FALSE(Sim.System.MutexExists(kInstanceMutexName));
  TProgram next(Sim.Platform());
  EXPECT_TRUE(next.Start());
  EXPECT_NE(next.Form(), nullptr);
}
