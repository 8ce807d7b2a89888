// The setup plugin's entries for the log-on task and for starting Kelvane, on the real Task
// Scheduler and shell (setup/LogonTask decides). Each takes its arguments from the script's
// stack, first argument on top, and leaves its answers there:
//
//   KelvaneSetup::RegisterLogonTask  user folder  (the outcome on top: 0 registered, 1 not
//                                                   registered, 2 refused, removed again; then
//                                                   the sentence, empty or a detail line when
//                                                   registered)
//   KelvaneSetup::RemoveLogonTask                 ("1" when one was removed, else "0")
//   KelvaneSetup::EnableLogonTask    enabled(0|1) ("1" when one was there and changed)
//   KelvaneSetup::StartLogonTask                  ("1" when the scheduler took the request)
//   KelvaneSetup::StartAsDesktopUser folder       (empty when started, else the sentence)
#include "NsisStack.h"
#include "platform/win32/Win32Tasks.h"
#include "setup/LogonTask.h"

KELVANE_ENTRY(RegisterLogonTask) {
  TStack stack(stringSize, stackTop);
  std::string user = stack.Pop();
  std::string folder = stack.Pop();
  TWin32Tasks tasks;
  TTaskOutcome outcome = RegisterLogonTask(tasks, user, folder);
  stack.Push(outcome.Text);
  stack.Push(std::to_string(static_cast<int>(outcome.Result)));
}

KELVANE_ENTRY(RemoveLogonTask) {
  TStack stack(stringSize, stackTop);
  TWin32Tasks tasks;
  stack.Push(RemoveLogonTask(tasks) ? "1" : "0");
}

KELVANE_ENTRY(EnableLogonTask) {
  TStack stack(stringSize, stackTop);
  bool enabled = stack.Pop() == "1";
  TWin32Tasks tasks;
  stack.Push(EnableLogonTask(tasks, enabled) ? "1" : "0");
}

KELVANE_ENTRY(StartLogonTask) {
  TStack stack(stringSize, stackTop);
  TWin32Tasks tasks;
  stack.Push(StartLogonTask(tasks) ? "1" : "0");
}

KELVANE_ENTRY(StartAsDesktopUser) {
  TStack stack(stringSize, stackTop);
  std::string folder = stack.Pop();
  TWin32Tasks tasks;
  stack.Push(StartAsDesktopUser(tasks, folder));
}
