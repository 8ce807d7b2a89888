#include "hw/BusLock.h"

TBusLock::TBusLock(ISystem& system) : FSystem(system) {
  FHandle = FSystem.CreateMutex(kBusMutexName, nullptr);
  if (FHandle == 0) return;
  std::uint32_t result = FSystem.WaitForSingleObject(FHandle, kBusLockWaitMs);
  // An owner that ended without releasing leaves the mutex to us: the bus is ours.
  FOwned = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  FGranted = FOwned;
}

TBusLock::~TBusLock() {
  if (FOwned) FSystem.ReleaseMutex(FHandle);
  if (FHandle != 0) FSystem.CloseHandle(FHandle);
}
