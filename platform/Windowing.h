#pragma once
// Windows, messages, timers and the message loop, shaped like the system's own calls.
// Message, style and command numbers are the system's values.
#include <cstdint>
#include <string>

#include "platform/Types.h"

// ---- messages --------------------------------------------------------------
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_MOVE = 0x0003;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr std::uint32_t WM_ENDSESSION = 0x0016;
inline constexpr std::uint32_t WM_SETTINGCHANGE = 0x001A;
inline constexpr std::uint32_t WM_DISPLAYCHANGE = 0x007E;
// Sent to every top-level window; PBT_APMRESUMEAUTOMATIC after every wake from sleep.
inline constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr std::uintptr_t PBT_APMRESUMEAUTOMATIC = 0x0012;
inline constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr std::uint32_t WM_NOTIFY = 0x004E;
inline constexpr std::uint32_t WM_NCDESTROY = 0x0082;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_VSCROLL = 0x0115;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr std::uint32_t WM_USER = 0x0400;
inline constexpr std::uint32_t WM_APP = 0x8000;
inline constexpr std::uint32_t DM_GETDEFID = WM_USER + 0;
inline constexpr std::uint16_t DC_HASDEFID = 0x534B;

inline constexpr std::uint32_t SC_RESTORE = 0xF120;
inline constexpr std::uint32_t BN_CLICKED = 0;
inline constexpr std::uint32_t SB_THUMBPOSITION = 4;
inline constexpr std::uint32_t VK_RETURN = 0x0D;
inline constexpr std::uint32_t VK_SHIFT = 0x10;

// Up-down control messages.
inline constexpr std::uint32_t UDM_SETRANGE32 = WM_USER + 111;
inline constexpr std::uint32_t UDM_GETRANGE32 = WM_USER + 112;
inline constexpr std::uint32_t UDM_SETPOS32 = WM_USER + 113;
inline constexpr std::uint32_t UDM_GETPOS32 = WM_USER + 114;

// ---- styles ----------------------------------------------------------------
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr std::uint32_t WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x00000001;

// ---- show commands and positioning -----------------------------------------
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

inline constexpr std::uint32_t SWP_NOSIZE = 0x0001;
inline constexpr std::uint32_t SWP_NOMOVE = 0x0002;
inline constexpr std::uint32_t SWP_NOZORDER = 0x0004;
inline constexpr std::uint32_t SWP_NOACTIVATE = 0x0010;

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;

// The system's WINDOWPLACEMENT record (44 bytes there).
struct TWindowPlacement {
  std::uint32_t Length = 44;
  std::uint32_t Flags = 0;
  std::uint32_t ShowCmd = SW_SHOWNORMAL;
  TPoint MinPosition{-1, -1};
  TPoint MaxPosition{-1, -1};
  TRect NormalPosition;
};

inline constexpr std::uint16_t LoWord(std::uintptr_t v) { return static_cast<std::uint16_t>(v); }
inline constexpr std::uint16_t HiWord(std::uintptr_t v) {
  return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
inline constexpr std::uintptr_t MakeLong(std::uint16_t lo, std::uint16_t hi) {
  return static_cast<std::uintptr_t>(lo) | (static_cast<std::uintptr_t>(hi) << 16);
}

// The kinds of window the program creates. Application (the hidden window behind the taskbar
// button), Frame (a form), Panel (a group frame) and Utility (hidden, for messages) are the
// program's own classes; the others are the system's standard controls.
enum class TWindowClass { Application, Frame, Panel, Utility, Button, UpDown, Label };

// A window procedure as an object. The procedure a window is created with, or one that
// replaces it, gets every message sent or dispatched to the window.
class IWindowProc {
 public:
  virtual ~IWindowProc() = default;
  virtual std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) = 0;
};

// The procedure a replacement displaced; only CallWindowProc and RestoreWindowProc use it.
using TWndProcRef = std::uintptr_t;

struct TWindowParams {
  TWindowClass Class = TWindowClass::Utility;
  HWnd Parent = HWnd::None;  // the parent of a child window
  HWnd Owner = HWnd::None;   // the owner of a top-level window
  std::string Caption;
  TRect Bounds;  // window rectangle, relative to the parent's client area for children
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  int Id = 0;
  IWindowProc* Proc = nullptr;  // null for standard controls
};

struct TMsg {
  HWnd Window = HWnd::None;
  std::uint32_t Message = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
};

class IWindowing {
 public:
  virtual ~IWindowing() = default;

  virtual HWnd CreateWindow(const TWindowParams& params) = 0;
  virtual void DestroyWindow(HWnd window) = 0;
  virtual bool IsWindow(HWnd window) = 0;

  virtual bool ShowWindow(HWnd window, int command) = 0;
  virtual bool IsWindowVisible(HWnd window) = 0;
  virtual bool SetWindowPos(HWnd window, int x, int y, int width, int height,
                            std::uint32_t flags) = 0;
  virtual TRect GetWindowRect(HWnd window) = 0;  // screen coordinates
  virtual TRect GetClientRect(HWnd window) = 0;  // origin 0,0
  // Window rectangle a frame needs for the given client size (adds caption and borders).
  virtual TRect AdjustWindowRect(TRect client, std::uint32_t style, std::uint32_t exStyle) = 0;
  virtual void SetWindowText(HWnd window, const std::string& text) = 0;
  virtual std::string GetWindowText(HWnd window) = 0;
  virtual bool EnableWindow(HWnd window, bool enable) = 0;
  virtual bool SetForegroundWindow(HWnd window) = 0;
  virtual HWnd GetForegroundWindow() = 0;
  virtual void SetFocus(HWnd window) = 0;
  virtual int GetSystemMetrics(int index) = 0;
  // Show state, minimised and maximised positions and the normal rectangle of a window.
  virtual bool GetWindowPlacement(HWnd window, TWindowPlacement& placement) { return false; }
  virtual bool SetWindowPlacement(HWnd window, const TWindowPlacement& placement) { return false; }

  virtual std::intptr_t SendMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
  virtual bool PostMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  virtual std::intptr_t DefWindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
  virtual std::uint32_t RegisterWindowMessage(const std::string& name) = 0;
  // Lets the message reach this process's windows from processes that run with fewer rights
  // (the system's elevation filter). True also where the system has no such filter.
  virtual bool ChangeWindowMessageFilter(std::uint32_t message) = 0;

  // A top-level window of one of the program's own classes with exactly this caption, hidden
  // or not, made by any process on this desktop; None when there is none. `after`: the next
  // such window after that one (None: the first).
  virtual HWnd FindWindow(TWindowClass windowClass, const std::string& caption,
                          HWnd after = HWnd::None) = 0;
  // The process that made the window; 0 when it is no window.
  virtual std::uint32_t GetWindowProcessId(HWnd window) = 0;

  // Window-procedure replacement; one replacement per window at a time.
  virtual TWndProcRef SubclassWindow(HWnd window, IWindowProc* replacement) = 0;
  virtual void RestoreWindowProc(HWnd window, TWndProcRef previous) = 0;
  virtual std::intptr_t CallWindowProc(TWndProcRef previous, HWnd window, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam) = 0;

  virtual bool SetTimer(HWnd window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
  virtual bool KillTimer(HWnd window, std::uintptr_t id) = 0;

  // False on WM_QUIT (and, on the simulated platform, when its run limit is reached).
  virtual bool GetMessage(TMsg& msg) = 0;
  virtual bool PeekMessage(TMsg& msg) = 0;
  // Keyboard navigation of a window with controls (Enter presses the default button).
  virtual bool IsDialogMessage(HWnd dialog, TMsg& msg) = 0;
  virtual void TranslateMessage(const TMsg& msg) = 0;
  virtual std::intptr_t DispatchMessage(const TMsg& msg) = 0;

  // Adds the rectangle (null: the whole client area) to the window's update region. `erase`
  // accumulates: when any invalidation asked for it, BeginPaint has the background erased
  // (WM_ERASEBKGND) under the whole region first; otherwise the old picture stays under it.
  virtual void InvalidateRect(HWnd window, const TRect* rect, bool erase = true) = 0;
  // Device context for WM_PAINT, clipped to the update region, whose bounds go to
  // `paintRect`; None when there is nothing to paint.
  virtual HDc BeginPaint(HWnd window, TRect& paintRect) = 0;
  virtual void EndPaint(HWnd window) = 0;

  // Pointer and keyboard state (tray click handling).
  virtual TPoint GetCursorPos() = 0;
  virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;
};
