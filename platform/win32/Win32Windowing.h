#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "platform/Windowing.h"

// The system's name of each window class, the program's own ones registered on first use.
const char* Win32ClassName(TWindowClass windowClass);

class TWin32Windowing : public IWindowing {
 public:
  TWin32Windowing();
  ~TWin32Windowing() override;

  HWnd CreateWindow(const TWindowParams& params) override;
  void DestroyWindow(HWnd window) override;
  bool IsWindow(HWnd window) override;
  bool ShowWindow(HWnd window, int command) override;
  bool IsWindowVisible(HWnd window) override;
  bool SetWindowPos(HWnd window, int x, int y, int width, int height, std::uint32_t flags) override;
  TRect GetWindowRect(HWnd window) override;
  TRect GetClientRect(HWnd window) override;
  TRect AdjustWindowRect(TRect client, std::uint32_t style, std::uint32_t exStyle) override;
  void SetWindowText(HWnd window, const std::string& text) override;
  std::string GetWindowText(HWnd window) override;
  bool EnableWindow(HWnd window, bool enable) override;
  bool SetForegroundWindow(HWnd window) override;
  HWnd GetForegroundWindow() override;
  void SetFocus(HWnd window) override;
  int GetSystemMetrics(int index) override;
  bool GetWindowPlacement(HWnd window, TWindowPlacement& placement) override;
  bool SetWindowPlacement(HWnd window, const TWindowPlacement& placement) override;
  std::intptr_t SendMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool PostMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  void PostQuitMessage(int exitCode) override;
  std::intptr_t DefWindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
  std::uint32_t RegisterWindowMessage(const std::string& name) override;
  bool ChangeWindowMessageFilter(std::uint32_t message) override;
  HWnd FindWindow(TWindowClass windowClass, const std::string& caption,
                  HWnd after = HWnd::None) override;
  std::uint32_t GetWindowProcessId(HWnd window) override;
  TWndProcRef SubclassWindow(HWnd window, IWindowProc* replacement) override;
  void RestoreWindowProc(HWnd window, TWndProcRef previous) override;
  std::intptr_t CallWindowProc(TWndProcRef previous, HWnd window, std::uint32_t message,
                               std::uintptr_t wParam, std::intptr_t lParam) override;
  bool SetTimer(HWnd window, std::uintptr_t id, std::uint32_t milliseconds) override;
  bool KillTimer(HWnd window, std::uintptr_t id) override;
  bool GetMessage(TMsg& msg) override;
  bool PeekMessage(TMsg& msg) override;
  bool IsDialogMessage(HWnd dialog, TMsg& msg) override;
  void TranslateMessage(const TMsg& msg) override;
  std::intptr_t DispatchMessage(const TMsg& msg) override;
  void InvalidateRect(HWnd window, const TRect* rect, bool erase = true) override;
  HDc BeginPaint(HWnd window, TRect& paintRect) override;
  void EndPaint(HWnd window) override;
  TPoint GetCursorPos() override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;

  // The replacement procedures of one window (the system procedure reaches it).
  struct TChain;

 private:
  struct TPaint;
  struct TLastMessage;
  // Per window, a handful at a time.
  template <class T>
  using TByWindow = std::vector<std::pair<HWnd, std::unique_ptr<T>>>;
  TByWindow<TPaint> FPaints;
  // Replacement procedures per window; each window finds its chain through a property.
  TByWindow<TChain> FChains;
  std::unique_ptr<TLastMessage> FLast;
  HGdiObj FFont = HGdiObj::None;
  // The height of a panel's caption in that font, once a panel has been painted.
  int FCaptionHeight = 0;
};
