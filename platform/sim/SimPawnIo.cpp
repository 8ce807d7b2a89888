#include "platform/sim/SimPawnIo.h"

#include <cctype>

#include "platform/Exception.h"

namespace {
constexpr std::uint8_t kEnterKey = 0x87;
constexpr std::uint8_t kLeaveKey = 0xAA;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The module's functions and their exact cell counts, in and out.
struct TFunction {
  const char* Name;
  std::size_t In;
  std::size_t Out;
};
constexpr TFunction kFunctions[] = {
    {"ioctl_select_slot", 1, 0}, {"ioctl_find_bars", 0, 0},   {"ioctl_pio_inb", 1, 1},
    {"ioctl_pio_outb", 2, 0},    {"ioctl_superio_inb", 1, 1}, {"ioctl_superio_outb", 2, 0},
};
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
  TDevice none;
  const TDevice& d = device == Devices.end() ? none : device->second;
  switch (index) {
    case 0x07:
      return FSelected;
    case 0x20:
      return ChipId;
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

// ---- the library -------------------------------------------------------------

const std::vector<std::uint8_t> TSimPawnIo::SignedModule = [] {
  const char text[] = "LpcIO stand-in, signed";
  return std::vector<std::uint8_t>(text, text + sizeof text - 1);
}();

bool TSimPawnIo::LoadLibrary(const std::string& path) {
  FLoaded = FLoaded || (!LibraryPath.empty() && Upper(path) == Upper(LibraryPath));
  return FLoaded;
}

THResult TSimPawnIo::Version(std::uint32_t& version) {
  version = DriverVersion;
  return S_OK;
}

THResult TSimPawnIo::Open(HPawnIo& handle) {
  handle = HPawnIo::None;
  if (Elevated && !Elevated()) return E_ACCESSDENIED;
  FOpen.insert(++FNextHandle);
  handle = static_cast<HPawnIo>(FNextHandle);
  return S_OK;
}

THResult TSimPawnIo::Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) {
  auto h = static_cast<std::uintptr_t>(handle);
  if (!FOpen.count(h)) return E_INVALIDARG;
  // The driver's answer to a module whose signature does not hold (TRUST_E_BAD_DIGEST).
  if (blob != SignedModule) return static_cast<THResult>(0x80096010);
  FModules.insert(h);
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
  const TFunction* function = nullptr;
  for (const TFunction& f : kFunctions)
    if (call.Name == f.Name) function = &f;
  std::vector<std::uint64_t> results;
  if (!FModules.count(static_cast<std::uintptr_t>(handle)))
    call.Result = E_INVALIDARG;
  else if (!function)
    call.Result = kPawnIoNotFound;
  else if (inCount != function->In || outCount != function->Out)
    call.Result = E_INVALIDARG;
  else
    call.Result = Run(call.Name, call.In, results);
  if (call.Result == S_OK) {
    for (std::size_t i = 0; i < results.size(); ++i) out[i] = results[i];
    returned = results.size();
  }
  Calls.push_back(std::move(call));
  return Calls.back().Result;
}

bool TSimPawnIo::Allowed(std::uint16_t port) const {
  if (port >= 0xCF8 && port <= 0xCFF) return false;
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

THResult TSimPawnIo::Run(const std::string& name, const std::vector<std::uint64_t>& in,
                         std::vector<std::uint64_t>& out) {
  auto byte = [](std::uint64_t cell) { return static_cast<std::uint8_t>(cell); };
  if (name == "ioctl_select_slot") {
    if (in[0] > 1) return E_INVALIDARG;
    FSlot = static_cast<int>(in[0]);
    FRanges.clear();
    return S_OK;
  }
  if (name == "ioctl_find_bars") {
    std::uint8_t id = ChipHere() ? SuperIo.Register(0x20) : 0xFF;
    if (!ChipHere() || !SuperIo.ConfigMode() || id == 0x00 || id == 0xFF) return kPawnIoNotFound;
    for (const auto& [number, device] : SuperIo.Devices)
      for (std::uint16_t base : {device.Base, device.Base2})
        if (base >= 0x100) FRanges.insert(base & 0xFFF8);
    return S_OK;
  }
  if (name == "ioctl_superio_inb" || name == "ioctl_superio_outb") {
    std::uint16_t index = SlotIndexPort();
    PortOut(index, byte(in[0]));
    if (name == "ioctl_superio_inb")
      out.push_back(PortIn(index + 1));
    else
      PortOut(index + 1, byte(in[1]));
    return S_OK;
  }
  auto port = static_cast<std::uint16_t>(in[0]);
  if (in[0] > 0xFFFF || !Allowed(port)) return E_ACCESSDENIED;
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
