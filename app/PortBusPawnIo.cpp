#include "app/PortBus.h"
#include "hw/PawnIoAccess.h"
#include "platform/win32/Win32PawnIo.h"
#include "platform/win32/Win32System.h"

// The 64-bit product reaches the chip through PawnIO's LpcIO module, not port instructions.
std::unique_ptr<IPortAccess> ProgramPortAccess(TPlatform& platform) {
  static TWin32PawnIo library;
  static TWin32Files files;
  return std::make_unique<TPawnIoAccess>(library, platform.System, platform.Registry, files);
}
