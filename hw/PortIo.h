#pragma once
// The two port primitives: one byte-wide processor input or output each. A refused access
// throws EPrivilegedInstruction, which they leave to the caller.
#include <cstdint>

#include "platform/Ports.h"

void PortOut(IPortBus& ports, std::uint16_t port, std::uint8_t value);
std::uint8_t PortIn(IPortBus& ports, std::uint16_t port);
