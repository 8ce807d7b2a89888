#pragma once
// Whether PawnIO is installed, as its setups record it: the program (to say why its device
// cannot be opened) and the setup ask the same. Only the registry is read: nothing of
// PawnIO's is loaded or trusted from what it names.
#include "platform/Registry.h"

// Any of the records PawnIO's setups leave: the uninstall entry (64-bit view; 2.1 and later,
// 64-bit setups), the Install_Dir value of 2.0 and earlier (32-bit setups: the 32-bit view),
// or the driver's service key.
bool PawnIoInstalled(IRegistry& registry);
