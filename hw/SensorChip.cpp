#include "hw/SensorChip.h"

#include <cstdint>

namespace {
constexpr std::uint16_t kIndexPort = 0x295;
constexpr std::uint16_t kDataPort = 0x296;
constexpr std::uint8_t kBankRegister = 0x4E;
constexpr std::uint8_t kBankValue = 0x01;
constexpr std::uint8_t kCpuRegister = 0x50;
constexpr std::uint8_t kMotherboardRegister = 0x67;
}  // namespace

int ReadCPUTemp(IPortBus& ports) {
  ports.Out(kIndexPort, kBankRegister);
  ports.Out(kDataPort, kBankValue);
  ports.Out(kIndexPort, kCpuRegister);
  return ports.In(kDataPort);
}

int ReadMotherboardTemp(IPortBus& ports) {
  ports.Out(kIndexPort, kMotherboardRegister);
  return ports.In(kDataPort);
}
