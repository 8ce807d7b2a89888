#pragma once
// Port-access enablement through the "giveio" kernel driver.
#include <string>

#include "hw/LoadPlace.h"
#include "hw/PortAccess.h"
#include "platform/System.h"

// 1 when ports are open to user programs without help (the 9x family), else 0.
int IsWin9x(ISystem& system);

// One per program, owned by whoever drives the ports, so that two programs in one process
// (tests) never share the driver name.
class TGiveIo : public IPortAccess {
 public:
  // `ports`: the processor's port instructions, which the driver opens.
  TGiveIo(ISystem& system, IPortBus& ports) : FSystem(system), FPorts(ports) {}
  TGiveIo(const TGiveIo&) = delete;
  TGiveIo& operator=(const TGiveIo&) = delete;

  IPortBus& Bus() override { return FPorts; }

  // Registers, starts and opens the port driver where the system needs it. Safe to repeat;
  // silent except for the missing-driver box (or, where the executable's path cannot be used,
  // a box that says so), which only the first call (at start-up) shows.
  // Registering and starting are tried once a run (again only once a missing driver file has
  // appeared): a retry opens the device. Leaves no handle open. True when it started the
  // driver just now, which may need a moment before the ports answer.
  bool EnablePortAccess() override;
  // Set to "giveio" by each enablement on the NT path; service, display and device name.
  const std::string& DriverName() const { return FDriverName; }
  // This 32-bit program runs on 64-bit Windows, where no 32-bit kernel driver can load: the
  // enablement registers and starts nothing, and a refused access is not worth a pause.
  // Known from the first enablement on.
  bool OnWow64() const { return FWow64; }
  // What keeps the driver from serving us (None: nothing known). Known from the first
  // enablement on; the device's part from each one.
  TReadingFault Problem() const {
    return FDeviceProblem != TReadingFault::None ? FDeviceProblem : FPlaceProblem;
  }
  // The problem as the tray's tip names it; plain refused ports when nothing else is known.
  TReadingFault Fault() const override;

 private:
  // True when the service was started by this call. `place`: the rule's verdict on the driver
  // beside the executable.
  bool RegisterAndStart(HService manager, const TLoadCheck& place);
  // Opens the device, and keeps it for the system and administrators.
  void OpenDevice();

  ISystem& FSystem;
  IPortBus& FPorts;
  std::string FDriverName;
  bool FStarted = false;
  bool FWow64 = false;
  // What the last registering and starting met (DriverUnprotected, RegistrationUnprotected,
  // PathUnusable), and what the last open of the device did (DeviceRefused, while the driver
  // runs but its device keeps us out; DeviceUnprotected, when its list could not be set: the
  // device was closed again, and the ports are ours).
  TReadingFault FPlaceProblem = TReadingFault::None;
  TReadingFault FDeviceProblem = TReadingFault::None;
  // The driver file was missing when registering and starting were last tried.
  bool FDriverMissing = false;
};
