#include "setup/SetupSteps.h"

#include <string_view>
#include <utility>

#include "framework/Strings.h"
#include "hw/PawnIoInstall.h"
#include "platform/Owned.h"
#include "setup/SetupText.h"

namespace {
constexpr char kProduct[] = "Kelvane";
constexpr char kDriverService[] = "giveio";

// A REG_SZ value of HKLM in the 64-bit view, read as Unicode; empty when there is none.
std::string MachineText(IRegistry& registry, const char* keyName, const char16_t* value) {
  HKey key = HKey::None;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                             key) != ERROR_SUCCESS)
    return {};
  TOwnedRegKey owned(registry, key);
  std::u16string text(1024, u'\0');
  std::uint32_t kind = 0;
  auto size = static_cast<std::uint32_t>(text.size() * sizeof(char16_t));
  if (registry.RegQueryValueExW(key, value, &kind, reinterpret_cast<std::uint8_t*>(text.data()),
                                &size) != ERROR_SUCCESS ||
      kind != REG_SZ)
    return {};
  text.resize(size / sizeof(char16_t));
  text.resize(std::u16string_view(text.c_str()).size());  // stored with its terminator or not
  return Utf8FromUtf16(text);
}

// "<folder>\Kelvane" of a program folder; empty for none.
std::string ProductFolder(std::string programFolder) {
  if (programFolder.empty()) return {};
  if (programFolder.back() != '\\') programFolder += '\\';
  return programFolder + kProduct;
}

// The folder and each folder above it up to the drive's root, the root last; empty when it is
// no plain full path of a drive's folder.
std::vector<std::string> WayUp(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  std::vector<std::string> way;
  if (folder.size() < 4 || folder[1] != ':' || folder[2] != '\\' ||
      folder.find('/') != std::string::npos)
    return way;
  for (std::string path = folder; path.size() > 3; path.erase(path.rfind('\\'))) {
    std::string name = path.substr(path.rfind('\\') + 1);
    if (name.empty() || name == "." || name == "..") return {};
    way.push_back(path);
  }
  return way;
}
}  // namespace

// ---- who ----------------------------------------------------------------------------------------

TSetupUsers FindSetupUsers(ISystem& system, ISetupSystem& setup) {
  TSetupUsers users;
  users.SetupName = setup.AccountNameOf(system.ProcessUserSid(kThisProcess));
  users.DesktopName = setup.SessionUserName();
  if (users.DesktopName.empty()) users.DesktopName = users.SetupName;
  users.DesktopSid = setup.AccountSidOf(users.DesktopName);
  return users;
}

// ---- where --------------------------------------------------------------------------------------

std::string DefaultInstallFolder(ISetupSystem& setup, IRegistry& registry, bool program64) {
  return ProductFolder(program64
                           ? MachineText(registry, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                         u"ProgramFilesDir")
                           : setup.ProgramFilesX86Folder());
}

bool IsDefaultInstallFolder(ISetupSystem& setup, IRegistry& registry, const std::string& folder) {
  std::string asked = folder;
  while (asked.size() > 3 && asked.back() == '\\') asked.pop_back();
  for (bool program64 : {false, true}) {
    std::string standard = DefaultInstallFolder(setup, registry, program64);
    if (!standard.empty() && SameText(asked, standard)) return true;
  }
  return false;
}

TLoadPlace InstallFolderVerdict(ISystem& system, ISetupSystem& setup, IRegistry& registry,
                                const std::string& folder, bool earlier,
                                const std::string& desktopSid, bool make) {
  bool isDefault = IsDefaultInstallFolder(setup, registry, folder);
  std::vector<std::string> accounts = SetupAccounts(system, desktopSid);
  if (!make) return CheckInstallFolder(system, folder, isDefault, earlier, accounts);
  std::vector<std::string> way = WayUp(folder);
  std::size_t missing = 0;
  while (missing < way.size() && !system.FileAttributes(way[missing])) ++missing;
  TLoadPlace verdict = MakeInstallFolder(system, folder, isDefault, earlier, accounts);
  if (verdict != TLoadPlace::Protected) return verdict;
  // Judged again as made, by the rule, whatever list it was given or inherited: no one but the
  // trusted may change it, and no folder above lets others swap it.
  verdict = CheckInstallFolder(system, folder, /*isDefault=*/true, earlier, accounts);
  if (verdict == TLoadPlace::Protected) return verdict;
  for (std::size_t i = 0; i < missing; ++i) {
    std::uint32_t attributes = 0;
    TOwnedKernelObject made(system, setup.OpenUnfollowed(way[i], true, attributes));
    if (made && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) setup.DeleteByHandle(made.Get());
  }
  return verdict;
}

// ---- an install's driver service and files ------------------------------------------------------

std::string RemoveOwnDriverService(ISystem& system, ISetupSystem& setup,
                                   const std::string& folder) {
  TOwnedServiceHandle manager(system, system.OpenSCManager(kManagerConnect));
  TOwnedServiceHandle service(system,
                              system.OpenService(manager.Get(), kDriverService,
                                                 kServiceQueryConfig | SERVICE_STOP | DELETE));
  if (!service) {
    // None registered, or one we may not touch: the second is said.
    TOwnedServiceHandle seen(
        system, system.OpenService(manager.Get(), kDriverService, kServiceQueryConfig));
    return seen ? SetupText(TSetupText::DriverServiceStays) : std::string();
  }
  TServiceParams config;
  if (!system.QueryServiceConfig(service.Get(), config))
    return SetupText(TSetupText::DriverServiceStays);
  // As the program compares them: both as the system resolves them, links and short names
  // followed. An image that is gone is judged by the folder it names.
  std::string image = DriverImagePath(config.BinaryPath, system.WindowsFolder());
  std::size_t cut = image.rfind('\\');
  std::string resolvedImage, resolvedFolder;
  bool ours = cut != std::string::npos && cut > 2 &&
              system.FinalPath(image.substr(0, cut), resolvedImage) &&
              system.FinalPath(folder, resolvedFolder) && SameText(resolvedImage, resolvedFolder);
  if (!ours) return SetupText(TSetupText::DriverServiceForeign, {config.BinaryPath});
  // A driver that is not running refuses the stop; the removal goes ahead either way.
  system.StopService(service.Get());
  return SetupText(setup.DeleteService(service.Get()) ? TSetupText::DriverServiceRemoved
                                                      : TSetupText::DriverServiceStays);
}

const std::vector<std::string> kInstallFiles{"kelvane.exe",  "README.txt",        "giveio.sys",
                                             "LpcIO.bin",    "LpcIO-LICENSE.txt", "logon-task.xml",
                                             "uninstall.exe"};

std::string RemoveInstallFolder(ISystem& system, ISetupSystem& setup, const std::string& folder) {
  std::vector<std::string> way = WayUp(folder);
  if (way.empty() || !system.FileAttributes(way.front())) return {};
  // Held from the drive's root down, none of them following a link and none shared for
  // deletion: no folder on the way can be renamed or replaced while the files go.
  std::vector<TOwnedKernelObject> held;
  for (auto it = way.rbegin(); it != way.rend(); ++it) {
    std::uint32_t attributes = 0;
    bool last = it + 1 == way.rend();
    held.emplace_back(system, setup.OpenUnfollowed(*it, last, attributes));
    if (!held.back()) return SetupText(TSetupText::InstallFolderUnopened, {folder});
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return SetupText(TSetupText::InstallFolderLinked, {folder});
  }
  std::vector<std::pair<std::string, TOwnedKernelObject>> files;
  for (const std::string& name : kInstallFiles) {
    std::uint32_t attributes = 0;
    TOwnedKernelObject file(system,
                            setup.OpenUnfollowed(way.front() + "\\" + name, true, attributes));
    if (!file) continue;
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
      return SetupText(TSetupText::InstallFolderLinked, {folder});
    files.emplace_back(name, std::move(file));
  }
  std::string stays;
  for (auto& [name, file] : files)
    if (!setup.DeleteByHandle(file.Get()) && stays.empty()) stays = name;
  files.clear();  // the files go as their handles close
  if (!stays.empty()) return SetupText(TSetupText::InstallFileStays, {folder, stays});
  if (!setup.DeleteByHandle(held.back().Get()))
    return SetupText(TSetupText::InstallFolderKept, {folder});
  return {};
}

// ---- PawnIO -------------------------------------------------------------------------------------

std::string PawnIoMissing(IRegistry& registry) {
  return PawnIoInstalled(registry) ? std::string() : SetupText(TSetupText::PawnIoMissing);
}

std::string PawnIoSetupEnded(const std::string& exitCode) {
  if (exitCode == "0") return {};
  // No code at all: it could not be started.
  return SetupText(TSetupText::PawnIoSetupFailed,
                   {exitCode.empty() ? std::string_view("none (it did not start)") : exitCode});
}
