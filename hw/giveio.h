#pragma once
// Port-access enablement through the "giveio" kernel driver.
#include <string>

#include "hw/LoadPlace.h"
#include "hw/PortAccess.h"
#include "platform/System.h"

// 1 when ports are open to user programs without help (the 9x family), else 0.
int IsWin9x(ISystem& system);

// What keeps the port driver from serving us, as far as the enablement knows.
enum class TDriverProblem {
  None,
  // giveio.sys beside the executable lies where other users may change it: neither
  // registered nor started.
  DriverUnprotected,
  // The service registered before, by whatever program, loads a file that other users may
  // change: not started.
  RegistrationUnprotected,
  // The device's list could not be set: the device, which gives the ports to whoever opens
  // it, stays open to every user while another's start keeps the driver running. It was
  // closed again; the ports are ours.
  DeviceUnprotected,
  // The same, but this run had started the driver: it was stopped again at once, so no other
  // user can open its device. The ports its opening gave us stay ours.
  DriverStopped,
  // The driver runs, but its device refused our open (its list keeps us out).
  DeviceRefused,
  // The executable's path cannot be read or resolved, so neither can the driver's.
  PathUnusable,
};

// One per program, owned by whoever drives the ports, so that two programs in one process
// (tests) never share the driver name.
class TGiveIo : public IPortAccess {
 public:
  explicit TGiveIo(ISystem& system) : FSystem(system) {}
  TGiveIo(const TGiveIo&) = delete;
  TGiveIo& operator=(const TGiveIo&) = delete;

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
  // Known from the first enablement on; the device's part from each one.
  TDriverProblem Problem() const {
    return FDeviceProblem != TDriverProblem::None ? FDeviceProblem : FPlaceProblem;
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
  std::string FDriverName;
  bool FStarted = false;
  bool FWow64 = false;
  // What the last registering and starting met, and what the last open of the device did.
  TDriverProblem FPlaceProblem = TDriverProblem::None;
  TDriverProblem FDeviceProblem = TDriverProblem::None;
  // The driver file was missing when registering and starting were last tried.
  bool FDriverMissing = false;
};
