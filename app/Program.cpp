#include "app/Program.h"

#include <cstring>

TStartedBy StartedBy(int argc, const char* const* argv) {
  return argc == 2 && std::strcmp(argv[1], kLogOnTaskArgument) == 0 ? TStartedBy::LogOnTask
                                                                    : TStartedBy::User;
}

TProgram::~TProgram() {
  FApplication.reset();
  FInstance.reset();  // the next start may run once the window is gone
}

// Another copy found beside this start may still be starting: its window is waited for. The
// log-on task's start that finds a copy ends at once and silently, so its repetition every
// minute is never seen; it still takes over from a copy without full rights, as at log-on.
bool TProgram::TakeRole() {
  TInstanceLock& lock = *FInstance;
  switch (lock.Role()) {
    case TInstanceRole::First:
      return true;
    case TInstanceRole::OtherSession:
      if (StartedByUser()) TellAboutOtherProgram(FPlatform, kOtherSessionText);
      return false;
    case TInstanceRole::BesideCopy: {
      // A start racing this one lets go of the session's mutex once it has lost the machine's
      // lock, and waits for this one's window: no need to wait for its window meanwhile.
      TRunningCopy running =
          WaitForRunningCopy(FPlatform, [&lock] { return lock.SessionShared(); });
      if (running.Window == HWnd::None) {
        // This one holds the machine's lock: it runs, whatever made that window.
        if (running.StrangerSeen) TellAboutOtherProgram(FPlatform, kStrangerWindowText);
        return true;
      }
      if (TakeOverFromUnelevatedCopy(FPlatform, running)) return true;
      if (StartedByUser()) HandOverToRunningProgram(FPlatform, running.Window);
      return false;
    }
    case TInstanceRole::SameSession:
      break;
  }
  // The machine's lock is another's, or nobody's to take: the copy of this session decides.
  bool heldElsewhere = lock.Machine() == TMachineLock::InUse;
  if (heldElsewhere) FInstance.reset();  // the holder may be waiting for us to let go
  // The task's start has nothing to show and no one to take over from where the machine's
  // lock is held: it does not wait; otherwise it looks once.
  bool byUser = StartedByUser();
  if (!byUser && heldElsewhere) return false;
  TRunningCopy running = WaitForRunningCopy(FPlatform, [byUser] { return byUser; });
  if (running.Window == HWnd::None) {
    if (byUser) TellAboutOtherProgram(FPlatform, kHolderUnknownText);
    return false;
  }
  if (!heldElsewhere && TakeOverFromUnelevatedCopy(FPlatform, running)) return true;
  if (byUser) HandOverToRunningProgram(FPlatform, running.Window);
  return false;
}

bool TProgram::Start() {
  FInstance = std::make_unique<TInstanceLock>(FPlatform.System);
  if (!TakeRole()) {
    FInstance.reset();
    return false;
  }
  FApplication = std::make_unique<TApplication>(FPlatform);
  FApplication->Initialize();
  FApplication->SetShowMainForm(false);
  FApplication->SetTitle(kApplicationTitle);
  // A later start's request shows the window and brings it to the front, as a tray click on
  // a hidden window does; a visible one only comes to the front. The hook is in place before
  // the form is made, since the form's start-up can run a modal box whose loop takes the
  // request: it is kept until start-up ends. A later start may run with fewer rights than
  // this one, so the request is let through the elevation filter.
  std::uint32_t handOver = FPlatform.Windows.RegisterWindowMessage(kHandOverMessageName);
  if (handOver != 0) FPlatform.Windows.ChangeWindowMessageFilter(handOver);
  FStarting = true;
  TApplication* application = FApplication.get();
  FApplication->HookMainWindow([this, application, handOver](TMessage& message) {
    if (handOver == 0 || message.Msg != handOver) return false;
    if (FStarting)
      FHandOverPending = true;
    else if (TForm* form = application->MainForm())
      form->Show();
    return true;
  });
  FForm = FApplication->CreateForm<TForm1>(FPorts);
  FStarting = false;
  if (FHandOverPending && !FApplication->Terminated()) FForm->Show();
  FHandOverPending = false;
  return true;
}

void TProgram::Run() {
  if (FApplication) FApplication->Run();
}

int RunProgram(TPlatform& platform, IPortAccess& ports, TStartedBy startedBy) {
  TProgram program(platform, ports, startedBy);
  if (program.Start()) program.Run();
  return 0;
}
