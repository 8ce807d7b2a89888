#pragma once
// One controller per machine, since the fan line is one for the whole machine. The first
// start holds a machine-wide named mutex for its whole life, and a session-wide one beside it
// that tells later starts which log-on session it runs in. A later start (of either
// executable) in the same session finds the running program's application window, asks it
// to show its window, and ends; one in another session says that the fan is controlled from
// there, and ends.
#include "platform/Owned.h"
#include "platform/Platform.h"

// The demo and the real program share these names: they count as one program.
inline constexpr char kControllerMutexName[] = "Global\\Kelvane.Controller";
inline constexpr char kSessionMutexName[] = "Local\\Kelvane.Controller";
inline constexpr char kHandOverMessageName[] = "Kelvane.ShowMainWindow";
// The application window's caption, by which a later start finds the running program.
inline constexpr char kApplicationTitle[] = "Kelvane";
inline constexpr char kOtherSessionText[] = "Kelvane already controls the fan in another session.";

enum class TInstanceRole {
  First,        // no other program runs: this one controls the fan
  SameSession,  // another runs in this log-on session: hand over to it
  OtherSession  // another runs in another log-on session (or keeps us out of its lock)
};

class TInstanceLock {
 public:
  // Takes both locks and decides the role.
  explicit TInstanceLock(ISystem& system);
  // Takes nothing yet: Step() takes the locks one request at a time (two racing starts).
  struct TStepwise {};
  TInstanceLock(ISystem& system, TStepwise);

  TInstanceRole Role() const { return FRole; }
  // One request of the lock taking; false once the role is decided.
  bool Step();
  // Lets go of both locks and takes them again, from the first step.
  void Retake();

 private:
  ISystem& FSystem;
  // Closed in reverse: the machine's first.
  TOwnedKernelObject FSession;
  TOwnedKernelObject FMachine;
  TMutexOpening FSessionOpening = TMutexOpening::Failed;
  int FStep = 0;
  bool FRetried = false;
  TInstanceRole FRole = TInstanceRole::First;
};

// An elevated start beside a copy of this session that runs without full rights (as a log-on
// entry the system never elevates starts it), which cannot start the port driver: asks that
// copy to close, as at log-off, so it keeps its thresholds, waits for it to end, and takes the
// locks in its place. False (the lock unchanged) where there is no such copy, the system has
// no elevation, or the copy did not end in time.
bool TakeOverFromUnelevatedCopy(TPlatform& platform, TInstanceLock& lock);

// Asks the running program of this session to show its window and lets that process (and no
// other) bring it to the front. Touches no port, registry key or tray entry. False when no
// running program's window was found.
bool HandOverToRunningProgram(TPlatform& platform);

// The one box a start in another session shows.
void TellFanControlledElsewhere(TPlatform& platform);
