#include "app/PortBus.h"

IPortBus* ProgramPortBus() { return nullptr; }
