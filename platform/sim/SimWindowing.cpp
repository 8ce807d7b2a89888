#include "platform/sim/SimWindowing.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr HWnd kBroadcast{0xFFFF};
constexpr int kBorder = 3;
constexpr int kToolCaption = 16;
constexpr int kCaption = 19;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// Client-area insets of a window of this style: left/top/right/bottom.
TRect Insets(std::uint32_t style, std::uint32_t exStyle) {
  if ((style & WS_CHILD) || !(style & WS_CAPTION)) return {};
  int caption = (exStyle & WS_EX_TOOLWINDOW) ? kToolCaption : kCaption;
  return {kBorder, kBorder + caption, kBorder, kBorder};
}
}  // namespace

// ---- windows ---------------------------------------------------------------

HWnd TSimWindowing::CreateWindow(const TWindowParams& params) {
  HWnd handle = SimHandle<HWnd>(FNextHandle);
  FNextHandle += 4;
  TWindow& w = FWindows[handle];
  w.Params = params;
  w.Proc = params.Proc;
  w.Rect = params.Bounds;
  w.Text = params.Caption;
  w.Visible = (params.Style & WS_VISIBLE) != 0;
  w.Process = ProcessId;
  if (params.Parent != HWnd::None) FChildren[params.Parent].push_back(handle);
  Deliver(handle, WM_CREATE, 0, 0);
  return handle;
}

void TSimWindowing::DestroyWindow(HWnd window) {
  if (!IsWindow(window)) return;
  Deliver(window, WM_DESTROY, 0, 0);
  auto children = FChildren[window];
  for (HWnd child : children) DestroyWindow(child);
  Deliver(window, WM_NCDESTROY, 0, 0);
  std::erase_if(FTimers, [&](const TTimer& t) { return t.Window == window; });
  std::erase_if(FQueue, [&](const TMsg& m) { return m.Window == window; });
  HWnd parent = FWindows[window].Params.Parent;
  if (parent != HWnd::None) std::erase(FChildren[parent], window);
  FChildren.erase(window);
  FWindows.erase(window);
  if (FForeground == window) FForeground = HWnd::None;
  if (FFocus == window) FFocus = HWnd::None;
}

void TSimWindowing::EndProcess(std::uint32_t process) {
  std::erase_if(FWindows, [&](const auto& entry) {
    if (entry.second.Process != process) return false;
    HWnd window = entry.first;
    std::erase_if(FTimers, [&](const TTimer& t) { return t.Window == window; });
    std::erase_if(FQueue, [&](const TMsg& m) { return m.Window == window; });
    FChildren.erase(window);
    if (FForeground == window) FForeground = HWnd::None;
    if (FFocus == window) FFocus = HWnd::None;
    return true;
  });
}

const TSimWindowing::TWindow* TSimWindowing::Find(HWnd window) const {
  auto it = FWindows.find(window);
  return it == FWindows.end() ? nullptr : &it->second;
}

std::vector<HWnd> TSimWindowing::Windows() const {
  std::vector<HWnd> result;
  for (const auto& [handle, w] : FWindows) result.push_back(handle);
  return result;
}

bool TSimWindowing::ShowWindow(HWnd window, int command) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return false;
  bool wasVisible = it->second.Visible;
  if (command == SW_HIDE) {
    if (!wasVisible) return false;
    Deliver(window, WM_SHOWWINDOW, 0, 0);
    FWindows[window].Visible = false;
    if (FForeground == window) FForeground = HWnd::None;
    return true;
  }
  if (!wasVisible) {
    Deliver(window, WM_SHOWWINDOW, 1, 0);
    FWindows[window].Visible = true;
    InvalidateTree(window);
  }
  if (command != SW_SHOWNA && FWindows[window].Params.Parent == HWnd::None) FForeground = window;
  return wasVisible;
}

bool TSimWindowing::IsWindowVisible(HWnd window) {
  for (const TWindow* w = Find(window); w; w = Find(w->Params.Parent)) {
    if (!w->Visible) return false;
    if (w->Params.Parent == HWnd::None) return true;
  }
  return false;
}

bool TSimWindowing::SetWindowPos(HWnd window, int x, int y, int width, int height,
                                 std::uint32_t flags) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return false;
  TRect& r = it->second.Rect;
  if (!(flags & SWP_NOMOVE)) r = Bounds(x, y, r.Width(), r.Height());
  if (!(flags & SWP_NOSIZE)) r = Bounds(r.Left, r.Top, width, height);
  InvalidateRect(window, nullptr, true);
  return true;
}

TRect TSimWindowing::GetWindowRect(HWnd window) {
  const TWindow* w = Find(window);
  if (!w) return {};
  TRect r = w->Rect;
  if (HWnd parent = w->Params.Parent; parent != HWnd::None) {
    const TWindow* p = Find(parent);
    TRect origin = GetWindowRect(parent);
    TRect inset = Insets(p->Params.Style, p->Params.ExStyle);
    r = Bounds(origin.Left + inset.Left + r.Left, origin.Top + inset.Top + r.Top, r.Width(),
               r.Height());
  }
  return r;
}

TRect TSimWindowing::GetClientRect(HWnd window) {
  const TWindow* w = Find(window);
  if (!w) return {};
  TRect inset = Insets(w->Params.Style, w->Params.ExStyle);
  return {0, 0, w->Rect.Width() - inset.Left - inset.Right,
          w->Rect.Height() - inset.Top - inset.Bottom};
}

TRect TSimWindowing::AdjustWindowRect(TRect client, std::uint32_t style, std::uint32_t exStyle) {
  TRect inset = Insets(style, exStyle);
  return {client.Left - inset.Left, client.Top - inset.Top, client.Right + inset.Right,
          client.Bottom + inset.Bottom};
}

void TSimWindowing::SetWindowText(HWnd window, const std::string& text) {
  auto it = FWindows.find(window);
  if (it != FWindows.end()) it->second.Text = text;
}

std::string TSimWindowing::GetWindowText(HWnd window) {
  const TWindow* w = Find(window);
  return w ? w->Text : std::string();
}

bool TSimWindowing::EnableWindow(HWnd window, bool enable) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return false;
  bool wasDisabled = !it->second.Enabled;
  it->second.Enabled = enable;
  return wasDisabled;
}

bool TSimWindowing::SetForegroundWindow(HWnd window) {
  if (!IsWindow(window)) return false;
  FForeground = TopLevelOf(window);
  return true;
}

int TSimWindowing::GetSystemMetrics(int index) {
  if (index == SM_CXSCREEN) return kScreenWidth;
  if (index == SM_CYSCREEN) return kScreenHeight;
  // Classic Windows metrics.
  if (index == SM_CXBORDER || index == SM_CYBORDER) return 1;
  if (index == SM_CXDLGFRAME || index == SM_CYDLGFRAME) return 3;
  if (index == SM_CXFRAME || index == SM_CYFRAME) return 4;
  return 0;
}

bool TSimWindowing::GetWindowPlacement(HWnd window, TWindowPlacement& placement) {
  const TWindow* w = Find(window);
  if (!w || placement.Length != 44) return false;
  // The show command tells normal from minimised or maximised, not visible from hidden.
  placement.Flags = 0;
  placement.ShowCmd = SW_SHOWNORMAL;
  auto it = FPlacementPositions.find(window);
  placement.MinPosition = it == FPlacementPositions.end() ? TPoint{-1, -1} : it->second.first;
  placement.MaxPosition = it == FPlacementPositions.end() ? TPoint{-1, -1} : it->second.second;
  placement.NormalPosition = w->Rect;
  return true;
}

bool TSimWindowing::SetWindowPlacement(HWnd window, const TWindowPlacement& placement) {
  const TWindow* w = Find(window);
  if (!w || placement.Length != 44) return false;
  FPlacementPositions[window] = {placement.MinPosition, placement.MaxPosition};
  const TRect& r = placement.NormalPosition;
  if (!(r == w->Rect))
    SetWindowPos(window, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  bool show = placement.ShowCmd != static_cast<std::uint32_t>(SW_HIDE);
  if (show != Find(window)->Visible) ShowWindow(window, show ? SW_SHOWNORMAL : SW_HIDE);
  return true;
}

HWnd TSimWindowing::TopLevelOf(HWnd window) const {
  const TWindow* w = Find(window);
  while (w && w->Params.Parent != HWnd::None) {
    window = w->Params.Parent;
    w = Find(window);
  }
  return window;
}

// ---- messages --------------------------------------------------------------

std::intptr_t TSimWindowing::Deliver(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return 0;
  if (Recording) Delivered.push_back({window, message, wParam, lParam});
  if (IWindowProc* proc = it->second.Proc) return proc->WindowProc(window, message, wParam, lParam);
  return StandardControlProc(it->second, window, message, wParam, lParam);
}

std::intptr_t TSimWindowing::StandardControlProc(TWindow& w, HWnd window, std::uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t lParam) {
  if (w.Params.Class == TWindowClass::UpDown) {
    switch (message) {
      case UDM_SETRANGE32:
        w.UpDownMin = static_cast<int>(wParam);
        w.UpDownMax = static_cast<int>(lParam);
        return 0;
      case UDM_SETPOS32: {
        int old = w.UpDownPos;
        int low = std::min(w.UpDownMin, w.UpDownMax);
        int high = std::max(w.UpDownMin, w.UpDownMax);
        w.UpDownPos = std::clamp(static_cast<int>(lParam), low, high);
        return old;
      }
      case UDM_GETPOS32:
        return w.UpDownPos;
    }
  }
  return DefWindowProc(window, message, wParam, lParam);
}

std::intptr_t TSimWindowing::SendMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
  return Deliver(window, message, wParam, lParam);
}

bool TSimWindowing::PostMessage(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  // A broadcast goes to each top-level window the elevation filter lets it reach.
  if (window == kBroadcast) {
    for (const auto& [handle, w] : FWindows)
      if (w.Params.Parent == HWnd::None && !Filtered(w.Process, message))
        FQueue.push_back({handle, message, wParam, lParam});
    return true;
  }
  if (window != HWnd::None && !IsWindow(window)) return false;
  // The elevation filter, as the system's: refused, not queued.
  if (window != HWnd::None && Filtered(FWindows[window].Process, message)) return false;
  FQueue.push_back({window, message, wParam, lParam});
  return true;
}

bool TSimWindowing::Filtered(std::uint32_t receiver, std::uint32_t message) {
  return message >= WM_USER && receiver != ProcessId && ElevatedProcesses.count(receiver) &&
         !ElevatedProcesses.count(ProcessId) && !FFilterOpen[receiver].count(message);
}

void TSimWindowing::PostQuitMessage(int exitCode) {
  FQuitPosted = true;
  FExitCode = exitCode;
}

std::intptr_t TSimWindowing::DefWindowProc(HWnd window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return 1;
    case WM_ERASEBKGND: {
      // The program's own classes have the button face as their background, as the real
      // backend registers them; the hidden utility window and standard controls have none.
      const TWindow* w = Find(window);
      if (!w) return 0;
      TWindowClass c = w->Params.Class;
      bool brush =
          c == TWindowClass::Frame || c == TWindowClass::Application || c == TWindowClass::Panel;
      if (!brush || !OnEraseBackground || wParam == 0) return 0;
      OnEraseBackground(window, SimHandle<HDc>(wParam), GetClientRect(window));
      return 1;
    }
    case WM_PAINT: {
      // As the system's: a paint and nothing drawn, so an erase asked for still comes.
      TRect area;
      if (BeginPaint(window, area) != HDc::None) EndPaint(window);
      Validate(window);
      return 0;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_RESTORE) ShowWindow(window, SW_RESTORE);
      return 0;
  }
  return 0;
}

// Names are atoms to the system: one number whatever the case of the letters.
std::uint32_t TSimWindowing::RegisterWindowMessage(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto [it, added] = FRegistered.try_emplace(key, 0xC000 + FRegistered.size());
  return it->second;
}

bool TSimWindowing::ChangeWindowMessageFilter(std::uint32_t message) {
  FFilterOpen[ProcessId].insert(message);
  return true;
}

// Captions are compared as the system compares them, regardless of case.
HWnd TSimWindowing::FindWindow(TWindowClass windowClass, const std::string& caption, HWnd after) {
  auto same = [](const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::toupper(static_cast<unsigned char>(x)) ==
             std::toupper(static_cast<unsigned char>(y));
    });
  };
  for (auto it = FWindows.upper_bound(after); it != FWindows.end(); ++it) {
    const TWindow& w = it->second;
    if (w.Params.Parent == HWnd::None && w.Params.Class == windowClass && same(w.Text, caption))
      return it->first;
  }
  return HWnd::None;
}

std::uint32_t TSimWindowing::GetWindowProcessId(HWnd window) {
  const TWindow* w = Find(window);
  return w ? w->Process : 0;
}

TWndProcRef TSimWindowing::SubclassWindow(HWnd window, IWindowProc* replacement) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return 0;
  IWindowProc* previous = it->second.Proc;
  it->second.Proc = replacement;
  return reinterpret_cast<TWndProcRef>(previous);
}

void TSimWindowing::RestoreWindowProc(HWnd window, TWndProcRef previous) {
  auto it = FWindows.find(window);
  if (it != FWindows.end()) it->second.Proc = reinterpret_cast<IWindowProc*>(previous);
}

std::intptr_t TSimWindowing::CallWindowProc(TWndProcRef previous, HWnd window,
                                            std::uint32_t message, std::uintptr_t wParam,
                                            std::intptr_t lParam) {
  if (auto* proc = reinterpret_cast<IWindowProc*>(previous))
    return proc->WindowProc(window, message, wParam, lParam);
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return 0;
  return StandardControlProc(it->second, window, message, wParam, lParam);
}

// ---- timers and the loop ---------------------------------------------------

bool TSimWindowing::SetTimer(HWnd window, std::uintptr_t id, std::uint32_t milliseconds) {
  if (!IsWindow(window)) return false;
  KillTimer(window, id);
  FTimers.push_back({window, id, milliseconds, FClock.Now() + milliseconds});
  return true;
}

bool TSimWindowing::KillTimer(HWnd window, std::uintptr_t id) {
  return std::erase_if(FTimers, [&](const TTimer& t) { return t.Window == window && t.Id == id; }) >
         0;
}

bool TSimWindowing::TakeNextMessage(TMsg& msg, bool advanceClock) {
  for (;;) {
    if (!FQueue.empty()) {
      msg = FQueue.front();
      FQueue.pop_front();
      return true;
    }
    if (FQuitPosted) return false;
    for (auto& [handle, w] : FWindows) {
      if (w.Dirty && IsWindowVisible(handle)) {
        w.Dirty = false;
        msg = {handle, WM_PAINT, 0, 0};
        return true;
      }
    }
    auto next = std::min_element(FTimers.begin(), FTimers.end(),
                                 [](const TTimer& a, const TTimer& b) { return a.Due < b.Due; });
    if (next != FTimers.end() && next->Due <= FClock.Now()) {
      next->Due = FClock.Now() + next->Interval;
      msg = {next->Window, WM_TIMER, next->Id, 0};
      return true;
    }
    if (!advanceClock) return false;
    if (next != FTimers.end() && next->Due <= FRunLimit) {
      FClock.AdvanceTo(next->Due);
      continue;
    }
    FClock.AdvanceTo(FRunLimit);
    return false;
  }
}

bool TSimWindowing::GetMessage(TMsg& msg) {
  if (TakeNextMessage(msg, true)) return true;
  if (FQuitPosted) {
    FQuitPosted = false;
    FQuitReceived = true;
    msg = {HWnd::None, WM_QUIT, static_cast<std::uintptr_t>(FExitCode), 0};
  } else {
    msg = {};
  }
  return false;
}

bool TSimWindowing::PeekMessage(TMsg& msg) { return TakeNextMessage(msg, false); }

// Enter asks the dialog for its default button and presses it, as the system's dialog
// manager does; other keys are left to the window.
bool TSimWindowing::IsDialogMessage(HWnd dialog, TMsg& msg) {
  if (msg.Message != WM_KEYDOWN || msg.WParam != VK_RETURN) return false;
  if (!IsWindowVisible(dialog)) return false;
  auto answer = static_cast<std::uintptr_t>(SendMessage(dialog, DM_GETDEFID, 0, 0));
  if (HiWord(answer) != DC_HASDEFID) {
    // No default button: the dialog gets the OK command, from its OK control if it has one.
    constexpr std::uint16_t kIdOk = 1;
    HWnd ok = HWnd::None;
    for (HWnd child : FChildren[dialog])
      if (Find(child)->Params.Id == kIdOk) ok = child;
    SendMessage(dialog, WM_COMMAND, kIdOk, static_cast<std::intptr_t>(ok));
    return true;
  }
  for (HWnd child : FChildren[dialog]) {
    const TWindow* w = Find(child);
    if (w->Params.Id == LoWord(answer) && w->Enabled) {
      SendMessage(dialog, WM_COMMAND, MakeLong(LoWord(answer), BN_CLICKED),
                  static_cast<std::intptr_t>(child));
      break;
    }
  }
  return true;
}

std::intptr_t TSimWindowing::DispatchMessage(const TMsg& msg) {
  if (msg.Window == HWnd::None) return 0;
  return Deliver(msg.Window, msg.Message, msg.WParam, msg.LParam);
}

void TSimWindowing::RunFor(std::uint64_t milliseconds) {
  std::uint64_t outer = FRunLimit;
  FRunLimit = FClock.Now() + milliseconds;
  ++FRunDepth;
  TMsg msg;
  while (GetMessage(msg)) {
    if (!IsDialogMessage(TopLevelOf(msg.Window), msg)) {
      TranslateMessage(msg);
      DispatchMessage(msg);
    }
  }
  // A modal loop that meets the quit message ends and leaves it for the outer loop.
  --FRunDepth;
  if (FRunDepth > 0 && msg.Message == WM_QUIT) {
    FQuitPosted = true;
    FQuitReceived = false;
  }
  FRunLimit = std::max(outer, FClock.Now());
}

// ---- painting and input ----------------------------------------------------

void TSimWindowing::InvalidateRect(HWnd window, const TRect* rect, bool erase) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return;
  TRect client = GetClientRect(window);
  TRect r = rect ? *rect : client;
  r = {std::max(r.Left, client.Left), std::max(r.Top, client.Top), std::min(r.Right, client.Right),
       std::min(r.Bottom, client.Bottom)};
  if (r.Left >= r.Right || r.Top >= r.Bottom) return;  // adds nothing to the region
  TWindow& w = it->second;
  w.Update.push_back(r);
  w.Erase = w.Erase || erase;
  w.Dirty = true;
}

// A window that appears is painted whole, its visible children with it, each over its
// background.
void TSimWindowing::InvalidateTree(HWnd window) {
  InvalidateRect(window, nullptr, true);
  for (HWnd child : FChildren[window])
    if (const TWindow* w = Find(child); w && w->Visible) InvalidateTree(child);
}

void TSimWindowing::Validate(HWnd window) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return;
  it->second.Update.clear();
  it->second.Erase = false;
  it->second.Dirty = false;
}

HDc TSimWindowing::BeginPaint(HWnd window, TRect& paintRect) {
  auto it = FWindows.find(window);
  if (it == FWindows.end()) return HDc::None;
  TWindow& w = it->second;
  TRect client = GetClientRect(window);
  std::vector<TRect> region = std::move(w.Update);
  bool erase = w.Erase;
  w.Update.clear();
  w.Erase = false;
  w.Dirty = false;
  // A paint nobody asked for (a test sending WM_PAINT itself) gets the whole client area,
  // with nothing erased.
  if (region.empty()) region.push_back(client);
  paintRect = region.front();
  for (const TRect& r : region)
    paintRect = {std::min(paintRect.Left, r.Left), std::min(paintRect.Top, r.Top),
                 std::max(paintRect.Right, r.Right), std::max(paintRect.Bottom, r.Bottom)};
  HDc dc = OnBeginPaint ? OnBeginPaint(window, client, region) : HDc::None;
  // The erase comes from inside BeginPaint, before the window draws anything.
  if (dc != HDc::None && erase) Deliver(window, WM_ERASEBKGND, SimId(dc), 0);
  return dc;
}

void TSimWindowing::EndPaint(HWnd window) {
  if (OnEndPaint) OnEndPaint(window);
}

std::int16_t TSimWindowing::GetAsyncKeyState(int virtualKey) {
  auto it = KeysDown.find(virtualKey);
  return (it != KeysDown.end() && it->second) ? static_cast<std::int16_t>(0x8000) : 0;
}

void TSimWindowing::ClickButton(HWnd button) {
  const TWindow* w = Find(button);
  if (!w || !w->Enabled) return;
  SendMessage(w->Params.Parent, WM_COMMAND,
              MakeLong(static_cast<std::uint16_t>(w->Params.Id), BN_CLICKED),
              static_cast<std::intptr_t>(button));
}

void TSimWindowing::ClickUpDown(HWnd upDown, bool up) {
  auto it = FWindows.find(upDown);
  if (it == FWindows.end() || !it->second.Enabled) return;
  TWindow& w = it->second;
  int step = (w.UpDownMin <= w.UpDownMax) == up ? 1 : -1;
  int low = std::min(w.UpDownMin, w.UpDownMax);
  int high = std::max(w.UpDownMin, w.UpDownMax);
  w.UpDownPos = std::clamp(w.UpDownPos + step, low, high);
  SendMessage(w.Params.Parent, WM_VSCROLL,
              MakeLong(SB_THUMBPOSITION, static_cast<std::uint16_t>(w.UpDownPos)),
              static_cast<std::intptr_t>(upDown));
}

void TSimWindowing::PressKey(HWnd window, std::uint32_t virtualKey) {
  PostMessage(window != HWnd::None ? window : FFocus, WM_KEYDOWN, virtualKey, 0);
}
