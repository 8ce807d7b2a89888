// Holds a named mutex for a while, as another hardware monitor holds the chip's bus lock,
// so the end-to-end tests can watch the program beside it.
//
//   busholder NAME MILLISECONDS     prints "held" once it owns the mutex, "released" after
#include <cstdio>
#include <cstdlib>

#include "platform/win32/Win32System.h"

int main(int argc, char** argv) {
  if (argc < 3) return 64;
  TWin32System system;
  THandle mutex = system.CreateMutex(argv[1], nullptr);
  if (mutex == 0) return 1;
  std::uint32_t result = system.WaitForSingleObject(mutex, 10000);
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) return 2;
  std::printf("held\n");
  std::fflush(stdout);
  system.Sleep(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)));
  bool released = system.ReleaseMutex(mutex);
  std::printf(released ? "released\n" : "not released\n");
  system.CloseHandle(mutex);
  return released ? 0 : 3;
}
