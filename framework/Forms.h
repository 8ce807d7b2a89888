#pragma once
// Forms and the application object: the message loop, the main form, the default report of
// exceptions that escape an event handler.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Controls.h"

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poScreenCenter };
using TBorderIcons = std::uint32_t;
inline constexpr TBorderIcons biSystemMenu = 1;
inline constexpr TBorderIcons biMinimize = 2;
inline constexpr TBorderIcons biMaximize = 4;

class TApplication;

// A form is made through TApplication::CreateForm or NewComponent and freed by its owner:
// they run OnCreate once its constructor has returned, and OnDestroy before its destructor
// starts, so a derived form's handlers see it whole. A form freed without its owner (a plain
// form on the stack) runs OnDestroy from its own destructor.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner, TPlatform* platform = nullptr);
  ~TForm() override;

  // Showing raises OnShow before the window appears; hiding raises OnHide after it went.
  void SetVisible(bool value) override;
  // Makes the form visible and brings it to the front.
  void Show();
  void Hide() { SetVisible(false); }
  // Asks OnCloseQuery; when allowed, the main form ends the application, another hides.
  void Close();
  bool CloseQuery();

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value) { FBorderStyle = value; }
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons value) { FBorderIcons = value; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  void SetClientWidth(int value);
  void SetClientHeight(int value);
  int ClientWidth() const { return FClientWidth; }
  int ClientHeight() const { return FClientHeight; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TCloseQueryEvent OnCloseQuery;
  // The session ends (WM_ENDSESSION), possibly without a close query before it, and the
  // process may be ended as soon as the message is answered.
  TNotifyEvent OnEndSession;
  // The system has woken from sleep or hibernation.
  TNotifyEvent OnResume;

 protected:
  TWindowParams CreateParams() override;
  void WndProc(TMessage& message) override;
  void AfterConstruction() override { DoCreate(); }
  void BeforeDestruction() override { DoDestroy(); }

 private:
  // Runs OnCreate.
  void DoCreate();
  // Runs OnDestroy, then frees the components and the window; once only.
  void DoDestroy();
  void PlaceAtFirstShow();

  TBorderStyle FBorderStyle = TBorderStyle::bsSizeable;
  TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition FPosition = TPosition::poDesigned;
  int FClientWidth = 0;
  int FClientHeight = 0;
  bool FShownOnce = false;
  bool FDestroying = false;
  // A show is running: a box raised by its event runs a message loop, and a click there must
  // not start another show inside it.
  bool FShowing = false;
};

class TApplication : public TComponent, public IWindowProc {
 public:
  explicit TApplication(TPlatform& platform);
  ~TApplication() override;

  // The application of the program on this platform (the last one created), for the
  // exception report; null when there is none.
  static TApplication* Of(TPlatform& platform);

  void Initialize();
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool value) { FShowMainForm = value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& value);
  // The hidden application window: taskbar button, broadcasts, restore commands.
  HWnd Handle() const { return FHandle; }
  TForm* MainForm() const { return FMainForm; }

  // Creates a form owned by the application and runs its OnCreate; the first one becomes the
  // main form, from the start of its construction on, so a close request during its creation
  // ends the program.
  template <class T, class... Args>
  T* CreateForm(Args&&... args) {
    FCreatingMainForm = !FMainForm;
    T* form = NewComponent<T>(this, std::forward<Args>(args)...);
    FCreatingMainForm = false;
    if (!FMainForm) FMainForm = form;
    return form;
  }
  // Shows the main form unless switched off, then runs the message loop until the end.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // The default report: a stop box with the message (and a "." added where it needs one).
  void HandleException(const std::exception& e);
  void ShowException(const std::string& message);

  // Hooks see the application window's messages first; a hook returning true handles it.
  using THook = std::function<bool(TMessage&)>;
  int HookMainWindow(THook hook);
  void UnhookMainWindow(int id);

  std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TForm;
  HWnd FHandle = HWnd::None;
  std::string FTitle;
  bool FShowMainForm = true;
  bool FTerminated = false;
  // The report's box is open, with this message; different ones wait for it to close, at
  // most kMaxWaitingReports of them.
  static constexpr std::size_t kMaxWaitingReports = 4;
  bool FReporting = false;
  std::string FReported;
  std::vector<std::string> FPendingReports;
  TForm* FMainForm = nullptr;
  bool FCreatingMainForm = false;
  std::vector<std::pair<int, THook>> FHooks;
  int FNextHookId = 1;
};

// Hands an exception to the running application's report (or drops it when there is none).
void ReportException(TPlatform& platform, const std::exception& e);

// The text of the default report: "." appended when the message is not empty and its last
// character sorts after ".".
std::string ExceptionReportText(const std::string& message);
