#include "app/OneInstance.h"

namespace {
bool Taken(TMutexOpening opening) {
  // A lock we may not open is someone's: it counts as taken.
  return opening == TMutexOpening::Existed || opening == TMutexOpening::Refused;
}
}  // namespace

// The session's mutex comes first: two starts racing in one session then both see it, and
// the one that loses the machine's mutex hands over instead of reporting another session.
// Only the one that made the session's mutex cannot tell whether the machine's holder runs in
// this session (it may have lost to a start that opened the session's mutex after it made it):
// it lets go and takes both again, when the winner, if it is of this session, holds the
// session's mutex open.
TInstanceLock::TInstanceLock(ISystem& system) : TInstanceLock(system, TStepwise{}) {
  while (Step()) {
  }
}

TInstanceLock::TInstanceLock(ISystem& system, TStepwise)
    : FSystem(system), FSession(system), FMachine(system) {}

bool TInstanceLock::Step() {
  if (FStep == 0) {
    FSession.Reset(
        FSystem.CreateMutex(kSessionMutexName, TMutexSharing::Default, &FSessionOpening));
    FStep = 1;
    return true;
  }
  if (FStep != 1) return false;
  TMutexOpening machine = TMutexOpening::Failed;
  FMachine.Reset(FSystem.CreateMutex(kControllerMutexName, TMutexSharing::Default, &machine));
  if (Taken(machine) && FSessionOpening == TMutexOpening::Created && !FRetried) {
    FRetried = true;
    Retake();
    return true;
  }
  if (Taken(machine))
    FRole = Taken(FSessionOpening) ? TInstanceRole::SameSession : TInstanceRole::OtherSession;
  else if (machine == TMutexOpening::Failed && Taken(FSessionOpening))
    FRole = TInstanceRole::SameSession;  // nothing known machine-wide: the session decides
  else
    FRole = TInstanceRole::First;
  FStep = 2;
  return false;
}

void TInstanceLock::Retake() {
  FMachine.Reset();
  FSession.Reset();
  FStep = 0;
}

bool TakeOverFromUnelevatedCopy(TPlatform& platform, TInstanceLock& lock) {
  constexpr std::uint32_t kCloseWaitMs = 15000;
  ISystem& system = platform.System;
  IWindowing& windows = platform.Windows;
  if (system.ProcessElevation(0) != TElevation::Elevated) return false;
  HWnd running = windows.FindWindow(TWindowClass::Application, kApplicationTitle);
  if (running == HWnd::None) return false;
  std::uint32_t process = windows.GetWindowProcessId(running);
  if (process == 0 || system.ProcessElevation(process) != TElevation::NotElevated) return false;
  if (!windows.PostMessage(running, WM_CLOSE, 0, 0)) return false;
  if (!system.WaitForProcessExit(process, kCloseWaitMs)) return false;
  lock.Retake();
  while (lock.Step()) {
  }
  return lock.Role() == TInstanceRole::First;
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
