#include "tray/TrayIcon.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "framework/Forms.h"
#include "framework/Strings.h"
#include "platform/Exception.h"
#include "tray/TrayIconHandler.h"

namespace {
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;
constexpr std::size_t kTipLength = 127;  // the record's tip holds 128 units with the end mark
// Enter gives two NIN_KEYSELECT for one press, back to back, and a held key repeats it: one
// that comes within this time of the end of the last one's handling belongs to that press.
// Pressing again that fast is not something a user does to show and hide a window.
constexpr std::uint32_t kSameKeyPressMs = 500;
}  // namespace

TTrayIcon::TTrayIcon(TComponent* owner, TPlatform* platform) : TComponent(owner, platform) {
  TTrayIconHandler& handler = TTrayIconHandler::Acquire(Platform());
  FIcon = std::make_unique<TIcon>(Platform().Gdi);
  FIcon->OnChange = [this](TIcon&) { UpdateTrayEntry(); };

  FEntryRecord.cbSize = NotifyIconDataSize;
  FEntryRecord.hWnd = static_cast<std::uint32_t>(handler.Handle());
  FEntryRecord.uID = handler.Register(this);
  FEntryRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FEntryRecord.uCallbackMessage = TrayCallbackMessage;

  if (TApplication* application = TApplication::Of(Platform()))
    FApplicationHookId =
        application->HookMainWindow([this](TMessage& message) { return ApplicationHook(message); });
  // Showing the owner window must bring it to the front, whoever shows it: watch its
  // procedure. Asking for its handle creates the window if it is not there yet.
  if (auto* window = dynamic_cast<TWinControl*>(owner)) {
    FOwnerWindow = window->Handle();
    FOwnerHook = std::make_unique<TOwnerWindowHook>(*this);
    FOldWndProc = Platform().Windows.SubclassWindow(FOwnerWindow, FOwnerHook.get());
  }
}

TTrayIcon::~TTrayIcon() {
  // Nothing may leave a destructor: the program's own failures are ignored here, anything
  // else (a fault) goes to the application's report, and the clean-up below runs regardless.
  try {
    SetIconVisible(false);
  } catch (const Exception&) {
  } catch (const std::exception& e) {
    ReportException(Platform(), e);
  }
  try {
    FIcon.reset();
  } catch (const Exception&) {
  } catch (const std::exception& e) {
    ReportException(Platform(), e);
  }
  if (FApplicationHookId)
    if (TApplication* application = TApplication::Of(Platform()))
      application->UnhookMainWindow(FApplicationHookId);
  if (FOwnerHook) {
    if (FOldWndProc) Platform().Windows.RestoreWindowProc(FOwnerWindow, FOldWndProc);
    FOwnerHook.reset();
  }
  if (TTrayIconHandler* handler = TTrayIconHandler::Instance(Platform()))
    handler->Unregister(FEntryRecord.uID);
  TTrayIconHandler::Release(Platform());
}

// ---- properties --------------------------------------------------------------

void TTrayIcon::SetIcon(const TIcon* value) {
  if (value) {
    FIcon->Assign(*value);
  } else {
    FIcon->Clear();
  }
}

void TTrayIcon::SetIconVisible(bool value) {
  if (value) {
    AddTrayEntry();
  } else {
    DeleteTrayEntry();
  }
}

void TTrayIcon::SetHint(const std::string& value) {
  FHint = value;
  UpdateTrayEntry();
}

void TTrayIcon::SetShowHint(bool value) {
  FShowHint = value;
  UpdateTrayEntry();
}

void TTrayIcon::SetIconIndex(int) { UpdateTrayEntry(); }

void TTrayIcon::SetCycleInterval(std::uint32_t value) {
  FCycleInterval = value;
  SetCycleIcons(FCycleIcons);
}

// ---- the shell entry ---------------------------------------------------------

void TTrayIcon::FillEntryRecord() {
  try {
    FEntryRecord.hIcon = static_cast<std::uint32_t>(FIcon ? FIcon->Handle() : HIcon::None);
  } catch (const Exception&) {
    // An unreadable image: the entry goes out without one.
    FEntryRecord.hIcon = 0;
  }
  std::memset(FEntryRecord.szTip, 0, sizeof FEntryRecord.szTip);
  if (FHint.empty() || !FShowHint) return;
  std::u16string tip = Utf16FromUtf8(FHint);
  std::size_t length = std::min(tip.size(), kTipLength);
  // A character outside the basic plane takes two units: it goes whole or not at all.
  if (length < tip.size() && tip[length - 1] >= 0xD800 && tip[length - 1] <= 0xDBFF) --length;
  std::copy_n(tip.data(), length, FEntryRecord.szTip);
}

bool TTrayIcon::SendRequest(std::uint32_t message) {
  FillEntryRecord();
  return Platform().Shell.NotifyIcon(message, FEntryRecord);
}

bool TTrayIcon::AddTrayEntry() {
  FIconVisible = true;
  bool accepted = SendRequest(NIM_ADD);
  // A refused add may be the shell's answer to a duplicate: a busy shell (at log-on) can time
  // out an add or a change yet keep the entry. A change brings such an entry up to date, and
  // its success shows the entry is there; without one the entry would keep its first picture.
  if (!accepted) accepted = SendRequest(NIM_MODIFY);
  if (accepted) {
    FEntryAdded = true;
    SetEntryVersion();
  }
  return accepted;
}

// The shell keeps an entry's version with the entry only, so every add sets it again. The
// pointer messages arrive as before; the keyboard's selection comes as NIN_KEYSELECT, where
// the first version sends a right press and release (and the entry has no menu). A shell that
// refuses the version keeps the entry at the first.
void TTrayIcon::SetEntryVersion() {
  TNotifyIconData record = FEntryRecord;
  record.uVersion = NOTIFYICON_VERSION;
  FEntryVersion = Platform().Shell.NotifyIcon(NIM_SETVERSION, record) ? NOTIFYICON_VERSION : 0;
}

bool TTrayIcon::DeleteTrayEntry() {
  FIconVisible = false;
  FEntryAdded = false;
  return SendRequest(NIM_DELETE);
}

bool TTrayIcon::UpdateTrayEntry() {
  // A shell that was busy or not there yet has no entry to change: keep offering it the
  // entry at every update (each refresh makes one) until it takes it.
  if (FIconVisible && !FEntryAdded) return AddTrayEntry();
  bool accepted = SendRequest(NIM_MODIFY);
  // Refused: the shell lost the entry, or kept it and timed out; the next update adds it.
  if (!accepted) FEntryAdded = false;
  return accepted;
}

// A restarted shell has forgotten every entry, and ours goes back with its current image; a
// rescaled one has kept them, and a change brings ours up to date.
void TTrayIcon::ShellRestarted() {
  if (FEntryAdded && SendRequest(NIM_MODIFY)) return;
  FEntryAdded = false;
  AddTrayEntry();
}

bool TTrayIcon::ShowBalloonHint(const std::string& title, const std::string& text,
                                std::uint32_t flags) {
  TNotifyIconData balloon = FEntryRecord;
  balloon.uFlags = NIF_INFO;
  auto copy = [](const std::string& from, auto& to) {
    std::u16string units = Utf16FromUtf8(from);
    std::fill(std::begin(to), std::end(to), u'\0');
    std::copy_n(units.data(), std::min(units.size(), std::size(to) - 1), to);
  };
  copy(title, balloon.szInfoTitle);
  copy(text, balloon.szInfo);
  balloon.dwInfoFlags = flags;
  balloon.uVersion = 0;  // as the balloon's time-out: the shell's shortest
  return Platform().Shell.NotifyIcon(NIM_MODIFY, balloon);
}

// ---- loading -----------------------------------------------------------------

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (dynamic_cast<TWinControl*>(Owner())) DoStartup();
  UpdateTrayEntry();
  // The entry was added while loading; the shell refuses this second add, and the change
  // that follows it finds the entry there.
  // The entry's version goes with every add: no request of its own here.
  SetIconVisible(FIconVisible);
  SetCycleIcons(FCycleIcons);
}

void TTrayIcon::DoStartup() {
  if (!OnStartup) return;
  TApplication* application = TApplication::Of(Platform());
  if (!application) return;
  bool show = application->ShowMainForm();
  OnStartup(this, show);
  application->SetShowMainForm(show);
}

// ---- notifications -----------------------------------------------------------

TShiftState TTrayIcon::KeyShift() {
  IWindowing& windows = Platform().Windows;
  TShiftState shift = 0;
  if (windows.GetAsyncKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (windows.GetAsyncKeyState(kVkControl) < 0) shift |= ssCtrl;
  if (windows.GetAsyncKeyState(kVkMenu) < 0) shift |= ssAlt;
  return shift;
}

void TTrayIcon::HandleTrayMessage(std::uint32_t pointerMessage) {
  if (!FEnabled) return;
  // The message carries no position or keys: both are read now, when it is handled.
  TShiftState shift = KeyShift();
  TPoint p = Platform().Windows.GetCursorPos();
  switch (pointerMessage) {
    case WM_MOUSEMOVE:
      DoMouseMove(shift, p.X, p.Y);
      FLastPointer = p;
      break;
    case WM_LBUTTONDOWN:
      DoMouseDown(TMouseButton::mbLeft, shift | ssLeft, p.X, p.Y);
      FLeftDownSeen = true;
      break;
    case WM_LBUTTONUP:
      // A click is a release over the entry after a press on it; it is raised at once,
      // without waiting to see whether a double-click follows.
      if (FLeftDownSeen) DoClick();
      FLeftDownSeen = false;
      DoMouseUp(TMouseButton::mbLeft, shift | ssLeft, p.X, p.Y);
      break;
    case WM_LBUTTONDBLCLK:
      // Not a press: the release that follows raises no second click.
      DoDblClick();
      break;
    case WM_RBUTTONDOWN:
      DoMouseDown(TMouseButton::mbRight, shift | ssRight, p.X, p.Y);
      break;
    case WM_RBUTTONUP:
      DoMouseUp(TMouseButton::mbRight, shift | ssRight, p.X, p.Y);
      break;
    case WM_MBUTTONDOWN:
      DoMouseDown(TMouseButton::mbMiddle, shift | ssMiddle, p.X, p.Y);
      break;
    case WM_MBUTTONUP:
      DoMouseUp(TMouseButton::mbMiddle, shift | ssMiddle, p.X, p.Y);
      break;
    case NIN_KEYSELECT:
      KeySelect();
      break;
  }
  // NIN_SELECT and WM_CONTEXTMENU only follow the releases handled above: nothing more.
}

// Enter or Space on the entry: a click, once per key press. A window this hides leaves the
// keyboard nowhere, so the notification area takes it back.
void TTrayIcon::KeySelect() {
  ISystem& system = Platform().System;
  bool samePress =
      FKeySelecting || (FKeySelectEnd && system.TickCount() - *FKeySelectEnd < kSameKeyPressMs);
  if (!samePress) {
    struct TSelecting {  // also while a box shown from the click runs its own loop
      TTrayIcon& Icon;
      ~TSelecting() {
        Icon.FKeySelecting = false;
        Icon.FKeySelectEnd = Icon.Platform().System.TickCount();
      }
    } selecting{*this};
    FKeySelecting = true;
    bool wasShown = OwnerShown();
    DoClick();
    if (wasShown && !OwnerShown()) Platform().Shell.NotifyIcon(NIM_SETFOCUS, FEntryRecord);
    return;
  }
  FKeySelectEnd = system.TickCount();
}

bool TTrayIcon::OwnerShown() {
  return FOwnerWindow != HWnd::None && Platform().Windows.IsWindowVisible(FOwnerWindow);
}

// ---- hooks -------------------------------------------------------------------

bool TTrayIcon::ApplicationHook(TMessage& message) {
  TApplication* application = TApplication::Of(Platform());
  if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_RESTORE && application &&
      application->MainForm())
    application->MainForm()->SetVisible(true);
  TTrayIconHandler* handler = TTrayIconHandler::Instance(Platform());
  std::uint32_t restart = handler ? handler->ShellRestartMessage() : 0;
  if (restart != 0 && message.Msg == restart && FIconVisible) ShellRestarted();
  if (message.Msg == WM_SETTINGCHANGE || message.Msg == WM_DISPLAYCHANGE) ShellMetricsChanged();
  return false;
}

std::intptr_t TTrayIcon::OwnerWindowHook(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
  // Shown by a request on the window itself (not along with its owner): come to the front.
  if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
    IWindowing& windows = Platform().Windows;
    if (TApplication* application = TApplication::Of(Platform()))
      windows.SetForegroundWindow(application->Handle());
    windows.SetForegroundWindow(window);
  }
  return Platform().Windows.CallWindowProc(FOldWndProc, window, message, wParam, lParam);
}
