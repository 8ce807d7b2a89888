#pragma once
// The hardware-monitor chip's register protocol behind its index/data port pair. Nothing here
// catches a fault or takes the bus lock: the caller does both around a whole refresh.
#include "platform/Ports.h"

// Four accesses: register 0x4E := 0x01, then register 0x50. The byte is whole degrees.
int ReadCPUTemp(IPortBus& ports);
// Two accesses: register 0x67, read with whatever register 0x4E holds at the time.
int ReadMotherboardTemp(IPortBus& ports);
