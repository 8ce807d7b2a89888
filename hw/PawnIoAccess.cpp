#include "hw/PawnIoAccess.h"

#include "hw/LpcModule.h"
#include "hw/PawnIoInstall.h"
#include "platform/Exception.h"

namespace {
constexpr std::uint32_t kLeastVersion = 0x020000;  // 2.0.0

constexpr std::uint64_t kSlots = 2;  // 0: the chip at 0x2E/0x2F, 1: the one at 0x4E/0x4F
constexpr std::uint8_t kEnterKey = 0x87;
constexpr std::uint8_t kLeaveKey = 0xAA;
constexpr std::uint8_t kDeviceSelect = 0x07;
constexpr std::uint8_t kChipIdRegister = 0x20;
constexpr std::uint8_t kBaseHigh = 0x60;
constexpr std::uint8_t kBaseLow = 0x61;
constexpr std::uint8_t kMonitorDevice = 0x0B;
constexpr std::uint16_t kMonitorBase = 0x290;

// The first byte of the chip's ID (register 0x20), for the hardware monitors that keep the
// register set read here: bank select at 0x4E, the processor's temperature at 0x50 of bank 1.
// Winbond's W83627HF line and its successors of the W83627EHF line (some sold as Nuvoton).
constexpr std::uint8_t kKnownChips[] = {
    0x52,  // W83627HF
    0x82,  // W83627THF
    0x70,  // W83637HF
    0x85,  // W83687THF
    0x60,  // W83697HF
    0x88,  // W83627EHF, W83627EHG
    0xA0,  // W83627DHG
    0xB0,  // W83627DHG-P
    0xA2,  // W83627UHG
    0xA5,  // W83667HG
    0xB3,  // W83667HG-B
};

std::uint64_t IndexPort(std::uint64_t slot) { return slot == 0 ? 0x2E : 0x4E; }

}  // namespace

bool KnownMonitorChip(std::uint8_t chipId) {
  for (std::uint8_t known : kKnownChips)
    if (chipId == known) return true;
  return false;
}

TPawnIoAccess::TPawnIoAccess(IPawnIo& library, ISystem& system, IRegistry& registry, IFiles& files)
    : FLibrary(library), FSystem(system), FRegistry(registry), FFiles(files), FLock(system) {}

TPawnIoAccess::~TPawnIoAccess() {
  if (FHandle != HPawnIo::None) FLibrary.Close(FHandle);
}

bool TPawnIoAccess::EnablePortAccess() {
  // Only a refused monitor port sends us to the chip again: the fan line's refusal is the
  // board's, and stays.
  if (OpenDevice() && (!FChipFound || FMonitorRefused)) FindChip();
  return false;
}

void TPawnIoAccess::EnableAfterResume() {
  FChipFound = false;
  EnablePortAccess();
}

TReadingFault TPawnIoAccess::Fault() const {
  if (FFault != TReadingFault::None) return FFault;
  return FOtherRefused && !FMonitorRefused ? TReadingFault::FanLineUnreachable
                                           : TReadingFault::NoChip;
}

// ---- the device -------------------------------------------------------------------

bool TPawnIoAccess::OpenDevice() {
  if (FModuleLoaded) return true;
  if (FHandle == HPawnIo::None) {
    THResult opened = FLibrary.Open(FHandle);
    if (opened != S_OK) {
      FHandle = HPawnIo::None;
      // Only the device's list keeps a process out; any other failure is a driver that does
      // not run (no device at all, or one that fails). The install record only words it.
      FFault = opened == E_ACCESSDENIED     ? TReadingFault::PawnIoDenied
               : PawnIoInstalled(FRegistry) ? TReadingFault::PawnIoNoDriver
                                            : TReadingFault::PawnIoMissing;
      return false;
    }
    // Drivers before 2.1 do not know the question: 2.0, or 1.0 (nothing on the device tells
    // them apart; 1.0's refuses the module, below).
    std::uint32_t version = 0;
    THResult asked = FLibrary.Version(FHandle, version);
    FVersionKnown = asked == S_OK;
    if (FVersionKnown && version < kLeastVersion) {
      FLibrary.Close(FHandle);
      FHandle = HPawnIo::None;
      FFault = TReadingFault::PawnIoOld;
      return false;
    }
  }
  std::vector<std::uint8_t> module;
  if (ReadLpcModule(FSystem, FFiles, module) == TLpcModuleSource::None) {
    FFault = TReadingFault::ModuleMissing;
    return false;
  }
  THResult loaded = FLibrary.Load(FHandle, module);
  FModuleLoaded = loaded == S_OK;
  if (!FModuleLoaded) {
    // A handle keeps the module it was given: the next try starts on a fresh one.
    FLibrary.Close(FHandle);
    FHandle = HPawnIo::None;
    // A verified module the VM cannot take, from a driver before 2.1: one that lacks the
    // natives LpcIO calls.
    FFault = !FVersionKnown && loaded == kPawnIoUnsuccessful ? TReadingFault::PawnIoOld
                                                             : TReadingFault::ModuleRefused;
  }
  return FModuleLoaded;
}

// ---- the chip ------------------------------------------------------------------

THResult TPawnIoAccess::Run(const char* name, std::vector<std::uint64_t> in, std::uint64_t* out) {
  std::size_t returned = 0;
  THResult result =
      FLibrary.Execute(FHandle, name, in.data(), in.size(), out, out ? 1 : 0, returned);
  return result != S_OK || returned == (out ? 1u : 0u) ? result : E_FAIL;
}

bool TPawnIoAccess::FindChip() {
  TBusLock::THold hold(FLock);
  if (!hold.MayRead()) {
    FFault = TReadingFault::BusHeld;
    return false;
  }
  FMonitorRefused = false;
  FOtherRefused = false;
  FChipFound = false;
  FModuleOld = false;
  // Selecting a slot forgets the ranges found on the other: the first chip that fits is kept.
  for (std::uint64_t slot = 0; slot < kSlots && !FChipFound && !FModuleOld; ++slot)
    FChipFound = ChipOnSlot(slot);
  FFault = FChipFound   ? TReadingFault::None
           : FModuleOld ? TReadingFault::ModuleOld
                        : TReadingFault::NoChip;
  return true;
}

bool TPawnIoAccess::ChipOnSlot(std::uint64_t slot) {
  THResult selected = Run("ioctl_select_slot", {slot});
  // LpcIO before 0.1.6 names its functions otherwise: the driver finds none of ours.
  FModuleOld = selected == kPawnIoNoSuchName;
  if (selected != S_OK) return false;
  std::uint64_t index = IndexPort(slot);
  if (!Call("ioctl_pio_outb", {index, kEnterKey}) || !Call("ioctl_pio_outb", {index, kEnterKey}))
    return false;
  std::uint64_t id = 0;
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  bool ours = Call("ioctl_superio_inb", {kChipIdRegister}, &id) &&
              KnownMonitorChip(static_cast<std::uint8_t>(id)) &&
              Call("ioctl_superio_outb", {kDeviceSelect, kMonitorDevice}) &&
              Call("ioctl_superio_inb", {kBaseHigh}, &high) &&
              Call("ioctl_superio_inb", {kBaseLow}, &low) && ((high << 8) | low) == kMonitorBase &&
              Call("ioctl_find_bars", {});
  Call("ioctl_pio_outb", {index, kLeaveKey});
  return ours;
}

// ---- the bus ---------------------------------------------------------------------

void TPawnIoAccess::Refuse(std::uint16_t port) {
  if ((port & 0xFFF8) == kMonitorBase)
    FMonitorRefused = true;
  else
    FOtherRefused = true;
  throw EPrivilegedInstruction();
}

std::uint8_t TPawnIoAccess::In(std::uint16_t port) {
  std::uint64_t value = 0;
  if (!FChipFound || !Call("ioctl_pio_inb", {port}, &value)) Refuse(port);
  return static_cast<std::uint8_t>(value);
}

void TPawnIoAccess::Out(std::uint16_t port, std::uint8_t value) {
  if ((port & 0xFFF8) == kMonitorBase) {
    if (!FChipFound || !Call("ioctl_pio_outb", {port, value})) Refuse(port);
    return;
  }
  // The monitor's accesses come under the refresh's hold of the bus; the fan line's write
  // comes after it. The line is the floppy controller's register, not the monitor's: once the
  // chip's ranges are known it is written without the lock when the lock cannot be had in
  // time, so that another program that keeps the lock cannot keep the fan from boosting.
  TBusLock::THold hold(FLock);
  if (!hold.MayRead() && !FChipFound) throw EPrivilegedInstruction();
  if (!FChipFound || !Call("ioctl_pio_outb", {port, value})) Refuse(port);
  FOtherRefused = false;
}
