#pragma once
// One controller per machine, since the fan line is one for the whole machine. The machine's
// lock is a lock file beside the executable that the first start holds open, unshared, for
// its whole life; only an administrator's process can make or open it, so no other user can
// take it first, and the system lets go of it however its holder ends. A session-wide mutex
// beside it tells later starts which log-on session the holder runs in. A later start (of
// either executable) in the same session finds the running program's application window,
// asks it to show its window, and ends; one in another session says that the fan is
// controlled from there, and ends.
//
// A start that may not use the lock file (a process without full administrator rights, or an
// executable's folder that other users may change, where the file would prove nothing) cannot
// reach the ports either; it goes by the session's mutex alone.
#include <cstdint>
#include <functional>

#include "hw/KelvaneProcess.h"
#include "platform/Owned.h"
#include "platform/Platform.h"

// The demo and the real program share these names: they count as one program.
inline constexpr char kControllerLockFileName[] = "Kelvane.lock";
inline constexpr char kSessionMutexName[] = "Local\\Kelvane.Controller";
inline constexpr char kHandOverMessageName[] = "Kelvane.ShowMainWindow";
// The application window's caption, by which a later start finds the running program.
inline constexpr char kApplicationTitle[] = "Kelvane";
inline constexpr char kOtherSessionText[] = "Kelvane already controls the fan in another session.";
inline constexpr char kHolderUnknownText[] =
    "Kelvane did not start: a program in this session holds its lock but shows no Kelvane "
    "window.";
// A start that goes on beside a window that only looks like Kelvane's says so.
inline constexpr char kStrangerWindowText[] =
    "Another program in this session shows a window named Kelvane. Kelvane runs on its own.";

// How long a start waits for the running copy's window to appear (it may be starting too).
inline constexpr std::uint32_t kRunningWindowWaitMs = 10000;
inline constexpr std::uint32_t kRunningWindowPollMs = 100;

enum class TInstanceRole {
  First,         // no other program runs: this one controls the fan
  BesideCopy,    // this one holds the machine's lock, but a copy of this session runs that
                 // could not take it (one without full rights), or is starting
  SameSession,   // another runs in this log-on session: hand over to it
  OtherSession,  // another holds the machine's lock from another log-on session
};

// What became of the machine's lock.
enum class TMachineLock {
  Held,        // ours
  InUse,       // an administrator's process holds it
  Unavailable  // not ours to take (no full rights, or a folder others may change)
};

class TInstanceLock {
 public:
  // Takes both locks and decides the role.
  explicit TInstanceLock(ISystem& system);
  // Takes nothing yet: Step() takes the locks one request at a time (two racing starts).
  struct TStepwise {};
  TInstanceLock(ISystem& system, TStepwise);

  TInstanceRole Role() const { return FRole; }
  TMachineLock Machine() const { return FMachine; }
  // One request of the lock taking; false once the role is decided.
  bool Step();
  // Lets go of both locks and takes them again, from the first step.
  void Retake();
  // True while another process holds the session's mutex too. Asks by letting go of it and
  // making it again, so it may hand the mutex to this process alone.
  bool SessionShared();

 private:
  TMachineLock TakeMachineLock();

  ISystem& FSystem;
  // Closed in reverse: the machine's first.
  TOwnedKernelObject FSession;
  TOwnedKernelObject FMachineFile;
  TMutexOpening FSessionOpening = TMutexOpening::Failed;
  TMachineLock FMachine = TMachineLock::Unavailable;
  int FStep = 0;
  bool FRetried = false;
  TInstanceRole FRole = TInstanceRole::First;
};

// The running copy this start found: its application window, and its process, opened once and
// kept for the wait and the end.
struct TRunningCopy {
  explicit TRunningCopy(ISystem& system) : Process(system) {}
  HWnd Window = HWnd::None;
  TOwnedKernelObject Process;
  // A window of the class and caption was there whose process is no Kelvane of this account.
  bool StrangerSeen = false;
};

// The running copy's application window, waited for up to kRunningWindowWaitMs while
// `stillThere` holds (it may still be starting). A window of the class and caption counts only
// when its process is a Kelvane of this account; no Window when none came.
TRunningCopy WaitForRunningCopy(TPlatform& platform, const std::function<bool()>& stillThere);

// An elevated start beside a copy of this session of the same account that runs without full
// rights (as a log-on entry the system never elevates starts it), which cannot start the port
// driver: asks that copy to close, as at log-off, so it keeps its thresholds, and waits for it
// to end; one that has not ended in kCloseWaitMs is ended (its thresholds as last saved stay).
// False, touching nothing, where the copy is not such a one or this start is not elevated.
bool TakeOverFromUnelevatedCopy(TPlatform& platform, const TRunningCopy& running);

// Asks the running program whose window that is to show its window and lets that process
// (and no other) bring it to the front. Touches no port, registry key or tray entry.
bool HandOverToRunningProgram(TPlatform& platform, HWnd running);

// The one box a start shows when it has no window to hand over to: kOtherSessionText, or
// kHolderUnknownText where it cannot tell who holds the lock (it ends after either), or
// kStrangerWindowText where it holds the lock beside a window that only looks like Kelvane's.
void TellAboutOtherProgram(TPlatform& platform, const char* text);
