#include "app/PortBus.h"

IPortBus* ProgramPortBus() { return nullptr; }

std::unique_ptr<IPortAccess> ProgramPortAccess(TPlatform&) { return nullptr; }
