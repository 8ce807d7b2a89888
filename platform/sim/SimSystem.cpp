#include "platform/sim/SimSystem.h"

#include <algorithm>
#include <cctype>

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

bool TSimSystem::GetFileAccessList(const std::string& path, TAccessList& list) {
  std::string full = Upper(FullPath(path));
  auto own = FFileLists.find(full);
  bool folder = false;
  for (const std::string& file : FFiles) folder = folder || file.rfind(full + "\\", 0) == 0;
  folder = folder || Upper(ExePath).rfind(full + "\\", 0) == 0;
  if (own == FFileLists.end() && !folder && !FileExists(path)) return false;
  list = own != FFileLists.end() ? own->second : ProtectedList;
  return true;
}

bool TSimSystem::Administrator() {
  return !ManagerRefused && ProcessElevation(0) != TElevation::NotElevated;
}
void TSimSystem::RemoveFile(const std::string& fullPath) { FFiles.erase(Upper(fullPath)); }

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
  if (!DriverLoads || Wow64 || !FileExists(s.Params.BinaryPath)) return false;
  s.Running = true;
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
                               std::uint32_t disposition, std::uint32_t attributes) {
  Calls.push_back("CreateFile(" + path + "," + std::to_string(access) + "," +
                  std::to_string(share) + "," + std::to_string(disposition) + "," +
                  std::to_string(attributes) + ")");
  if (path.rfind(kDevicePrefix, 0) != 0) return THandle::None;
  std::string device = path.substr(sizeof(kDevicePrefix) - 1);
  auto it = Services.find(device);
  if (it == Services.end() || !it->second.Running) return THandle::None;
  // A device made by its driver lets everyone read it and administrators do anything.
  auto list = DeviceAccessLists.find(device);
  std::uint32_t granted = list != DeviceAccessLists.end() ? GrantedBy(list->second, Administrator())
                          : Administrator()               ? ~0u
                                                          : GENERIC_READ | READ_CONTROL;
  if (access & ~granted) return THandle::None;
  PortsGranted = true;  // opening the driver's device opens the ports to the process
  return SimHandle<THandle>(NewHandle(TKind::Device, device, access));
}

bool TSimSystem::SetDeviceAccessList(THandle handle, const TAccessList& list) {
  Calls.push_back("SetDeviceAccessList");
  auto it = FHandles.find(SimId(handle));
  if (it == FHandles.end() || it->second.Kind != TKind::Device || !(it->second.Access & WRITE_DAC))
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
  if (it->second.Kind != TKind::Device && it->second.Kind != TKind::LockFile) return false;
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

TElevation TSimSystem::ProcessElevation(std::uint32_t processId) {
  if (!SplitRights) return TElevation::Unknown;
  std::uint32_t process = processId != 0 ? processId : FWindows.ProcessId;
  return FWindows.ElevatedProcesses.count(process) ? TElevation::Elevated : TElevation::NotElevated;
}

bool TSimSystem::WaitForProcessExit(std::uint32_t processId, std::uint32_t milliseconds) {
  if (OnWaitForProcess) return OnWaitForProcess(processId, milliseconds);
  if (!ProcessRuns(processId)) return true;
  Sleep(milliseconds);
  return !ProcessRuns(processId);
}

// ---- lock files --------------------------------------------------------------

bool TSimSystem::MayUseLockFile(const std::string& path, bool administrator) {
  // An existing file answers by its own list; a new one is made by the folder's leave to add
  // a file.
  TAccessList list;
  if (FileExists(path)) {
    return GetFileAccessList(path, list) &&
           (GrantedBy(list, administrator) & (FILE_WRITE_DATA | DELETE)) ==
               (FILE_WRITE_DATA | DELETE);
  }
  std::string folder = path.substr(0, path.rfind('\\'));
  return GetFileAccessList(folder, list) && (GrantedBy(list, administrator) & FILE_WRITE_DATA);
}

THandle TSimSystem::OpenLockFile(const std::string& path, TLockFileOpening* opening) {
  Calls.push_back("OpenLockFile(" + path + ")");
  std::string key = Upper(FullPath(path));
  TLockFileOpening result = TLockFileOpening::Held;
  std::string folder = key.substr(0, key.rfind('\\'));
  TAccessList ignored;
  if (FLockFiles.count(key))
    result = TLockFileOpening::InUse;
  else if (!GetFileAccessList(folder, ignored))
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
