// Holds a named mutex for a while, as another hardware monitor holds the chip's bus lock,
// so the end-to-end tests can watch the program beside it.
//
//   busholder NAME MILLISECONDS [HOW]   prints "held" once it owns the mutex, then after the
//                                       time "released"; HOW:
//     ends      ends the process still holding it (the mutex is left abandoned)
//     keepsout  makes the mutex with rights for nobody else, as a monitor running as a
//               service may (nobody else can open it while this process has it)
//     event     makes an event of that name instead, so no mutex can have it
//     file      opens the file NAME unshared instead, as a holder of a lock file does
//     window    also shows, while it holds the mutex, a hidden window of Kelvane's application
//               class and caption, as any program may; prints "handover" or "close" for each
//               request to show Kelvane's window or to close that reaches it
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32Api.h"
// After the system header, whose types it needs.
#include <sddl.h>

namespace {
UINT HandOverMessage() {
  static UINT message = RegisterWindowMessageA("Kelvane.ShowMainWindow");
  return message;
}

LRESULT CALLBACK LookAlikeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == HandOverMessage() || message == WM_CLOSE) {
    std::printf(message == WM_CLOSE ? "close\n" : "handover\n");
    std::fflush(stdout);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Holds on for that long, answering the window's messages meanwhile.
void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (DWORD waited = 0; waited < milliseconds; waited = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 64;
  const char* how = argc > 3 ? argv[3] : "";
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (std::strcmp(how, "keepsout") == 0 &&
      !ConvertStringSecurityDescriptorToSecurityDescriptorA(
          "D:P", SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
    return 4;
  DWORD milliseconds = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  if (std::strcmp(how, "event") == 0 || std::strcmp(how, "file") == 0) {
    HANDLE other = std::strcmp(how, "event") == 0
                       ? CreateEventA(nullptr, TRUE, FALSE, argv[1])
                       : CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                     OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (!other || other == INVALID_HANDLE_VALUE) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(milliseconds);
    CloseHandle(other);
    std::printf("released\n");
    return 0;
  }
  HANDLE mutex = CreateMutexA(&attributes, FALSE, argv[1]);
  if (!mutex) return 1;
  DWORD result = WaitForSingleObject(mutex, 10000);
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) return 2;
  if (std::strcmp(how, "window") == 0) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = LookAlikeProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KelvaneApplication";
    RegisterClassA(&cls);
    if (!CreateWindowExA(0, cls.lpszClassName, "Kelvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         cls.hInstance, nullptr))
      return 5;
  }
  std::printf("held\n");
  std::fflush(stdout);
  PumpFor(milliseconds);
  if (std::strcmp(how, "ends") == 0) {
    std::printf("ended holding it\n");
    std::fflush(stdout);
    ExitProcess(0);
  }
  bool released = ReleaseMutex(mutex) != 0;
  std::printf(released ? "released\n" : "not released\n");
  CloseHandle(mutex);
  return released ? 0 : 3;
}
