#include "app/OneInstance.h"

#include "framework/Strings.h"
#include "hw/KelvaneProcess.h"
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

namespace {
// Looks once through the windows of the class and caption for one of a Kelvane of this account.
void FindRunningCopy(TPlatform& platform, TRunningCopy& copy) {
  ISystem& system = platform.System;
  HWnd window = HWnd::None;
  while ((window = platform.Windows.FindWindow(TWindowClass::Application, kApplicationTitle,
                                               window)) != HWnd::None) {
    std::uint32_t id = platform.Windows.GetWindowProcessId(window);
    copy.Process.Reset(id != 0 ? system.OpenProcess(id) : THandle::None);
    // The window may have gone with its process before the process was opened.
    if (IsKelvaneProcess(system, copy.Process.Get()) &&
        platform.Windows.GetWindowProcessId(window) == id) {
      copy.Window = window;
      return;
    }
    copy.Process.Reset();
    copy.StrangerSeen = true;
  }
}
}  // namespace

TRunningCopy WaitForRunningCopy(TPlatform& platform, const std::function<bool()>& stillThere) {
  TRunningCopy copy(platform.System);
  for (std::uint32_t waited = 0;; waited += kRunningWindowPollMs) {
    FindRunningCopy(platform, copy);
    if (copy.Window != HWnd::None || waited >= kRunningWindowWaitMs || !stillThere()) return copy;
    platform.System.Sleep(kRunningWindowPollMs);
  }
}

bool TakeOverFromUnelevatedCopy(TPlatform& platform, const TRunningCopy& running) {
  // Time for the system to finish a process it was told to end.
  constexpr std::uint32_t kEndWaitMs = 5000;
  ISystem& system = platform.System;
  // The copy runs as this account (another account's copy is that user's to close: an
  // administrator who started this one with other credentials must not end it).
  THandle process = running.Process.Get();
  if (system.ProcessElevation(kThisProcess) != TElevation::Elevated ||
      system.ProcessElevation(process) != TElevation::NotElevated)
    return false;
  // A copy busy in a box or a long wait may take the request only much later, and would then
  // end with nobody controlling the fan: it gets its time, then it is ended.
  platform.Windows.PostMessage(running.Window, WM_CLOSE, 0, 0);
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

void TellAboutOtherProgram(TPlatform& platform, const char* text) {
  platform.System.MessageBox(HWnd::None, text, kApplicationTitle, MB_OK | MB_ICONINFORMATION);
}
