// The window procedure the system holds for a window, for repaintprobe: in a file of its own,
// since the system headers and the framework each declare a MulDiv.
#include <cstdint>

#include "platform/Types.h"
#include "platform/win32/Win32Handles.h"

std::intptr_t WindowProcOf(HWnd window) {
  return static_cast<std::intptr_t>(GetWindowLongPtrA(ToWin32(window), GWLP_WNDPROC));
}
