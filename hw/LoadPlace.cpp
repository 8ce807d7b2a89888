#include "hw/LoadPlace.h"

#include <algorithm>
#include <vector>

#include "framework/Strings.h"

namespace {
// Those who may change what an elevated Kelvane loads: they can change the system anyway.
constexpr char kSystem[] = "S-1-5-18";
constexpr char kAdministrators[] = "S-1-5-32-544";
constexpr char kTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// Stands for whoever makes a file or folder inside: in an entry for what is made there only,
// it gives the maker rights to its own, not to what we load.
constexpr char kCreatorOwner[] = "S-1-3-0";

// On the file and its folder: changing the file, its list or its owner, and putting into the
// folder or taking out of it.
constexpr std::uint32_t kChanges = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | FILE_DELETE_CHILD |
                                   WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
// On a folder above: deleting or renaming it or a folder in it, changing its list or owner.
// (Adding a folder beside ours changes nothing we load.)
constexpr std::uint32_t kSwaps = DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;

bool StartsWith(const std::string& text, const char* prefix) {
  std::string_view start(prefix);
  return text.size() >= start.size() &&
         SameText(std::string_view(text).substr(0, start.size()), start);
}

struct TJudge {
  ISystem& System;
  const std::vector<std::string>& Accounts;

  bool Trusted(const std::string& sid) const {
    return sid == kSystem || sid == kAdministrators || sid == kTrustedInstaller ||
           (!sid.empty() && std::find(Accounts.begin(), Accounts.end(), sid) != Accounts.end());
  }

  // True when the entry gives someone untrusted one of `rights`. Entries only for what a
  // folder will hold count where that matters (`inheritable`). An entry of another type than
  // the plain one counts whoever it names, and one of a type not read counts whatever it says.
  bool LetsOthers(const TAccessEntry& entry, std::uint32_t rights, bool inheritable) const {
    if (entry.InheritOnly && !inheritable) return false;
    if (entry.Type == TAceType::Other) return true;
    if (!entry.Allow || !(entry.Mask & rights)) return false;
    if (entry.Type != TAceType::Plain) return true;
    return !Trusted(entry.Sid) && !(entry.InheritOnly && entry.Sid == kCreatorOwner);
  }

  // `close`: the file or its folder; else a folder above. An owner may always change the list.
  TLoadPlace Judge(const std::string& path, bool close) const {
    TFileSecurity security;
    if (!System.GetFileSecurity(path, security)) return TLoadPlace::Unreadable;
    if (security.List.Null || !Trusted(security.Owner)) return TLoadPlace::OthersMayChange;
    for (const TAccessEntry& entry : security.List.Entries)
      if (LetsOthers(entry, close ? kChanges : kSwaps, close)) return TLoadPlace::OthersMayChange;
    return TLoadPlace::Protected;
  }
};

// Without the system's "\\?\" (or "\??\") before it, a share's "UNC\" back to "\\".
std::string WithoutPrefix(const std::string& path) {
  if (!StartsWith(path, "\\\\?\\") && !StartsWith(path, "\\??\\")) return path;
  std::string rest = path.substr(4);
  return StartsWith(rest, "UNC\\") ? "\\\\" + rest.substr(4) : rest;
}

// "C:\" or "\\server\share\"; empty when the path is not a full one.
std::string RootOf(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
    return path.substr(0, 3);
  if (!StartsWith(path, "\\\\")) return {};
  std::size_t server = path.find('\\', 2);
  if (server == std::string::npos || server == 2 || path.substr(2, server - 2) == "." ||
      path.substr(2, server - 2) == "?")
    return {};
  std::size_t share = path.find('\\', server + 1);
  if (share == server + 1) return {};
  return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
}

bool IsShare(const std::string& root) { return StartsWith(root, "\\\\"); }

// The root, each folder below it, and last the file itself: "C:\", "C:\a", "C:\a\f.sys". Empty
// when the path is not a plain full one (a "." or ".." in it, an empty name, a "/").
std::vector<std::string> Components(const std::string& path) {
  std::string root = RootOf(path);
  if (root.empty() || path.find('/') != std::string::npos) return {};
  std::vector<std::string> components{root};
  for (std::size_t start = root.size(); start < path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == "..") return {};
    components.push_back(path.substr(0, end));
    start = end + 1;
  }
  return components.size() < 2 ? std::vector<std::string>{} : components;
}

// A drive other than a fixed disk, or a link on the way; Protected when neither. A drive's
// root is no link: what the drive letter stands for (a substituted or mapped drive) the final
// path tells. (Wine marks the root of its drive Z:, the Unix root, as a reparse point.)
TLoadPlace Way(ISystem& system, const std::vector<std::string>& components) {
  if (IsShare(components[0]) || system.DriveType(components[0]) != TDriveType::Fixed)
    return TLoadPlace::NotLocal;
  for (std::size_t i = 1; i < components.size(); ++i) {
    std::optional<std::uint32_t> attributes = system.FileAttributes(components[i]);
    bool file = i + 1 == components.size();
    if (!attributes && !file) return TLoadPlace::Unusable;
    if (attributes && (*attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return TLoadPlace::Redirected;
  }
  return TLoadPlace::Protected;
}

// How many of the components, from the root on, exist.
std::size_t Present(ISystem& system, const std::vector<std::string>& components) {
  std::size_t present = 1;
  while (present < components.size() && system.FileAttributes(components[present])) ++present;
  return present;
}

// The way to `asked`, whose first `present` components exist, checked, and the components as
// the system resolves them (`resolved`), the missing ones named in the last existing one's
// final form; of those, as many are missing as of the ones asked.
TLoadPlace Resolve(ISystem& system, const std::vector<std::string>& asked, std::size_t present,
                   std::vector<std::string>& resolved) {
  TLoadPlace way = Way(system, {asked.begin(), asked.begin() + present});
  if (way != TLoadPlace::Protected) return way;
  std::string path;
  if (!system.FinalPath(asked[present - 1], path)) return TLoadPlace::Unusable;
  path = WithoutPrefix(path);
  for (std::size_t i = present; i < asked.size(); ++i) {
    if (path.back() != '\\') path += '\\';
    const std::string& above = asked[i - 1];
    path += asked[i].substr(above.size() + (above.back() == '\\' ? 0 : 1));
  }
  resolved = Components(path);
  if (resolved.size() <= asked.size() - present) return TLoadPlace::Unusable;
  return Way(system, {resolved.begin(), resolved.end() - (asked.size() - present)});
}

std::vector<std::string> FolderComponents(const std::string& folder) {
  std::string path = WithoutPrefix(folder);
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  return Components(path);
}

// The setup's verdict on its install folder, and the folders it then makes, top down.
struct TInstallPlan {
  TLoadPlace Verdict = TLoadPlace::Unusable;
  std::vector<std::string> ToMake;
};

TInstallPlan PlanInstallFolder(ISystem& system, const std::string& folder, bool isDefault,
                               bool earlier, const std::vector<std::string>& accounts) {
  TInstallPlan plan;
  std::vector<std::string> asked = FolderComponents(folder);
  if (asked.empty()) return plan;  // a drive's root is no folder of its own
  std::size_t present = Present(system, asked);
  std::vector<std::string> resolved;
  if ((plan.Verdict = Resolve(system, asked, present, resolved)) != TLoadPlace::Protected)
    return plan;
  bool exists = present == asked.size();
  if (exists && ((!isDefault && !earlier) ||
                 !(*system.FileAttributes(asked.back()) & FILE_ATTRIBUTE_DIRECTORY))) {
    plan.Verdict = TLoadPlace::Occupied;
    return plan;
  }
  TJudge judge{system, accounts};
  std::size_t last = resolved.size() - 1;
  std::size_t existing = resolved.size() - (asked.size() - present);
  for (std::size_t i = 0; i < std::min(existing, last); ++i)
    if ((plan.Verdict = judge.Judge(resolved[i], false)) != TLoadPlace::Protected) return plan;
  if (exists && isDefault) {
    plan.Verdict = judge.Judge(resolved[last], true);
  } else if (exists) {
    TFileSecurity security;
    plan.Verdict = !system.GetFileSecurity(resolved[last], security) ? TLoadPlace::Unreadable
                   : security == kInstallFolderSecurity              ? TLoadPlace::Protected
                                                                     : TLoadPlace::Foreign;
  }
  plan.ToMake.assign(asked.begin() + present, asked.end());
  return plan;
}
}  // namespace

const TFileSecurity kInstallFolderSecurity{kAdministrators,
                                           {false,
                                            {{true, 0x001F01FF, kSystem},
                                             {true, 0x001F01FF, kAdministrators},
                                             {true, 0x001200A9, "S-1-5-32-545"}}}};

TLoadCheck CheckLoadPlace(ISystem& system, const std::string& path) {
  return CheckLoadPlace(system, path, {system.ProcessUserSid(kThisProcess)});
}

TLoadCheck CheckLoadPlace(ISystem& system, const std::string& path,
                          const std::vector<std::string>& accounts) {
  TLoadCheck check;
  std::vector<std::string> asked = Components(WithoutPrefix(path));
  if (asked.empty()) return check;
  if ((check.Verdict = Way(system, asked)) != TLoadPlace::Protected) return check;

  // A file not there yet is named in its folder's final form.
  bool present = system.FileAttributes(asked.back()).has_value();
  std::vector<std::string> components;
  check.Verdict = Resolve(system, asked, asked.size() - (present ? 0 : 1), components);
  if (check.Verdict != TLoadPlace::Protected) return check;
  check.FinalPath = components.back();

  TJudge judge{system, accounts};
  std::size_t last = components.size() - 1;
  for (std::size_t i = 0; i <= last && check.Verdict == TLoadPlace::Protected; ++i)
    if (i < last || present) check.Verdict = judge.Judge(components[i], i + 1 >= last);
  return check;
}

std::vector<std::string> SetupAccounts(ISystem& system, const std::string& desktopSid) {
  std::string own = system.ProcessUserSid(kThisProcess);
  std::vector<std::string> accounts{own};
  if (!desktopSid.empty() && (desktopSid == own || system.AccountIsAdministrator(desktopSid)))
    accounts.push_back(desktopSid);
  return accounts;
}

TLoadPlace CheckInstallFolder(ISystem& system, const std::string& folder, bool isDefault,
                              bool earlier, const std::vector<std::string>& accounts) {
  return PlanInstallFolder(system, folder, isDefault, earlier, accounts).Verdict;
}

TLoadPlace MakeInstallFolder(ISystem& system, const std::string& folder, bool isDefault,
                             bool earlier, const std::vector<std::string>& accounts) {
  TInstallPlan plan = PlanInstallFolder(system, folder, isDefault, earlier, accounts);
  for (const std::string& made : plan.ToMake)
    if (plan.Verdict == TLoadPlace::Protected &&
        !system.CreateFolder(made, isDefault ? nullptr : &kInstallFolderSecurity))
      plan.Verdict = TLoadPlace::Occupied;
  return plan.Verdict;
}

TLoadPlace CheckFolderWay(ISystem& system, const std::string& folder) {
  std::vector<std::string> asked = FolderComponents(folder);
  if (asked.empty() || Present(system, asked) < asked.size()) return TLoadPlace::Unusable;
  std::vector<std::string> resolved;
  return Resolve(system, asked, asked.size(), resolved);
}

std::string DriverImagePath(const std::string& imagePath, const std::string& windowsFolder) {
  if (StartsWith(imagePath, "\\??\\") || StartsWith(imagePath, "\\\\?\\"))
    return WithoutPrefix(imagePath);
  for (const char* root : {"\\SystemRoot\\", "%SystemRoot%\\"})
    if (StartsWith(imagePath, root))
      return windowsFolder + "\\" + imagePath.substr(std::string_view(root).size());
  if (!RootOf(imagePath).empty()) return imagePath;
  // Relative to the system root, as the kernel loads it; any other form is none we read.
  bool relative =
      !imagePath.empty() && imagePath[0] != '\\' && imagePath.find(':') == std::string::npos;
  return relative ? windowsFolder + "\\" + imagePath : std::string();
}
