#include "platform/sim/SimTasks.h"

std::uint32_t TSimTasks::Register(const std::string& name, const std::string& xml,
                                  std::uint32_t flags, const std::string& user,
                                  const std::string& sddl) {
  Calls.push_back("Register(" + name + "," + std::to_string(flags) + ")");
  if (RegisterFails != 0) return RegisterFails;
  if (sddl.rfind("D:", 0) != 0) return 0x80070057;  // E_INVALIDARG: no access list
  std::string kept = sddl;
  std::size_t open = kept.find('(');
  std::string listFlags = kept.substr(2, open == std::string::npos ? open : open - 2);
  if (DropsProtection && listFlags.find('P') != std::string::npos) {
    listFlags.erase(listFlags.find('P'), 1);
    kept = "D:" + listFlags + (open == std::string::npos ? "" : kept.substr(open)) + FolderEntries;
  }
  if (AddsPrincipalAlways || !(flags & kTaskDontAddPrincipalAce))
    kept += "(A;;" + PrincipalRights + ";;;" + PrincipalSid + ")";
  TTask& task = Tasks[name];
  task = {xml, user, kept, true, 0};
  return kTaskDone;
}

std::uint32_t TSimTasks::Descriptor(const std::string& name, std::uint32_t information,
                                    std::string& sddl) {
  Calls.push_back("Descriptor(" + name + ")");
  if (KeepsNoDescriptor) return kTaskNotImplemented;
  auto it = Tasks.find(name);
  if (it == Tasks.end()) return kTaskNotFound;
  sddl.clear();
  if (information & kOwnerInformation) sddl += "O:" + Owner;
  if (information & kDaclInformation) sddl += it->second.Sddl;
  return kTaskDone;
}

std::uint32_t TSimTasks::Remove(const std::string& name) {
  Calls.push_back("Remove(" + name + ")");
  return Tasks.erase(name) ? kTaskDone : kTaskNotFound;
}

std::uint32_t TSimTasks::SetEnabled(const std::string& name, bool enabled) {
  Calls.push_back("SetEnabled(" + name + "," + (enabled ? "1" : "0") + ")");
  auto it = Tasks.find(name);
  if (it == Tasks.end()) return kTaskNotFound;
  it->second.Enabled = enabled;
  return kTaskDone;
}

std::uint32_t TSimTasks::Run(const std::string& name) {
  Calls.push_back("Run(" + name + ")");
  auto it = Tasks.find(name);
  if (it == Tasks.end()) return kTaskNotFound;
  ++it->second.Runs;
  return kTaskDone;
}

bool TSimTasks::StartAsShellUser(const std::string& path, const std::string& arguments,
                                 const std::string& folder) {
  Calls.push_back("StartAsShellUser(" + path + ")");
  if (!ShellRunning) return false;
  ShellUserStarts.push_back({path, arguments, folder});
  return true;
}
