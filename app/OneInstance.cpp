#include "app/OneInstance.h"

#include "framework/Strings.h"
#include "hw/LoadPlace.h"

namespace {
bool Taken(TMutexOpening opening) {
  // A lock we may not open is someone's: it counts as taken.
  return opening == TMutexOpening::Existed || opening == TMutexOpening::Refused;
}
}  // namespace

// The session's mutex comes first: two starts racing in one session then both see it, and
// the one that loses the machine's lock hands over instead of reporting another session.
// Only the one that made the session's mutex cannot tell whether the machine's holder runs in
// this session (it may have lost to a start that opened the session's mutex after it made it):
// it lets go and takes both again, when the winner, if it is of this session, holds the
// session's mutex open.
TInstanceLock::TInstanceLock(ISystem& system) : TInstanceLock(system, TStepwise{}) {
  while (Step()) {
  }
}

TInstanceLock::TInstanceLock(ISystem& system, TStepwise)
    : FSystem(system), FSession(system), FMachineFile(system) {}

bool TInstanceLock::Step() {
  if (FStep == 0) {
    FSession.Reset(
        FSystem.CreateMutex(kSessionMutexName, TMutexSharing::Default, &FSessionOpening));
    FStep = 1;
    return true;
  }
  if (FStep != 1) return false;
  FMachine = TakeMachineLock();
  if (FMachine == TMachineLock::InUse && FSessionOpening == TMutexOpening::Created && !FRetried) {
    FRetried = true;
    Retake();
    return true;
  }
  bool sessionTaken = Taken(FSessionOpening);
  switch (FMachine) {
    case TMachineLock::Held:
      FRole = sessionTaken ? TInstanceRole::BesideCopy : TInstanceRole::First;
      break;
    case TMachineLock::InUse:
      FRole = sessionTaken ? TInstanceRole::SameSession : TInstanceRole::OtherSession;
      break;
    case TMachineLock::Unavailable:  // nothing known machine-wide: the session decides
      FRole = sessionTaken ? TInstanceRole::SameSession : TInstanceRole::First;
      break;
  }
  FStep = 2;
  return false;
}

// Only a folder where nobody but administrators (and the account this runs as) may add or
// remove files keeps others from holding the file first.
TMachineLock TInstanceLock::TakeMachineLock() {
  TLoadCheck place =
      CheckLoadPlace(FSystem, ExtractFilePath(FSystem.ExecutablePath()) + kControllerLockFileName);
  if (!place.Passed()) return TMachineLock::Unavailable;
  TLockFileOpening opening = TLockFileOpening::Failed;
  FMachineFile.Reset(FSystem.OpenLockFile(place.FinalPath, &opening));
  switch (opening) {
    case TLockFileOpening::Held:
      return TMachineLock::Held;
    case TLockFileOpening::InUse:
      return TMachineLock::InUse;
    case TLockFileOpening::Refused:
    case TLockFileOpening::Failed:
      break;
  }
  return TMachineLock::Unavailable;
}

void TInstanceLock::Retake() {
  FMachineFile.Reset();
  FSession.Reset();
  FStep = 0;
}

bool TInstanceLock::SessionShared() {
  FSession.Reset();
  FSession.Reset(FSystem.CreateMutex(kSessionMutexName, TMutexSharing::Default, &FSessionOpening));
  return Taken(FSessionOpening);
}

HWnd FindRunningWindow(TPlatform& platform) {
  return platform.Windows.FindWindow(TWindowClass::Application, kApplicationTitle);
}

HWnd WaitForRunningWindow(TPlatform& platform, const std::function<bool()>& stillThere) {
  for (std::uint32_t waited = 0;; waited += kRunningWindowPollMs) {
    if (HWnd running = FindRunningWindow(platform); running != HWnd::None) return running;
    if (waited >= kRunningWindowWaitMs || !stillThere()) return HWnd::None;
    platform.System.Sleep(kRunningWindowPollMs);
  }
}

bool TakeOverFromUnelevatedCopy(TPlatform& platform, HWnd running) {
  // Time for the system to finish a process it was told to end.
  constexpr std::uint32_t kEndWaitMs = 5000;
  ISystem& system = platform.System;
  if (system.ProcessElevation(0) != TElevation::Elevated) return false;
  std::uint32_t process = platform.Windows.GetWindowProcessId(running);
  if (process == 0 || system.ProcessElevation(process) != TElevation::NotElevated) return false;
  // Another account's copy is that user's to close: an administrator who started this one
  // with other credentials must not end it.
  std::string user = system.ProcessUserSid(0);
  if (user.empty() || system.ProcessUserSid(process) != user) return false;
  // A copy busy in a box or a long wait may take the request only much later, and would then
  // end with nobody controlling the fan: it gets its time, then it is ended.
  platform.Windows.PostMessage(running, WM_CLOSE, 0, 0);
  if (!system.WaitForProcessExit(process, kCloseWaitMs) && system.TerminateProcess(process))
    system.WaitForProcessExit(process, kEndWaitMs);
  return true;
}

bool HandOverToRunningProgram(TPlatform& platform, HWnd running) {
  IWindowing& windows = platform.Windows;
  // The process the user just started may take the foreground, so it may pass that on;
  // without it the running program's window could only flash.
  if (std::uint32_t process = windows.GetWindowProcessId(running))
    platform.System.AllowSetForegroundWindow(process);
  std::uint32_t message = windows.RegisterWindowMessage(kHandOverMessageName);
  return message != 0 && windows.PostMessage(running, message, 0, 0);
}

void TellWhyNotStarted(TPlatform& platform, const char* text) {
  platform.System.MessageBox(HWnd::None, text, kApplicationTitle, MB_OK | MB_ICONINFORMATION);
}
