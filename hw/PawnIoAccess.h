#pragma once
// Port access through PawnIO's signed LpcIO module, the 64-bit counterpart of giveio: PawnIO's
// device, the module (hw/LpcModule.h), and the Super I/O chip whose hardware monitor has its
// registers at 0x290. The ports themselves are the module's: this is also the bus the chip is
// read through.
#include <optional>
#include <string>
#include <vector>

#include "hw/BusLock.h"
#include "hw/PortAccess.h"
#include "platform/Files.h"
#include "platform/PawnIo.h"

// The Winbond and Nuvoton chips whose monitor selects its bank at register 0x4E.
bool KnownMonitorChip(std::uint8_t chipId);

// Before the chip is known, a bus lock another has kept this long without a break is passed
// over for one search: a monitor holds it for milliseconds, so this is a squat that would
// otherwise keep the fail-safe from ever reaching the fan line.
inline constexpr std::uint32_t kBusSquatMs = 30000;

class TPawnIoAccess : public IPortAccess, private IPortBus {
 public:
  TPawnIoAccess(IPawnIo& device, ISystem& system, IRegistry& registry, IFiles& files);
  ~TPawnIoAccess() override;
  TPawnIoAccess(const TPawnIoAccess&) = delete;
  TPawnIoAccess& operator=(const TPawnIoAccess&) = delete;

  IPortBus& Bus() override { return *this; }
  // Each step that has not yet succeeded, in order: the device with the module, then the chip
  // (under the bus lock). The handle is kept for the run. Never pauses.
  bool EnablePortAccess() override;
  // The chip is sought again, but the ranges the handle was granted stay in use for the fan
  // line until a search has had the bus lock.
  void EnableAfterResume() override;
  TReadingFault Fault() const override;

 private:
  std::uint8_t In(std::uint16_t port) override;
  void Out(std::uint16_t port, std::uint8_t value) override;
  [[noreturn]] void Refuse(std::uint16_t port);

  bool OpenDevice();
  void CloseDevice();
  // False while another monitor holds the bus: nothing was touched.
  bool FindChip();
  // The bus lock was just missed: true once it has been missed for kBusSquatMs before the
  // chip is known (and then again only after as long again).
  bool SquatOutlasted();
  bool ChipOnSlot(std::uint64_t slot);
  // Whether the chip's floppy controller, logical device 0, makes the fan line's port: None,
  // FloppyDisabled, FloppyMoved, or FanLineUnreachable when it cannot be read.
  TReadingFault FloppyFault();
  // One of the module's functions: its result, or E_FAIL when it gave too few cells back.
  THResult Run(const char* name, std::vector<std::uint64_t> in, std::uint64_t* out = nullptr);
  bool Call(const char* name, std::vector<std::uint64_t> in, std::uint64_t* out = nullptr) {
    return Run(name, std::move(in), out) == S_OK;
  }

  IPawnIo& FDevice;
  ISystem& FSystem;
  IRegistry& FRegistry;
  IFiles& FFiles;
  TBusLock FLock;
  HPawnIo FHandle = HPawnIo::None;
  // The driver answered its version (2.1 and later).
  bool FVersionKnown = false;
  bool FModuleLoaded = false;
  // The module loaded is the file beside, and an embedded one could take its place.
  bool FEmbeddedStandsBy = false;
  // Why the file beside was passed over for the embedded module (BesideUnprotected,
  // BesideRefused, BesideOld); None while it may be tried.
  TReadingFault FBesideIgnored = TReadingFault::None;
  // The ranges for the chip are granted on the handle; the search may still be due again.
  bool FChipFound = false;
  bool FSearchDue = false;
  // The last search found the floppy controller unfit for the fan line: why.
  TReadingFault FFloppy = TReadingFault::None;
  // The module's first call found no function of ours: a module before LpcIO 0.1.6.
  bool FModuleOld = false;
  // Refused since the chip was found: one of the monitor's ports (the chip lost its
  // configuration), or another one (the fan line's).
  bool FMonitorRefused = false;
  bool FOtherRefused = false;
  // Since when our bus lock has been missed without a break, while the chip is unknown.
  std::optional<std::uint32_t> FLockMissedSince;
  // The chip was found without the lock, which has not been had since.
  bool FSquatted = false;
  TReadingFault FFault = TReadingFault::PawnIoMissing;
};
