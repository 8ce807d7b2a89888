#include "app/PortBus.h"
#include "hw/giveio.h"

std::unique_ptr<IPortAccess> ProgramPortAccess(TPlatform& platform) {
  return std::make_unique<TGiveIo>(platform.System, platform.Ports);
}
