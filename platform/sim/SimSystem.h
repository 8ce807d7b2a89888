#pragma once
// Process services of the simulated machine: virtual sleep, files, the executable's place,
// modal message boxes answered by the test, and a service manager with a device namespace
// that grants port access the way the port driver does, and named mutexes that another
// process can hold for a while of virtual time.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/System.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimHandles.h"
#include "platform/sim/SimWindowing.h"

class TSimSystem : public ISystem {
 public:
  TSimSystem(TSimClock& clock, TSimWindowing& windows) : FClock(clock), FWindows(windows) {}

  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(FClock.Now()); }
  void Sleep(std::uint32_t milliseconds) override;
  bool FileExists(const std::string& name) override;
  std::string ExecutablePath() override { return ExePath; }
  std::uint16_t CodeSelector() override { return Selector; }
  bool IsWow64() override { return Wow64; }
  std::string VersionInfo(const std::string& name) override;
  char DecimalSeparator() override { return Separator; }
  int MessageBox(HWnd owner, const std::string& text, const char* caption,
                 std::uint32_t flags) override;
  int MessageBoxUtf8(HWnd owner, const std::string& text, const char* caption,
                     std::uint32_t flags) override;
  HService OpenSCManager(std::uint32_t access) override;
  HService CreateService(HService manager, const TServiceParams& params) override;
  HService OpenService(HService manager, const std::string& name, std::uint32_t access) override;
  bool StartService(HService service) override;
  bool CloseServiceHandle(HService handle) override;
  THandle CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                     std::uint32_t disposition, std::uint32_t attributes) override;
  bool CloseHandle(THandle handle) override;
  THandle CreateMutex(const std::string& name, TMutexSharing sharing,
                      TMutexOpening* opening) override;
  std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) override;
  bool ReleaseMutex(THandle handle) override;
  std::uint32_t CurrentProcessId() override { return FWindows.ProcessId; }
  bool AllowSetForegroundWindow(std::uint32_t processId) override;
  // By the window system's list of elevated processes, where the machine splits rights.
  TElevation ProcessElevation(std::uint32_t processId) override;
  // Runs OnWaitForProcess, where a test plays the other process; without one the time passes
  // and the process has ended when none of its windows is left.
  bool WaitForProcessExit(std::uint32_t processId, std::uint32_t milliseconds) override;

  // ---- the machine -------------------------------------------------------
  std::string ExePath = "C:\\Program Files\\Kelvane\\kelvane.exe";
  std::string CurrentDirectory = "C:\\Program Files\\Kelvane";
  std::uint16_t Selector = 0x001B;
  // A 32-bit program on 64-bit Windows: no 32-bit kernel driver loads, so starting the port
  // driver fails as on such a system.
  bool Wow64 = false;
  char Separator = '.';
  // Windows Vista and later with user account control: a process runs elevated or not (the
  // window system's ElevatedProcesses), and one that is not may not register or start a
  // driver. Off, as on Windows XP or under Wine, every process has the rights its user has.
  bool SplitRights = false;
  // The executable's version information; by default what the real one carries.
  std::map<std::string, std::string> Version{
      {"ProductName", "Kelvane"}};  // NT family; above 0xFF is the 9x family
  // Files that exist, as full paths (compared without regard to case).
  void AddFile(const std::string& fullPath);
  void RemoveFile(const std::string& fullPath);
  // The caller may not create services (no administrator rights).
  bool ManagerRefused = false;
  // The driver loads when started (false: as under an emulator, the start fails).
  bool DriverLoads = true;
  // True once the port driver's device has been opened: the ports are the process's.
  bool PortsGranted = false;
  bool PortsReachable() const { return PortsGranted || (Selector & 0xFF00) != 0; }

  struct TService {
    TServiceParams Params;
    bool Running = false;
  };
  std::map<std::string, TService> Services;
  std::size_t OpenHandleCount() const { return FHandles.size(); }
  // Every service-manager, device and mutex call, as "Name(args)" in order.
  std::vector<std::string> Calls;

  // ---- named mutexes -----------------------------------------------------
  // Another process takes the mutex now (creating it when nobody has it open) and releases
  // it after `milliseconds` of virtual time; without a time it keeps it until released here.
  // `refusesUs`: it made the mutex with rights that keep this process out altogether (a
  // monitor running as a service); the mutex goes when that process lets go.
  void HoldMutex(const std::string& name, std::optional<std::uint64_t> milliseconds = {},
                 bool refusesUs = false);
  void ReleaseHeldMutex(const std::string& name);
  // The other owner ends while it holds the mutex: the next wait is told so, and owns it.
  void AbandonMutex(const std::string& name);
  bool MutexExists(const std::string& name) const { return FMutexes.count(name) > 0; }
  // True while the program (this process) owns the mutex.
  bool MutexOwned(const std::string& name) const;
  // The program's open handles to the mutex.
  int MutexHandleCount(const std::string& name) const;
  // The mutex was made by the program with rights for every user and service to wait on it.
  bool MutexSharedWithEveryone(const std::string& name) const;
  // Another kind of object (an event, a section) has the name, so no mutex can be made with
  // it; FreeName ends that object.
  void OccupyName(const std::string& name) { FOtherObjects.insert(name); }
  void FreeName(const std::string& name) { FOtherObjects.erase(name); }
  std::function<bool(std::uint32_t processId, std::uint32_t milliseconds)> OnWaitForProcess;
  // The process the last AllowSetForegroundWindow named.
  std::optional<std::uint32_t> ForegroundAllowedTo;

  // ---- message boxes -----------------------------------------------------
  struct TMessageBoxRecord {
    HWnd Owner = HWnd::None;
    std::string Text;  // as handed over: ANSI bytes, or UTF-8 for a Unicode box
    bool Unicode = false;
    std::optional<std::string> Caption;
    std::uint32_t Flags = 0;
    std::uint64_t OpenedAt = 0;
  };
  std::vector<TMessageBoxRecord> Boxes;
  // How the user answers a box: the answer and how long (virtual ms) the box stays open,
  // during which its own message loop runs. Default: OK at once.
  struct TAnswer {
    int Result = IDOK;
    std::uint32_t OpenFor = 0;
  };
  std::function<TAnswer(const TMessageBoxRecord&)> OnMessageBox;
  int OpenBoxes() const { return FOpenBoxes; }

 private:
  enum class TKind { Manager, Service, Device, Mutex };
  enum class TOwner { None, Program, Other };
  struct TMutex {
    int Handles = 0;  // the program's open handles
    TOwner Owner = TOwner::None;
    int Count = 0;  // the program's nested waits
    std::uint64_t OtherUntil = 0;
    bool OtherForever = false;
    bool Abandoned = false;
    bool RefusesUs = false;
    bool Shared = false;
  };
  // The other owner's time is up: the mutex is free again (and gone when nobody has it open).
  void ExpireOtherOwner(const std::string& name);
  TSimId NewHandle(TKind kind, std::string name);
  std::string FullPath(const std::string& name) const;
  int ShowBox(HWnd owner, const std::string& text, bool unicode, const char* caption,
              std::uint32_t flags);

  TSimClock& FClock;
  TSimWindowing& FWindows;
  std::set<std::string> FFiles;  // upper-cased full paths
  struct THandleInfo {
    TKind Kind;
    std::string Name;
  };
  // Kernel objects and service handles share one table.
  std::map<TSimId, THandleInfo> FHandles;
  std::map<std::string, TMutex> FMutexes;
  std::set<std::string> FOtherObjects;
  TSimId FNextHandle = 0x100;
  int FOpenBoxes = 0;
};
