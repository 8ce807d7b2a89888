// A controller left running for days: the fan boosted while nothing can be read, the tip
// saying what the fan line holds, one report at a time, thresholds kept at a forced shutdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "hw/BusLock.h"
#include "hw/giveio.h"
#include "tests/support/FailingBus.h"
#include "tests/support/SimFixture.h"

namespace {
constexpr char kKey[] = "Software\\Kelvane\\Form1";
}  // namespace

// With the bus held by another monitor from before the start, nothing is read: the fan is
// boosted however the thresholds stand, and the tip says why. Once free, the hysteresis
// decides again; two refreshes without a reading keep its decision, the third boosts.
TEST(FailSafe, NothingReadBoostsTheFan) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(40, 30);
  program.Sim.System.HoldMutex(kBusMutexName);
  TForm1& form = program.Start();
  program.RunFor(30000);
  std::vector<std::uint8_t> writes = program.FanWrites();
  EXPECT_EQ(writes.size(), 7u);
  EXPECT_TRUE(std::all_of(writes.begin(), writes.end(), [](std::uint8_t v) { return v == 0x00; }));
  EXPECT_TRUE(form.cbBoosted->Checked());
  EXPECT_EQ(program.EntryTip(),
            "CPU: no reading\nMotherboard: no reading\nFan boost: on (no reading)\n"
            "No readings: the sensor bus is held by another monitor");

  program.Sim.System.ReleaseHeldMutex(kBusMutexName);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x14);
  EXPECT_EQ(program.EntryTip(), "CPU: 40\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");

  program.Sim.System.HoldMutex(kBusMutexName);
  program.Sim.Chip.SetTemperatures(90, 30);  // unseen
  for (std::uint8_t expected : {0x14, 0x14, 0x00}) {
    program.RunFor(5000);
    EXPECT_EQ(program.FanWrites().back(), expected);
  }
  EXPECT_NE(program.EntryTip().find("Fan boost: on (no reading)\n"), std::string::npos);
}

// No write of the fan line has succeeded: the tip does not claim a state.
TEST(FailSafe, RefusedFanWriteLeavesTheLineUnknown) {
  TSimProgram program;
  program.Sim.Chip.FailAccess(11);  // the first refresh's fan write
  program.Start();
  EXPECT_TRUE(program.FanWrites().empty());
  EXPECT_EQ(program.EntryTip(), "CPU: 45\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: unknown");
  program.RunFor(5000);
  EXPECT_EQ(program.EntryTip(), "CPU: 45\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");
}

// A fault that recurs at every refresh is reported in one box while that box stays open (a
// minute here), and again at the first refresh after it is closed.
TEST(FailSafe, RecurringFaultOpensOneBoxAtATime) {
  TSimProgram program;
  TSimPlatform& sim = program.Sim;
  TFailingBus bus(sim.Chip);
  TPlatform platform{bus, sim.System, sim.Windows, sim.Gdi, sim.Registry, sim.Shell};
  int deepest = 0;
  int opened = 0;
  sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    deepest = std::max(deepest, sim.System.OpenBoxes() + 1);
    return TSimSystem::TAnswer{IDOK, ++opened == 1 ? 62000u : 0u};
  };
  TGiveIo runningPorts(platform.System, platform.Ports);
  TProgram running(platform, runningPorts);
  ASSERT_TRUE(running.Start());
  bus.FailAccess(
      1, [] { throw std::bad_alloc(); }, true);
  sim.RunFor(60000);
  EXPECT_EQ(sim.System.Boxes.size(), 1u);  // opened at 5 s, closed at 67 s
  sim.RunFor(10000);
  ASSERT_GE(sim.System.Boxes.size(), 2u);
  EXPECT_EQ(sim.System.Boxes[0].OpenedAt, 5000u);
  EXPECT_EQ(sim.System.Boxes[1].OpenedAt, 70000u);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(sim.System.Boxes[1].Text, "std::bad_alloc.");
}

// A forced shutdown: WM_ENDSESSION without a query, and the process may end as soon as its
// windows have answered. A threshold changed in the open window is stored by then; an
// unchanged one is not written again.
TEST(FailSafe, ForcedShutdownKeepsChangedThresholds) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  program.Sim.Windows.ClickUpDown(form.udBoostOnTemp->Handle(), true);
  ASSERT_EQ(form.udBoostOnTemp->Position(), 66);
  auto endSession = [&] {
    for (HWnd window : {program.Application()->Handle(), form.Handle()})
      program.Sim.Windows.SendMessage(window, WM_ENDSESSION, 1, 0);
  };
  endSession();
  EXPECT_EQ(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position"), 66u);
  std::size_t writes = program.Sim.Registry.Writes.size();
  endSession();
  EXPECT_EQ(program.Sim.Registry.Writes.size(), writes);
}

// Over a day: the fan boosted blind is said once when it happens and once when readings come
// back, as balloons from the entry that leave its tip as it is; an episode while the window is
// shown says nothing.
TEST(FailSafe, BlindBoostIsToldOnceEachWayOverADay) {
  constexpr std::uint32_t kHour = 3600 * 1000;
  TSimProgram program;
  TForm1& form = program.Start();
  program.RunFor(3 * kHour);
  program.Sim.System.HoldMutex(kBusMutexName);
  program.RunFor(kHour);
  EXPECT_NE(program.EntryTip().find("\nNo readings: the sensor bus is held by another monitor"),
            std::string::npos);
  program.Sim.System.ReleaseHeldMutex(kBusMutexName);
  program.RunFor(8 * kHour);
  form.Show();
  program.Sim.System.HoldMutex(kBusMutexName);
  program.RunFor(kHour);
  program.Sim.System.ReleaseHeldMutex(kBusMutexName);
  program.RunFor(kHour);
  form.Hide();
  program.RunFor(10 * kHour);

  std::vector<std::string> balloons;
  for (const auto& r : program.Sim.Shell.Requests)
    if (r.Data.uFlags & NIF_INFO) {
      EXPECT_EQ(r.Data.uFlags, NIF_INFO) << "nothing else of the entry changes";
      EXPECT_TRUE(r.Accepted);
      balloons.push_back(TSimShell::BalloonText(r.Data) + " " + std::to_string(r.Data.dwInfoFlags));
    }
  EXPECT_EQ(balloons,
            (std::vector<std::string>{
                "Kelvane cannot read the sensors: the fan is boosted\n"
                "No readings: the sensor bus is held by another monitor 2",
                "Kelvane reads the sensors again\nThe fan follows the thresholds again 1"}));
}
