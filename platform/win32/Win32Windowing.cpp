#include "platform/win32/Win32Windowing.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Geometry.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Libraries.h"

namespace {
constexpr char kApplicationClass[] = "KelvaneApplication";
constexpr char kFrameClass[] = "KelvaneFrame";
constexpr char kPanelClass[] = "KelvanePanel";
constexpr char kUtilityClass[] = "KelvaneUtility";

// Our own classes keep their procedure object in the window's user data.
LRESULT CALLBACK ObjectWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* proc = reinterpret_cast<IWindowProc*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!proc) return DefWindowProcA(window, message, wParam, lParam);
  return proc->WindowProc(FromWin32<HWnd>(window), message, wParam, lParam);
}

// A window that has replacement procedures gets ReplacementWndProc as its system procedure;
// the window's chain (found through a window property) calls the latest replacement.
constexpr char kChainProperty[] = "KelvaneChain";

LRESULT CALLBACK ReplacementWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RegisterClasses() {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = ObjectWndProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.hIcon = LoadIconA(cls.hInstance, "MAINICON");
  cls.lpszClassName = kFrameClass;
  RegisterClassA(&cls);
  cls.lpszClassName = kApplicationClass;
  RegisterClassA(&cls);
  cls.hIcon = nullptr;
  cls.lpszClassName = kPanelClass;
  RegisterClassA(&cls);
  cls.hbrBackground = nullptr;
  cls.lpszClassName = kUtilityClass;
  RegisterClassA(&cls);
}

// The group frame of a panel with a caption: an etched rectangle whose top edge runs through
// the middle of the caption. A paint wholly inside the frame and below the caption (a widget's
// repaint) leaves both out: they would draw nothing there, and selecting the font into a
// window's context is the dearest part of such a repaint under Wine.
void PaintPanelFrame(HWND window, HDC dc, HFONT font, const RECT& paint, int& captionHeight) {
  constexpr int kEdge = 2;  // an etched edge's width
  RECT client;
  ::GetClientRect(window, &client);
  if (captionHeight > 0 && paint.left >= client.left + kEdge &&
      paint.right <= client.right - kEdge && paint.top >= captionHeight + kEdge &&
      paint.bottom <= client.bottom - kEdge)
    return;
  char caption[256];
  int length = GetWindowTextA(window, caption, sizeof caption);
  if (length <= 0) return;
  HGDIOBJ oldFont = SelectObject(dc, font);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  captionHeight = metrics.tmHeight;
  RECT frame = client;
  frame.top += metrics.tmHeight / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc, OPAQUE);
  TextOutA(dc, 8, 0, caption, length);
  SelectObject(dc, oldFont);
}
}  // namespace

struct TWin32Windowing::TPaint {
  PAINTSTRUCT Ps;
};

// Replacements stack: each reaches the one before it (or the window's own procedure) through
// its entry, so they can be taken away in any order. A reference handed out is the address
// of the caller's own entry.
struct TWin32Windowing::TChain {
  struct TEntry {
    IWindowProc* Proc;
    TEntry* Before;  // null: the window's own procedure is next
  };
  WNDPROC Original = nullptr;
  std::vector<std::unique_ptr<TEntry>> Entries;
};

// The last message taken, with the time and point the system gave it.
struct TWin32Windowing::TLastMessage {
  MSG Msg = {};
};

namespace {
LRESULT CALLBACK ReplacementWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* chain = static_cast<TWin32Windowing::TChain*>(GetPropA(window, kChainProperty));
  if (!chain || chain->Entries.empty()) return DefWindowProcA(window, message, wParam, lParam);
  return chain->Entries.back()->Proc->WindowProc(FromWin32<HWnd>(window), message, wParam, lParam);
}
}  // namespace

TWin32Windowing::TWin32Windowing() : FLast(std::make_unique<TLastMessage>()) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  System32::InitCommonControlsEx(&controls);
  RegisterClasses();
  // The window's font, which the controls inherit.
  FFont = FromWin32<HGdiObj>(CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH, "MS Sans Serif"));
}

namespace {
// A window's entry in a list by window; the list's end when it has none.
template <class List>
auto Entry(List& list, HWnd window) {
  return std::ranges::find(list, window, &List::value_type::first);
}
// A window's place in a list by window, made empty when it has none.
template <class List>
auto& Slot(List& list, HWnd window) {
  auto it = Entry(list, window);
  return it != list.end() ? it->second : list.emplace_back(window, nullptr).second;
}
}  // namespace

TWin32Windowing::~TWin32Windowing() {
  // Windows that outlive this object get their own procedures back.
  for (auto& [window, chain] : FChains) {
    if (!::IsWindow(ToWin32(window))) continue;
    SetWindowLongPtrA(ToWin32(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->Original));
    RemovePropA(ToWin32(window), kChainProperty);
  }
  DeleteObject(ToWin32(FFont));
}

const char* Win32ClassName(TWindowClass windowClass) {
  switch (windowClass) {
    case TWindowClass::Application:
      return kApplicationClass;
    case TWindowClass::Frame:
      return kFrameClass;
    case TWindowClass::Panel:
      return kPanelClass;
    case TWindowClass::Utility:
      return kUtilityClass;
    case TWindowClass::Button:
      return "BUTTON";
    case TWindowClass::UpDown:
      return UPDOWN_CLASSA;
    case TWindowClass::Label:
      return "STATIC";
  }
  return kUtilityClass;
}

namespace {}  // namespace

HWnd TWin32Windowing::CreateWindow(const TWindowParams& p) {
  const char* className = Win32ClassName(p.Class);
  DWORD style = p.Style;
  if (p.Class == TWindowClass::Utility) style |= WS_POPUP;
  // A caption wider than its label is cut, not wrapped.
  if (p.Class == TWindowClass::Label) style |= SS_LEFTNOWORDWRAP;
  HWND parent = ToWin32(p.Parent != HWnd::None ? p.Parent : p.Owner);
  HMENU menu =
      p.Parent != HWnd::None ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.Id)) : nullptr;
  HWND window = CreateWindowExA(p.ExStyle, className, p.Caption.c_str(), style, p.Bounds.Left,
                                p.Bounds.Top, p.Bounds.Width(), p.Bounds.Height(), parent, menu,
                                GetModuleHandleA(nullptr), p.Proc);
  if (window && p.Parent != HWnd::None)
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(ToWin32(FFont)), FALSE);
  return FromWin32<HWnd>(window);
}

void TWin32Windowing::DestroyWindow(HWnd window) { ::DestroyWindow(ToWin32(window)); }
bool TWin32Windowing::IsWindow(HWnd window) { return ::IsWindow(ToWin32(window)) != 0; }
bool TWin32Windowing::ShowWindow(HWnd window, int command) {
  return ::ShowWindow(ToWin32(window), command) != 0;
}
bool TWin32Windowing::IsWindowVisible(HWnd window) {
  return ::IsWindowVisible(ToWin32(window)) != 0;
}

bool TWin32Windowing::SetWindowPos(HWnd window, int x, int y, int width, int height,
                                   std::uint32_t flags) {
  return ::SetWindowPos(ToWin32(window), nullptr, x, y, width, height, flags) != 0;
}

TRect TWin32Windowing::GetWindowRect(HWnd window) {
  RECT r = {};
  ::GetWindowRect(ToWin32(window), &r);
  return FromRect(r);
}

TRect TWin32Windowing::GetClientRect(HWnd window) {
  RECT r = {};
  ::GetClientRect(ToWin32(window), &r);
  return FromRect(r);
}

TRect TWin32Windowing::AdjustWindowRect(TRect client, std::uint32_t style, std::uint32_t exStyle) {
  RECT r = ToRect(client);
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return FromRect(r);
}

void TWin32Windowing::SetWindowText(HWnd window, const std::string& text) {
  SetWindowTextA(ToWin32(window), text.c_str());
}

std::string TWin32Windowing::GetWindowText(HWnd window) {
  char text[512] = {};
  int length = GetWindowTextA(ToWin32(window), text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

bool TWin32Windowing::EnableWindow(HWnd window, bool enable) {
  return ::EnableWindow(ToWin32(window), enable) != 0;
}
bool TWin32Windowing::SetForegroundWindow(HWnd window) {
  return ::SetForegroundWindow(ToWin32(window)) != 0;
}
HWnd TWin32Windowing::GetForegroundWindow() { return FromWin32<HWnd>(::GetForegroundWindow()); }
void TWin32Windowing::SetFocus(HWnd window) { ::SetFocus(ToWin32(window)); }
int TWin32Windowing::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

bool TWin32Windowing::GetWindowPlacement(HWnd window, TWindowPlacement& placement) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!::GetWindowPlacement(ToWin32(window), &wp)) return false;
  placement.Length = wp.length;
  placement.Flags = wp.flags;
  placement.ShowCmd = wp.showCmd;
  placement.MinPosition = FromPoint(wp.ptMinPosition);
  placement.MaxPosition = FromPoint(wp.ptMaxPosition);
  placement.NormalPosition = FromRect(wp.rcNormalPosition);
  return true;
}

bool TWin32Windowing::SetWindowPlacement(HWnd window, const TWindowPlacement& placement) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.flags = placement.Flags;
  wp.showCmd = placement.ShowCmd;
  wp.ptMinPosition = ToPoint(placement.MinPosition);
  wp.ptMaxPosition = ToPoint(placement.MaxPosition);
  wp.rcNormalPosition = ToRect(placement.NormalPosition);
  return ::SetWindowPlacement(ToWin32(window), &wp) != FALSE;
}

std::intptr_t TWin32Windowing::SendMessage(HWnd window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  return SendMessageA(ToWin32(window), message, wParam, lParam);
}

bool TWin32Windowing::PostMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
  return PostMessageA(ToWin32(window), message, wParam, lParam) != 0;
}

void TWin32Windowing::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

std::intptr_t TWin32Windowing::DefWindowProc(HWnd window, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
  return DefWindowProcA(ToWin32(window), message, wParam, lParam);
}

std::uint32_t TWin32Windowing::RegisterWindowMessage(const std::string& name) {
  return RegisterWindowMessageA(name.c_str());
}

bool TWin32Windowing::ChangeWindowMessageFilter(std::uint32_t message) {
  // Vista and later; looked up here so the program still loads where there is no filter.
  // Asked for a message or two at the start: looked up each time.
  using TChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
  const auto change = reinterpret_cast<TChangeFilter>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter")));
  constexpr DWORD kAdd = 1;  // MSGFLT_ADD
  return !change || change(message, kAdd) != 0;
}

HWnd TWin32Windowing::FindWindow(TWindowClass windowClass, const std::string& caption, HWnd after) {
  return FromWin32<HWnd>(
      FindWindowExA(nullptr, ToWin32(after), Win32ClassName(windowClass), caption.c_str()));
}

std::uint32_t TWin32Windowing::GetWindowProcessId(HWnd window) {
  DWORD process = 0;
  if (!GetWindowThreadProcessId(ToWin32(window), &process)) return 0;
  return process;
}

TWndProcRef TWin32Windowing::SubclassWindow(HWnd window, IWindowProc* replacement) {
  std::unique_ptr<TChain>& chain = Slot(FChains, window);
  if (!chain) {
    chain = std::make_unique<TChain>();
    SetPropA(ToWin32(window), kChainProperty, chain.get());
    chain->Original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        ToWin32(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReplacementWndProc)));
  }
  TChain::TEntry* before = chain->Entries.empty() ? nullptr : chain->Entries.back().get();
  chain->Entries.push_back(std::make_unique<TChain::TEntry>(TChain::TEntry{replacement, before}));
  return reinterpret_cast<TWndProcRef>(chain->Entries.back().get());
}

void TWin32Windowing::RestoreWindowProc(HWnd window, TWndProcRef previous) {
  auto it = Entry(FChains, window);
  if (it == FChains.end()) return;
  auto& entries = it->second->Entries;
  auto* gone = reinterpret_cast<TChain::TEntry*>(previous);
  for (auto& entry : entries)
    if (entry->Before == gone) entry->Before = gone->Before;
  std::erase_if(entries, [gone](const auto& entry) { return entry.get() == gone; });
  if (entries.empty()) {
    SetWindowLongPtrA(ToWin32(window), GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(it->second->Original));
    RemovePropA(ToWin32(window), kChainProperty);
    FChains.erase(it);
  }
}

std::intptr_t TWin32Windowing::CallWindowProc(TWndProcRef previous, HWnd window,
                                              std::uint32_t message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
  auto* own = reinterpret_cast<TChain::TEntry*>(previous);
  if (own && own->Before) return own->Before->Proc->WindowProc(window, message, wParam, lParam);
  auto it = Entry(FChains, window);
  WNDPROC original = it != FChains.end() ? it->second->Original : nullptr;
  if (!original) return DefWindowProcA(ToWin32(window), message, wParam, lParam);
  return CallWindowProcA(original, ToWin32(window), message, wParam, lParam);
}

bool TWin32Windowing::SetTimer(HWnd window, std::uintptr_t id, std::uint32_t milliseconds) {
  return ::SetTimer(ToWin32(window), id, milliseconds, nullptr) != 0;
}

bool TWin32Windowing::KillTimer(HWnd window, std::uintptr_t id) {
  return ::KillTimer(ToWin32(window), id) != 0;
}

namespace {
MSG ToMsg(const TMsg& m) {
  MSG msg = {};
  msg.hwnd = ToWin32(m.Window);
  msg.message = m.Message;
  msg.wParam = m.WParam;
  msg.lParam = m.LParam;
  return msg;
}
TMsg FromMsg(const MSG& m) { return {FromWin32<HWnd>(m.hwnd), m.message, m.wParam, m.lParam}; }
}  // namespace

bool TWin32Windowing::GetMessage(TMsg& msg) {
  BOOL result = GetMessageA(&FLast->Msg, nullptr, 0, 0);
  msg = FromMsg(FLast->Msg);
  return result > 0;
}

bool TWin32Windowing::PeekMessage(TMsg& msg) {
  if (!PeekMessageA(&FLast->Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  msg = FromMsg(FLast->Msg);
  return true;
}

bool TWin32Windowing::IsDialogMessage(HWnd dialog, TMsg& msg) {
  MSG m = ToMsg(msg);
  if (m.hwnd == FLast->Msg.hwnd && m.message == FLast->Msg.message) m = FLast->Msg;
  return IsDialogMessageA(ToWin32(dialog), &m) != 0;
}

void TWin32Windowing::TranslateMessage(const TMsg& msg) {
  MSG m = ToMsg(msg);
  ::TranslateMessage(&m);
}

std::intptr_t TWin32Windowing::DispatchMessage(const TMsg& msg) {
  MSG m = ToMsg(msg);
  if (m.hwnd == FLast->Msg.hwnd && m.message == FLast->Msg.message) m = FLast->Msg;
  return DispatchMessageA(&m);
}

void TWin32Windowing::InvalidateRect(HWnd window, const TRect* rect, bool erase) {
  BOOL eraseFlag = erase ? TRUE : FALSE;
  if (rect) {
    RECT r = ToRect(*rect);
    ::InvalidateRect(ToWin32(window), &r, eraseFlag);
  } else {
    ::InvalidateRect(ToWin32(window), nullptr, eraseFlag);
  }
}

HDc TWin32Windowing::BeginPaint(HWnd window, TRect& paintRect) {
  // Held by its own address: the list may grow while the system paints (another window's
  // paint begun from a message sent meanwhile).
  TPaint* paint = (Slot(FPaints, window) = std::make_unique<TPaint>()).get();
  HDC dc = ::BeginPaint(ToWin32(window), &paint->Ps);
  paintRect = FromRect(paint->Ps.rcPaint);
  char className[32] = {};
  GetClassNameA(ToWin32(window), className, sizeof className);
  if (lstrcmpA(className, kPanelClass) == 0)
    PaintPanelFrame(ToWin32(window), dc, static_cast<HFONT>(ToWin32(FFont)), paint->Ps.rcPaint,
                    FCaptionHeight);
  return FromWin32<HDc>(dc);
}

void TWin32Windowing::EndPaint(HWnd window) {
  auto it = Entry(FPaints, window);
  if (it == FPaints.end()) return;
  ::EndPaint(ToWin32(window), &it->second->Ps);
  FPaints.erase(it);
}

TPoint TWin32Windowing::GetCursorPos() {
  POINT p = {};
  ::GetCursorPos(&p);
  return FromPoint(p);
}

std::int16_t TWin32Windowing::GetAsyncKeyState(int virtualKey) {
  return static_cast<std::int16_t>(::GetAsyncKeyState(virtualKey));
}
