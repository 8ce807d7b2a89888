#include "app/PortBus.h"
#include "app/Program.h"
#include "platform/win32/Win32Platform.h"

int main(int argc, char** argv) {
  SearchSystemFolderOnly();
  TWin32Platform platform;
  // Kept for the run: a device handle may be the program's.
  std::unique_ptr<IPortAccess> ports = ProgramPortAccess(platform.Platform());
  return RunProgram(platform.Platform(), *ports, StartedBy(argc, argv));
}
