#include "setup/LogonTask.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "hw/KelvaneProcess.h"
#include "platform/System.h"
#include "setup/SetupText.h"

namespace {
constexpr char kProgram[] = "kelvane.exe";

std::string XmlText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// ---- the descriptor ----------------------------------------------------------------------
// FILE_WRITE_EA, FILE_WRITE_ATTRIBUTES: a task's rights are a file's.
constexpr std::uint32_t kWriteEa = 0x0010;
constexpr std::uint32_t kWriteAttributes = 0x0100;
// What changes a task; starting (execute) and reading do not.
constexpr std::uint32_t kChangeRights = DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                        kWriteEa | FILE_DELETE_CHILD | kWriteAttributes;

struct TRightName {
  char Name[3];
  std::uint32_t Mask;
};
constexpr TRightName kRightNames[] = {
    {"GA", 0x10000000}, {"GR", 0x80000000}, {"GW", 0x40000000}, {"GX", 0x20000000},
    {"RC", 0x00020000}, {"SD", 0x00010000}, {"WD", 0x00040000}, {"WO", 0x00080000},
    {"CC", 0x00000001}, {"DC", 0x00000002}, {"LC", 0x00000004}, {"SW", 0x00000008},
    {"RP", 0x00000010}, {"WP", 0x00000020}, {"DT", 0x00000040}, {"LO", 0x00000080},
    {"CR", 0x00000100}, {"FA", 0x001F01FF}, {"FR", 0x00120089}, {"FW", 0x00120116},
    {"FX", 0x001200A0}, {"KA", 0x000F003F}, {"KR", 0x00020019}, {"KW", 0x00020006},
    {"KX", 0x00020019},
};

// A right that cannot be read counts as every right.
std::uint32_t RightsMask(const std::string& rights) {
  if (rights.rfind("0x", 0) == 0 || rights.rfind("0X", 0) == 0 ||
      (!rights.empty() && rights[0] >= '0' && rights[0] <= '9')) {
    char* end = nullptr;
    unsigned long mask = std::strtoul(rights.c_str(), &end, 0);
    return end && *end == '\0' ? static_cast<std::uint32_t>(mask) : ~0u;
  }
  if (rights.size() % 2 != 0) return ~0u;
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < rights.size(); i += 2) {
    const TRightName* found = nullptr;
    for (const TRightName& name : kRightNames)
      if (rights.compare(i, 2, name.Name) == 0) found = &name;
    if (!found) return ~0u;
    mask |= found->Mask;
  }
  return mask;
}

bool Trusted(const std::string& sid) {
  return sid == "SY" || sid == "BA" || sid == "S-1-5-18" || sid == "S-1-5-32-544";
}

// The parts of an entry, split at the semicolons outside its parentheses (a conditional
// entry's condition has its own).
std::vector<std::string> Fields(const std::string& entry) {
  std::vector<std::string> fields(1);
  int depth = 0;
  for (char c : entry) {
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ';' && depth == 0)
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

// The descriptor's parts: "O:", "G:", "D:", "S:" outside parentheses start one.
bool Parts(const std::string& sddl, std::string& owner, std::string& dacl, bool& hasDacl) {
  char part = 0;
  int depth = 0;
  std::string* into = nullptr;
  std::string ignored;
  for (std::size_t i = 0; i < sddl.size(); ++i) {
    char c = sddl[i];
    if (depth == 0 && i + 1 < sddl.size() && sddl[i + 1] == ':' &&
        (c == 'O' || c == 'G' || c == 'D' || c == 'S')) {
      part = c;
      into = c == 'O' ? &owner : c == 'D' ? &dacl : &ignored;
      if (c == 'D') hasDacl = true;
      ++i;
      continue;
    }
    if (!into) return false;
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return false;
    *into += c;
  }
  return part != 0 && depth == 0;
}
}  // namespace

std::optional<std::vector<std::string>> TaskChangers(const std::string& sddl) {
  std::string owner, dacl;
  bool hasDacl = false;
  if (!Parts(sddl, owner, dacl, hasDacl) || !hasDacl) return std::nullopt;
  std::vector<std::string> changers;
  auto add = [&changers](const std::string& sid) {
    for (const std::string& known : changers)
      if (known == sid) return;
    changers.push_back(sid);
  };
  if (!owner.empty() && !Trusted(owner)) add(owner);
  std::size_t open = dacl.find('(');
  // No list at all lets everyone do everything.
  if (dacl.substr(0, open).find("NO_ACCESS_CONTROL") != std::string::npos) {
    add("WD");
    return changers;
  }
  while (open != std::string::npos) {
    int depth = 0;
    std::size_t close = open;
    for (; close < dacl.size(); ++close) {
      if (dacl[close] == '(') ++depth;
      if (dacl[close] == ')' && --depth == 0) break;
    }
    if (close >= dacl.size()) return std::nullopt;
    std::vector<std::string> fields = Fields(dacl.substr(open + 1, close - open - 1));
    if (fields.size() < 6) return std::nullopt;
    const std::string& type = fields[0];
    bool denies = type == "D" || type == "OD" || type == "XD";
    // An inherit-only entry is for what a folder will hold, not for the task.
    bool inheritOnly = fields[1].find("IO") != std::string::npos;
    if (!denies && !inheritOnly && (RightsMask(fields[2]) & kChangeRights) && !Trusted(fields[5]))
      add(fields[5]);
    open = dacl.find('(', close);
  }
  return changers;
}

std::string LogonTaskXml(const std::string& user, const std::string& folder) {
  std::string who = XmlText(user);
  std::string where = XmlText(folder);
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         "<Task version=\"1.2\" "
         "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         "  <RegistrationInfo>\r\n"
         "    <SecurityDescriptor>" +
         std::string(kLogonTaskSddl) +
         "</SecurityDescriptor>\r\n"
         "    <Author>Kelvane setup</Author>\r\n"
         "    <Description>Starts Kelvane when " +
         who +
         " logs on, and again within a minute when it has ended otherwise than by the setup or "
         "the end of the session, with the rights it needs for the port driver.</Description>\r\n"
         "  </RegistrationInfo>\r\n"
         "  <Triggers>\r\n"
         "    <LogonTrigger>\r\n"
         "      <Repetition>\r\n"
         "        <Interval>PT1M</Interval>\r\n"
         "        <StopAtDurationEnd>false</StopAtDurationEnd>\r\n"
         "      </Repetition>\r\n"
         "      <Enabled>true</Enabled>\r\n"
         "      <UserId>" +
         who +
         "</UserId>\r\n"
         "    </LogonTrigger>\r\n"
         "  </Triggers>\r\n"
         "  <Principals>\r\n"
         "    <Principal id=\"Author\">\r\n"
         "      <UserId>" +
         who +
         "</UserId>\r\n"
         "      <LogonType>InteractiveToken</LogonType>\r\n"
         "      <RunLevel>HighestAvailable</RunLevel>\r\n"
         "    </Principal>\r\n"
         "  </Principals>\r\n"
         "  <Settings>\r\n"
         "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
         "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
         "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
         "    <AllowStartOnDemand>true</AllowStartOnDemand>\r\n"
         "    <Enabled>true</Enabled>\r\n"
         "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
         "    <Priority>4</Priority>\r\n"
         "  </Settings>\r\n"
         "  <Actions Context=\"Author\">\r\n"
         "    <Exec>\r\n"
         "      <Command>\"" +
         where + "\\" + kProgram +
         "\"</Command>\r\n"
         "      <Arguments>" +
         kLogOnTaskArgument +
         "</Arguments>\r\n"
         "      <WorkingDirectory>" +
         where +
         "</WorkingDirectory>\r\n"
         "    </Exec>\r\n"
         "  </Actions>\r\n"
         "</Task>\r\n";
}

TTaskOutcome RegisterLogonTask(ITasks& tasks, const std::string& user, const std::string& folder) {
  std::uint32_t result =
      tasks.Register(kLogonTaskName, LogonTaskXml(user, folder),
                     kTaskCreateOrUpdate | kTaskDontAddPrincipalAce, user, kLogonTaskSddl);
  char code[16];
  if (result != kTaskDone) {
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    return {TTaskRegistration::Failed,
            SetupText(TSetupText::TaskNotRegistered) + std::string(" (") + code + ")."};
  }
  std::string sddl;
  result = tasks.Descriptor(kLogonTaskName, kOwnerInformation | kDaclInformation, sddl);
  // A scheduler that keeps no descriptor of its own has nothing to widen.
  if (result == kTaskNotImplemented)
    return {TTaskRegistration::Registered, SetupText(TSetupText::TaskDescriptorNotKept)};
  std::optional<std::vector<std::string>> changers =
      result == kTaskDone ? TaskChangers(sddl) : std::nullopt;
  if (changers && changers->empty()) return {TTaskRegistration::Registered, ""};
  tasks.Remove(kLogonTaskName);
  std::string who;
  if (changers)
    for (const std::string& sid : *changers) who += (who.empty() ? "" : ", ") + sid;
  else
    who = SetupText(TSetupText::TaskDescriptorUnreadable);
  return {TTaskRegistration::Refused, SetupText(TSetupText::TaskUnprotected) + (" " + who + ".")};
}

bool RemoveLogonTask(ITasks& tasks) { return tasks.Remove(kLogonTaskName) == kTaskDone; }

bool EnableLogonTask(ITasks& tasks, bool enabled) {
  return tasks.SetEnabled(kLogonTaskName, enabled) == kTaskDone;
}

bool StartLogonTask(ITasks& tasks) { return tasks.Run(kLogonTaskName) == kTaskDone; }

std::string StartAsDesktopUser(ITasks& tasks, const std::string& folder) {
  return tasks.StartAsShellUser(folder + "\\" + kProgram, "", folder)
             ? ""
             : SetupText(TSetupText::NotStartedAsDesktopUser);
}
