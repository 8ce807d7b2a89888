#include "framework/Timer.h"

#include "framework/Forms.h"

namespace {
constexpr std::uintptr_t kTimerId = 1;
}

TTimer::TTimer(TComponent* owner, TPlatform* platform) : TComponent(owner, platform) {
  TWindowParams params;
  params.Class = TWindowClass::Utility;
  params.Proc = this;
  FWindow = Platform().Windows.CreateWindow(params);
}

TTimer::~TTimer() {
  IWindowing& windows = Platform().Windows;
  if (FRunning) windows.KillTimer(FWindow, kTimerId);
  windows.DestroyWindow(FWindow);
}

void TTimer::SetInterval(std::uint32_t value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  FOnTimer = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  IWindowing& windows = Platform().Windows;
  if (FRunning) windows.KillTimer(FWindow, kTimerId);
  FRunning = FEnabled && FInterval != 0 && FOnTimer;
  if (FRunning) windows.SetTimer(FWindow, kTimerId, FInterval);
}

std::intptr_t TTimer::WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
  if (message != WM_TIMER) return Platform().Windows.DefWindowProc(window, message, wParam, lParam);
  try {
    FOnTimer(this);
  } catch (const std::exception& e) {
    ReportException(Platform(), e);  // the timer keeps running
  }
  return 0;
}
