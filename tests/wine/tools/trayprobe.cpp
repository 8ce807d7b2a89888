// Acts on another program's notification-area entry from outside, as a shell that loses
// entries would, for the end-to-end tests.
//
//   trayprobe forget CLASS ID   removes entry ID of every window of class CLASS from the
//                               shell; prints "forgotten N" (how many removals it took)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32Api.h"

namespace {
struct TForget {
  const char* Class;
  UINT Id;
  int Forgotten = 0;
};

BOOL CALLBACK ForgetEntry(HWND window, LPARAM param) {
  auto* forget = reinterpret_cast<TForget*>(param);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, forget->Class) != 0) return TRUE;
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = forget->Id;
  if (Shell_NotifyIconA(NIM_DELETE, &data)) ++forget->Forgotten;
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::strcmp(argv[1], "forget") != 0) return 64;
  TForget forget{argv[2], static_cast<UINT>(std::strtoul(argv[3], nullptr, 10))};
  EnumWindows(ForgetEntry, reinterpret_cast<LPARAM>(&forget));
  std::printf("forgotten %d\n", forget.Forgotten);
  return forget.Forgotten > 0 ? 0 : 1;
}
