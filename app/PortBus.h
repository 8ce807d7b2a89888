#pragma once
// The port bus the executable is linked with: null for the processor's own port
// instructions, or the simulated sensor chip of the demo build.
#include "platform/Ports.h"

IPortBus* ProgramPortBus();
