// The shared bus lock and one refresh's readings under it, on the simulated machine: the
// system-wide mutex is waited for at most 250 ms, an abandoned one is ours, and it is
// released and closed on every path.
#include <gtest/gtest.h>

#include <new>

#include "hw/BusLock.h"
#include "hw/SensorReadings.h"
#include "platform/Exception.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/FailingBus.h"

namespace {
const std::vector<std::string> kLockedOnce = {"CreateMutex(Global\\Access_ISABUS.HTP.Method)",
                                              "WaitForSingleObject(250)", "ReleaseMutex",
                                              "CloseHandle"};

struct BusLock : ::testing::Test {
  BusLock() {
    Sim.System.PortsGranted = true;
    Sim.Chip.SetTemperatures(47, 31);
  }
  // Nothing of the lock is left: not owned, no handle, and the name gone with the last one.
  void ExpectNothingHeld() {
    EXPECT_FALSE(Sim.System.MutexOwned(kBusMutexName));
    EXPECT_EQ(Sim.System.OpenHandleCount(), 0u);
  }
  TSimPlatform Sim;
};

}  // namespace

TEST_F(BusLock, FreeBusReadsAllThreeUnderOneHold) {
  TSensorReadings r = ReadSensors(Sim.Chip, Sim.System);
  EXPECT_EQ(r.Cpu, 47);
  EXPECT_EQ(r.CpuForTray, 47);
  EXPECT_EQ(r.Motherboard, 31);
  EXPECT_FALSE(r.Refused);
  EXPECT_FALSE(r.Skipped);
  EXPECT_EQ(Sim.System.Calls, kLockedOnce);
  EXPECT_EQ(Sim.Chip.AccessCount(), 10u);
  EXPECT_EQ(Sim.Clock.Now(), 0u);
  ExpectNothingHeld();
  EXPECT_FALSE(Sim.System.MutexExists(kBusMutexName));
}

TEST_F(BusLock, WaitsForAnOwnerThatLetsGoWithin250Ms) {
  for (std::uint64_t held : {1u, 100u, 250u}) {
    SCOPED_TRACE(held);
    std::uint64_t start = Sim.Clock.Now();
    Sim.System.HoldMutex(kBusMutexName, held);
    TSensorReadings r = ReadSensors(Sim.Chip, Sim.System);
    EXPECT_FALSE(r.Skipped);
    EXPECT_EQ(r.Motherboard, 31);
    EXPECT_EQ(Sim.Clock.Now(), start + held);  // the thread waited exactly that long
    ExpectNothingHeld();
  }
}

TEST_F(BusLock, OwnerKeepingItLongerSkipsTheReadingsAfter250Ms) {
  for (std::optional<std::uint64_t> held : {std::optional<std::uint64_t>{251}, {12000}, {}}) {
    Sim.System.HoldMutex(kBusMutexName, held);
    std::uint64_t start = Sim.Clock.Now();
    TSensorReadings r = ReadSensors(Sim.Chip, Sim.System);
    EXPECT_TRUE(r.Skipped);
    EXPECT_FALSE(r.Refused);
    EXPECT_FALSE(r.Cpu || r.CpuForTray || r.Motherboard);
    EXPECT_EQ(Sim.Chip.AccessCount(), 0u);  // not a single chip port touched
    EXPECT_EQ(Sim.Clock.Now(), start + 250);
    // Not ours, so not released; the handle is closed all the same.
    EXPECT_EQ(std::count(Sim.System.Calls.begin(), Sim.System.Calls.end(), "ReleaseMutex"), 0);
    ExpectNothingHeld();
    EXPECT_TRUE(Sim.System.MutexExists(kBusMutexName));  // the other owner still has it
    Sim.System.ReleaseHeldMutex(kBusMutexName);
    Sim.System.Calls.clear();
  }
}

TEST_F(BusLock, AbandonedMutexCountsAsTaken) {
  Sim.System.HoldMutex(kBusMutexName);
  Sim.System.AbandonMutex(kBusMutexName);
  TSensorReadings r = ReadSensors(Sim.Chip, Sim.System);
  EXPECT_FALSE(r.Skipped);
  EXPECT_EQ(r.Cpu, 47);
  EXPECT_EQ(Sim.Clock.Now(), 0u);
  EXPECT_EQ(Sim.System.Calls, kLockedOnce);
  ExpectNothingHeld();
  // Released for good: the next refresh has it at once.
  r = ReadSensors(Sim.Chip, Sim.System);
  EXPECT_EQ(r.Motherboard, 31);
  EXPECT_EQ(Sim.Clock.Now(), 0u);
}

// A refused access at each of the ten: readings up to it are kept, the rest left out, and
// the lock is released before the caller's recovery.
TEST_F(BusLock, RefusedAccessKeepsEarlierReadingsAndReleases) {
  for (std::uint64_t failing = 1; failing <= 10; ++failing) {
    SCOPED_TRACE(failing);
    Sim.System.Calls.clear();
    std::uint64_t before = Sim.Chip.AccessCount();
    Sim.Chip.FailAccess(failing);
    TSensorReadings r = ReadSensors(Sim.Chip, Sim.System);
    EXPECT_TRUE(r.Refused);
    EXPECT_EQ(r.Cpu.has_value(), failing > 4);
    EXPECT_EQ(r.CpuForTray.has_value(), failing > 8);
    EXPECT_FALSE(r.Motherboard.has_value());
    EXPECT_EQ(Sim.Chip.AccessCount() - before, failing);
    EXPECT_EQ(Sim.System.Calls, kLockedOnce);
    ExpectNothingHeld();
  }
}

// Anything but a refused port is a fault of its own: it goes on to the caller, and the
// lock still comes back.
TEST_F(BusLock, OtherFaultsPassThroughAndStillRelease) {
  std::vector<std::function<void()>> faults = {[] { throw std::bad_alloc(); },
                                               [] { throw Exception("A bug"); },
                                               [] { throw std::logic_error("broken"); }};
  for (auto& fault : faults) {
    TFailingBus bus(Sim.Chip);
    bus.FailAccess(6, fault);
    Sim.System.Calls.clear();
    EXPECT_ANY_THROW(ReadSensors(bus, Sim.System));
    EXPECT_EQ(Sim.System.Calls, kLockedOnce);
    ExpectNothingHeld();
  }
  TFailingBus refused(Sim.Chip);
  refused.FailAccess(6, [] { throw EPrivilegedInstruction(); });
  EXPECT_TRUE(ReadSensors(refused, Sim.System).Refused);
}

TEST_F(BusLock, ScopedLockOwnsUntilItsEnd) {
  {
    TBusLock lock(Sim.System);
    EXPECT_TRUE(lock.Granted());
    EXPECT_TRUE(Sim.System.MutexOwned(kBusMutexName));
  }
  ExpectNothingHeld();
}
