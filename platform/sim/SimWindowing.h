#pragma once
// Windows, messages and timers on the virtual clock. The message loop never waits: when
// nothing is queued it moves the clock to the next timer that falls due, and returns false
// once the run limit is reached. Standard controls (button, up-down, label) are modelled to
// the extent the program uses them; tests press them through the methods below. Painting
// keeps the system's update region and erase flag (see IWindowing::InvalidateRect).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Windowing.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimHandles.h"

class TSimWindowing : public IWindowing {
 public:
  explicit TSimWindowing(TSimClock& clock) : FClock(clock) {}

  // ---- IWindowing --------------------------------------------------------
  HWnd CreateWindow(const TWindowParams& params) override;
  void DestroyWindow(HWnd window) override;
  bool IsWindow(HWnd window) override { return FWindows.count(window) > 0; }
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
  HWnd GetForegroundWindow() override { return FForeground; }
  void SetFocus(HWnd window) override { FFocus = window; }
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
  void TranslateMessage(const TMsg&) override {}
  std::intptr_t DispatchMessage(const TMsg& msg) override;
  void InvalidateRect(HWnd window, const TRect* rect, bool erase = true) override;
  HDc BeginPaint(HWnd window, TRect& paintRect) override;
  void EndPaint(HWnd window) override;
  TPoint GetCursorPos() override { return CursorPos; }
  std::int16_t GetAsyncKeyState(int virtualKey) override;

  // ---- driving the loop --------------------------------------------------
  // Pumps messages (with dialog keys) until the clock has moved on by `milliseconds`,
  // or until a quit message. Nested calls (a modal box) pump within the outer limit.
  void RunFor(std::uint64_t milliseconds);
  // Drops the window's update region unpainted, as the system's ValidateRect does.
  void Validate(HWnd window);
  // True once a WM_QUIT has been taken off the queue by a loop.
  bool QuitReceived() const { return FQuitReceived; }
  // Limit for GetMessage: it returns false when idle at this time (0 = none, returns at once).
  void SetRunLimit(std::uint64_t time) { FRunLimit = time; }
  std::uint64_t RunLimit() const { return FRunLimit; }

  // ---- processes ----------------------------------------------------------
  // Every program on the simulated machine shares one window system; this is the process the
  // calls come from now (windows made are its), which a test switches to start another.
  std::uint32_t ProcessId = 1;
  // Processes running with more rights than others: what a process with fewer posts to their
  // windows (from WM_USER on) is dropped, unless the receiving process let that message in.
  std::set<std::uint32_t> ElevatedProcesses;
  // The process is gone: its windows, timers and queued messages with it, without a message
  // (it runs no more code).
  void EndProcess(std::uint32_t process);

  // ---- what a user does --------------------------------------------------
  void ClickButton(HWnd button);
  // Presses the up (true) or down arrow of an up-down control.
  void ClickUpDown(HWnd upDown, bool up);
  // A key press delivered to the focused window (or to `window`) through the message queue.
  void PressKey(HWnd window, std::uint32_t virtualKey);
  TPoint CursorPos;
  std::map<int, bool> KeysDown;

  // ---- inspection --------------------------------------------------------
  struct TWindow {
    TWindowParams Params;
    IWindowProc* Proc = nullptr;
    TRect Rect;  // relative to the parent's client area (screen for top level)
    std::string Text;
    bool Visible = false;
    bool Enabled = true;
    bool Dirty = false;  // a WM_PAINT is due
    // The update region, as rectangles in client coordinates, and whether its background is
    // to be erased; both stay until BeginPaint takes them.
    std::vector<TRect> Update;
    bool Erase = false;
    int UpDownMin = 0;
    int UpDownMax = 100;
    int UpDownPos = 0;
    std::uint32_t Process = 0;  // the process that made it
  };
  const TWindow* Find(HWnd window) const;
  std::vector<HWnd> Windows() const;
  std::size_t WindowCount() const { return FWindows.size(); }
  std::size_t TimerCount() const { return FTimers.size(); }
  std::size_t QueuedCount() const { return FQueue.size(); }
  // Every message sent or dispatched to a window procedure, in order (when recording).
  std::vector<TMsg> Delivered;
  bool Recording = false;

  // Paint hooks: the device-context provider of the simulated GDI (client rectangle, update
  // region), and the class background fill of DefWindowProc's WM_ERASEBKGND.
  std::function<HDc(HWnd, const TRect&, const std::vector<TRect>&)> OnBeginPaint;
  std::function<void(HWnd)> OnEndPaint;
  std::function<void(HWnd, HDc, const TRect&)> OnEraseBackground;

 private:
  struct TTimer {
    HWnd Window;
    std::uintptr_t Id;
    std::uint32_t Interval;
    std::uint64_t Due;
  };
  std::intptr_t Deliver(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam);
  std::intptr_t StandardControlProc(TWindow& w, HWnd window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam);
  HWnd TopLevelOf(HWnd window) const;
  // Whether the elevation filter drops a message posted from the calling process.
  bool Filtered(std::uint32_t receiver, std::uint32_t message);
  void InvalidateTree(HWnd window);
  bool TakeNextMessage(TMsg& msg, bool advanceClock);

  TSimClock& FClock;
  std::map<HWnd, TWindow> FWindows;
  std::map<HWnd, std::vector<HWnd>> FChildren;
  std::deque<TMsg> FQueue;
  std::vector<TTimer> FTimers;
  std::map<std::string, std::uint32_t> FRegistered;              // by upper-cased name
  std::map<std::uint32_t, std::set<std::uint32_t>> FFilterOpen;  // messages let in, by process
  TSimId FNextHandle = 0x10010;
  HWnd FForeground = HWnd::None;
  HWnd FFocus = HWnd::None;
  bool FQuitPosted = false;
  int FExitCode = 0;
  bool FQuitReceived = false;
  std::uint64_t FRunLimit = 0;
  int FRunDepth = 0;
  // Minimised and maximised positions set through SetWindowPlacement.
  std::map<HWnd, std::pair<TPoint, TPoint>> FPlacementPositions;
};
