#pragma once
// The task that starts Kelvane at the desktop user's log-on with that user's highest rights,
// and again within a minute after any end the setup or the session's end did not ask for:
// its definition, its registration through the scheduler's own interface, and the verdict on
// the descriptor the scheduler gave it. Windows may widen the descriptor the setup hands over
// (an entry for the task's principal, the protection flag dropped): what counts is the one
// read back.
#include <optional>
#include <string>
#include <vector>

#include "platform/Tasks.h"

inline constexpr char kLogonTaskName[] = "Kelvane";
// Who may start or change the task: SYSTEM and Administrators only, so no process of the
// desktop user's (whose rights are filtered) can start the elevated copy or point the task at
// another program; the elevated setup can.
inline constexpr char kLogonTaskSddl[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";

// The task's definition for `user` (DOMAIN\name) and the program in `folder`: at that user's
// log-on and every minute after for as long as the session lasts, no second instance while one
// runs (so the repetition starts the program again only once it has ended), with that user's
// highest rights (an administrator's full token, which may start the port driver), on battery
// too, without a time limit, at the normal priority a program started by the shell has (a
// task's default is below normal, which would hold back the fan decision on a busy processor).
std::string LogonTaskXml(const std::string& user, const std::string& folder);

// The accounts (SIDs as the descriptor names them: "S-1-5-21-...", "AU") that a task's
// descriptor (SDDL with owner and access list) lets change the task: write it, delete it,
// change its access list or owner. SYSTEM and Administrators are not named; an owner is named,
// since an owner may always change the access list. None when the descriptor cannot be read.
std::optional<std::vector<std::string>> TaskChangers(const std::string& sddl);

enum class TTaskRegistration {
  Registered,  // and as protected as asked
  Failed,      // the scheduler refused it: nothing registered
  Refused,     // the scheduler widened its descriptor: removed again
};

struct TTaskOutcome {
  TTaskRegistration Result;
  // What the setup says: why it was not registered; for a registered task, a detail line or
  // nothing.
  std::string Text;
};

// Registers the task again (the folder may have changed), without the entry the scheduler
// would add for the principal and with kLogonTaskSddl as its descriptor, then reads the
// descriptor back; a task that others than SYSTEM and Administrators may change is removed.
TTaskOutcome RegisterLogonTask(ITasks& tasks, const std::string& user, const std::string& folder);
// True when a task was there and is gone.
bool RemoveLogonTask(ITasks& tasks);
// True when a task was there and is now enabled (disabled): a disabled one starts nothing, at
// log-on or from its repetition.
bool EnableLogonTask(ITasks& tasks, bool enabled);
// True when the scheduler took the request to run the task now.
bool StartLogonTask(ITasks& tasks);
// Starts kelvane.exe in `folder` as the user at the desktop, with the rights of that user's
// shell: where no task starts it. What the setup says when it could not (empty when started).
std::string StartAsDesktopUser(ITasks& tasks, const std::string& folder);
