#pragma once
// One controller per log-on session: the first start holds a session-wide named mutex for
// its whole life; a later start (of either executable) finds it, asks the running program to
// show its window, and ends. The request is a registered message broadcast to top-level
// windows, which the running program's hidden application window receives even while its
// form is hidden.
#include "platform/Platform.h"

// The demo and the real program share both names: they count as one program.
inline constexpr char kInstanceMutexName[] = "Local\\Kelvane.Controller";
inline constexpr char kHandOverMessageName[] = "Kelvane.ShowMainWindow";

class TInstanceLock {
 public:
  explicit TInstanceLock(ISystem& system);
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;

  // False when another program of this session had it first. A mutex that cannot be made
  // at all tells nothing, and the program runs.
  bool First() const { return FFirst; }

 private:
  ISystem& FSystem;
  THandle FHandle = 0;
  bool FFirst = true;
};

// Asks the running program to show its window and bring it to the front. Touches no port,
// registry key or tray entry.
void HandOverToRunningProgram(TPlatform& platform);
