#pragma once
// The lock that hardware monitors share around the chip's index/data port pair: one
// system-wide named mutex. Held for one refresh's register sequences, so no other tool
// selects another register between our index write and data access.
#include <cstdint>

#include "platform/System.h"

inline constexpr char kBusMutexName[] = "Global\\Access_ISABUS.HTP.Method";
inline constexpr std::uint32_t kBusLockWaitMs = 250;

// Scoped: waits for the mutex on construction, releases and closes it on destruction, on
// every path. The mutex is opened per refresh, so no handle outlives one.
class TBusLock {
 public:
  explicit TBusLock(ISystem& system);
  ~TBusLock();
  TBusLock(const TBusLock&) = delete;
  TBusLock& operator=(const TBusLock&) = delete;

  // False when another owner kept the bus past the wait: leave the chip alone this time.
  // True also when the mutex cannot be opened at all, since then nobody can share it.
  bool Granted() const { return FGranted; }

 private:
  ISystem& FSystem;
  THandle FHandle = 0;
  bool FOwned = false;
  bool FGranted = true;
};
