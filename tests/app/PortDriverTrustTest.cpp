// The whole program and the port driver it did not register, a device it cannot protect, and
// the executable's path, on a machine as strict about files, services and devices as Windows.
// Wine cannot decide these: it gives the account every right to every file (only what file
// modes give everyone is told apart), loads no kernel driver and so opens no device.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/SimFixture.h"

namespace {
const std::string kDownloads = "C:\\Users\\someone\\Downloads";
constexpr char kSomeoneElse[] = "S-1-5-21-1180699209-877415012-3182924384-1005";

TSimSystem::TService Registered(const std::string& imagePath) {
  return {{"giveio", "giveio", 0, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
           imagePath},
          false};
}
}  // namespace

// Another program (or an old run while the file was missing) registered the service. It is
// started only when the file it loads lies where no other user can change it, and its
// registration is never changed.
TEST(PortDriverTrust, AnEarlierRegistrationIsStartedOnlyFromAProtectedPlace) {
  struct TCase {
    std::string ImagePath;
    bool Started;
  } const cases[] = {
      {kDownloads + "\\giveio.sys", false},
      {"\\SystemRoot\\System32\\drivers\\giveio.sys", true},
      {"\\Device\\HarddiskVolume2\\giveio.sys", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.ImagePath);
    TSimProgram program;
    TSimSystem& system = program.Sim.System;
    // Someone else's Downloads: they own it and all in it.
    system.SetOwner(kDownloads, kSomeoneElse);
    system.AddFile(kDownloads + "\\giveio.sys");
    system.AddFile("C:\\Windows\\System32\\drivers\\giveio.sys");
    system.Services["giveio"] = Registered(c.ImagePath);
    program.Start();
    program.RunFor(5000);
    EXPECT_EQ(std::count(system.Calls.begin(), system.Calls.end(), "StartService"), c.Started);
    EXPECT_EQ(system.Services["giveio"].Params.BinaryPath, c.ImagePath) << "left as it was";
    EXPECT_EQ(system.PortsGranted, c.Started);
    bool named =
        program.EntryTip().find("\nRegistered driver lies where other users can replace it") !=
        std::string::npos;
    EXPECT_EQ(named, !c.Started);
  }
}

// The device gives the ports to whoever opens it. A driver that keeps its device's list as it
// made it leaves the device open to every user: it is closed at once and its driver stopped
// (the ports its opening gave stay ours), whether this run started it or an earlier one did.
// The tip says so while the readings come.
TEST(PortDriverTrust, ADeviceWhoseListCannotBeSetIsClosedAndItsDriverStopped) {
  for (bool runningBefore : {false, true}) {
    SCOPED_TRACE(runningBefore);
    TSimProgram program;
    TSimSystem& system = program.Sim.System;
    system.DeviceListFixed = true;
    if (runningBefore) {
      system.Services["giveio"] = Registered(program.DriverPath());
      system.Services["giveio"].Running = true;
    }
    program.Sim.Chip.SetTemperatures(47, 35);
    program.Start();
    program.RunFor(10000);
    const auto& calls = system.Calls;
    auto open = std::find_if(calls.begin(), calls.end(),
                             [](const std::string& c) { return c.rfind("CreateFile", 0) == 0; });
    ASSERT_NE(open, calls.end());
    ASSERT_LT(open + 2, calls.end());
    EXPECT_EQ(open[1], "SetDeviceAccessList");
    EXPECT_EQ(open[2], "CloseHandle");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "StopService"), 1);
    EXPECT_FALSE(system.Services["giveio"].Running);
    EXPECT_TRUE(system.DeviceAccessLists.empty());
    EXPECT_EQ(program.EntryTip(),
              std::string("CPU: 47\xC2\xB0\nMotherboard: 35\xC2\xB0\nFan boost: off\n"
                          "Port driver stopped: could not protect its device"));
  }
}

// An elevated run started the driver and kept its device for administrators; a later run
// without those rights is refused the device: the tip says the driver runs.
TEST(PortDriverTrust, ARefusedOpenOfARunningDriverIsNamedAsSuch) {
  TSimProgram program;
  TSimSystem& system = program.Sim.System;
  system.Services["giveio"] = Registered(program.DriverPath());
  system.Services["giveio"].Running = true;
  system.DeviceAccessLists["giveio"] = {
      false, {{true, GENERIC_ALL, "S-1-5-18", false}, {true, GENERIC_ALL, "S-1-5-32-544", false}}};
  system.SplitRights = true;
  program.Start();
  EXPECT_FALSE(system.PortsGranted);
  EXPECT_NE(program.EntryTip().find("\ngiveio runs but refused our open (run as administrator)"),
            std::string::npos)
      << program.EntryTip();
}

// A path the system cannot give in full (a name with no UTF-8 form) is named as such, in the
// start-up box and in the tip, not as a missing driver; nothing is registered.
TEST(PortDriverTrust, AnUnusablePathIsNamedAsSuch) {
  TSimProgram program;
  program.Sim.System.ExePath.clear();
  program.Start();
  ASSERT_EQ(program.Sim.System.Boxes.size(), 1u);
  EXPECT_EQ(program.Sim.System.Boxes[0].Text,
            "Kelvane cannot use the path of its folder for giveio.sys: move Kelvane to another "
            "folder.");
  EXPECT_TRUE(program.Sim.System.Services.empty());
  EXPECT_NE(program.EntryTip().find("\nThe path of Kelvane's folder cannot be used: move Kelvane"),
            std::string::npos)
      << program.EntryTip();
}
