#pragma once
// The lock that hardware monitors share around the chip's index/data port pair: one
// system-wide named mutex. Held for one refresh's register sequences, so no other tool
// selects another register between our index write and data access.
#include <cstdint>

#include "platform/Owned.h"
#include "platform/System.h"

inline constexpr char kBusMutexName[] = "Global\\Access_ISABUS.HTP.Method";
inline constexpr std::uint32_t kBusLockWaitMs = 250;

// What one refresh may do with the chip: read it only while the lock is Held. Whenever the
// lock cannot be had, another monitor may be reading the chip, or be about to.
enum class TBusAccess {
  Held,       // ours until Release
  Busy,       // another monitor kept it past the wait
  Refused,    // another monitor's mutex that keeps us out
  NameTaken,  // another kind of object has the lock's name: no monitor can make the lock
  Failed      // the lock cannot be had for another reason
};

// Lives as long as the program: the mutex is opened once and kept, and waited for and
// released each refresh. One that could not be had is asked for again at the next refresh,
// since the monitor that made it may have ended (or one may have started).
class TBusLock {
 public:
  explicit TBusLock(ISystem& system) : FSystem(system), FHandle(system) {}
  TBusLock(const TBusLock&) = delete;
  TBusLock& operator=(const TBusLock&) = delete;

  // Waits at most kBusLockWaitMs. After Held, Release must follow.
  TBusAccess Acquire();
  void Release();

  // Holds the bus for a scope, when it can be had; releases on every path.
  class THold {
   public:
    explicit THold(TBusLock& lock) : FLock(lock), FAccess(lock.Acquire()) {}
    ~THold() {
      if (FAccess == TBusAccess::Held) FLock.Release();
    }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;
    TBusAccess Access() const { return FAccess; }
    bool MayRead() const { return FAccess == TBusAccess::Held; }

   private:
    TBusLock& FLock;
    TBusAccess FAccess;
  };

 private:
  ISystem& FSystem;
  TOwnedKernelObject FHandle;
};
