// Port-access enablement against the simulated service manager and device namespace.
#include <gtest/gtest.h>

#include "framework/Strings.h"
#include "hw/giveio.h"
#include "platform/Exception.h"
#include "platform/sim/SimPlatform.h"

namespace {
const std::string kExeDir = "C:\\Program Files\\Kelvane\\";
const std::string kDriver = kExeDir + "giveio.sys";

struct GiveIo : ::testing::Test {
  TSimPlatform Sim;
  TSimSystem& System = Sim.System;
  TGiveIo Enabler{System, Sim.Platform().Ports};
};
}  // namespace

TEST_F(GiveIo, NinetyFiveFamilyDoesNothing) {
  System.Selector = 0x0137;
  EXPECT_EQ(IsWin9x(System), 1);
  Enabler.EnablePortAccess();  // no driver file anywhere
  EXPECT_TRUE(System.Calls.empty());
  EXPECT_TRUE(System.Boxes.empty());
  EXPECT_TRUE(System.PortsReachable());
}

TEST_F(GiveIo, CodeSelectorBelow256IsTheNtFamily) {
  for (std::uint16_t selector : {0x0000, 0x001B, 0x0023, 0x00FF}) {
    System.Selector = selector;
    EXPECT_EQ(IsWin9x(System), 0) << selector;
  }
  System.Selector = 0x0100;
  EXPECT_EQ(IsWin9x(System), 1);
}

TEST_F(GiveIo, FirstRunRegistersStartsAndOpensInOrder) {
  System.AddFile(kDriver);
  EXPECT_TRUE(Enabler.EnablePortAccess()) << "started now";
  const std::vector<std::string> expected = {
      "OpenSCManager(2)",
      "CreateService(giveio,giveio,983551,1,3,1," + kDriver + ")",
      "CloseServiceHandle",
      "OpenService(giveio,983551)",
      "QueryServiceConfig",  // started only from where it passes the rule
      "StartService",
      "CloseServiceHandle",
      "CreateFile(\\\\.\\giveio,2147745792,0,3,128)",  // to read, and to change its list
      "SetDeviceAccessList",
      "CloseHandle",
      "CloseServiceHandle",
  };
  EXPECT_EQ(System.Calls, expected);
  EXPECT_EQ(Enabler.DriverName(), "giveio");
  EXPECT_TRUE(System.PortsGranted);
  EXPECT_TRUE(System.Boxes.empty());
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}

TEST_F(GiveIo, LaterRunsFindTheServiceRegisteredAndRunning) {
  System.AddFile(kDriver);
  for (int run = 0; run < 50; ++run) Enabler.EnablePortAccess();
  EXPECT_EQ(System.Services.size(), 1u);
  EXPECT_TRUE(System.Services["giveio"].Running);
  EXPECT_EQ(System.Services["giveio"].Params.BinaryPath, kDriver);
  EXPECT_EQ(System.OpenHandleCount(), 0u);
  EXPECT_TRUE(System.Boxes.empty());
}

// The driver is looked for where the service will load it from: beside the executable.
TEST_F(GiveIo, StartedFromAnotherDirectoryWithTheDriverBesideTheExecutable) {
  System.AddFile(kDriver);
  System.CurrentDirectory = "C:\\Users\\someone";
  Enabler.EnablePortAccess();
  EXPECT_TRUE(System.Boxes.empty());
  EXPECT_TRUE(System.PortsGranted);
}

TEST_F(GiveIo, DriverOnlyInTheCurrentDirectoryIsReportedMissing) {
  System.CurrentDirectory = "C:\\Users\\someone";
  System.AddFile("C:\\Users\\someone\\giveio.sys");
  // Said once, at the first enablement (start-up): the recoveries after it stay silent.
  for (int i = 0; i < 3; ++i) Enabler.EnablePortAccess();
  ASSERT_EQ(System.Boxes.size(), 1u);
  EXPECT_TRUE(System.Boxes[0].Unicode);
  EXPECT_EQ(System.Boxes[0].Text, "Драйвер giveio.sys не найден.");
  EXPECT_FALSE(System.Boxes[0].Caption);
  EXPECT_EQ(System.Boxes[0].Flags, MB_OK);
  // The enablement goes on after the box: registered with a path that holds no file.
  EXPECT_EQ(System.Services["giveio"].Params.BinaryPath, kDriver);
  EXPECT_FALSE(System.Services["giveio"].Running);
  EXPECT_FALSE(System.PortsGranted);
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}

TEST_F(GiveIo, NoRightToCreateServicesStillOpensTheService) {
  System.AddFile(kDriver);
  System.ManagerRefused = true;
  Enabler.EnablePortAccess();
  EXPECT_EQ(System.Calls[0], "OpenSCManager(2)");
  EXPECT_EQ(System.Calls[1], "OpenService(giveio,983551)");
  EXPECT_FALSE(System.PortsGranted);
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}

TEST_F(GiveIo, DeviceThatCannotBeOpenedIsSilent) {
  System.AddFile(kDriver);
  System.DriverLoads = false;
  for (int i = 0; i < 3; ++i) Enabler.EnablePortAccess();
  EXPECT_FALSE(System.PortsGranted);
  EXPECT_TRUE(System.Boxes.empty());
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}

// A driver started earlier (by another run or another program) whose device keeps the list it
// made, open to every user, is stopped once found so; it is not started again this run.
TEST_F(GiveIo, AnUnprotectableDeviceOfADriverStartedEarlierIsStopped) {
  System.AddFile(kDriver);
  System.Services["giveio"] = {{"giveio", "giveio", 0, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                SERVICE_ERROR_NORMAL, kDriver},
                               true};
  System.DeviceListFixed = true;
  EXPECT_FALSE(Enabler.EnablePortAccess());
  EXPECT_FALSE(System.Services["giveio"].Running);
  EXPECT_EQ(Enabler.Problem(), TReadingFault::DriverStopped);
  for (int i = 0; i < 3; ++i) Enabler.EnablePortAccess();
  EXPECT_FALSE(System.Services["giveio"].Running) << "not started again this run";
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}

// Each owner has its own name: an enablement on the NT family leaves nothing behind for the
// next program in the same process, which on the 9x family never sets it.
TEST_F(GiveIo, DriverNameBelongsToItsOwner) {
  System.AddFile(kDriver);
  {
    TGiveIo first(System, Sim.Platform().Ports);
    first.EnablePortAccess();
    EXPECT_EQ(first.DriverName(), "giveio");
  }
  System.Selector = 0x0137;
  TGiveIo second(System, Sim.Platform().Ports);
  second.EnablePortAccess();
  EXPECT_EQ(second.DriverName(), "");
  EXPECT_EQ(Enabler.DriverName(), "");
}

// On 64-bit Windows no 32-bit kernel driver loads: nothing is registered, started or said.
TEST_F(GiveIo, SixtyFourBitWindowsRegistersNothing) {
  System.Wow64 = true;
  for (int i = 0; i < 3; ++i) Enabler.EnablePortAccess();
  EXPECT_TRUE(Enabler.OnWow64());
  EXPECT_TRUE(System.Calls.empty());
  EXPECT_TRUE(System.Boxes.empty());
  EXPECT_TRUE(System.Services.empty());
}

TEST(Cp1251ToUtf8, RussianLettersAndAscii) {
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xDF\xE0\xFF\xA8\xB8 a.\x80"), "АЯаяЁё a.?");
}

TEST(ExtractFilePath, KeepsUpToTheLastSeparator) {
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.exe"), "C:\\a\\");
  EXPECT_EQ(ExtractFilePath("C:b.exe"), "C:");
  EXPECT_EQ(ExtractFilePath("b.exe"), "");
}

TEST(Ports, ChipRegistersAndFaults) {
  TSimPlatform sim;
  sim.System.PortsGranted = true;
  sim.Chip.SetTemperatures(0xFF, 0);
  sim.Chip.Out(0x295, 0x50);
  EXPECT_EQ(sim.Chip.In(0x296), 255);
  sim.Chip.Out(0x295, 0x67);
  EXPECT_EQ(sim.Chip.In(0x296), 0);
  sim.Chip.FailAccess(1);
  EXPECT_THROW(sim.Chip.In(0x296), EPrivilegedInstruction);
  try {
    sim.Chip.Out(0x3F2, 0);
    sim.System.PortsGranted = false;
    sim.Chip.Out(0x3F2, 0);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Privileged instruction");
  }
}
