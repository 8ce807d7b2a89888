#pragma once
// Byte-wide processor port I/O. A refused access throws EPrivilegedInstruction.
#include <cstdint>

class IPortBus {
 public:
  virtual ~IPortBus() = default;
  virtual std::uint8_t In(std::uint16_t port) = 0;
  virtual void Out(std::uint16_t port, std::uint8_t value) = 0;
};
