// The whole program on a machine as strict about rights as Windows. Wine runs every program
// as administrator and does not hold opens to access lists: it cannot decide these cases.
#include <gtest/gtest.h>

#include <algorithm>

#include "hw/BusLock.h"
#include "tests/support/SimFixture.h"

namespace {
std::size_t CountOf(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}
}  // namespace

// A monitor of another user opens our bus lock with a plain create (all rights) and holds it
// from 2 s to 14 s: the refreshes at 5 s and 10 s leave the chip alone, the one at 15 s reads.
TEST(Privilege, AnotherUsersMonitorOpensTheBusLockAndSharesTheBus) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(50, 30);
  TForm1& form = program.Start();
  program.RunFor(2000);
  ASSERT_TRUE(program.Sim.System.HoldMutex(kBusMutexName, 12000, false, true));
  program.Sim.Chip.SetTemperatures(60, 35);
  program.RunFor(12500);
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 50);
  program.RunFor(1000);
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 60);
}

// The driver is registered and started only from where users cannot change it, and only by
// an elevated run, which then keeps the device for the system and administrators: a standard
// user's process can no longer get the ports through it.
TEST(Privilege, DriverOnlyFromAProtectedPlaceAndOnlyForAdministrators) {
  enum TRun { UsersMayWriteFolder, ReplaceableFileAppears, NotElevated, Elevated };
  for (TRun run : {UsersMayWriteFolder, ReplaceableFileAppears, NotElevated, Elevated}) {
    SCOPED_TRACE(run);
    TSimProgram program;
    TSimSystem& system = program.Sim.System;
    TAccessList writable = TSimSystem::ProtectedList;
    writable.Entries.push_back({true, 0x001301BF, "S-1-5-11", false});  // modify
    std::string driver = program.DriverPath();
    if (run == UsersMayWriteFolder)
      system.SetAccessList(driver.substr(0, driver.rfind('\\')), writable);
    if (run == ReplaceableFileAppears) system.RemoveFile(driver);
    system.SplitRights = run == NotElevated || run == Elevated;
    if (run == Elevated)
      program.Sim.Windows.ElevatedProcesses.insert(program.Sim.Windows.ProcessId);
    program.Start();
    if (run == ReplaceableFileAppears) {
      system.AddFile(driver);
      system.SetAccessList(driver, writable);
      program.RunFor(5000);
    }
    EXPECT_EQ(program.GiveIo().Problem() == TReadingFault::DriverUnprotected, run < NotElevated);
    EXPECT_EQ(program.EntryTip().find(
                  "\nOther users can replace giveio.sys: use Kelvane's setup") != std::string::npos,
              run < NotElevated);
    EXPECT_EQ(system.Services.size(), run == UsersMayWriteFolder || run == NotElevated ? 0u : 1u);
    EXPECT_EQ(system.PortsGranted, run == Elevated);
    if (run != Elevated) continue;
    const TAccessList administratorsOnly{
        false,
        {{true, GENERIC_ALL, "S-1-5-18", false}, {true, GENERIC_ALL, "S-1-5-32-544", false}}};
    EXPECT_EQ(system.DeviceAccessLists["giveio"], administratorsOnly);
    program.Sim.Windows.ElevatedProcesses.clear();
    EXPECT_EQ(system.CreateFile("\\\\.\\giveio", GENERIC_READ, 0, OPEN_EXISTING, 0), THandle::None);
  }
}

// Ports refused for a minute: the driver was registered and started once, at start-up; each
// refresh after it only opens the device, without a pause. A driver file that appears
// meanwhile is started at the next refresh, which then gives it its second.
TEST(Privilege, RefusedPortsNeitherPauseNorStartTheDriverAgain) {
  for (bool appears : {false, true}) {
    SCOPED_TRACE(appears);
    TSimProgram program;
    if (appears)
      program.Sim.System.RemoveFile(program.DriverPath());
    else
      program.Sim.System.DriverLoads = false;
    program.Start();
    program.RunFor(60000);
    const auto& calls = program.Sim.System.Calls;
    EXPECT_EQ(program.Sim.System.Slept, 0u);
    EXPECT_EQ(CountOf(calls, "CreateService") + CountOf(calls, "StartService"), 2u);
    EXPECT_EQ(CountOf(calls, "CreateFile"), 14u);  // at start-up, and after 13 refused refreshes
    if (!appears) continue;
    program.Sim.System.AddFile(program.DriverPath());
    program.RunFor(5000);
    EXPECT_EQ(program.Sim.System.Slept, 1000u);
    EXPECT_TRUE(program.Sim.System.PortsGranted);
  }
}
