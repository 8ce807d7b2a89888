#pragma once
// Port access through PawnIO's signed LpcIO module, the 64-bit counterpart of giveio: PawnIO's
// device, the module (hw/LpcModule.h), and the Super I/O chip whose hardware monitor has its
// registers at 0x290. The ports themselves are the
// module's: this is also the bus the chip is read through.
#include <string>
#include <vector>

#include "hw/BusLock.h"
#include "hw/PortAccess.h"
#include "platform/Files.h"
#include "platform/PawnIo.h"

// The Winbond and Nuvoton chips whose monitor selects its bank at register 0x4E.
bool KnownMonitorChip(std::uint8_t chipId);

class TPawnIoAccess : public IPortAccess, private IPortBus {
 public:
  TPawnIoAccess(IPawnIo& library, ISystem& system, IRegistry& registry, IFiles& files);
  ~TPawnIoAccess() override;
  TPawnIoAccess(const TPawnIoAccess&) = delete;
  TPawnIoAccess& operator=(const TPawnIoAccess&) = delete;

  IPortBus& Bus() override { return *this; }
  // Each step that has not yet succeeded, in order: the device with the module, then the chip
  // (under the bus lock). The handle is kept for the run. Never pauses.
  bool EnablePortAccess() override;
  void EnableAfterResume() override;
  TReadingFault Fault() const override;

 private:
  std::uint8_t In(std::uint16_t port) override;
  void Out(std::uint16_t port, std::uint8_t value) override;
  [[noreturn]] void Refuse(std::uint16_t port);

  bool OpenDevice();
  // False while another monitor holds the bus: nothing was touched.
  bool FindChip();
  bool ChipOnSlot(std::uint64_t slot);
  // One of the module's functions: its result, or E_FAIL when it gave too few cells back.
  THResult Run(const char* name, std::vector<std::uint64_t> in, std::uint64_t* out = nullptr);
  bool Call(const char* name, std::vector<std::uint64_t> in, std::uint64_t* out = nullptr) {
    return Run(name, std::move(in), out) == S_OK;
  }

  IPawnIo& FLibrary;
  ISystem& FSystem;
  IRegistry& FRegistry;
  IFiles& FFiles;
  TBusLock FLock;
  HPawnIo FHandle = HPawnIo::None;
  // The driver answered its version (2.1 and later).
  bool FVersionKnown = false;
  bool FModuleLoaded = false;
  bool FChipFound = false;
  // The module's first call found no function of ours: a module before LpcIO 0.1.6.
  bool FModuleOld = false;
  // Refused since the chip was found: one of the monitor's ports (the chip lost its
  // configuration), or another one (the fan line's).
  bool FMonitorRefused = false;
  bool FOtherRefused = false;
  TReadingFault FFault = TReadingFault::PawnIoMissing;
};
