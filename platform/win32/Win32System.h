#pragma once
#include "platform/Files.h"
#include "platform/SetupSystem.h"
#include "platform/System.h"

class TWin32System : public ISystem {
 public:
  std::uint32_t TickCount() override;
  void Sleep(std::uint32_t milliseconds) override;
  bool FileExists(const std::string& name) override;
  std::string ExecutablePath() override;
  std::string WindowsFolder() override;
  std::optional<std::uint32_t> FileAttributes(const std::string& path) override;
  bool FinalPath(const std::string& path, std::string& finalPath) override;
  TDriveType DriveType(const std::string& root) override;
  std::string VersionInfo(const std::string& name) override;
  char DecimalSeparator() override;
  std::uint16_t CodeSelector() override;
  bool IsWow64() override;
  int MessageBox(HWnd owner, const std::string& text, const char* caption,
                 std::uint32_t flags) override;
  int MessageBoxUtf8(HWnd owner, const std::string& text, const char* caption,
                     std::uint32_t flags) override;
  HService OpenSCManager(std::uint32_t access) override;
  HService CreateService(HService manager, const TServiceParams& params) override;
  HService OpenService(HService manager, const std::string& name, std::uint32_t access) override;
  bool StartService(HService service) override;
  bool StopService(HService service) override;
  bool QueryServiceConfig(HService service, TServiceParams& config) override;
  bool CloseServiceHandle(HService handle) override;
  THandle CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                     std::uint32_t disposition, std::uint32_t attributes,
                     std::uint32_t* error = nullptr) override;
  bool CloseHandle(THandle handle) override;
  bool GetFileSecurity(const std::string& path, TFileSecurity& security) override;
  bool SetDeviceAccessList(THandle handle, const TAccessList& list) override;
  bool CreateFolder(const std::string& path, const TFileSecurity* security) override;
  bool AccountIsAdministrator(const std::string& sid) override;
  THandle CreateMutex(const std::string& name, TMutexSharing sharing,
                      TMutexOpening* opening) override;
  std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) override;
  bool ReleaseMutex(THandle handle) override;
  THandle OpenLockFile(const std::string& path, TLockFileOpening* opening) override;
  std::uint32_t CurrentProcessId() override;
  THandle OpenProcess(std::uint32_t processId) override;
  std::string ProcessImagePath(THandle process) override;
  std::string ProcessUserSid(THandle process) override;
  TElevation ProcessElevation(THandle process) override;
  bool TerminateProcess(THandle process) override;
  bool WaitForProcessExit(THandle process, std::uint32_t milliseconds) override;
  bool AllowSetForegroundWindow(std::uint32_t processId) override;
};

// Linked only by the executables that read files.
class TWin32Files : public IFiles {
 public:
  bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) override;
  bool ReadResource(const std::string& name, std::vector<std::uint8_t>& bytes) override;
};

// What the setup asks (Win32Setup.cpp); linked only by the setup's plugin.
class TWin32SetupSystem : public ISetupSystem {
 public:
  std::string ProgramFilesX86Folder() override;
  std::string SessionUserName() override;
  std::string AccountSidOf(const std::string& name) override;
  std::string AccountNameOf(const std::string& sid) override;
  bool DeleteService(HService service) override;
  THandle OpenUnfollowed(const std::string& path, bool toDelete,
                         std::uint32_t& attributes) override;
  bool DeleteByHandle(THandle handle) override;
};
