#include "app/PortBus.h"
#include "app/Program.h"
#include "platform/win32/Win32Platform.h"

int main() {
  TWin32Platform platform(ProgramPortBus());
  return RunProgram(platform.Platform());
}
