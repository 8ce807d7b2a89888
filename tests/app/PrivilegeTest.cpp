// The whole program on a machine as strict about rights as Windows: the shared bus lock open
// to every monitor, the port driver loaded only from where users cannot change it and its
// device kept for administrators, and no pause or driver start in vain while the ports stay
// refused. Wine runs every program as administrator and does not hold opens to access lists:
// it cannot decide the first two (the end-to-end tests check what it can).
#include <gtest/gtest.h>

#include <algorithm>

#include "hw/BusLock.h"
#include "tests/support/SimFixture.h"

namespace {
std::size_t CountOf(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

bool ChipPort(const TPortAccess& a) { return a.Port == 0x295 || a.Port == 0x296; }
}  // namespace

// Another monitor, running as another user or as a service, opens the bus lock we made with a
// plain create (all rights) while we run, holds it from 2 s to 14 s, and we wait our turn:
// the refreshes at 5 s and 10 s leave the chip alone, the one at 15 s reads.
TEST(Privilege, AnotherUsersMonitorOpensTheBusLockAndSharesTheBus) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(50, 30);
  TForm1& form = program.Start();
  EXPECT_TRUE(program.Sim.System.MutexSharedWithEveryone(kBusMutexName));
  program.RunFor(2000);
  ASSERT_TRUE(program.Sim.System.HoldMutex(kBusMutexName, 12000, false, true));
  program.Sim.Chip.SetTemperatures(60, 35);
  program.Sim.Chip.ClearLog();
  program.RunFor(12500);
  const auto& log = program.Sim.Chip.Log();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), ChipPort), 0);
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 50);
  program.RunFor(1000);
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 60);
  EXPECT_FALSE(program.Sim.System.MutexOwned(kBusMutexName));
}

// Started from a folder where users may put files: the driver there is neither registered
// nor started, and nothing else is tried or waited for while the ports stay refused.
TEST(Privilege, DriverInAFolderUsersMayChangeIsNotLoaded) {
  TSimProgram program;
  std::string folder = program.DriverPath().substr(0, program.DriverPath().rfind('\\'));
  TAccessList list = TSimSystem::ProtectedList;
  list.Entries.push_back({true, 0x001301BF, "S-1-5-11", false});  // authenticated users: modify
  program.Sim.System.SetAccessList(folder, list);
  TForm1& form = program.Start();
  program.RunFor(60000);
  EXPECT_TRUE(form.GiveIo().DriverUnprotected());
  EXPECT_TRUE(program.Sim.System.Services.empty());
  EXPECT_EQ(CountOf(program.Sim.System.Calls, "StartService"), 0u);
  EXPECT_FALSE(program.Sim.System.PortsGranted);
  EXPECT_EQ(program.Sim.System.Slept, 0u);
  EXPECT_TRUE(program.Sim.System.Boxes.empty());
}

// Run as administrator where rights are split: the driver starts, and its device is closed
// to every process but the system's and administrators'. Run without elevation: the service
// manager refuses it, as Windows does.
TEST(Privilege, OnlyAnElevatedRunStartsTheDriverAndKeepsItsDevice) {
  for (bool elevated : {false, true}) {
    SCOPED_TRACE(elevated);
    TSimProgram program;
    program.Sim.System.SplitRights = true;
    if (elevated) program.Sim.Windows.ElevatedProcesses.insert(program.Sim.Windows.ProcessId);
    program.Sim.Chip.SetTemperatures(47, 30);
    TForm1& form = program.Start();
    EXPECT_EQ(program.Sim.System.PortsGranted, elevated);
    EXPECT_EQ(form.dgCurrentCPUTemp->Value(), elevated ? 47 : 0);
    EXPECT_EQ(program.Sim.System.Services.size(), elevated ? 1u : 0u);
    const TAccessList administratorsOnly{
        false,
        {{true, GENERIC_ALL, "S-1-5-18", false}, {true, GENERIC_ALL, "S-1-5-32-544", false}}};
    EXPECT_EQ(program.Sim.System.DeviceAccessLists["giveio"],
              elevated ? administratorsOnly : TAccessList{});
  }
}

// Ports refused for a minute: the driver was registered and started once, at start-up, and
// each refresh after it only opens the device again, without a pause. A driver file that
// appears meanwhile is started at the next refresh, which then gives it its second.
TEST(Privilege, RefusedPortsNeitherPauseNorStartTheDriverAgain) {
  for (bool appears : {false, true}) {
    SCOPED_TRACE(appears);
    TSimProgram program;
    if (appears)
      program.Sim.System.RemoveFile(program.DriverPath());
    else
      program.Sim.System.DriverLoads = false;
    TForm1& form = program.Start();
    program.RunFor(60000);
    const auto& calls = program.Sim.System.Calls;
    EXPECT_EQ(program.Sim.System.Slept, 0u);
    EXPECT_EQ(CountOf(calls, "CreateService"), 1u);
    EXPECT_EQ(CountOf(calls, "StartService"), 1u);
    EXPECT_EQ(CountOf(calls, "CreateFile"), 14u);  // at start-up, and after 13 refused refreshes
    if (!appears) continue;
    program.Sim.System.AddFile(program.DriverPath());
    program.Sim.Chip.SetTemperatures(52, 30);
    program.RunFor(5000);
    EXPECT_EQ(program.Sim.System.Slept, 1000u);
    EXPECT_EQ(CountOf(calls, "StartService"), 2u);
    EXPECT_TRUE(program.Sim.System.PortsGranted);
    program.RunFor(5000);
    EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 52);
  }
}
