#include "app/OneInstance.h"

namespace {
bool Taken(TMutexOpening opening) {
  // A lock we may not open is someone's: it counts as taken.
  return opening == TMutexOpening::Existed || opening == TMutexOpening::Refused;
}
}  // namespace

// The session's mutex comes first: two starts racing in one session then both see it, and
// the one that loses the machine's mutex hands over instead of reporting another session.
TInstanceLock::TInstanceLock(ISystem& system) : FSession(system), FMachine(system) {
  TMutexOpening session = TMutexOpening::Failed;
  TMutexOpening machine = TMutexOpening::Failed;
  FSession.Reset(system.CreateMutex(kSessionMutexName, TMutexSharing::Default, &session));
  FMachine.Reset(system.CreateMutex(kControllerMutexName, TMutexSharing::Default, &machine));
  if (Taken(machine))
    FRole = Taken(session) ? TInstanceRole::SameSession : TInstanceRole::OtherSession;
  else if (machine == TMutexOpening::Failed && Taken(session))
    FRole = TInstanceRole::SameSession;  // nothing known machine-wide: the session decides
  else
    FRole = TInstanceRole::First;
}

bool HandOverToRunningProgram(TPlatform& platform) {
  IWindowing& windows = platform.Windows;
  HWnd running = windows.FindWindow(TWindowClass::Application, kApplicationTitle);
  if (running == HWnd::None) return false;
  // The process the user just started may take the foreground, so it may pass that on;
  // without it the running program's window could only flash.
  if (std::uint32_t process = windows.GetWindowProcessId(running))
    platform.System.AllowSetForegroundWindow(process);
  std::uint32_t message = windows.RegisterWindowMessage(kHandOverMessageName);
  return message != 0 && windows.PostMessage(running, message, 0, 0);
}

void TellFanControlledElsewhere(TPlatform& platform) {
  platform.System.MessageBox(HWnd::None, kOtherSessionText, kApplicationTitle,
                             MB_OK | MB_ICONINFORMATION);
}
