#pragma once
// The executable's entry sequence.
#include <memory>

#include "app/OneInstance.h"
#include "app/Unit1.h"
#include "platform/Platform.h"

enum class TStartedBy {
  User,      // the Start menu's shortcut, or anything else: the running copy's window is shown
  LogOnTask  // finds a copy running, here or in another session: ends at once, silently
};

TStartedBy StartedBy(int argc, const char* const* argv);

class TProgram {
 public:
  // `ports`: what the executable links to reach the chip, handed to the main window.
  TProgram(TPlatform& platform, IPortAccess& ports, TStartedBy startedBy = TStartedBy::User)
      : FPlatform(platform), FPorts(ports), FStartedBy(startedBy) {}
  ~TProgram();
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  // Everything up to the message loop: the application and its hidden main window. False
  // when another program runs: in this log-on session it has been asked to show its window,
  // otherwise a box has said why (a start by the log-on task does neither); either way this
  // one must end without having touched a port, the registry or the tray.
  bool Start();
  // The message loop, until the program is told to end.
  void Run();

  TApplication* Application() const { return FApplication.get(); }
  TForm1* Form() const { return FForm; }

 private:
  // From the locks and what runs beside: true when this start goes on to control the fan.
  bool TakeRole();

  // Another copy runs: the user is told (its window shown, or a box), the task is not.
  bool StartedByUser() const { return FStartedBy == TStartedBy::User; }

  TPlatform& FPlatform;
  IPortAccess& FPorts;
  TStartedBy FStartedBy;
  std::unique_ptr<TInstanceLock> FInstance;
  std::unique_ptr<TApplication> FApplication;
  TForm1* FForm = nullptr;
  // A later start asked for the window while this one was still starting.
  bool FStarting = false;
  bool FHandOverPending = false;
};

// Start and run; returns when the program ends.
int RunProgram(TPlatform& platform, IPortAccess& ports, TStartedBy startedBy = TStartedBy::User);
