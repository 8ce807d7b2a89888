#include "platform/sim/SimSystem.h"

#include <algorithm>
#include <cctype>

#include "platform/Registry.h"

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
constexpr char kDevicePrefix[] = "\\\\.\\";
// What a standard user may ask of the service manager and of a driver's service: connect,
// list and query, never register, start, stop or change.
constexpr std::uint32_t kUserManagerRights = 0x0001 | 0x0004 | 0x0010 | READ_CONTROL;
constexpr std::uint32_t kUserServiceRights = 0x0001 | 0x0004 | 0x0008 | 0x0080 | READ_CONTROL;
constexpr std::uint32_t kWaitAndRelease = SYNCHRONIZE | MUTEX_MODIFY_STATE;
constexpr char kAdministrators[] = "S-1-5-32-544";
// Groups every process of the machine's users is in.
constexpr const char* kEveryUser[] = {"S-1-1-0", "S-1-5-32-545", "S-1-5-11", "S-1-5-4"};

// The rights a device's list grants to a process, generic rights mapped as for files.
std::uint32_t GrantedBy(const TAccessList& list, bool administrator) {
  if (list.Null) return ~0u;
  std::uint32_t granted = 0;
  for (const TAccessEntry& e : list.Entries) {
    bool applies = administrator && e.Sid == kAdministrators;
    for (const char* sid : kEveryUser) applies = applies || e.Sid == sid;
    if (!applies || e.InheritOnly) continue;
    std::uint32_t mask = e.Mask;
    if (mask & GENERIC_ALL) mask |= 0x001F01FF | GENERIC_READ | GENERIC_WRITE;
    if (e.Allow) granted |= mask;
  }
  return granted;
}

// The file the kernel loads for a driver's image path: its own forms, or a path relative to
// the Windows folder.
std::string ImageFile(const std::string& image, const std::string& windows) {
  if (image.rfind("\\??\\", 0) == 0) return image.substr(4);
  if (Upper(image).rfind("\\SYSTEMROOT\\", 0) == 0) return windows + image.substr(11);
  if (!image.empty() && image[0] != '\\' && image.find(':') == std::string::npos)
    return windows + "\\" + image;
  return image;
}
}  // namespace

const TAccessList TSimSystem::ProtectedList{false,
                                            {{true, 0x001F01FF, "S-1-5-18", false},
                                             {true, 0x001F01FF, kAdministrators, false},
                                             {true, 0x001200A9, "S-1-5-32-545", false},
                                             {true, GENERIC_ALL, "S-1-3-0", true}}};

std::string TSimSystem::VersionInfo(const std::string& name) {
  auto it = Version.find(name);
  return it == Version.end() ? std::string() : it->second;
}

void TSimSystem::Sleep(std::uint32_t milliseconds) {
  Slept += milliseconds;
  FClock.Advance(milliseconds);
  if (WhileAsleep) WhileAsleep();
}

std::string TSimSystem::FullPath(const std::string& name) const {
  if (name.find_first_of("\\:") != std::string::npos) return name;
  return CurrentDirectory + "\\" + name;
}

void TSimSystem::AddFile(const std::string& fullPath) { FFiles.insert(Upper(fullPath)); }
void TSimSystem::SetAccessList(const std::string& fullPath, TAccessList list) {
  FFileLists[Upper(fullPath)] = std::move(list);
}
void TSimSystem::SetOwner(const std::string& fullPath, std::string sid) {
  FOwners[Upper(fullPath)] = std::move(sid);
}
void TSimSystem::RefuseSecurity(const std::string& fullPath) { FRefused.insert(Upper(fullPath)); }
void TSimSystem::AddLink(const std::string& fullPath, const std::string& target) {
  FLinks[Upper(fullPath)] = target;
}

bool TSimSystem::FolderExists(const std::string& upper) const {
  if (FFileLists.count(upper) || FOwners.count(upper) || FLinks.count(upper)) return true;
  std::string inside = upper.back() == '\\' ? upper : upper + "\\";
  auto holds = [&](const std::string& path) { return path.rfind(inside, 0) == 0; };
  return holds(Upper(ExePath)) || std::any_of(FFiles.begin(), FFiles.end(), holds) ||
         std::any_of(FLinks.begin(), FLinks.end(), [&](const auto& l) { return holds(l.first); });
}

std::optional<std::uint32_t> TSimSystem::FileAttributes(const std::string& path) {
  constexpr std::uint32_t kArchive = 0x20;  // what a file copied into place carries
  std::string full = Upper(FullPath(path));
  if (FileExists(path)) return kArchive;
  if (!FolderExists(full)) return std::nullopt;
  return FILE_ATTRIBUTE_DIRECTORY | (FLinks.count(full) ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}

bool TSimSystem::FinalPath(const std::string& path, std::string& finalPath) {
  std::string resolved = FullPath(path);
  if (!FileAttributes(resolved)) return false;
  // Links to links are followed too, a few deep.
  for (int depth = 0; depth < 8; ++depth) {
    std::string upper = Upper(resolved);
    auto link = std::find_if(FLinks.begin(), FLinks.end(), [&](const auto& l) {
      return upper == l.first || upper.rfind(l.first + "\\", 0) == 0;
    });
    if (link == FLinks.end()) break;
    resolved = link->second + resolved.substr(link->first.size());
  }
  finalPath =
      resolved.rfind("\\\\", 0) == 0 ? "\\\\?\\UNC\\" + resolved.substr(2) : "\\\\?\\" + resolved;
  return true;
}

TDriveType TSimSystem::DriveType(const std::string& root) {
  auto drive = Drives.find(Upper(root));
  if (drive != Drives.end()) return drive->second;
  if (root.rfind("\\\\", 0) == 0) return TDriveType::Remote;
  return Upper(root) == "C:\\" ? TDriveType::Fixed : TDriveType::NoRootDir;
}

bool TSimSystem::GetFileSecurity(const std::string& path, TFileSecurity& security) {
  std::string full = Upper(FullPath(path));
  if (FRefused.count(full) || !FileAttributes(path)) return false;
  auto list = FFileLists.find(full);
  auto owner = FOwners.find(full);
  security.List = list != FFileLists.end() ? list->second : ProtectedList;
  security.Owner = owner != FOwners.end() ? owner->second : kAdministrators;
  return true;
}

bool TSimSystem::CreateFolder(const std::string& path, const TFileSecurity* security) {
  Calls.push_back("CreateFolder(" + path + ")");
  std::string full = FullPath(path);
  std::size_t cut = full.rfind('\\');
  TFileSecurity parent;
  if (FileAttributes(full) || cut == std::string::npos ||
      !GetFileSecurity(full.substr(0, cut == 2 ? 3 : cut), parent))
    return false;
  TFileSecurity made = security ? *security : TFileSecurity{kAdministrators, parent.List};
  SetAccessList(full, made.List);
  SetOwner(full, made.Owner);
  return true;
}

bool TSimSystem::Administrator() {
  return !ManagerRefused && ProcessElevation(kThisProcess) != TElevation::NotElevated;
}
void TSimSystem::RemoveFile(const std::string& fullPath) {
  std::string path = Upper(fullPath);
  FFiles.erase(path);
  FFileLists.erase(path);
  FOwners.erase(path);
  FLinks.erase(path);
  FRefused.erase(path);
  FContents.erase(path);
}

void TSimSystem::AddFile(const std::string& fullPath, std::vector<std::uint8_t> contents) {
  AddFile(fullPath);
  FContents[Upper(fullPath)] = std::move(contents);
}

bool TSimSystem::ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  if (!FileExists(path)) return false;
  auto it = FContents.find(Upper(FullPath(path)));
  bytes = it == FContents.end() ? std::vector<std::uint8_t>() : it->second;
  return true;
}

bool TSimSystem::ReadResource(const std::string& name, std::vector<std::uint8_t>& bytes) {
  auto it = Resources.find(Upper(name));  // names of resources are found without regard to case
  if (it == Resources.end()) return false;
  bytes = it->second;
  return true;
}

bool TSimSystem::FileExists(const std::string& name) {
  std::string path = Upper(FullPath(name));
  return path == Upper(ExePath) || FFiles.count(path) > 0;  // the running program is a file
}

int TSimSystem::MessageBoxUtf8(HWnd owner, const std::string& text, const char* caption,
                               std::uint32_t flags) {
  return ShowBox(owner, text, true, caption, flags);
}

int TSimSystem::MessageBox(HWnd owner, const std::string& text, const char* caption,
                           std::uint32_t flags) {
  return ShowBox(owner, text, false, caption, flags);
}

int TSimSystem::ShowBox(HWnd owner, const std::string& text, bool unicode, const char* caption,
                        std::uint32_t flags) {
  TMessageBoxRecord record{owner, text, unicode, std::nullopt, flags, FClock.Now()};
  if (caption) record.Caption = caption;
  Boxes.push_back(record);
  TAnswer answer = OnMessageBox ? OnMessageBox(record) : TAnswer{};
  ++FOpenBoxes;
  FWindows.RunFor(answer.OpenFor);  // the box's own message loop
  --FOpenBoxes;
  return answer.Result;
}

TSimId TSimSystem::NewHandle(TKind kind, std::string name, std::uint32_t access) {
  TSimId id = FNextHandle;
  FNextHandle += 4;
  FHandles[id] = {kind, std::move(name), access};
  return id;
}

HService TSimSystem::OpenSCManager(std::uint32_t access) {
  Calls.push_back("OpenSCManager(" + std::to_string(access) + ")");
  if (ManagerRefused && (access & SC_MANAGER_CREATE_SERVICE)) return HService::None;
  if (!Administrator() && (access & ~kUserManagerRights)) return HService::None;
  return SimHandle<HService>(NewHandle(TKind::Manager, ""));
}

HService TSimSystem::CreateService(HService manager, const TServiceParams& p) {
  Calls.push_back("CreateService(" + p.Name + "," + p.DisplayName + "," + std::to_string(p.Access) +
                  "," + std::to_string(p.ServiceType) + "," + std::to_string(p.StartType) + "," +
                  std::to_string(p.ErrorControl) + "," + p.BinaryPath + ")");
  auto it = FHandles.find(SimId(manager));
  if (it == FHandles.end() || it->second.Kind != TKind::Manager) return HService::None;
  if (Services.count(p.Name)) return HService::None;  // the service exists already
  Services[p.Name] = {p, false};
  return SimHandle<HService>(NewHandle(TKind::Service, p.Name));
}

HService TSimSystem::OpenService(HService manager, const std::string& name, std::uint32_t access) {
  Calls.push_back("OpenService(" + name + "," + std::to_string(access) + ")");
  auto it = FHandles.find(SimId(manager));
  if (it == FHandles.end() || it->second.Kind != TKind::Manager) return HService::None;
  if (!Services.count(name)) return HService::None;
  if (!Administrator() && (access & ~kUserServiceRights)) return HService::None;
  return SimHandle<HService>(NewHandle(TKind::Service, name));
}

bool TSimSystem::StartService(HService service) {
  Calls.push_back("StartService");
  auto it = FHandles.find(SimId(service));
  if (it == FHandles.end() || it->second.Kind != TKind::Service) return false;
  TService& s = Services[it->second.Name];
  if (s.Running) return false;
  if (!DriverLoads || Wow64 || !FileExists(ImageFile(s.Params.BinaryPath, WindowsFolder())))
    return false;
  s.Running = true;
  return true;
}

bool TSimSystem::StopService(HService service) {
  Calls.push_back("StopService");
  auto it = FHandles.find(SimId(service));
  if (it == FHandles.end() || it->second.Kind != TKind::Service) return false;
  TService& s = Services[it->second.Name];
  if (!s.Running) return false;
  s.Running = false;
  return true;
}

bool TSimSystem::QueryServiceConfig(HService service, TServiceParams& config) {
  Calls.push_back("QueryServiceConfig");
  auto it = FHandles.find(SimId(service));
  if (it == FHandles.end() || it->second.Kind != TKind::Service) return false;
  config = Services[it->second.Name].Params;
  config.Name.clear();
  config.Access = 0;
  return true;
}

bool TSimSystem::CloseServiceHandle(HService handle) {
  Calls.push_back("CloseServiceHandle");
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end() || it->second.Kind == TKind::Device) return false;
  FHandles.erase(it);
  return true;
}

THandle TSimSystem::CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                               std::uint32_t disposition, std::uint32_t attributes,
                               std::uint32_t* error) {
  Calls.push_back("CreateFile(" + path + "," + std::to_string(access) + "," +
                  std::to_string(share) + "," + std::to_string(disposition) + "," +
                  std::to_string(attributes) + ")");
  std::uint32_t ignored = 0;
  std::uint32_t& failure = error ? *error : ignored;
  failure = static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND);
  if (path.rfind(kDevicePrefix, 0) != 0) return THandle::None;
  std::string device = path.substr(sizeof(kDevicePrefix) - 1);
  auto it = Services.find(device);
  if (it == Services.end() || !it->second.Running) return THandle::None;
  // A device made by its driver lets everyone read it and administrators do anything.
  auto list = DeviceAccessLists.find(device);
  std::uint32_t granted = list != DeviceAccessLists.end() ? GrantedBy(list->second, Administrator())
                          : Administrator()               ? ~0u
                                                          : GENERIC_READ | READ_CONTROL;
  failure = static_cast<std::uint32_t>(ERROR_ACCESS_DENIED);
  if (access & ~granted) return THandle::None;
  failure = 0;
  PortsGranted = true;  // opening the driver's device opens the ports to the process
  return SimHandle<THandle>(NewHandle(TKind::Device, device, access));
}

bool TSimSystem::SetDeviceAccessList(THandle handle, const TAccessList& list) {
  Calls.push_back("SetDeviceAccessList");
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end() || it->second.Kind != TKind::Device ||
      !(it->second.Access & WRITE_DAC) || DeviceListFixed)
    return false;
  DeviceAccessLists[it->second.Name] = list;
  return true;
}

bool TSimSystem::CloseHandle(THandle handle) {
  Calls.push_back("CloseHandle");
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end()) return false;
  if (it->second.Kind == TKind::Mutex) {
    std::string name = it->second.Name;
    FHandles.erase(it);
    TMutex& mutex = FMutexes[name];
    --mutex.Handles;
    if (mutex.Handles == 0 && mutex.Owner != TOwner::Other) FMutexes.erase(name);
    return true;
  }
  if (it->second.Kind == TKind::LockFile) {
    FLockFiles.erase(it->second.Name);
    RemoveFile(it->second.Name);
  }
  if (it->second.Kind == TKind::File && it->second.Dispose) RemoveFile(it->second.Name);
  if (it->second.Kind != TKind::Device && it->second.Kind != TKind::LockFile &&
      it->second.Kind != TKind::Process && it->second.Kind != TKind::File)
    return false;
  FHandles.erase(it);
  return true;
}

// ---- named mutexes -----------------------------------------------------------

void TSimSystem::ExpireOtherOwner(const std::string& name) {
  auto it = FMutexes.find(name);
  if (it == FMutexes.end()) return;
  TMutex& mutex = it->second;
  if (mutex.Owner != TOwner::Other || mutex.Abandoned || mutex.OtherForever ||
      mutex.OtherUntil > FClock.Now())
    return;
  mutex.Owner = TOwner::None;
  if (mutex.Handles == 0) FMutexes.erase(it);
}

THandle TSimSystem::CreateMutex(const std::string& name, TMutexSharing sharing,
                                TMutexOpening* opening) {
  Calls.push_back("CreateMutex(" + name + ")");
  TMutexOpening result = TMutexOpening::Failed;
  THandle handle = THandle::None;
  ExpireOtherOwner(name);
  auto it = FMutexes.find(name);
  if (FOtherObjects.count(name)) {
    result = TMutexOpening::OtherObject;
  } else if (it != FMutexes.end() &&
             (it->second.Granted(true) & kWaitAndRelease) != kWaitAndRelease) {
    // Refused all rights, and then even those to wait and release.
    result = TMutexOpening::Refused;
  } else {
    result = it != FMutexes.end() ? TMutexOpening::Existed : TMutexOpening::Created;
    TMutex& mutex = FMutexes[name];
    if (result == TMutexOpening::Created) {
      // Made for everyone, its list names nobody else; by default, the list of our token.
      mutex.Rights = sharing == TMutexSharing::Everyone ? TMutexRights{0, MUTEX_ALL_ACCESS}
                                                        : TMutexRights{MUTEX_ALL_ACCESS, 0};
      mutex.MadeByOurUser = true;
    }
    ++mutex.Handles;
    handle = SimHandle<THandle>(NewHandle(TKind::Mutex, name));
  }
  if (opening) *opening = result;
  return handle;
}

std::uint32_t TSimSystem::WaitForSingleObject(THandle handle, std::uint32_t milliseconds) {
  Calls.push_back("WaitForSingleObject(" + std::to_string(milliseconds) + ")");
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end() || it->second.Kind != TKind::Mutex) return WAIT_FAILED;
  const std::string name = it->second.Name;
  ExpireOtherOwner(name);
  TMutex& mutex = FMutexes[name];
  if (mutex.Owner == TOwner::Other && mutex.Abandoned) {
    mutex.Owner = TOwner::Program;
    mutex.Count = 1;
    mutex.Abandoned = false;
    return WAIT_ABANDONED;
  }
  if (mutex.Owner == TOwner::Other) {
    // The wait blocks the thread: the clock moves on until the other owner lets go or the
    // time runs out, whichever comes first.
    bool freed = !mutex.OtherForever && mutex.OtherUntil <= FClock.Now() + milliseconds;
    FClock.AdvanceTo(freed ? mutex.OtherUntil : FClock.Now() + milliseconds);
    if (!freed) return WAIT_TIMEOUT;
    mutex.Owner = TOwner::None;
  }
  if (mutex.Owner == TOwner::None) mutex.Count = 0;
  mutex.Owner = TOwner::Program;
  ++mutex.Count;
  return WAIT_OBJECT_0;
}

bool TSimSystem::ReleaseMutex(THandle handle) {
  Calls.push_back("ReleaseMutex");
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end() || it->second.Kind != TKind::Mutex) return false;
  TMutex& mutex = FMutexes[it->second.Name];
  if (mutex.Owner != TOwner::Program) return false;
  if (--mutex.Count == 0) mutex.Owner = TOwner::None;
  return true;
}

bool TSimSystem::AllowSetForegroundWindow(std::uint32_t processId) {
  ForegroundAllowedTo = processId;
  return true;
}

bool TSimSystem::HoldMutex(const std::string& name, std::optional<std::uint64_t> milliseconds,
                           bool refusesUs, bool otherUser) {
  ExpireOtherOwner(name);
  auto it = FMutexes.find(name);
  // The other process asks for all rights, as a plain create does, unless it holds the mutex
  // (and so a handle to it) already.
  if (it != FMutexes.end() && it->second.Owner != TOwner::Other &&
      (it->second.Granted(!otherUser) & MUTEX_ALL_ACCESS) != MUTEX_ALL_ACCESS)
    return false;
  TMutex& mutex = FMutexes[name];
  // Only its maker sets a mutex's rights: a list of nobody, or its token's own.
  if (it == FMutexes.end()) {
    mutex.Rights = refusesUs ? TMutexRights{} : TMutexRights{MUTEX_ALL_ACCESS, 0};
    mutex.MadeByOurUser = !otherUser;
  }
  mutex.Owner = TOwner::Other;
  mutex.Count = 0;
  mutex.Abandoned = false;
  mutex.OtherForever = !milliseconds;
  mutex.OtherUntil = FClock.Now() + milliseconds.value_or(0);
  return true;
}

void TSimSystem::ReleaseHeldMutex(const std::string& name) {
  auto it = FMutexes.find(name);
  if (it == FMutexes.end() || it->second.Owner != TOwner::Other) return;
  it->second.OtherForever = false;
  it->second.OtherUntil = FClock.Now();
  ExpireOtherOwner(name);
}

void TSimSystem::AbandonMutex(const std::string& name) {
  auto it = FMutexes.find(name);
  if (it == FMutexes.end() || it->second.Owner != TOwner::Other) return;
  it->second.Abandoned = true;
}

bool TSimSystem::MutexOwned(const std::string& name) const {
  auto it = FMutexes.find(name);
  return it != FMutexes.end() && it->second.Owner == TOwner::Program;
}

int TSimSystem::MutexHandleCount(const std::string& name) const {
  auto it = FMutexes.find(name);
  return it == FMutexes.end() ? 0 : it->second.Handles;
}

bool TSimSystem::MutexSharedWithEveryone(const std::string& name) const {
  return MutexRights(name).Everyone == MUTEX_ALL_ACCESS;
}

TSimSystem::TMutexRights TSimSystem::MutexRights(const std::string& name) const {
  auto it = FMutexes.find(name);
  return it == FMutexes.end() ? TMutexRights{} : it->second.Rights;
}

// ---- lock files --------------------------------------------------------------

bool TSimSystem::MayUseLockFile(const std::string& path, bool administrator) {
  // An existing file answers by its own list; a new one is made by the folder's leave to add
  // a file.
  TFileSecurity security;
  if (FileExists(path)) {
    return GetFileSecurity(path, security) &&
           (GrantedBy(security.List, administrator) & (FILE_WRITE_DATA | DELETE)) ==
               (FILE_WRITE_DATA | DELETE);
  }
  std::string folder = path.substr(0, path.rfind('\\'));
  return GetFileSecurity(folder, security) &&
         (GrantedBy(security.List, administrator) & FILE_WRITE_DATA);
}

THandle TSimSystem::OpenLockFile(const std::string& path, TLockFileOpening* opening) {
  Calls.push_back("OpenLockFile(" + path + ")");
  std::string key = Upper(FullPath(path));
  TLockFileOpening result = TLockFileOpening::Held;
  std::string folder = key.substr(0, key.rfind('\\'));
  TFileSecurity ignored;
  if (FLockFiles.count(key))
    result = TLockFileOpening::InUse;
  else if (!GetFileSecurity(folder, ignored))
    result = TLockFileOpening::Failed;
  else if (!MayUseLockFile(key, Administrator()))
    result = TLockFileOpening::Refused;
  if (opening) *opening = result;
  if (result != TLockFileOpening::Held) return THandle::None;
  MakeLockFile(key, true);
  return SimHandle<THandle>(NewHandle(TKind::LockFile, key));
}

void TSimSystem::MakeLockFile(const std::string& key, bool ours) {
  if (!FileExists(key)) {
    AddFile(key);
    SetAccessList(
        key, {false,
              {{true, 0x001F01FF, "S-1-5-18", false}, {true, 0x001F01FF, kAdministrators, false}}});
  }
  FLockFiles[key] = ours;
}

bool TSimSystem::HoldLockFile(const std::string& path, bool administrator) {
  std::string key = Upper(FullPath(path));
  if (FLockFiles.count(key) || !MayUseLockFile(key, administrator)) return false;
  MakeLockFile(key, false);
  return true;
}

void TSimSystem::LetGoOfLockFile(const std::string& path) {
  std::string key = Upper(FullPath(path));
  auto it = FLockFiles.find(key);
  if (it == FLockFiles.end() || it->second) return;
  FLockFiles.erase(it);
  RemoveFile(key);
}

bool TSimSystem::LockFileHeld(const std::string& path) const {
  auto it = FLockFiles.find(Upper(FullPath(path)));
  return it != FLockFiles.end() && it->second;
}

// ---- what the setup asks -----------------------------------------------------

std::string TSimSystem::AccountSidOf(const std::string& name) {
  for (const auto& [account, sid] : Accounts)
    if (Upper(account) == Upper(name)) return sid;
  return {};
}

std::string TSimSystem::AccountNameOf(const std::string& sid) {
  for (const auto& [account, accountSid] : Accounts)
    if (accountSid == sid) return account;
  return {};
}

bool TSimSystem::DeleteService(HService service) {
  Calls.push_back("DeleteService");
  auto it = FHandles.find(SimId(service));
  if (it == FHandles.end() || it->second.Kind != TKind::Service || !Administrator()) return false;
  Services.erase(it->second.Name);
  return true;
}

THandle TSimSystem::OpenUnfollowed(const std::string& path, bool toDelete,
                                   std::uint32_t& attributes) {
  Calls.push_back("OpenUnfollowed(" + path + ")");
  std::optional<std::uint32_t> found = FileAttributes(path);
  if (!found) return THandle::None;
  attributes = *found;
  return SimHandle<THandle>(NewHandle(TKind::File, FullPath(path), toDelete ? DELETE : 0));
}

bool TSimSystem::DeleteByHandle(THandle handle) {
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end() || it->second.Kind != TKind::File || !(it->second.Access & DELETE))
    return false;
  std::string upper = Upper(it->second.Name);
  if (FilesInUse.count(upper)) return false;
  // A folder goes only empty: nothing below it but what is deleted already.
  std::string inside = upper + "\\";
  auto below = [&](const std::string& path) { return path.rfind(inside, 0) == 0; };
  if (!FileExists(it->second.Name) &&
      (below(Upper(ExePath)) || std::any_of(FFiles.begin(), FFiles.end(), below) ||
       std::any_of(FFileLists.begin(), FFileLists.end(),
                   [&](const auto& f) { return below(f.first); })))
    return false;
  Calls.push_back("DeleteByHandle(" + it->second.Name + ")");
  it->second.Dispose = true;
  return true;
}
