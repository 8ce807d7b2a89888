#pragma once
// Port-access enablement through the "giveio" kernel driver.
#include <string>

#include "platform/System.h"

// 1 when ports are open to user programs without help (the 9x family), else 0.
int IsWin9x(ISystem& system);

// One per program, owned by whoever drives the ports, so that two programs in one process
// (tests) never share the driver name.
class TGiveIo {
 public:
  explicit TGiveIo(ISystem& system) : FSystem(system) {}
  TGiveIo(const TGiveIo&) = delete;
  TGiveIo& operator=(const TGiveIo&) = delete;

  // Registers, starts and opens the port driver where the system needs it. Safe to repeat;
  // silent except for the missing-driver box, which only the first call (at start-up) shows.
  // Leaves no handle open.
  void EnablePortAccess();
  // Set to "giveio" by each enablement on the NT path; service, display and device name.
  const std::string& DriverName() const { return FDriverName; }
  // This 32-bit program runs on 64-bit Windows, where no 32-bit kernel driver can load: the
  // enablement registers and starts nothing, and a refused access is not worth a pause.
  // Known from the first enablement on.
  bool OnWow64() const { return FWow64; }
  // The driver file beside the executable, or its folder, may be changed by users other than
  // administrators: it is neither registered nor started from there.
  bool DriverUnprotected() const { return FDriverUnprotected; }

 private:
  ISystem& FSystem;
  std::string FDriverName;
  bool FStarted = false;
  bool FWow64 = false;
  bool FDriverUnprotected = false;
};
