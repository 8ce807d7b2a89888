#include "platform/sim/SimPawnIo.h"

#include <span>

#include "platform/Exception.h"

namespace {
constexpr std::uint8_t kEnterKey = 0x87;
constexpr std::uint8_t kLeaveKey = 0xAA;

// The module's functions and the cell counts they declare, in and out; a count of 0 is not
// checked.
struct TFunction {
  const char* Name;
  std::size_t In;
  std::size_t Out;
};
constexpr TFunction kFunctions[] = {
    {"ioctl_select_slot", 1, 0}, {"ioctl_find_bars", 0, 0},   {"ioctl_pio_inb", 1, 1},
    {"ioctl_pio_outb", 2, 0},    {"ioctl_superio_inb", 1, 1}, {"ioctl_superio_outb", 2, 0},
};
// LpcIO 0.1.0 to 0.1.5. This program never calls them: they answer as before a detection.
constexpr TFunction kOldFunctions[] = {
    {"ioctl_detect", 1, 1},    {"ioctl_read", 1, 1}, {"ioctl_write", 2, 0},
    {"ioctl_enter", 0, 0},     {"ioctl_exit", 0, 0}, {"ioctl_pio_read", 1, 1},
    {"ioctl_pio_write", 2, 0},
};

constexpr std::uint16_t kPciFirst = 0xCF8;
constexpr std::uint16_t kPciLast = 0xCFF;
bool PciPort(std::uint16_t port) { return port >= kPciFirst && port <= kPciLast; }
}  // namespace

// ---- the Super I/O chip ------------------------------------------------------

void TSimSuperIo::WriteIndex(std::uint8_t value) {
  if (!FConfig) {
    FKeys = value == kEnterKey ? FKeys + 1 : 0;
    if (FKeys == 2) FConfig = true;
    return;
  }
  if (value == kLeaveKey) {
    FConfig = false;
    FKeys = 0;
    return;
  }
  FIndex = value;
}

std::uint8_t TSimSuperIo::Register(std::uint8_t index) const {
  auto device = Devices.find(FSelected);
  const TDevice none{0, 0, false};
  const TDevice& d = device == Devices.end() ? none : device->second;
  switch (index) {
    case 0x07:
      return SelectReadsBack ? FSelected : 0xFF;
    case 0x20:
      return ChipId;
    case 0x30:
      return d.Active ? 0x01 : 0x00;
    case 0x60:
      return static_cast<std::uint8_t>(d.Base >> 8);
    case 0x61:
      return static_cast<std::uint8_t>(d.Base);
    case 0x62:
      return static_cast<std::uint8_t>(d.Base2 >> 8);
    case 0x63:
      return static_cast<std::uint8_t>(d.Base2);
    default:
      return 0;
  }
}

std::uint8_t TSimSuperIo::ReadData() { return FConfig ? Register(FIndex) : 0xFF; }

void TSimSuperIo::WriteData(std::uint8_t value) {
  if (FConfig && FIndex == 0x07) FSelected = value;
}

// ---- the device --------------------------------------------------------------

const std::vector<std::uint8_t> TSimPawnIo::SignedModule = [] {
  const char text[] = "LpcIO stand-in, signed";
  return std::vector<std::uint8_t>(text, text + sizeof text - 1);
}();

const std::vector<std::uint8_t> TSimPawnIo::OldSignedModule = [] {
  const char text[] = "LpcIO 0.1.5 stand-in, signed";
  return std::vector<std::uint8_t>(text, text + sizeof text - 1);
}();

THResult TSimPawnIo::Version(HPawnIo handle, std::uint32_t& version) {
  if (!FOpen.count(static_cast<std::uintptr_t>(handle))) return E_INVALIDARG;
  if (DriverVersion == 0) return kPawnIoUnknownCode;
  version = DriverVersion;
  return S_OK;
}

THResult TSimPawnIo::Open(HPawnIo& handle) {
  handle = HPawnIo::None;
  if (!DriverRunning) return kPawnIoNoSuchName;
  if (Elevated && !Elevated()) return E_ACCESSDENIED;
  FOpen.insert(++FNextHandle);
  handle = static_cast<HPawnIo>(FNextHandle);
  return S_OK;
}

THResult TSimPawnIo::Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) {
  auto h = static_cast<std::uintptr_t>(handle);
  if (!FOpen.count(h)) return E_INVALIDARG;
  if (FModules.count(h)) return kPawnIoAlreadyLoaded;
  // A module whose signature does not hold: refused (the code is BCrypt's; none is told apart).
  if (blob != SignedModule && blob != OldSignedModule) return static_cast<THResult>(0x80096010);
  if (FirstRelease) return kPawnIoUnsuccessful;
  FModules[h] = blob == OldSignedModule;
  FSlot = -1;
  FRanges.clear();
  return S_OK;
}

THResult TSimPawnIo::Close(HPawnIo handle) {
  auto h = static_cast<std::uintptr_t>(handle);
  if (!FOpen.erase(h)) return E_INVALIDARG;
  FModules.erase(h);
  return S_OK;
}

THResult TSimPawnIo::Execute(HPawnIo handle, const char* name, const std::uint64_t* in,
                             std::size_t inCount, std::uint64_t* out, std::size_t outCount,
                             std::size_t& returned) {
  returned = 0;
  TPawnIoCall call{name, std::vector<std::uint64_t>(in, in + inCount), S_OK,
                   LockHeld && LockHeld()};
  auto h = static_cast<std::uintptr_t>(handle);
  const TFunction* function = nullptr;
  if (FModules.count(h))
    for (const TFunction& f : Old(h) ? std::span<const TFunction>(kOldFunctions)
                                     : std::span<const TFunction>(kFunctions))
      if (call.Name == f.Name) function = &f;
  std::vector<std::uint64_t> results;
  // The driver refuses a handle without a module before its VM reads the name.
  if (!FOpen.count(h) || !FModules.count(h))
    call.Result = E_INVALIDARG;
  else if (call.Name.size() >= 32 || call.Name.rfind("ioctl_", 0) != 0)
    call.Result = E_INVALIDARG;
  else if (!function)
    call.Result = kPawnIoNoSuchName;
  else if ((function->In && inCount != function->In) ||
           (function->Out && outCount != function->Out))
    call.Result = E_INVALIDARG;
  else if (Old(h) || (FSlot < 0 && call.Name != "ioctl_select_slot"))
    call.Result = kPawnIoNotReady;
  else
    call.Result = Run(call.Name, call.In, results);
  if (call.Result == S_OK) {
    for (std::size_t i = 0; i < results.size(); ++i) out[i] = results[i];
    returned = results.size();
  }
  Calls.push_back(std::move(call));
  return Calls.back().Result;
}

bool TSimPawnIo::Old(std::uintptr_t handle) const {
  auto it = FModules.find(handle);
  return it != FModules.end() && it->second;
}

bool TSimPawnIo::Allowed(std::uint16_t port) const {
  if (PciPort(port)) return false;
  std::uint16_t index = SlotIndexPort();
  if (port == index || port == index + 1 || port == 0x25C || port == 0x25D) return true;
  return FRanges.count(port & 0xFFF8) > 0;
}

std::uint8_t TSimPawnIo::PortIn(std::uint16_t port) {
  std::uint16_t index = SlotIndexPort();
  if (port == index + 1) return ChipHere() ? SuperIo.ReadData() : 0xFF;
  if (port == index || port == 0x25C || port == 0x25D) return 0xFF;
  return FChip.In(port);
}

void TSimPawnIo::PortOut(std::uint16_t port, std::uint8_t value) {
  std::uint16_t index = SlotIndexPort();
  if (port == index) {
    if (ChipHere()) SuperIo.WriteIndex(value);
  } else if (port == index + 1) {
    if (ChipHere()) SuperIo.WriteData(value);
  } else if (port != 0x25C && port != 0x25D) {
    FChip.Out(port, value);
  }
}

std::uint8_t TSimPawnIo::SuperIoIn(std::uint8_t reg) {
  PortOut(SlotIndexPort(), reg);
  return PortIn(SlotIndexPort() + 1);
}

void TSimPawnIo::SuperIoOut(std::uint8_t reg, std::uint8_t value) {
  PortOut(SlotIndexPort(), reg);
  PortOut(SlotIndexPort() + 1, value);
}

// Both reads of a base agree and lie above the fixed range: kept as read, but for a base that
// ends in 5 (some chips add that offset), taken to its boundary. Ranges over PCI's
// configuration ports are refused; a base like one of the last two kept is not kept again.
void TSimPawnIo::KeepBase(std::uint16_t first, std::uint16_t second) {
  if (first != second || first == 0 || first == 0xFFFF || first < 0x100) return;
  std::uint16_t base = (first & 0x07) == 0x05 ? first & 0xFFF8 : first;
  if (PciPort(base) || PciPort(static_cast<std::uint16_t>(base + 7))) return;
  FRanges.insert(base);
}

// Every logical device the chip lets select (its select register reads back) has both bases
// read, twice, a millisecond apart; whether the device is active is not asked.
THResult TSimPawnIo::FindBars() {
  FRanges.clear();
  std::uint8_t id = SuperIoIn(0x20);
  if (id == 0x00 || id == 0xFF) return kPawnIoNotFound;
  auto word = [this](std::uint8_t reg) {
    return static_cast<std::uint16_t>(SuperIoIn(reg) << 8 | SuperIoIn(reg + 1));
  };
  std::map<int, std::pair<std::uint16_t, std::uint16_t>> first;
  for (int pass = 0; pass < 2; ++pass) {
    for (int device = 0; device < 0xFF; ++device) {
      SuperIoOut(0x07, static_cast<std::uint8_t>(device));
      if (SuperIoIn(0x07) != device) continue;
      std::pair<std::uint16_t, std::uint16_t> bases{word(0x60), word(0x62)};
      if (pass == 0) {
        first[device] = bases;
      } else {
        KeepBase(first[device].first, bases.first);
        KeepBase(first[device].second, bases.second);
      }
    }
  }
  return S_OK;
}

THResult TSimPawnIo::Run(const std::string& name, const std::vector<std::uint64_t>& in,
                         std::vector<std::uint64_t>& out) {
  auto byte = [](std::uint64_t cell) { return static_cast<std::uint8_t>(cell); };
  if (name == "ioctl_select_slot") {
    FRanges.clear();
    FSlot = -1;
    if (in[0] > 1) return E_INVALIDARG;
    FSlot = static_cast<int>(in[0]);
    return S_OK;
  }
  if (name == "ioctl_find_bars") return FindBars();
  if (name == "ioctl_superio_inb") {
    out.push_back(SuperIoIn(byte(in[0])));
    return S_OK;
  }
  if (name == "ioctl_superio_outb") {
    SuperIoOut(byte(in[0]), byte(in[1]));
    return S_OK;
  }
  auto port = static_cast<std::uint16_t>(in[0]);  // the module takes the low 16 bits
  if (!Allowed(port)) return E_ACCESSDENIED;
  try {
    if (name == "ioctl_pio_inb")
      out.push_back(PortIn(port));
    else
      PortOut(port, byte(in[1]));
  } catch (const EPrivilegedInstruction&) {
    return E_ACCESSDENIED;  // a fault the test injected at the chip
  }
  return S_OK;
}
