#pragma once
// What makes the chip's ports reachable, and says why they are not. Each executable links one
// (the giveio driver over the processor's port instructions, PawnIO's LpcIO module, or the
// demo's simulated chip, which needs nothing) and hands it to the main window.
#include "hw/BusLock.h"
#include "hw/SensorReadings.h"
#include "platform/Ports.h"

// Why the latest refresh could not read the chip, or drive the fan line. Each cause has its
// line in the tray's tip: FaultLine.
enum class TReadingFault {
  None,
  PortsRefused,             // the port driver is not running
  Wow64,                    // 64-bit Windows: no 32-bit port driver can load
  BusHeld,                  // another monitor holds the sensor bus
  BusNameTaken,             // another kind of object has the bus lock's name
  BusLockFailed,            // the bus lock cannot be had for another reason
  BusSquatted,              // another kept the bus lock 30 s: the chip was sought without it
  DriverUnprotected,        // the driver lies where other users could replace it: not started
  RegistrationUnprotected,  // the driver registered before lies where others could replace it
  DeviceRefused,            // the driver runs, but its device refused our open
  PathUnusable,             // the executable's path cannot be used for the driver's
  DeviceUnprotected,   // read, but the driver's device could not be protected: open to all users
  DriverStopped,       // read, but the driver's device could not be protected: driver stopped
  PawnIoMissing,       // PawnIO is not installed
  PawnIoOld,           // PawnIO before 2.0: its driver takes no module of today
  PawnIoDenied,        // PawnIO's device refused this process (not elevated)
  PawnIoNoDriver,      // PawnIO's device cannot be opened: its driver does not run
  ModuleMissing,       // no LpcIO.bin beside the executable
  ModuleRefused,       // PawnIO refused LpcIO.bin
  ModuleOld,           // LpcIO.bin lacks the functions of LpcIO 0.1.6 and later
  BesideUnprotected,   // read through the embedded module: others may change LpcIO.bin beside
  BesideRefused,       // read through the embedded module: PawnIO refused LpcIO.bin beside
  BesideOld,           // read through the embedded module: LpcIO.bin beside is too old
  NoChip,              // no known monitor chip with its registers at 0x290
  FanLineUnreachable,  // the chip reads, but no logical device holds the fan line's port
  FloppyDisabled,      // the floppy controller, whose register the fan line is, is inactive
  FloppyMoved,         // the floppy controller's base is not 0x3F0
  Last = FloppyMoved
};

// The tip's line for a cause, short enough that the whole tip stays within the shell's 127
// characters; null for None.
const char* FaultLine(TReadingFault fault);

// The cause the tip names after a refresh, from the enablement's Fault(): the bus's cause when
// the refresh was kept out, the enablement's beside a refused access, and some causes while the
// fan line cannot be written or even while the readings come; None otherwise.
TReadingFault TipFault(TReadingFault fault, const TSensorReadings& readings, bool fanWritten);

// Why a refresh that could not have the bus lock read nothing.
TReadingFault BusFault(TBusAccess access);

class IPortAccess {
 public:
  virtual ~IPortAccess() = default;
  // The bus the chip and the fan line are reached through, for the program's life.
  virtual IPortBus& Bus() = 0;
  // Makes the ports reachable. Called once at start-up and again after every refresh with a
  // refused access, so it must be safe to repeat and cheap when nothing has changed; it
  // reports nothing by its return. True only when it has just started something that needs a
  // moment before the ports answer (the caller then pauses once); false otherwise, whether
  // the ports are reachable now or not.
  virtual bool EnablePortAccess() = 0;
  // After a resume from sleep or hibernation, which may have reset the chip's configuration.
  virtual void EnableAfterResume() {}
  // Why accesses are refused, as far as the enablement knows. After a refused access it is
  // never None: a refusal without a known cause is the access's general one (PortsRefused,
  // NoChip). Asked while accesses succeed it names a cause the tip keeps saying meanwhile
  // (DeviceUnprotected, FanLineUnreachable), or what a refusal would be put down to: the
  // caller shows it only beside a refusal, or for those two causes. None only for an access
  // that cannot be refused.
  virtual TReadingFault Fault() const = 0;
};

// Ports that need nothing enabled: the demo's simulated chip, a test's bus.
class TOpenPortAccess : public IPortAccess {
 public:
  explicit TOpenPortAccess(IPortBus& bus) : FBus(bus) {}
  IPortBus& Bus() override { return FBus; }
  bool EnablePortAccess() override { return false; }
  TReadingFault Fault() const override { return TReadingFault::None; }

 private:
  IPortBus& FBus;
};
