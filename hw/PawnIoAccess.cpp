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
constexpr std::uint8_t kActivate = 0x30;
constexpr std::uint8_t kMonitorDevice = 0x0B;
constexpr std::uint16_t kMonitorBase = 0x290;
// The fan line (0x3F2) is the floppy controller's register.
constexpr std::uint8_t kFloppyDevice = 0x00;
constexpr std::uint16_t kFloppyBase = 0x3F0;

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

TPawnIoAccess::TPawnIoAccess(IPawnIo& device, ISystem& system, IRegistry& registry, IFiles& files)
    : FDevice(device), FSystem(system), FRegistry(registry), FFiles(files), FLock(system) {}

TPawnIoAccess::~TPawnIoAccess() {
  if (FHandle != HPawnIo::None) FDevice.Close(FHandle);
}

bool TPawnIoAccess::EnablePortAccess() {
  if (!OpenDevice()) return false;
  // Only a refused monitor port sends us to the chip again: the fan line's refusal is the
  // board's, and stays.
  if (!FChipFound || FMonitorRefused || FSearchDue) FindChip();
  if (FModuleOld && FEmbeddedStandsBy) {
    // A file beside without our functions gives way to the embedded module, on a fresh handle.
    FBesideIgnored = TReadingFault::BesideOld;
    CloseDevice();
    if (OpenDevice()) FindChip();
  }
  return false;
}

void TPawnIoAccess::EnableAfterResume() {
  FSearchDue = true;
  EnablePortAccess();
}

TReadingFault TPawnIoAccess::Fault() const {
  if (FFault != TReadingFault::None) return FFault;
  if (FMonitorRefused) return TReadingFault::NoChip;
  if (FFloppy != TReadingFault::None) return FFloppy;
  if (FOtherRefused) return TReadingFault::FanLineUnreachable;
  if (FSquatted) return TReadingFault::BusSquatted;
  if (FBesideIgnored != TReadingFault::None) return FBesideIgnored;
  return TReadingFault::NoChip;
}

// ---- the device -------------------------------------------------------------------

bool TPawnIoAccess::OpenDevice() {
  if (FModuleLoaded) return true;
  if (FHandle == HPawnIo::None) {
    THResult opened = FDevice.Open(FHandle);
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
    THResult asked = FDevice.Version(FHandle, version);
    FVersionKnown = asked == S_OK;
    if (FVersionKnown && version < kLeastVersion) {
      CloseDevice();
      FFault = TReadingFault::PawnIoOld;
      return false;
    }
  }
  TLpcModule module = ReadLpcModule(FSystem, FFiles, FBesideIgnored != TReadingFault::None);
  if (module.BesideUnprotected) FBesideIgnored = TReadingFault::BesideUnprotected;
  if (module.Source == TLpcModuleSource::None) {
    FFault = TReadingFault::ModuleMissing;
    return false;
  }
  bool beside = module.Source == TLpcModuleSource::Beside;
  THResult loaded = FDevice.Load(FHandle, module.Bytes);
  FModuleLoaded = loaded == S_OK;
  FEmbeddedStandsBy = FModuleLoaded && beside && module.Embedded;
  if (!FModuleLoaded) {
    // A handle keeps the module it was given: the next try starts on a fresh one.
    CloseDevice();
    // A verified module the VM cannot take, from a driver before 2.1: one that lacks the
    // natives LpcIO calls. No other module would fare better.
    if (!FVersionKnown && loaded == kPawnIoUnsuccessful) {
      FFault = TReadingFault::PawnIoOld;
      return false;
    }
    FFault = TReadingFault::ModuleRefused;
    if (beside && module.Embedded) {
      FBesideIgnored = TReadingFault::BesideRefused;
      return OpenDevice();
    }
  }
  return FModuleLoaded;
}

void TPawnIoAccess::CloseDevice() {
  FDevice.Close(FHandle);
  FHandle = HPawnIo::None;
  FModuleLoaded = false;
}

// ---- the chip ------------------------------------------------------------------

THResult TPawnIoAccess::Run(const char* name, std::vector<std::uint64_t> in, std::uint64_t* out) {
  std::size_t returned = 0;
  THResult result =
      FDevice.Execute(FHandle, name, in.data(), in.size(), out, out ? 1 : 0, returned);
  return result != S_OK || returned == (out ? 1u : 0u) ? result : E_FAIL;
}

bool TPawnIoAccess::FindChip() {
  TBusLock::THold hold(FLock);
  if (hold.MayRead()) {
    FLockMissedSince.reset();
  } else if (!SquatOutlasted()) {
    // After a resume the chip stays known, and the fan line is written meanwhile.
    if (!FChipFound) FFault = TReadingFault::BusHeld;
    return false;
  }
  FSquatted = !hold.MayRead();
  FSearchDue = false;
  FMonitorRefused = false;
  FOtherRefused = false;
  FChipFound = false;
  FModuleOld = false;
  FFloppy = TReadingFault::None;
  // Selecting a slot forgets the ranges found on the other: the first chip that fits is kept.
  for (std::uint64_t slot = 0; slot < kSlots && !FChipFound && !FModuleOld; ++slot)
    FChipFound = ChipOnSlot(slot);
  FFault = FChipFound   ? TReadingFault::None
           : FModuleOld ? TReadingFault::ModuleOld
                        : TReadingFault::NoChip;
  return true;
}

bool TPawnIoAccess::SquatOutlasted() {
  if (FChipFound) return false;
  std::uint32_t now = FSystem.TickCount();
  if (!FLockMissedSince) FLockMissedSince = now;
  if (now - *FLockMissedSince < kBusSquatMs) return false;
  FLockMissedSince = now;  // once: the next search without it only after as long again
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
  if (ours) FFloppy = FloppyFault();
  Call("ioctl_pio_outb", {index, kLeaveKey});
  return ours;
}

// LpcIO grants the controller's ports whenever its base reads 0x3F0, active or not, and a
// firmware setup that disables the controller often clears only its activation: the line's
// write would then succeed and switch nothing. find_bars leaves the last device selected.
TReadingFault TPawnIoAccess::FloppyFault() {
  std::uint64_t active = 0;
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  if (!Call("ioctl_superio_outb", {kDeviceSelect, kFloppyDevice}) ||
      !Call("ioctl_superio_inb", {kActivate}, &active) ||
      !Call("ioctl_superio_inb", {kBaseHigh}, &high) ||
      !Call("ioctl_superio_inb", {kBaseLow}, &low))
    return TReadingFault::FanLineUnreachable;
  if (!(active & 1)) return TReadingFault::FloppyDisabled;
  return ((high << 8) | low) == kFloppyBase ? TReadingFault::None : TReadingFault::FloppyMoved;
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
  // A search a resume left due is made as soon as the bus is ours (the refresh holds it, and
  // the system lets one thread take a mutex it owns again).
  if (FSearchDue) FindChip();
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
  if (hold.MayRead()) {
    FLockMissedSince.reset();
    FSquatted = false;
  } else if (!FChipFound) {
    throw EPrivilegedInstruction();
  }
  if (!FChipFound || FFloppy != TReadingFault::None || !Call("ioctl_pio_outb", {port, value}))
    Refuse(port);
  FOtherRefused = false;
}
