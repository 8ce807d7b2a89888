#pragma once
// What makes the chip's ports reachable, and says why they are not: the giveio driver over the
// processor's port instructions, or PawnIO's LpcIO module. An executable that links PawnIO
// makes its port access current in the process state; the others use giveio.
#include "platform/Platform.h"

// Why the latest refresh could not read the chip, or drive the fan line.
enum class TReadingFault {
  None,
  PortsRefused,             // the port driver is not running
  Wow64,                    // 64-bit Windows: no 32-bit port driver can load
  BusHeld,                  // another monitor holds the sensor bus
  BusNameTaken,             // another kind of object has the bus lock's name
  BusLockFailed,            // the bus lock cannot be had for another reason
  DriverUnprotected,        // the driver lies where other users could replace it: not started
  RegistrationUnprotected,  // the driver registered before lies where others could replace it
  DeviceRefused,            // the driver runs, but its device refused our open
  PathUnusable,             // the executable's path cannot be used for the driver's
  DeviceUnprotected,   // read, but the driver's device could not be protected: open to all users
  DriverStopped,       // read, but the driver's device could not be protected: driver stopped
  PawnIoMissing,       // PawnIO is not installed
  PawnIoUnprotected,   // PawnIO's library lies where other users could replace it
  PawnIoOld,           // PawnIO before 2.0
  PawnIoDenied,        // PawnIO's device refused this process (not elevated)
  ModuleMissing,       // no LpcIO.bin beside the executable
  ModuleRefused,       // PawnIO refused LpcIO.bin
  NoChip,              // no known monitor chip with its registers at 0x290
  FanLineUnreachable,  // the chip reads, but no logical device holds the fan line's port
};

class IPortAccess {
 public:
  virtual ~IPortAccess() = default;
  // The bus the chip is reached through; null: the platform's own ports.
  virtual IPortBus* Bus() { return nullptr; }
  // Makes the ports reachable; safe to repeat. True when a moment's pause may help.
  virtual bool EnablePortAccess() = 0;
  // After a resume from sleep or hibernation, which may have reset the chip's configuration.
  virtual void EnableAfterResume() {}
  // Why accesses are refused, as far as the enablement knows.
  virtual TReadingFault Fault() const = 0;
  // Words for the causes only this access meets, each short enough for the tray's tip; null
  // for the others.
  virtual const char* Explain(TReadingFault) const { return nullptr; }
};

// The process's current port access, else `fallback`.
inline IPortAccess& ChosenPortAccess(TPlatform& platform, IPortAccess& fallback) {
  IPortAccess* current = platform.State.Current<IPortAccess>();
  return current ? *current : fallback;
}
