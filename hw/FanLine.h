#pragma once
// The fan boost line: one whole byte written to port 0x3F2, never read back.
#include "platform/Ports.h"

// 0x00 boosted, 0x14 normal. A refused access throws EPrivilegedInstruction.
void WriteFanLine(IPortBus& ports, bool boosted);
