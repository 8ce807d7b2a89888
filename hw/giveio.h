#pragma once
// Port-access enablement through the "giveio" kernel driver.
#include <string>

#include "hw/PortAccess.h"
#include "platform/System.h"

// 1 when ports are open to user programs without help (the 9x family), else 0.
int IsWin9x(ISystem& system);

// True when the list lets users other than administrators change what it guards: replace or
// delete a file, or, for a folder, also put files in it and take them out. A null list does.
bool WritableByStandardUsers(const TAccessList& list, bool folder);

// One per program, owned by whoever drives the ports, so that two programs in one process
// (tests) never share the driver name.
class TGiveIo : public IPortAccess {
 public:
  explicit TGiveIo(ISystem& system) : FSystem(system) {}
  TGiveIo(const TGiveIo&) = delete;
  TGiveIo& operator=(const TGiveIo&) = delete;

  // Registers, starts and opens the port driver where the system needs it. Safe to repeat;
  // silent except for the missing-driver box, which only the first call (at start-up) shows.
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
  // The driver file beside the executable, or its folder, may be changed by users other than
  // administrators: it is neither registered nor started from there.
  bool DriverUnprotected() const { return FDriverUnprotected; }
  TReadingFault Fault() const override {
    return FWow64               ? TReadingFault::Wow64
           : FDriverUnprotected ? TReadingFault::DriverUnprotected
                                : TReadingFault::PortsRefused;
  }

 private:
  // False when the driver beside the executable, or its folder, is not safe to load from.
  bool DriverProtected(const std::string& driverPath, bool present);
  // True when the service was started by this call.
  bool RegisterAndStart(HService manager, const std::string& driverPath);

  ISystem& FSystem;
  std::string FDriverName;
  bool FStarted = false;
  bool FWow64 = false;
  bool FDriverUnprotected = false;
  // The driver file was missing when registering and starting were last tried.
  bool FDriverMissing = false;
  // This run registered the service, with the driver file beside the executable.
  bool FRegisteredHere = false;
};
