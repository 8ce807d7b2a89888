// Port-access enablement against the simulated service manager and device namespace.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Strings.h"
#include "hw/giveio.h"
#include "platform/Exception.h"
#include "platform/sim/SimPlatform.h"

namespace {
const std::string kExeDir = "C:\\Program Files\\Kelvane\\";
const std::string kDriver = kExeDir + "giveio.sys";
const std::string kOpenDevice = "CreateFile(\\\\.\\giveio,2147745792,0,3,128)";
constexpr char kUsers[] = "S-1-5-32-545";
const TAccessList kAdministratorsOnly{
    false, {{true, GENERIC_ALL, "S-1-5-18", false}, {true, GENERIC_ALL, "S-1-5-32-544", false}}};

// The list of a folder or file that a setup made, with one more entry.
TAccessList ProtectedAnd(TAccessEntry entry) {
  TAccessList list = TSimSystem::ProtectedList;
  list.Entries.push_back(std::move(entry));
  return list;
}

std::size_t CountOf(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

struct GiveIo : ::testing::Test {
  TSimPlatform Sim;
  TSimSystem& System = Sim.System;
  TGiveIo Enabler{System};
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
      "OpenSCManager(2)",   "CreateService(giveio,giveio,983551,1,3,1," + kDriver + ")",
      "CloseServiceHandle", "OpenService(giveio,983551)",
      "StartService",       "CloseServiceHandle",
      kOpenDevice,          "SetDeviceAccessList",
      "CloseHandle",        "CloseServiceHandle",
  };
  EXPECT_EQ(System.Calls, expected);
  // From now on only the system and administrators may open the device and get the ports.
  EXPECT_EQ(System.DeviceAccessLists["giveio"], kAdministratorsOnly);
  EXPECT_FALSE(Enabler.DriverUnprotected());
  EXPECT_EQ(Enabler.DriverName(), "giveio");
  EXPECT_TRUE(System.PortsGranted);
  EXPECT_TRUE(System.Boxes.empty());
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}

TEST_F(GiveIo, LaterRunsFindTheServiceRegisteredAndRunning) {
  System.AddFile(kDriver);
  for (int run = 0; run < 50; ++run) {
    TGiveIo later(System);
    EXPECT_EQ(later.EnablePortAccess(), run == 0);
  }
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

// Each owner has its own name: an enablement on the NT family leaves nothing behind for the
// next program in the same process, which on the 9x family never sets it.
TEST_F(GiveIo, DriverNameBelongsToItsOwner) {
  System.AddFile(kDriver);
  {
    TGiveIo first(System);
    first.EnablePortAccess();
    EXPECT_EQ(first.DriverName(), "giveio");
  }
  System.Selector = 0x0137;
  TGiveIo second(System);
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

// What users other than administrators may change, by entry: a file's data, its list, its
// owner or the file itself; in a folder, also what it holds. Entries for the system and
// administrators, denials and entries only for what a folder will hold count for nothing.
TEST(WritableByStandardUsers, ByEntry) {
  struct TCase {
    TAccessEntry Entry;
    bool File;
    bool Folder;
  };
  const TCase cases[] = {
      {{true, 0x001200A9, kUsers, false}, false, false},  // read and run
      {{true, 0x001301BF, kUsers, false}, true, true},    // modify
      {{true, FILE_WRITE_DATA, "S-1-5-11", false}, true, true},
      {{true, FILE_APPEND_DATA, "S-1-1-0", false}, true, true},
      {{true, DELETE, "S-1-5-4", false}, true, true},
      {{true, GENERIC_WRITE, kUsers, false}, true, true},
      {{true, GENERIC_ALL, "S-1-1-0", false}, true, true},
      {{true, WRITE_DAC, kUsers, false}, true, true},
      {{true, WRITE_OWNER, kUsers, false}, true, true},
      {{true, FILE_DELETE_CHILD, kUsers, false}, false, true},
      {{true, 0x0100, kUsers, false}, false, false},  // attributes only
      {{false, 0x001F01FF, kUsers, false}, false, false},
      {{true, GENERIC_ALL, kUsers, true}, false, false},
      {{true, GENERIC_ALL, "S-1-3-0", true}, false, false},  // creator owner, for what is made
      {{true, 0x001F01FF, "S-1-5-18", false}, false, false},
      {{true, 0x001F01FF, "S-1-5-32-544", false}, false, false},
      {{true, 0x001F01FF, "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", false},
       false,
       false},  // the installer service
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Entry.Sid + " " + std::to_string(c.Entry.Mask) + (c.Entry.Allow ? "" : " deny"));
    EXPECT_EQ(WritableByStandardUsers(ProtectedAnd(c.Entry), false), c.File);
    EXPECT_EQ(WritableByStandardUsers(ProtectedAnd(c.Entry), true), c.Folder);
  }
  EXPECT_FALSE(WritableByStandardUsers(TSimSystem::ProtectedList, true));
  EXPECT_TRUE(WritableByStandardUsers(TAccessList{true, {}}, false)) << "no list lets anyone in";
  EXPECT_FALSE(WritableByStandardUsers(TAccessList{false, {}}, true)) << "an empty one nobody";
}

// A driver that users could replace is not registered, nor started from there; a service
// another program registered is opened and started as ever.
TEST_F(GiveIo, DriverUsersCanReplaceIsNotRegistered) {
  struct TCase {
    const char* Name;
    std::string Path;
    TAccessList List;
    bool Registered;  // by another program, beforehand
  };
  const TCase cases[] = {
      {"users may write the folder", kExeDir, ProtectedAnd({true, 0x001301BF, kUsers, false}),
       false},
      {"users may write the file", kDriver, ProtectedAnd({true, GENERIC_WRITE, "S-1-1-0", false}),
       false},
      {"the folder has no list", kExeDir, {true, {}}, false},
      {"registered before by another program", kExeDir, {true, {}}, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSimPlatform sim;
    sim.System.AddFile(kDriver);
    std::string path = c.Path.back() == '\\' ? c.Path.substr(0, c.Path.size() - 1) : c.Path;
    sim.System.SetAccessList(path, c.List);
    if (c.Registered)
      sim.System.Services["giveio"].Params.BinaryPath = "C:\\Windows\\System32\\giveio.sys";
    sim.System.AddFile("C:\\Windows\\System32\\giveio.sys");
    TGiveIo enabler(sim.System);
    EXPECT_EQ(enabler.EnablePortAccess(), c.Registered);
    EXPECT_TRUE(enabler.DriverUnprotected());
    EXPECT_EQ(CountOf(sim.System.Calls, "CreateService"), 0u);
    EXPECT_EQ(sim.System.Services.size(), c.Registered ? 1u : 0u);
    EXPECT_EQ(sim.System.PortsGranted, c.Registered);
    EXPECT_TRUE(sim.System.Boxes.empty());
    EXPECT_EQ(sim.System.OpenHandleCount(), 0u);
  }
}

// A refused registration or start is not tried again in the run: a retry opens the device.
// A driver file that was missing and has appeared since is worth one more try.
TEST_F(GiveIo, RefusedServiceIsNotTriedAgainUntilTheDriverAppears) {
  struct TCase {
    const char* Name;
    bool Present;
    bool ManagerRefused;
    bool Loads;
  };
  const TCase cases[] = {{"driver file missing", false, false, true},
                         {"no right to the manager", true, true, true},
                         {"driver does not load", true, false, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSimPlatform sim;
    if (c.Present) sim.System.AddFile(kDriver);
    sim.System.ManagerRefused = c.ManagerRefused;
    sim.System.DriverLoads = c.Loads;
    TGiveIo enabler(sim.System);
    EXPECT_FALSE(enabler.EnablePortAccess());
    for (int retry = 0; retry < 3; ++retry) {
      sim.System.Calls.clear();
      EXPECT_FALSE(enabler.EnablePortAccess());
      EXPECT_EQ(sim.System.Calls, std::vector<std::string>{kOpenDevice});
    }
    EXPECT_FALSE(sim.System.PortsGranted);
    if (c.Present) continue;
    sim.System.AddFile(kDriver);
    EXPECT_TRUE(enabler.EnablePortAccess()) << "started once the file is there";
    EXPECT_TRUE(sim.System.PortsGranted);
    EXPECT_FALSE(enabler.EnablePortAccess());
    EXPECT_EQ(CountOf(sim.System.Calls, "StartService"), 1u);
    EXPECT_EQ(sim.System.Boxes.size(), 1u);
  }
}

// Registered while the file was missing (from a folder only administrators may change), the
// service is not started once a file appears there that users may replace.
TEST_F(GiveIo, DriverThatAppearsReplaceableIsNotStarted) {
  Enabler.EnablePortAccess();
  ASSERT_EQ(System.Services.count("giveio"), 1u);
  System.AddFile(kDriver);
  System.SetAccessList(kDriver, ProtectedAnd({true, 0x001301BF, kUsers, false}));
  EXPECT_FALSE(Enabler.EnablePortAccess());
  EXPECT_TRUE(Enabler.DriverUnprotected());
  EXPECT_FALSE(System.Services["giveio"].Running);
  EXPECT_EQ(CountOf(System.Calls, "StartService"), 1u) << "only the first, of the missing file";
}

// Where rights are split, only an elevated process registers and starts the driver; the
// device it opened is closed to every process but the system's and administrators' (as a
// standard user's later run finds it). Wine runs everything as administrator: it cannot
// decide this.
TEST_F(GiveIo, OnlyAnElevatedProcessStartsTheDriverAndItsDeviceStaysTheirs) {
  System.AddFile(kDriver);
  System.SplitRights = true;
  EXPECT_FALSE(Enabler.EnablePortAccess());
  EXPECT_EQ(System.Calls[0], "OpenSCManager(2)");
  EXPECT_EQ(System.Calls[1], "OpenService(giveio,983551)");
  EXPECT_TRUE(System.Services.empty());
  // Connected with a user's rights, the service's full rights are refused as well.
  System.Services["giveio"].Params.BinaryPath = kDriver;
  HService manager = System.OpenSCManager(0x0001);
  ASSERT_NE(manager, HService::None);
  EXPECT_EQ(System.OpenService(manager, "giveio", SERVICE_ALL_ACCESS), HService::None);
  HService query = System.OpenService(manager, "giveio", 0x0004);
  EXPECT_NE(query, HService::None);
  System.CloseServiceHandle(query);
  System.CloseServiceHandle(manager);
  System.Services.clear();

  Sim.Windows.ElevatedProcesses.insert(System.CurrentProcessId());
  TGiveIo elevated(System);
  EXPECT_TRUE(elevated.EnablePortAccess());
  EXPECT_TRUE(System.PortsGranted);
  EXPECT_EQ(System.DeviceAccessLists["giveio"], kAdministratorsOnly);

  Sim.Windows.ElevatedProcesses.clear();
  System.PortsGranted = false;
  EXPECT_EQ(
      System.CreateFile("\\\\.\\giveio", GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL),
      THandle::None);
  TGiveIo standardUser(System);
  standardUser.EnablePortAccess();
  EXPECT_FALSE(System.PortsGranted);
  EXPECT_EQ(System.OpenHandleCount(), 0u);
}
