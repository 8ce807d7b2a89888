#include "hw/BusLock.h"

TBusAccess TBusLock::Acquire() {
  if (!FHandle) {
    // Made by us, it opens to monitors running as other users or as services too.
    TMutexOpening opening = TMutexOpening::Failed;
    FHandle.Reset(FSystem.CreateMutex(kBusMutexName, TMutexSharing::Everyone, &opening));
    if (!FHandle)
      return opening == TMutexOpening::Refused       ? TBusAccess::Refused
             : opening == TMutexOpening::OtherObject ? TBusAccess::NameTaken
                                                     : TBusAccess::Failed;
  }
  switch (FSystem.WaitForSingleObject(FHandle.Get(), kBusLockWaitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // an owner that ended without releasing leaves the bus to us
      return TBusAccess::Held;
    case WAIT_TIMEOUT:
      return TBusAccess::Busy;
    default:
      // A handle that cannot be waited on is of no use: open the mutex afresh next time,
      // and touch nothing meanwhile.
      FHandle.Reset();
      return TBusAccess::Busy;
  }
}

void TBusLock::Release() { FSystem.ReleaseMutex(FHandle.Get()); }
