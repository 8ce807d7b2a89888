// Built twice by the tests: as it stands it closes a mutex and must build; with
// KELVANE_WRONG_KIND it hands a window to the same call and must not.
#include "platform/System.h"

bool CloseMutex(ISystem& system, THandle mutex, HWnd window) {
#ifdef KELVANE_WRONG_KIND
  return system.CloseHandle(window);
#else
  return system.CloseHandle(mutex);
#endif
}
