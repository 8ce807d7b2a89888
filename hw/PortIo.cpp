#include "hw/PortIo.h"

void PortOut(IPortBus& ports, std::uint16_t port, std::uint8_t value) { ports.Out(port, value); }

std::uint8_t PortIn(IPortBus& ports, std::uint16_t port) { return ports.In(port); }
