#pragma once
// What the executable is linked with to reach the chip, one unit each: the giveio driver over
// the processor's port instructions (PortBusReal.cpp), PawnIO's LpcIO module (PortBusPawnIo.cpp,
// the 64-bit product), or the demo's simulated chip, which needs nothing enabled
// (PortBusDemo.cpp).
#include <memory>

#include "hw/PortAccess.h"
#include "platform/Platform.h"

// Made once, before the program starts; kept until it has ended.
std::unique_ptr<IPortAccess> ProgramPortAccess(TPlatform& platform);
