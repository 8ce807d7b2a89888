#include "hw/LoadPlace.h"

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
  std::string Account;

  bool Trusted(const std::string& sid) const {
    return sid == kSystem || sid == kAdministrators || sid == kTrustedInstaller ||
           (!Account.empty() && sid == Account);
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
}  // namespace

TLoadCheck CheckLoadPlace(ISystem& system, const std::string& path) {
  TLoadCheck check;
  std::vector<std::string> asked = Components(WithoutPrefix(path));
  if (asked.empty()) return check;
  if ((check.Verdict = Way(system, asked)) != TLoadPlace::Protected) return check;

  // A file not there yet is named in its folder's final form.
  const std::string& file = asked.back();
  bool present = system.FileAttributes(file).has_value();
  const std::string& folder = asked[asked.size() - 2];
  std::string resolved;
  if (!system.FinalPath(present ? file : folder, resolved)) {
    check.Verdict = TLoadPlace::Unusable;
    return check;
  }
  resolved = WithoutPrefix(resolved);
  if (!present) {
    if (resolved.back() != '\\') resolved += '\\';
    resolved += file.substr(folder.size() + (folder.back() == '\\' ? 0 : 1));
  }
  std::vector<std::string> components = Components(resolved);
  check.Verdict = components.empty() ? TLoadPlace::Unusable : Way(system, components);
  if (check.Verdict != TLoadPlace::Protected) return check;
  check.FinalPath = resolved;

  TJudge judge{system, system.ProcessUserSid(kThisProcess)};
  std::size_t last = components.size() - 1;
  for (std::size_t i = 0; i <= last && check.Verdict == TLoadPlace::Protected; ++i)
    if (i < last || present) check.Verdict = judge.Judge(components[i], i + 1 >= last);
  return check;
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
