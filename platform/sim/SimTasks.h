#pragma once
// The Task Scheduler of the simulated machine, as Windows documents and is reported to behave:
// a task keeps the descriptor given at registration, to which the scheduler adds an entry for
// the task's principal unless told not to (TASK_DONT_ADD_PRINCIPAL_ACE), and it may drop the
// descriptor's protection, letting the task folder's entries in. Also the desktop's shell,
// whose user a program can be started as.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Tasks.h"

class TSimTasks : public ITasks {
 public:
  std::uint32_t Register(const std::string& name, const std::string& xml, std::uint32_t flags,
                         const std::string& user, const std::string& sddl) override;
  std::uint32_t Descriptor(const std::string& name, std::uint32_t information,
                           std::string& sddl) override;
  std::uint32_t Remove(const std::string& name) override;
  std::uint32_t SetEnabled(const std::string& name, bool enabled) override;
  std::uint32_t Run(const std::string& name) override;
  bool StartAsShellUser(const std::string& path, const std::string& arguments,
                        const std::string& folder) override;

  struct TTask {
    std::string Xml;
    std::string User;
    std::string Sddl;  // the access list as kept ("D:..."), the owner apart
    bool Enabled = true;
    int Runs = 0;
  };
  std::map<std::string, TTask> Tasks;

  // ---- the machine ---------------------------------------------------------
  // The SID of every principal, and the rights of the entry the scheduler adds for it.
  std::string PrincipalSid = "S-1-5-21-1180699209-877415012-3182924384-1001";
  std::string PrincipalRights = "FR";
  // Adds the principal's entry even when told not to.
  bool AddsPrincipalAlways = false;
  // Drops the protection flag of a descriptor, letting in the task folder's entries.
  bool DropsProtection = false;
  std::string FolderEntries = "(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;AU)";
  // The owner a registered task gets.
  std::string Owner = "BA";
  // A scheduler that keeps no descriptor of its own (Wine's): reading it is not implemented.
  bool KeepsNoDescriptor = false;
  // What the next registration answers, when not done.
  std::uint32_t RegisterFails = 0;
  // The desktop's shell, and the programs started as its user.
  bool ShellRunning = true;
  struct TStart {
    std::string Path, Arguments, Folder;
  };
  std::vector<TStart> ShellUserStarts;
  // Every call, in order: "Register(Kelvane,22)", "Descriptor(Kelvane)", "Remove(Kelvane)",
  // "SetEnabled(Kelvane,0)", "Run(Kelvane)", "StartAsShellUser(...)".
  std::vector<std::string> Calls;
};
