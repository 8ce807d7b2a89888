// The program linked with PawnIO, as the 64-bit product is: the chip read and the fan line
// driven through the LpcIO module, every cause of missing readings named in the tip, and the
// chip enabled again after a wake. The module's device and signature checks are the driver's:
// only the simulated machine can decide them (Wine has neither).
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/SimFixture.h"

namespace {
constexpr char kReadings[] = "CPU: 45\xC2\xB0\nMotherboard: 30\xC2\xB0\n";

std::size_t CallsNamed(const TSimPawnIo& pawnIo, const std::string& name) {
  return static_cast<std::size_t>(
      std::count_if(pawnIo.Calls.begin(), pawnIo.Calls.end(),
                    [&](const TPawnIoCall& c) { return c.Name == name; }));
}
}  // namespace

// Reads and the boost's hysteresis through the module, every call of it under the bus lock,
// and nothing written to the chip's configuration but the device select, nor to the monitor
// but its bank select.
TEST(PawnIo, ReadsAndBoostsThroughTheModule) {
  TSimProgram program;
  program.UsePawnIo();
  program.Sim.Chip.SetTemperatures(70, 40);
  program.Start();
  EXPECT_EQ(program.EntryTip(), "CPU: 70\xC2\xB0\nMotherboard: 40\xC2\xB0\nFan boost: on");
  program.Sim.Chip.SetTemperatures(60, 40);
  program.RunFor(5000);
  program.Sim.Chip.SetTemperatures(55, 40);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites(), (std::vector<std::uint8_t>{0x00, 0x00, 0x14}));
  EXPECT_EQ(program.Sim.PawnIo.Ranges(), (std::set<std::uint16_t>{0x290, 0x3F0}));

  const TSimPawnIo& pawnIo = program.Sim.PawnIo;
  EXPECT_EQ(pawnIo.OpenHandles(), 1);
  EXPECT_EQ(CallsNamed(pawnIo, "ioctl_pio_outb") + CallsNamed(pawnIo, "ioctl_pio_inb"),
            3u + 3 * 11);  // entering and leaving configuration, then three refreshes
  for (const TPawnIoCall& call : pawnIo.Calls) {
    SCOPED_TRACE(call.Name);
    EXPECT_TRUE(call.LockHeld);
    EXPECT_EQ(call.Result, S_OK);
    if (call.Name == "ioctl_superio_outb") {
      EXPECT_EQ(call.In[0], 0x07u);
    }
  }
  std::uint8_t index = 0;
  for (const TPortAccess& access : program.Sim.Chip.Log()) {
    if (access.Port == TSimChip::IndexPort && access.Write) index = access.Value;
    if (access.Port == TSimChip::DataPort && access.Write) {
      EXPECT_EQ(index, 0x4E);
    }
  }
}

// The fan line is the floppy controller's register: where the controller is inactive (LpcIO
// grants its ports all the same), lies elsewhere, or is missing, readings go on, the line is
// never written and stays unknown, and the tip says why, without a box or a pause.
TEST(PawnIo, AFloppyControllerUnfitForTheFanLineLeavesItUnknown) {
  using TBoard = void (*)(TSimSuperIo&);
  const std::pair<TBoard, const char*> cases[] = {
      {[](TSimSuperIo& s) { s.Devices[0x00].Active = false; },
       "No fan line: floppy controller disabled in firmware setup"},
      {[](TSimSuperIo& s) { s.Devices[0x00].Base = 0x370; },
       "No fan line: floppy controller not at 3F0 in firmware setup"},
      {[](TSimSuperIo& s) { s.Devices.erase(0x00); },
       "No fan line: floppy controller disabled in firmware setup"},
  };
  for (const auto& [board, line] : cases) {
    SCOPED_TRACE(line);
    TSimProgram program;
    program.UsePawnIo();
    board(program.Sim.PawnIo.SuperIo);
    program.Start();
    program.RunFor(60000);
    EXPECT_EQ(program.EntryTip(), std::string(kReadings) + "Fan boost: unknown\n" + line);
    EXPECT_TRUE(program.FanWrites().empty());
    EXPECT_EQ(program.Sim.System.Slept, 0u);
    EXPECT_TRUE(program.Sim.System.Boxes.empty());
    EXPECT_EQ(CallsNamed(program.Sim.PawnIo, "ioctl_find_bars"), 1u);  // not sought again
  }
}

// Each cause the tip names, and a machine that has none: never a box or a pause.
TEST(PawnIo, TheTipNamesWhyThereAreNoReadings) {
  using TMachine = void (*)(TSimProgram&);
  const std::pair<TMachine, const char*> cases[] = {
      {[](TSimProgram& p) {
         p.Sim.Registry.DeleteKey(HKEY_LOCAL_MACHINE, kPawnIoUninstallKey);
         p.Sim.PawnIo.DriverRunning = false;
       },
       "PawnIO is not installed: install it for readings"},
      {[](TSimProgram& p) {  // 1.0: no version answered, and the module cannot be taken
         p.Sim.PawnIo.DriverVersion = 0;
         p.Sim.PawnIo.FirstRelease = true;
       },
       "PawnIO is older than 2.0: update it"},
      {[](TSimProgram& p) { p.Sim.System.SplitRights = true; },  // and not elevated
       "PawnIO refused its device: run as administrator"},
      {[](TSimProgram& p) { p.Sim.PawnIo.DriverRunning = false; },
       "PawnIO driver not running: restart Windows or reinstall it"},
      {[](TSimProgram& p) {
         p.Sim.PawnIo.DriverRunning = false;  // no device: not a matter of rights
         p.Sim.System.SplitRights = true;
       },
       "PawnIO driver not running: restart Windows or reinstall it"},
      {[](TSimProgram& p) { p.Sim.System.AddFile(p.ModulePath(), TSimPawnIo::OldSignedModule); },
       "LpcIO.bin is too old: get PawnIO.Modules 0.2.10 or later"},
      {[](TSimProgram& p) { p.Sim.System.RemoveFile(p.ModulePath()); },
       "LpcIO.bin is missing beside kelvane.exe"},
      {[](TSimProgram& p) {
         p.Sim.System.AddFile(p.ModulePath(), {'L', 'p', 'c'});
       },
       "PawnIO refused LpcIO.bin: use the signed module"},
      {[](TSimProgram& p) { p.Sim.PawnIo.SuperIo.ChipId = 0xB4; },  // not of the family
       "No known monitor chip at 0x290 on this board"},
      {[](TSimProgram& p) { p.Sim.PawnIo.SuperIo.Devices[0x0B].Base = 0x2A0; },
       "No known monitor chip at 0x290 on this board"},
      {[](TSimProgram& p) { p.Sim.PawnIo.ChipSlot = 1; }, nullptr},       // the second slot reads
      {[](TSimProgram& p) { p.Sim.PawnIo.DriverVersion = 0; }, nullptr},  // 2.0 tells none
      {[](TSimProgram& p) {  // the device is what counts, not a record of it
         p.Sim.Registry.DeleteKey(HKEY_LOCAL_MACHINE, kPawnIoUninstallKey);
       },
       nullptr},
  };
  for (const auto& [machine, line] : cases) {
    SCOPED_TRACE(line ? line : "readings");
    TSimProgram program;
    program.UsePawnIo();
    machine(program);
    program.Start();
    program.RunFor(10000);
    std::string tip = program.EntryTip();
    if (line)
      EXPECT_EQ(tip.substr(tip.rfind('\n') + 1), line);
    else
      EXPECT_EQ(tip, std::string(kReadings) + "Fan boost: off");
    EXPECT_EQ(program.Sim.System.Slept, 0u);
    EXPECT_TRUE(program.Sim.System.Boxes.empty());
    EXPECT_LE(program.Sim.PawnIo.OpenHandles(), 1);
  }
}

// With no device to open, the records PawnIO's setups leave word the cause: 2.2's uninstall
// entry (64-bit view), 2.0's Install_Dir (32-bit view), the driver's service key.
TEST(PawnIo, ItsInstallRecordWordsAMissingDevice) {
  struct TCase {
    const char* Key;
    const char* Value;
    bool Installed;
  };
  const TCase cases[] = {
      {kPawnIoUninstallKey, "InstallLocation", true},
      {"SOFTWARE\\WOW6432Node\\PawnIO", "Install_Dir", true},
      {"SOFTWARE\\PawnIO", "Install_Dir", false},  // 2.0's value in the other view
      {"SYSTEM\\CurrentControlSet\\Services\\PawnIO", "ImagePath", true},
      {nullptr, nullptr, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Key ? c.Key : "none");
    TSimProgram program;
    program.UsePawnIo();
    program.Sim.PawnIo.DriverRunning = false;
    program.Sim.Registry.DeleteKey(HKEY_LOCAL_MACHINE, kPawnIoUninstallKey);
    if (c.Key) program.Sim.Registry.SetString(HKEY_LOCAL_MACHINE, c.Key, c.Value, "C:\\Tools");
    program.Start();
    EXPECT_EQ(program.EntryTip().substr(program.EntryTip().rfind('\n') + 1),
              c.Installed ? "PawnIO driver not running: restart Windows or reinstall it"
                          : "PawnIO is not installed: install it for readings");
  }
}

// Another program keeps the bus lock: nothing is read, and once the chip's ranges are known
// the fail-safe still boosts the fan, the line's writes made without the lock; before, nothing
// is touched (for 30 s: ASquatFromTheStartDelaysTheFailSafeBy30sAtMost).
TEST(PawnIo, TheFanIsBoostedWhileAnotherProgramKeepsTheBusLock) {
  for (bool chipFound : {true, false}) {
    SCOPED_TRACE(chipFound);
    TSimProgram program;
    program.UsePawnIo();
    if (!chipFound) program.Sim.System.HoldMutex(kBusMutexName);
    program.Start();
    program.RunFor(5000);
    program.Sim.System.HoldMutex(kBusMutexName);
    program.Sim.PawnIo.Calls.clear();
    program.RunFor(15000);  // the third refresh in a row without a reading boosts
    EXPECT_EQ(program.FanWrites().size(), chipFound ? 5u : 0u);
    if (chipFound) {
      EXPECT_EQ(program.FanWrites().back(), 0x00);
    }
    for (const TPawnIoCall& call : program.Sim.PawnIo.Calls) {
      SCOPED_TRACE(call.Name);
      EXPECT_EQ(call.Name, "ioctl_pio_outb");
      EXPECT_EQ(call.In[0], 0x3F2u);
    }
  }
}

// A wake from sleep finds the chip again and sets the fan line at once, without waiting for
// the next tick; a wake of a program on giveio refreshes at once too.
TEST(PawnIo, AResumeEnablesAgainAndWritesTheFanLineAtOnce) {
  for (bool pawnIo : {true, false}) {
    SCOPED_TRACE(pawnIo);
    TSimProgram program;
    if (pawnIo) program.UsePawnIo();
    TForm1& form = program.Start();
    program.RunFor(2000);
    std::size_t writes = program.FanWrites().size();
    std::size_t slotsSelected = CallsNamed(program.Sim.PawnIo, "ioctl_select_slot");
    program.Sim.Chip.SetTemperatures(80, 30);
    program.Sim.Windows.SendMessage(form.Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(program.Sim.Clock.Now(), 2000u);
    EXPECT_EQ(program.FanWrites().size(), writes + 1);
    EXPECT_EQ(program.FanWrites().back(), 0x00);
    EXPECT_EQ(program.EntryTip().substr(0, 9), "CPU: 80\xC2\xB0");
    EXPECT_EQ(CallsNamed(program.Sim.PawnIo, "ioctl_select_slot"), slotsSelected + pawnIo);
  }
}

// Another program takes the bus lock before the first search and keeps it: after 30 s without
// a break the chip is sought once without it, and the fail-safe boosts within its own time
// plus those 30 s. Without the lock only the chip's configuration is touched (the fan line's
// writes aside), never the monitor's ports; the tip says what was done.
TEST(PawnIo, ASquatFromTheStartDelaysTheFailSafeBy30sAtMost) {
  TSimProgram program;
  program.UsePawnIo();
  program.Sim.System.HoldMutex(kBusMutexName);
  program.Start();
  program.RunFor(15000);  // the fail-safe's time: the third refresh without a reading
  EXPECT_TRUE(program.FanWrites().empty());
  program.RunFor(kBusSquatMs);
  ASSERT_FALSE(program.FanWrites().empty());
  for (std::uint8_t value : program.FanWrites()) EXPECT_EQ(value, 0x00);
  EXPECT_EQ(program.EntryTip(),
            "CPU: no reading\nMotherboard: no reading\n"
            "Fan boost: on (no reading)\n"
            "No readings: bus lock kept 30 s; chip found without it");
  EXPECT_EQ(CallsNamed(program.Sim.PawnIo, "ioctl_find_bars"), 1u);
  for (const TPawnIoCall& call : program.Sim.PawnIo.Calls) {
    SCOPED_TRACE(call.Name);
    EXPECT_FALSE(call.LockHeld);
    EXPECT_NE(call.Name, "ioctl_pio_inb");
    if (call.Name == "ioctl_pio_outb") {
      EXPECT_TRUE(call.In[0] == 0x2E || call.In[0] == 0x3F2);
    }
  }

  program.Sim.System.ReleaseHeldMutex(kBusMutexName);
  program.RunFor(5000);
  EXPECT_EQ(program.EntryTip(), std::string(kReadings) + "Fan boost: off");
}

// A wake while another program keeps the bus lock: the chip is sought again only under the
// lock, but the fan line is written meanwhile through the ranges the handle was granted.
TEST(PawnIo, AResumeWhileTheBusLockIsKeptStillBoosts) {
  TSimProgram program;
  program.UsePawnIo();
  TForm1& form = program.Start();
  program.RunFor(5000);
  program.Sim.System.HoldMutex(kBusMutexName);
  program.Sim.PawnIo.Calls.clear();
  program.Sim.Windows.SendMessage(form.Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  program.RunFor(15000 + kBusSquatMs);
  EXPECT_EQ(program.FanWrites().back(), 0x00);
  EXPECT_EQ(CallsNamed(program.Sim.PawnIo, "ioctl_select_slot"), 0u);
  EXPECT_NE(program.EntryTip().find("Fan boost: on (no reading)\n"), std::string::npos);

  program.Sim.System.ReleaseHeldMutex(kBusMutexName);
  program.RunFor(5000);
  EXPECT_EQ(CallsNamed(program.Sim.PawnIo, "ioctl_select_slot"), 1u);
  EXPECT_EQ(program.EntryTip(), std::string(kReadings) + "Fan boost: off");
}
