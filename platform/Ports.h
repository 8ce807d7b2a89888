#pragma once
// The port primitives: one byte-wide processor input or output each. A refused access throws
// EPrivilegedInstruction, which the hardware code leaves to its caller.
#include <cstdint>

class IPortBus {
 public:
  virtual ~IPortBus() = default;
  virtual std::uint8_t In(std::uint16_t port) = 0;
  virtual void Out(std::uint16_t port, std::uint8_t value) = 0;
};
