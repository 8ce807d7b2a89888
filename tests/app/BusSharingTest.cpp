// The whole program beside another hardware monitor that shares the chip's bus lock, and
// faults of the refresh that are not refused ports.
#include <gtest/gtest.h>

#include <new>

#include "app/Program.h"
#include "hw/BusLock.h"
#include "hw/giveio.h"
#include "platform/Exception.h"
#include "tests/support/FailingBus.h"
#include "tests/support/SimFixture.h"

namespace {
constexpr std::uint8_t kBoosted = 0x00;
constexpr std::uint8_t kNormal = 0x14;

bool ChipPort(const TPortAccess& a) { return a.Port == 0x295 || a.Port == 0x296; }

struct THold {
  std::uint64_t From;
  std::uint64_t For;
  // Which refreshes (by tick, 0 = at start) find the bus taken and skip their readings.
  std::vector<int> Skipped;
};
}  // namespace

// Ticks come at 5000, 10000, 15000 and 20000 ms. A refresh whose 250 ms wait ends before
// the other owner lets go reads nothing; one that falls after, or within its wait, reads.
TEST(BusSharing, HeldByAnotherToolSkipsExactlyTheRefreshesInside) {
  const THold holds[] = {
      {2000, 12000, {1, 2}},   // 2 s .. 14 s: the ticks at 5 s and 10 s
      {4900, 5250, {1}},       // ends 10150: the tick at 10 s waits 150 ms and reads
      {4900, 5360, {1, 2}},    // ends 10260: the tick at 10 s waits its 250 ms for nothing
      {4990, 100, {}},         // ends inside the tick's own wait
      {12000, 12000, {3, 4}},  // 12 s .. 24 s
  };
  for (const THold& hold : holds) {
    SCOPED_TRACE(hold.From);
    TSimProgram program;
    program.Sim.Chip.SetTemperatures(50, 30);
    TForm1& form = program.Start();  // fan normal, 50 shown
    program.RunFor(static_cast<std::uint32_t>(hold.From));
    program.Sim.System.HoldMutex(kBusMutexName, hold.For);
    // Hot enough to switch the boost on, the moment it is read.
    program.Sim.Chip.SetTemperatures(70, 40);
    std::size_t boxes = program.Sim.System.Boxes.size();
    for (int tick = 1; tick <= 4; ++tick) {
      if (tick * 5000u <= program.Sim.Clock.Now()) continue;  // before the hold
      program.Sim.Chip.ClearLog();
      std::size_t shellRequests = program.Sim.Shell.Requests.size();
      program.RunFor(static_cast<std::uint32_t>(tick * 5000 - program.Sim.Clock.Now()));
      const auto& log = program.Sim.Chip.Log();
      bool skipped = std::count(hold.Skipped.begin(), hold.Skipped.end(), tick) > 0;
      bool readYet = form.dgCurrentCPUTemp->Value() == 70;
      if (skipped) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(std::count_if(log.begin(), log.end(), ChipPort), 0);
        EXPECT_EQ(program.Sim.Clock.Now(), tick * 5000u + 250);  // waited its 250 ms
        ASSERT_EQ(log.size(), 1u);  // the fan write alone, decided on the last reading
        EXPECT_EQ(log[0].Port, 0x3F2);
        EXPECT_EQ(log[0].Value, readYet ? kBoosted : kNormal);
        EXPECT_EQ(form.TextTrayIcon1->Text(), readYet ? "70\xC2\xB0" : "50\xC2\xB0");
        EXPECT_EQ(form.dgCurrentMotherboardTemp->Value(), readYet ? 40 : 30);
        // At most one request: the same picture, and the hint saying why nothing was read,
        // the first time only.
        ASSERT_LE(program.Sim.Shell.Requests.size(), shellRequests + 1);
        EXPECT_NE(TSimShell::TipText(program.Sim.Shell.Requests.back().Data)
                      .find("\nNo readings: the sensor bus is held by another monitor"),
                  std::string::npos);
      } else {
        EXPECT_EQ(log.size(), 11u);
        EXPECT_EQ(form.TextTrayIcon1->Text(), "70\xC2\xB0");
        EXPECT_TRUE(form.Boosted());
      }
    }
    EXPECT_EQ(program.Sim.System.Boxes.size(), boxes);  // nothing is ever shown
    EXPECT_FALSE(program.Sim.System.MutexOwned(kBusMutexName));
    EXPECT_EQ(program.Sim.System.MutexHandleCount(kBusMutexName), 1);
  }
}

// A monitor running as a service made the bus mutex with rights that keep us out: no chip
// port is touched while it runs, the fan still follows the last reading, and the readings
// come back at the first refresh after it ends.
TEST(BusSharing, ALockThatKeepsUsOutLeavesTheChipAloneUntilItsOwnerEnds) {
  TSimProgram program;
  program.Sim.System.HoldMutex(kBusMutexName, {}, true);
  program.Sim.Chip.SetTemperatures(70, 30);
  TForm1& form = program.Start();
  for (int tick = 0; tick <= 3; ++tick) {
    SCOPED_TRACE(tick);
    if (tick > 0) {
      program.Sim.Chip.ClearLog();
      program.RunFor(5000);
    }
    const auto& log = program.Sim.Chip.Log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), ChipPort), 0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().Port, 0x3F2);  // the fan line is written as ever
    EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 0);
    EXPECT_EQ(form.TextTrayIcon1->Text(), "00\xC2\xB0");
  }
  EXPECT_EQ(program.Sim.Clock.Now(), 15000u);           // nothing waited for
  EXPECT_EQ(program.Sim.System.OpenHandleCount(), 2u);  // the controller's locks alone
  program.Sim.System.ReleaseHeldMutex(kBusMutexName);   // the other monitor ends
  program.Sim.Chip.ClearLog();
  program.RunFor(5000);
  EXPECT_EQ(program.Sim.Chip.Log().size(), 11u);
  EXPECT_EQ(form.TextTrayIcon1->Text(), "70\xC2\xB0");
  EXPECT_TRUE(form.Boosted());
  EXPECT_EQ(program.Sim.System.MutexHandleCount(kBusMutexName), 1);
  EXPECT_TRUE(program.Sim.System.MutexSharedWithEveryone(kBusMutexName));
}

// An event under the bus lock's name makes every monitor's create fail: any that then read
// without the lock would collide. The chip is left alone as when another monitor holds it, so
// from the third refresh without a reading the fan is boosted, and the tip says why; once the
// event is gone the readings come back. (Wine has such names too; the e2e test shows it.)
TEST(BusSharing, AnEventUnderTheLocksNameBoostsTheFanAndTheTipSaysWhy) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(50, 30);
  program.Sim.System.OccupyName(kBusMutexName);
  TForm1& form = program.Start();
  program.RunFor(3 * 5000);
  const auto& log = program.Sim.Chip.Log();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), ChipPort), 0);
  EXPECT_EQ(program.FanWrites().back(), kBoosted);
  EXPECT_TRUE(form.Boosted());
  EXPECT_EQ(program.EntryTip(),
            "CPU: no reading\nMotherboard: no reading\nFan boost: on (no reading)\n"
            "No readings: another object has the bus lock's name");
  EXPECT_EQ(program.Sim.System.Boxes.size(), 0u);
  program.Sim.System.FreeName(kBusMutexName);
  program.RunFor(5000);
  EXPECT_EQ(program.EntryTip(), "CPU: 50\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");
  EXPECT_EQ(program.FanWrites().back(), kNormal);
}

// The bus mutex is opened once: one handle through an hour of refreshes, none once the
// program has ended.
TEST(BusSharing, OneHandleOfTheBusMutexForTheProgramLife) {
  TSimProgram program;
  program.Start();
  program.RunFor(3600 * 1000u);
  const auto& calls = program.Sim.System.Calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "CreateMutex(Global\\Access_ISABUS.HTP.Method)"),
            1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "ReleaseMutex"), 720 + 1);
  EXPECT_EQ(program.Sim.System.MutexHandleCount(kBusMutexName), 1);
  program.Close();
  EXPECT_EQ(program.Sim.System.MutexHandleCount(kBusMutexName), 0);
  EXPECT_FALSE(program.Sim.System.MutexExists(kBusMutexName));
}

TEST(BusSharing, AnAbandonedLockIsTakenAndGivenBack) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(50, 30);
  TForm1& form = program.Start();
  program.Sim.System.HoldMutex(kBusMutexName);
  program.Sim.System.AbandonMutex(kBusMutexName);
  program.Sim.Chip.SetTemperatures(70, 40);
  program.Sim.Chip.ClearLog();
  program.RunFor(5000);
  EXPECT_EQ(program.Sim.Chip.Log().size(), 11u);
  EXPECT_EQ(form.TextTrayIcon1->Text(), "70\xC2\xB0");
  EXPECT_EQ(program.Sim.Clock.Now(), 5000u);  // no waiting
  EXPECT_FALSE(program.Sim.System.MutexOwned(kBusMutexName));
}

// Only a refused port is recovered from inside the refresh. Anything else is a fault that
// goes to the application's report: no enablement, no sleep, and the timer goes on.
TEST(BusSharing, OtherFaultsOfTheRefreshReachTheReport) {
  struct TCase {
    std::uint64_t Access;  // of the refresh at 5 s: 1..10 the chip, 11 the fan line
    std::function<void()> Fault;
    const char* Report;
  };
  const TCase cases[] = {
      {2, [] { throw std::bad_alloc(); }, "std::bad_alloc."},
      {10, [] { throw Exception("Broken chip model"); }, "Broken chip model."},
      {11, [] { throw std::logic_error("fan"); }, "fan."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Access);
    TSimPlatform sim;
    sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
    sim.Chip.SetTemperatures(70, 30);
    TFailingBus bus(sim.Chip);
    TPlatform platform{bus, sim.System, sim.Windows, sim.Gdi, sim.Registry, sim.Shell};
    TGiveIo programPorts(platform.System, platform.Ports);
    TProgram program(platform, programPorts);
    ASSERT_TRUE(program.Start());
    TForm1& form = *program.Form();
    ASSERT_TRUE(form.Boosted());
    sim.System.Calls.clear();
    sim.Chip.SetTemperatures(40, 30);
    bus.FailAccess(c.Access, c.Fault);
    sim.RunFor(5000);
    ASSERT_EQ(sim.System.Boxes.size(), 1u);
    EXPECT_EQ(sim.System.Boxes[0].Text, c.Report);
    EXPECT_EQ(sim.System.Boxes[0].Caption, "Kelvane");
    EXPECT_EQ(sim.System.Boxes[0].Flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(std::count(sim.System.Calls.begin(), sim.System.Calls.end(), "OpenSCManager(2)"), 0);
    EXPECT_EQ(sim.Clock.Now(), 5000u);
    EXPECT_FALSE(sim.System.MutexOwned(kBusMutexName));
    EXPECT_TRUE(form.Boosted());  // the refresh went no further
    sim.RunFor(5000);
    EXPECT_FALSE(form.Boosted());  // the next tick works as ever
    EXPECT_EQ(form.TextTrayIcon1->Text(), "40\xC2\xB0");
  }
}
