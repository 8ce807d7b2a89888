#pragma once
// One refresh's three register sequences, under the shared bus lock. The lock is released
// before this returns, so the caller's recovery (enablement, a second's sleep) runs without it.
#include <optional>

#include "hw/BusLock.h"
#include "platform/Ports.h"

struct TSensorReadings {
  // Each reading that completed, in the order made; after a refused access the rest are
  // empty. All empty when the bus was not had.
  std::optional<int> Cpu;
  std::optional<int> CpuForTray;  // a second, complete processor read
  std::optional<int> Motherboard;
  // An access was refused: port access needs enabling again.
  bool Refused = false;
  // The bus lock could not be had (another monitor kept it past the wait, or its lock keeps
  // us out, or the lock cannot be made): no chip port was touched.
  TBusAccess Bus = TBusAccess::Held;
  bool Skipped() const { return Bus != TBusAccess::Held; }
};

// Only a refused access is caught here; any other exception is a fault that goes on.
TSensorReadings ReadSensors(IPortBus& ports, TBusLock& lock);
