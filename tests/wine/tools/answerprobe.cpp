// How soon a window answers, as a user's clicks would be answered.
//
//   answerprobe CLASS SECONDS   sends WM_NULL to the window of that class every 250 ms for
//                               that long; prints "sent N", "late N" (not answered within
//                               300 ms) and "slowest MS"
#include <cstdio>
#include <cstdlib>

#include "platform/win32/Win32Api.h"

int main(int argc, char** argv) {
  if (argc < 3) return 64;
  int sent = 0;
  int late = 0;
  DWORD slowest = 0;
  DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(argv[2])) * 1000;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    if (HWND window = FindWindowA(argv[1], nullptr)) {
      DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 300, &result) != 0;
      DWORD took = GetTickCount() - start;
      ++sent;
      if (!answered || took > 300) ++late;
      if (took > slowest) slowest = took;
    }
    Sleep(250);
  }
  std::printf("sent %d\nlate %d\nslowest %lu\n", sent, late, static_cast<unsigned long>(slowest));
  return 0;
}
