#pragma once
// Real port I/O: one byte-wide in/out instruction each. Where the system refuses the access
// the processor raises a privileged-instruction fault; a vectored handler that knows only our
// two instructions steps over it, and the primitive throws EPrivilegedInstruction.
#include "platform/Ports.h"

class TWin32Ports : public IPortBus {
 public:
  TWin32Ports();
  ~TWin32Ports() override;
  TWin32Ports(const TWin32Ports&) = delete;
  TWin32Ports& operator=(const TWin32Ports&) = delete;

  std::uint8_t In(std::uint16_t port) override;
  void Out(std::uint16_t port, std::uint8_t value) override;

 private:
  void* FHandler = nullptr;
};
