// The shared bus lock and one refresh's readings under it, on the simulated machine: the
// system-wide mutex is opened once and kept, waited for at most 250 ms each refresh, an
// abandoned one is ours, one that keeps us out leaves the chip alone, and it is released on
// every path.
#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "hw/BusLock.h"
#include "hw/SensorReadings.h"
#include "platform/Exception.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/FailingBus.h"

namespace {
const std::string kCreate = "CreateMutex(Global\\Access_ISABUS.HTP.Method)";
const std::vector<std::string> kFirstHold = {kCreate, "WaitForSingleObject(250)", "ReleaseMutex"};
const std::vector<std::string> kLaterHold = {"WaitForSingleObject(250)", "ReleaseMutex"};

struct BusLock : ::testing::Test {
  BusLock() {
    Sim.System.PortsGranted = true;
    Sim.Chip.SetTemperatures(47, 31);
  }
  // Not owned, and only the one handle the lock keeps.
  void ExpectNotHeld(int handles = 1) {
    EXPECT_FALSE(Sim.System.MutexOwned(kBusMutexName));
    EXPECT_EQ(Sim.System.MutexHandleCount(kBusMutexName), handles);
    EXPECT_EQ(Sim.System.OpenHandleCount(), static_cast<std::size_t>(handles));
  }
  TSensorReadings Read() { return ReadSensors(Sim.Chip, *Lock); }
  TSimPlatform Sim;
  std::unique_ptr<TBusLock> Lock = std::make_unique<TBusLock>(Sim.System);
};

}  // namespace

TEST_F(BusLock, OneHandleForTheLockLifeAndAllThreeReadsUnderEachHold) {
  for (int refresh = 0; refresh < 50; ++refresh) {
    Sim.System.Calls.clear();
    TSensorReadings r = Read();
    ASSERT_EQ(r.Cpu, 47);
    EXPECT_EQ(r.CpuForTray, 47);
    EXPECT_EQ(r.Motherboard, 31);
    EXPECT_FALSE(r.Refused || r.Skipped());
    EXPECT_EQ(Sim.System.Calls, refresh == 0 ? kFirstHold : kLaterHold);
    ExpectNotHeld();
  }
  EXPECT_EQ(Sim.Chip.AccessCount(), 500u);
  EXPECT_EQ(Sim.Clock.Now(), 0u);
  EXPECT_TRUE(Sim.System.MutexSharedWithEveryone(kBusMutexName));
  Lock.reset();
  ExpectNotHeld(0);
  EXPECT_FALSE(Sim.System.MutexExists(kBusMutexName));
}

TEST_F(BusLock, WaitsForAnOwnerThatLetsGoWithin250Ms) {
  for (std::uint64_t held : {1u, 100u, 250u}) {
    SCOPED_TRACE(held);
    std::uint64_t start = Sim.Clock.Now();
    Sim.System.HoldMutex(kBusMutexName, held);
    TSensorReadings r = Read();
    EXPECT_FALSE(r.Skipped());
    EXPECT_EQ(r.Motherboard, 31);
    EXPECT_EQ(Sim.Clock.Now(), start + held);  // the thread waited exactly that long
    ExpectNotHeld();
  }
}

TEST_F(BusLock, OwnerKeepingItLongerSkipsTheReadingsAfter250Ms) {
  for (std::optional<std::uint64_t> held : {std::optional<std::uint64_t>{251}, {12000}, {}}) {
    Sim.System.HoldMutex(kBusMutexName, held);
    std::uint64_t start = Sim.Clock.Now();
    TSensorReadings r = Read();
    EXPECT_TRUE(r.Skipped());
    EXPECT_FALSE(r.Refused);
    EXPECT_FALSE(r.Cpu || r.CpuForTray || r.Motherboard);
    EXPECT_EQ(Sim.Chip.AccessCount(), 0u);  // not a single chip port touched
    EXPECT_EQ(Sim.Clock.Now(), start + 250);
    // Not ours, so not released; the handle stays for the next refresh.
    EXPECT_EQ(std::count(Sim.System.Calls.begin(), Sim.System.Calls.end(), "ReleaseMutex"), 0);
    ExpectNotHeld();
    Sim.System.ReleaseHeldMutex(kBusMutexName);
    Sim.System.Calls.clear();
  }
}

TEST_F(BusLock, AbandonedMutexCountsAsTaken) {
  Sim.System.HoldMutex(kBusMutexName);
  Sim.System.AbandonMutex(kBusMutexName);
  TSensorReadings r = Read();
  EXPECT_FALSE(r.Skipped());
  EXPECT_EQ(r.Cpu, 47);
  EXPECT_EQ(Sim.Clock.Now(), 0u);
  EXPECT_EQ(Sim.System.Calls, kFirstHold);
  ExpectNotHeld();
  // Released for good: the next refresh has it at once.
  r = Read();
  EXPECT_EQ(r.Motherboard, 31);
  EXPECT_EQ(Sim.Clock.Now(), 0u);
}

// A mutex that exists but keeps us out, and a name no mutex can be made under (another kind
// of object has it, so every monitor reads without the lock), both leave the chip alone. No
// handle is kept, the mutex is asked for again at every refresh, and once the other object is
// gone the lock is ours as usual.
TEST_F(BusLock, MutexThatCannotBeHadIsAskedForAgainEachRefresh) {
  struct TCase {
    const char* Name;
    bool RefusesUs;  // else: another kind of object has the name
    TBusAccess Access;
  };
  const TCase cases[] = {{"keeps us out", true, TBusAccess::Refused},
                         {"an event has the name", false, TBusAccess::NameTaken}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSimPlatform sim;
    sim.System.PortsGranted = true;
    sim.Chip.SetTemperatures(47, 31);
    TBusLock lock(sim.System);
    if (c.RefusesUs)
      sim.System.HoldMutex(kBusMutexName, {}, true);
    else
      sim.System.OccupyName(kBusMutexName);
    for (int refresh = 0; refresh < 3; ++refresh) {
      sim.System.Calls.clear();
      std::uint64_t before = sim.Chip.AccessCount();
      TSensorReadings r = ReadSensors(sim.Chip, lock);
      EXPECT_EQ(r.Bus, c.Access);
      EXPECT_FALSE(r.Cpu || r.CpuForTray || r.Motherboard);
      EXPECT_EQ(sim.Chip.AccessCount() - before, 0u);
      EXPECT_EQ(sim.System.Calls, std::vector<std::string>{kCreate});
      EXPECT_EQ(sim.System.OpenHandleCount(), 0u);
      EXPECT_EQ(sim.Clock.Now(), 0u);  // nothing to wait for
    }
    if (c.RefusesUs)
      sim.System.ReleaseHeldMutex(kBusMutexName);
    else
      sim.System.FreeName(kBusMutexName);
    sim.System.Calls.clear();
    EXPECT_EQ(ReadSensors(sim.Chip, lock).Motherboard, 31);
    EXPECT_EQ(sim.System.Calls, kFirstHold);
    EXPECT_EQ(sim.System.MutexHandleCount(kBusMutexName), 1);
  }
}

// A refused access at each of the ten: readings up to it are kept, the rest left out, and
// the lock is released before the caller's recovery.
TEST_F(BusLock, RefusedAccessKeepsEarlierReadingsAndReleases) {
  for (std::uint64_t failing = 1; failing <= 10; ++failing) {
    SCOPED_TRACE(failing);
    Sim.System.Calls.clear();
    std::uint64_t before = Sim.Chip.AccessCount();
    Sim.Chip.FailAccess(failing);
    TSensorReadings r = Read();
    EXPECT_TRUE(r.Refused);
    EXPECT_EQ(r.Cpu.has_value(), failing > 4);
    EXPECT_EQ(r.CpuForTray.has_value(), failing > 8);
    EXPECT_FALSE(r.Motherboard.has_value());
    EXPECT_EQ(Sim.Chip.AccessCount() - before, failing);
    EXPECT_EQ(Sim.System.Calls, failing == 1 ? kFirstHold : kLaterHold);
    ExpectNotHeld();
  }
}

// Anything but a refused port is a fault of its own: it goes on to the caller, and the
// lock still comes back.
TEST_F(BusLock, OtherFaultsPassThroughAndStillRelease) {
  std::vector<std::function<void()>> faults = {[] { throw std::bad_alloc(); },
                                               [] { throw Exception("A bug"); },
                                               [] { throw std::logic_error("broken"); }};
  Read();
  for (auto& fault : faults) {
    TFailingBus bus(Sim.Chip);
    bus.FailAccess(6, fault);
    Sim.System.Calls.clear();
    EXPECT_ANY_THROW(ReadSensors(bus, *Lock));
    EXPECT_EQ(Sim.System.Calls, kLaterHold);
    ExpectNotHeld();
  }
  TFailingBus refused(Sim.Chip);
  refused.FailAccess(6, [] { throw EPrivilegedInstruction(); });
  EXPECT_TRUE(ReadSensors(refused, *Lock).Refused);
}
