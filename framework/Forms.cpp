#include "framework/Forms.h"

#include <algorithm>

#include "framework/Button.h"

std::string ExceptionReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void ReportException(TPlatform& platform, const std::exception& e) {
  if (TApplication* application = TApplication::Of(platform)) application->HandleException(e);
}

// ---- TForm -------------------------------------------------------------------

TForm::TForm(TComponent* owner, TPlatform* platform) : TWinControl(owner, platform) {
  FVisible = false;
  if (auto* application = dynamic_cast<TApplication*>(owner);
      application && application->FCreatingMainForm) {
    application->FMainForm = this;
    application->FCreatingMainForm = false;
  }
}

TForm::~TForm() { DoDestroy(); }

void TForm::DoCreate() {
  try {
    OnCreate(this);
  } catch (const std::exception& e) {
    ReportException(Platform(), e);
  }
}

void TForm::DoDestroy() {
  if (FDestroying) return;
  FDestroying = true;
  try {
    OnDestroy(this);
  } catch (const std::exception& e) {
    ReportException(Platform(), e);
  }
  DestroyComponents();
  DestroyHandle();
}

TWindowParams TForm::CreateParams() {
  TWindowParams params;
  params.Class = TWindowClass::Frame;
  params.Caption = FCaption;
  bool tool =
      FBorderStyle == TBorderStyle::bsToolWindow || FBorderStyle == TBorderStyle::bsSizeToolWin;
  params.Style = WS_POPUP | WS_CLIPCHILDREN;
  if (FBorderStyle != TBorderStyle::bsNone) params.Style |= WS_CAPTION;
  if ((FBorderIcons & biSystemMenu) && FBorderStyle != TBorderStyle::bsNone)
    params.Style |= WS_SYSMENU;
  params.ExStyle = WS_EX_CONTROLPARENT | (tool ? WS_EX_TOOLWINDOW : 0);
  IWindowing& windows = Platform().Windows;
  TRect client = Bounds(FLeft, FTop, FClientWidth, FClientHeight);
  params.Bounds = windows.AdjustWindowRect(client, params.Style, params.ExStyle);
  params.Bounds = Bounds(FLeft, FTop, params.Bounds.Width(), params.Bounds.Height());
  if (TApplication* application = TApplication::Of(Platform()))
    params.Owner = application->Handle();
  params.Proc = this;
  return params;
}

void TForm::SetClientWidth(int value) {
  FClientWidth = value;
  FWidth = value;
}

void TForm::SetClientHeight(int value) {
  FClientHeight = value;
  FHeight = value;
}

void TForm::PlaceAtFirstShow() {
  if (FShownOnce) return;
  FShownOnce = true;
  if (FPosition != TPosition::poScreenCenter) return;
  IWindowing& windows = Platform().Windows;
  TRect r = windows.GetWindowRect(Handle());
  int left = (windows.GetSystemMetrics(SM_CXSCREEN) - r.Width()) / 2;
  int top = (windows.GetSystemMetrics(SM_CYSCREEN) - r.Height()) / 2;
  windows.SetWindowPos(Handle(), left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FLeft = left;
  FTop = top;
}

void TForm::SetVisible(bool value) {
  if (FVisible == value) return;
  IWindowing& windows = Platform().Windows;
  TApplication* application = TApplication::Of(Platform());
  bool mainForm = application && application->MainForm() == this;
  if (value) {
    if (FShowing) return;
    FShowing = true;
    try {
      OnShow(this);
    } catch (const std::exception& e) {
      ReportException(Platform(), e);
    } catch (...) {
      FShowing = false;
      throw;
    }
    FShowing = false;
    FVisible = true;
    // A form whose window was made early (a component asked for it while loading) gets the
    // windows of its controls now.
    CreateChildHandles();
    PlaceAtFirstShow();
    // The taskbar button belongs to the application window, captioned with the title.
    if (mainForm) windows.ShowWindow(application->Handle(), SW_SHOWNA);
    windows.ShowWindow(Handle(), SW_SHOW);
  } else {
    FVisible = false;
    windows.ShowWindow(Handle(), SW_HIDE);
    if (mainForm) windows.ShowWindow(application->Handle(), SW_HIDE);
    try {
      OnHide(this);
    } catch (const std::exception& e) {
      ReportException(Platform(), e);
    }
  }
}

void TForm::Show() {
  if (FShowing) return;
  SetVisible(true);
  Platform().Windows.SetForegroundWindow(Handle());
}

bool TForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TApplication* application = TApplication::Of(Platform());
  if (application && application->MainForm() == this) {
    application->Terminate();
  } else {
    Hide();
  }
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_QUERYENDSESSION:
      message.Result = CloseQuery() ? 1 : 0;
      return;
    case DM_GETDEFID:
      for (TControl* child : Controls()) {
        auto* button = dynamic_cast<TButton*>(child);
        if (button && button->Default()) {
          message.Result = static_cast<std::intptr_t>(
              MakeLong(static_cast<std::uint16_t>(button->Id()), DC_HASDEFID));
          return;
        }
      }
      break;
    case WM_POWERBROADCAST:
      if (message.WParam == PBT_APMRESUMEAUTOMATIC) {
        OnResume(this);
        message.Result = 1;
        return;
      }
      break;
    case WM_ENDSESSION:
      // The session may end this process as soon as its windows have answered: what is to
      // be kept is kept before the answer.
      if (message.WParam) {
        try {
          OnEndSession(this);
        } catch (const std::exception& e) {
          ReportException(Platform(), e);
        }
        if (TApplication* application = TApplication::Of(Platform())) application->Terminate();
      }
      return;
  }
  TWinControl::WndProc(message);
}

// ---- TApplication ------------------------------------------------------------

TApplication::TApplication(TPlatform& platform) : TComponent(nullptr, &platform) {
  platform.State.SetCurrent(this);
  TWindowParams params;
  params.Class = TWindowClass::Application;
  params.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  params.Bounds = Bounds(0, 0, 0, 0);
  params.Proc = this;
  FHandle = platform.Windows.CreateWindow(params);
}

TApplication::~TApplication() {
  DestroyComponents();
  Platform().Windows.DestroyWindow(FHandle);
  if (Of(Platform()) == this) Platform().State.SetCurrent<TApplication>(nullptr);
}

TApplication* TApplication::Of(TPlatform& platform) {
  return platform.State.Current<TApplication>();
}

void TApplication::Initialize() {}

void TApplication::SetTitle(const std::string& value) {
  FTitle = value;
  Platform().Windows.SetWindowText(FHandle, value);
}

void TApplication::Run() {
  if (FMainForm && FShowMainForm) FMainForm->Show();
  IWindowing& windows = Platform().Windows;
  TMsg msg;
  while (!FTerminated && windows.GetMessage(msg)) {
    if (FMainForm && FMainForm->HandleAllocated() &&
        windows.IsDialogMessage(FMainForm->Handle(), msg))
      continue;
    windows.TranslateMessage(msg);
    windows.DispatchMessage(msg);
  }
}

void TApplication::Terminate() {
  FTerminated = true;
  Platform().Windows.PostQuitMessage(0);
}

void TApplication::HandleException(const std::exception& e) { ShowException(e.what()); }

void TApplication::ShowException(const std::string& message) {
  // A fault that recurs at every refresh would open a box inside the open box's loop every
  // few seconds, without end: one report at a time, and each message once while it waits.
  // Messages that differ each time (a key's name, a number) would queue without end while
  // nobody answers: a few wait, the first ones, which tell the cause; later ones are dropped.
  if (FReporting) {
    if (message != FReported && FPendingReports.size() < kMaxWaitingReports &&
        std::find(FPendingReports.begin(), FPendingReports.end(), message) == FPendingReports.end())
      FPendingReports.push_back(message);
    return;
  }
  FReporting = true;
  FReported = message;
  try {
    for (;;) {
      Platform().System.MessageBox(HWnd::None, ExceptionReportText(FReported), FTitle.c_str(),
                                   MB_OK | MB_ICONSTOP);
      // A program told to end shows no more.
      if (FPendingReports.empty() || FTerminated) break;
      FReported = FPendingReports.front();
      FPendingReports.erase(FPendingReports.begin());
    }
  } catch (...) {
    FReporting = false;
    FPendingReports.clear();
    throw;
  }
  FReporting = false;
  FPendingReports.clear();
}

int TApplication::HookMainWindow(THook hook) {
  FHooks.push_back({FNextHookId, std::move(hook)});
  return FNextHookId++;
}

void TApplication::UnhookMainWindow(int id) {
  std::erase_if(FHooks, [id](const auto& h) { return h.first == id; });
}

std::intptr_t TApplication::WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
  TMessage msg{message, wParam, lParam, 0};
  try {
    for (const auto& hook : std::vector<std::pair<int, THook>>(FHooks))
      if (hook.second(msg)) return msg.Result;
  } catch (const std::exception& e) {
    HandleException(e);
    return 0;
  }
  if (message == WM_CLOSE) {
    if (FMainForm) FMainForm->Close();
    return 0;
  }
  return Platform().Windows.DefWindowProc(window, message, wParam, lParam);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FMainForm) FMainForm = nullptr;
}
