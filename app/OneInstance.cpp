#include "app/OneInstance.h"

namespace {
constexpr HWnd kBroadcast = 0xFFFF;  // every top-level window, hidden ones included
}

TInstanceLock::TInstanceLock(ISystem& system) : FSystem(system) {
  bool existed = false;
  FHandle = FSystem.CreateMutex(kInstanceMutexName, &existed);
  FFirst = FHandle == 0 || !existed;
}

TInstanceLock::~TInstanceLock() {
  if (FHandle != 0) FSystem.CloseHandle(FHandle);
}

void HandOverToRunningProgram(TPlatform& platform) {
  // The starting process is the one the user just started, so it may pass on the right to
  // take the foreground; without it the running program's window could only flash.
  platform.System.AllowSetForegroundWindow();
  std::uint32_t message = platform.Windows.RegisterWindowMessage(kHandOverMessageName);
  if (message != 0) platform.Windows.PostMessage(kBroadcast, message, 0, 0);
}
