#include "platform/sim/SimSystem.h"

#include <algorithm>
#include <cctype>

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
constexpr char kDevicePrefix[] = "\\\\.\\";
}  // namespace

std::string TSimSystem::VersionInfo(const std::string& name) {
  auto it = Version.find(name);
  return it == Version.end() ? std::string() : it->second;
}

void TSimSystem::Sleep(std::uint32_t milliseconds) { FClock.Advance(milliseconds); }

std::string TSimSystem::FullPath(const std::string& name) const {
  if (name.find_first_of("\\:") != std::string::npos) return name;
  return CurrentDirectory + "\\" + name;
}

void TSimSystem::AddFile(const std::string& fullPath) { FFiles.insert(Upper(fullPath)); }
void TSimSystem::RemoveFile(const std::string& fullPath) { FFiles.erase(Upper(fullPath)); }

bool TSimSystem::FileExists(const std::string& name) {
  std::string path = Upper(FullPath(name));
  return path == Upper(ExePath) || FFiles.count(path) > 0;  // the running program is a file
}

int TSimSystem::MessageBox(HWnd owner, const std::string& text, const char* caption,
                           std::uint32_t flags) {
  TMessageBoxRecord record{owner, text, std::nullopt, flags, FClock.Now()};
  if (caption) record.Caption = caption;
  Boxes.push_back(record);
  TAnswer answer = OnMessageBox ? OnMessageBox(record) : TAnswer{};
  ++FOpenBoxes;
  FWindows.RunFor(answer.OpenFor);  // the box's own message loop
  --FOpenBoxes;
  return answer.Result;
}

THandle TSimSystem::NewHandle(TKind kind, std::string name) {
  THandle handle = FNextHandle;
  FNextHandle += 4;
  FHandles[handle] = {kind, std::move(name)};
  return handle;
}

THandle TSimSystem::OpenSCManager(std::uint32_t access) {
  Calls.push_back("OpenSCManager(" + std::to_string(access) + ")");
  if (ManagerRefused && (access & SC_MANAGER_CREATE_SERVICE)) return 0;
  return NewHandle(TKind::Manager, "");
}

THandle TSimSystem::CreateService(THandle manager, const TServiceParams& p) {
  Calls.push_back("CreateService(" + p.Name + "," + p.DisplayName + "," + std::to_string(p.Access) +
                  "," + std::to_string(p.ServiceType) + "," + std::to_string(p.StartType) + "," +
                  std::to_string(p.ErrorControl) + "," + p.BinaryPath + ")");
  auto it = FHandles.find(manager);
  if (it == FHandles.end() || it->second.Kind != TKind::Manager) return 0;
  if (Services.count(p.Name)) return 0;  // the service exists already
  Services[p.Name] = {p, false};
  return NewHandle(TKind::Service, p.Name);
}

THandle TSimSystem::OpenService(THandle manager, const std::string& name, std::uint32_t access) {
  Calls.push_back("OpenService(" + name + "," + std::to_string(access) + ")");
  auto it = FHandles.find(manager);
  if (it == FHandles.end() || it->second.Kind != TKind::Manager) return 0;
  if (!Services.count(name)) return 0;
  return NewHandle(TKind::Service, name);
}

bool TSimSystem::StartService(THandle service) {
  Calls.push_back("StartService");
  auto it = FHandles.find(service);
  if (it == FHandles.end() || it->second.Kind != TKind::Service) return false;
  TService& s = Services[it->second.Name];
  if (s.Running) return false;
  if (!DriverLoads || !FileExists(s.Params.BinaryPath)) return false;
  s.Running = true;
  return true;
}

bool TSimSystem::CloseServiceHandle(THandle handle) {
  Calls.push_back("CloseServiceHandle");
  auto it = FHandles.find(handle);
  if (it == FHandles.end() || it->second.Kind == TKind::Device) return false;
  FHandles.erase(it);
  return true;
}

THandle TSimSystem::CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                               std::uint32_t disposition, std::uint32_t attributes) {
  Calls.push_back("CreateFile(" + path + "," + std::to_string(access) + "," +
                  std::to_string(share) + "," + std::to_string(disposition) + "," +
                  std::to_string(attributes) + ")");
  if (path.rfind(kDevicePrefix, 0) != 0) return 0;
  auto it = Services.find(path.substr(sizeof(kDevicePrefix) - 1));
  if (it == Services.end() || !it->second.Running) return 0;
  PortsGranted = true;  // opening the driver's device opens the ports to the process
  return NewHandle(TKind::Device, path);
}

bool TSimSystem::CloseHandle(THandle handle) {
  Calls.push_back("CloseHandle");
  auto it = FHandles.find(handle);
  if (it == FHandles.end() || it->second.Kind != TKind::Device) return false;
  FHandles.erase(it);
  return true;
}
