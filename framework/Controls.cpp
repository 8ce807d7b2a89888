#include "framework/Controls.h"

#include <algorithm>

#include "framework/Forms.h"

// ---- TControl ----------------------------------------------------------------

TControl::TControl(TComponent* owner, TPlatform* platform) : TComponent(owner, platform) {}

TControl::~TControl() { SetParent(nullptr); }

void TControl::SetParent(TWinControl* parent) {
  if (FParent == parent) return;
  if (FParent) {
    InvalidateArea(true);  // the place goes back to the parent's background
    std::erase(FParent->FControls, this);
  }
  FParent = parent;
  if (FParent) {
    FParent->FControls.push_back(this);
    Invalidate();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  InvalidateArea(true);  // the old place goes back to the parent's background
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  Invalidate();
}

void TControl::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  if (FParent && FParent->HandleAllocated()) {
    // Hidden: the parent's background comes back; shown: the control covers what it needs.
    TRect r = BoundsRect();
    Platform().Windows.InvalidateRect(FParent->Handle(), &r, !value || !Opaque());
  }
}

void TControl::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  Invalidate();
}

void TControl::Invalidate() { InvalidateArea(!Opaque()); }

void TControl::InvalidateArea(bool erase) {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  // A window out of sight is painted whole when it is shown: nothing to ask for before.
  if (!Platform().Windows.IsWindowVisible(FParent->Handle())) return;
  TRect r = BoundsRect();
  Platform().Windows.InvalidateRect(FParent->Handle(), &r, erase);
}

// ---- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner, TPlatform* platform)
    : TControl(owner, platform), FId(Platform().State.NextControlId()) {}

TWinControl::~TWinControl() {
  for (TControl* child : std::vector<TControl*>(FControls)) child->SetParent(nullptr);
  DestroyHandle();
}

HWnd TWinControl::Handle() {
  if (FHandle == HWnd::None) CreateHandle();
  return FHandle;
}

TWindowParams TWinControl::CreateParams() {
  TWindowParams params;
  params.Class = TWindowClass::Panel;
  params.Parent = Parent() ? Parent()->Handle() : HWnd::None;
  params.Caption = FCaption;
  params.Bounds = BoundsRect();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS | (FVisible ? WS_VISIBLE : 0);
  params.Id = FId;
  params.Proc = this;
  return params;
}

TWindowParams TWinControl::SystemControlParams(TWindowClass windowClass, std::uint32_t style) {
  TWindowParams params = TWinControl::CreateParams();
  params.Class = windowClass;
  params.Style |= style;
  params.Proc = nullptr;
  return params;
}

void TWinControl::CreateHandle() {
  IWindowing& windows = Platform().Windows;
  FHandle = windows.CreateWindow(CreateParams());
  if (!FEnabled) windows.EnableWindow(FHandle, false);
  HandleCreated();
  for (TControl* child : FControls)
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) windowed->Handle();
}

void TWinControl::CreateChildHandles() {
  for (TControl* child : FControls) {
    auto* windowed = dynamic_cast<TWinControl*>(child);
    if (!windowed) continue;
    if (windowed->HandleAllocated()) {
      windowed->CreateChildHandles();
    } else {
      windowed->Handle();
    }
  }
}

void TWinControl::DestroyHandle() {
  if (FHandle == HWnd::None) return;
  HWnd handle = FHandle;
  FHandle = HWnd::None;
  IWindowing& windows = Platform().Windows;
  if (windows.IsWindow(handle)) windows.DestroyWindow(handle);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (FHandle != HWnd::None)
    Platform().Windows.SetWindowPos(FHandle, left, top, width, height, SWP_NOZORDER);
}

void TWinControl::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  if (FHandle != HWnd::None) Platform().Windows.ShowWindow(FHandle, value ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  if (FHandle != HWnd::None) Platform().Windows.EnableWindow(FHandle, value);
}

void TWinControl::Invalidate() {
  if (FHandle != HWnd::None) Platform().Windows.InvalidateRect(FHandle, nullptr, true);
}

void TWinControl::SetCaption(const std::string& value) {
  if (FCaption == value) return;
  FCaption = value;
  if (FHandle != HWnd::None) Platform().Windows.SetWindowText(FHandle, value);
}

std::intptr_t TWinControl::WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
  TMessage msg{message, wParam, lParam, 0};
  // Exceptions never cross the system's frames: they are reported here and the loop goes on.
  try {
    if (message == WM_NCDESTROY && window == FHandle) FHandle = HWnd::None;
    if (FHandle == HWnd::None && message != WM_CREATE && message != WM_NCDESTROY) {
      return Platform().Windows.DefWindowProc(window, message, wParam, lParam);
    }
    WndProc(msg);
  } catch (const std::exception& e) {
    ReportException(Platform(), e);
  }
  return msg.Result;
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
    case WM_VSCROLL:
      for (TControl* child : FControls) {
        auto* windowed = dynamic_cast<TWinControl*>(child);
        if (windowed && windowed->FHandle != HWnd::None &&
            windowed->FHandle == static_cast<HWnd>(message.LParam)) {
          windowed->ParentNotify(message);
          return;
        }
      }
      break;
    case WM_PAINT:
      PaintHandler();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      MouseHandler(message);
      break;
  }
  DefaultHandler(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
  HWnd window = FHandle;
  if (window == HWnd::None) return;
  message.Result =
      Platform().Windows.DefWindowProc(window, message.Msg, message.WParam, message.LParam);
}

void TWinControl::PaintHandler() {
  IWindowing& windows = Platform().Windows;
  TRect paintRect;
  HDc dc = windows.BeginPaint(FHandle, paintRect);
  // The paint ends whatever escapes a control's painting.
  struct TEndPaint {
    IWindowing& Windows;
    HWnd Window;
    ~TEndPaint() { Windows.EndPaint(Window); }
  } endPaint{windows, FHandle};
  if (dc != HDc::None) {
    // Only the controls the update region touches: the others would be clipped away anyway.
    for (TControl* child : FControls) {
      TRect r = child->BoundsRect();
      bool touched = r.Left < paintRect.Right && paintRect.Left < r.Right &&
                     r.Top < paintRect.Bottom && paintRect.Top < r.Bottom;
      if (child->Windowless() && child->Visible() && touched)
        child->PaintWindowless(dc, {child->Left(), child->Top()});
    }
  }
}

TControl* TWinControl::WindowlessAt(int x, int y) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* child = *it;
    TRect r = child->BoundsRect();
    if (child->Windowless() && child->Visible() && x >= r.Left && x < r.Right && y >= r.Top &&
        y < r.Bottom)
      return child;
  }
  return nullptr;
}

void TWinControl::MouseHandler(TMessage& message) {
  int x = static_cast<std::int16_t>(LoWord(static_cast<std::uintptr_t>(message.LParam)));
  int y = static_cast<std::int16_t>(HiWord(static_cast<std::uintptr_t>(message.LParam)));
  TMouseButton button = (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONUP)
                            ? TMouseButton::mbLeft
                            : TMouseButton::mbRight;
  bool down = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_RBUTTONDOWN;
  TControl* target = down ? WindowlessAt(x, y) : FMouseCapture;
  if (down) FMouseCapture = target;
  if (!target || !target->Enabled()) return;
  if (down) {
    target->MouseDown(button, 0, x - target->Left(), y - target->Top());
  } else {
    FMouseCapture = nullptr;
    target->MouseUp(button, 0, x - target->Left(), y - target->Top());
  }
}
