#include "app/PortBus.h"
#include "app/Program.h"
#include "platform/win32/Win32Platform.h"

int main() {
  SearchSystemFolderOnly();
  TWin32Platform platform(ProgramPortBus());
  // Kept for the run: its device handle is the program's.
  std::unique_ptr<IPortAccess> access = ProgramPortAccess(platform.Platform());
  if (!access) return RunProgram(platform.Platform());
  platform.Platform().State.SetCurrent<IPortAccess>(access.get());
  int result = RunProgram(platform.Platform());
  platform.Platform().State.SetCurrent<IPortAccess>(nullptr);
  return result;
}
