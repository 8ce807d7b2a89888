#pragma once
// A periodic timer on its own hidden window; ticks arrive as messages on the loop's thread.
#include <cstdint>

#include "framework/Component.h"

class TTimer : public TComponent, public IWindowProc {
 public:
  explicit TTimer(TComponent* owner, TPlatform* platform = nullptr);
  ~TTimer() override;

  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Ticks run only while a handler is set.
  void SetOnTimer(TNotifyEvent handler);

  std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;

 private:
  void UpdateTimer();

  HWnd FWindow = HWnd::None;
  std::uint32_t FInterval = 1000;
  bool FEnabled = true;
  bool FRunning = false;
  TNotifyEvent FOnTimer;
};
