#pragma once
// What the executable is linked with to reach the chip: the port bus (null for the processor's
// own port instructions, or the simulated sensor chip of the demo build), and the port access
// that opens it (null for the giveio driver, or PawnIO's LpcIO module of the 64-bit product).
#include <memory>

#include "hw/PortAccess.h"
#include "platform/Ports.h"

IPortBus* ProgramPortBus();
std::unique_ptr<IPortAccess> ProgramPortAccess(TPlatform& platform);
