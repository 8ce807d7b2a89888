#pragma once
// Process services of the simulated machine: virtual sleep, files, the executable's place,
// modal message boxes answered by the test, and a service manager with a device namespace
// that grants port access the way the port driver does, and named mutexes that another
// process can hold for a while of virtual time. Files, devices and mutexes answer by their
// access lists, as strictly as Windows.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/SetupSystem.h"
#include "platform/System.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimHandles.h"
#include "platform/sim/SimWindowing.h"

class TSimSystem : public ISystem, public IFiles, public ISetupSystem {
 public:
  TSimSystem(TSimClock& clock, TSimWindowing& windows) : FClock(clock), FWindows(windows) {}

  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(FClock.Now()); }
  void Sleep(std::uint32_t milliseconds) override;
  bool FileExists(const std::string& name) override;
  std::string ExecutablePath() override { return ExePath; }
  std::string WindowsFolder() override { return "C:\\Windows"; }
  std::optional<std::uint32_t> FileAttributes(const std::string& path) override;
  bool FinalPath(const std::string& path, std::string& finalPath) override;
  TDriveType DriveType(const std::string& root) override;
  bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) override;
  bool ReadResource(const std::string& name, std::vector<std::uint8_t>& bytes) override;
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
  bool StopService(HService service) override;
  bool QueryServiceConfig(HService service, TServiceParams& config) override;
  bool CloseServiceHandle(HService handle) override;
  THandle CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                     std::uint32_t disposition, std::uint32_t attributes,
                     std::uint32_t* error = nullptr) override;
  bool CloseHandle(THandle handle) override;
  bool GetFileSecurity(const std::string& path, TFileSecurity& security) override;
  // Made with the given owner and list, else with its parent's list and Administrators the
  // owner (as an elevated administrator's folder is).
  bool CreateFolder(const std::string& path, const TFileSecurity* security) override;
  bool AccountIsAdministrator(const std::string& sid) override {
    return DesktopAdministrators.count(sid) > 0;
  }
  bool SetDeviceAccessList(THandle handle, const TAccessList& list) override;
  THandle CreateMutex(const std::string& name, TMutexSharing sharing,
                      TMutexOpening* opening) override;
  std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) override;
  bool ReleaseMutex(THandle handle) override;
  THandle OpenLockFile(const std::string& path, TLockFileOpening* opening) override;
  std::uint32_t CurrentProcessId() override { return FWindows.ProcessId; }
  THandle OpenProcess(std::uint32_t processId) override;
  std::string ProcessImagePath(THandle process) override;
  std::string ProcessUserSid(THandle process) override;
  // By the window system's list of elevated processes, where the machine splits rights.
  TElevation ProcessElevation(THandle process) override;
  bool TerminateProcess(THandle process) override;
  // Runs OnWaitForProcess, where a test plays the other process; without one the time passes.
  // The process has ended when none of its windows is left, or its identifier has passed on.
  bool WaitForProcessExit(THandle process, std::uint32_t milliseconds) override;
  bool AllowSetForegroundWindow(std::uint32_t processId) override;
  std::string ProgramFilesX86Folder() override { return ProgramFilesX86; }
  std::string SessionUserName() override { return SessionUser; }
  std::string AccountSidOf(const std::string& name) override;
  std::string AccountNameOf(const std::string& sid) override;
  // The registration goes at once; a running driver keeps running until stopped.
  bool DeleteService(HService service) override;
  THandle OpenUnfollowed(const std::string& path, bool toDelete,
                         std::uint32_t& attributes) override;
  bool DeleteByHandle(THandle handle) override;

  // ---- the machine -------------------------------------------------------
  // Virtual milliseconds the program's thread has slept, in all.
  std::uint64_t Slept = 0;
  // What other processes do while the program's thread sleeps: called after each Sleep.
  std::function<void()> WhileAsleep;
  std::string ExePath = "C:\\Program Files\\Kelvane\\kelvane.exe";
  std::string CurrentDirectory = "C:\\Program Files\\Kelvane";
  std::uint16_t Selector = 0x001B;
  // A 32-bit program on 64-bit Windows: no 32-bit kernel driver loads, so starting the port
  // driver fails as on such a system.
  bool Wow64 = false;
  char Separator = '.';
  // Windows Vista and later with user account control: a process runs elevated or not (the
  // window system's ElevatedProcesses), and one that is not is refused the service manager's
  // and a service's rights to register, start or change (as for a standard user), so it may
  // not register or start a driver. Off, as on Windows XP or under Wine, every process has the
  // rights its user has.
  bool SplitRights = false;
  // The executable's version information; by default what the real one carries.
  std::map<std::string, std::string> Version{
      {"ProductName", "Kelvane"}};  // NT family; above 0xFF is the 9x family
  // Files that exist, as full paths (compared without regard to case).
  void AddFile(const std::string& fullPath);
  // The file or folder goes, with its list, owner and link.
  void RemoveFile(const std::string& fullPath);
  // A file with contents (ReadFile gives them; a file added without gives none).
  void AddFile(const std::string& fullPath, std::vector<std::uint8_t> contents);
  // The data resources the build put inside the executable, by name (as the resource
  // compiler stores it: upper case).
  std::map<std::string, std::vector<std::uint8_t>> Resources;
  // The access list of a file or folder (a folder exists when it holds a file or the
  // executable, or has been given a list or an owner). Without one, a file or folder has the
  // list of one made by a setup under Program Files: the system and administrators may change
  // it, users may read it; and administrators own it.
  void SetAccessList(const std::string& fullPath, TAccessList list);
  void SetOwner(const std::string& fullPath, std::string sid);
  static const TAccessList ProtectedList;
  // Its owner and list cannot be read (no right to read them).
  void RefuseSecurity(const std::string& fullPath);
  // A junction or symbolic link: a folder whose final path lies at `target`. Only FinalPath
  // follows it.
  void AddLink(const std::string& fullPath, const std::string& target);
  // Drive roots (D:\) and the kind of drive they are; C:\ is a fixed disk, a share
  // (\\server\share\) a network one, and any other root no drive.
  std::map<std::string, TDriveType> Drives;
  // The account this program runs as.
  std::string AccountSid = "S-1-5-21-1180699209-877415012-3182924384-1004";
  // Accounts at the desktop that belong to Administrators.
  std::set<std::string> DesktopAdministrators;
  // The caller may not create services (no administrator rights).
  bool ManagerRefused = false;
  // The process has administrator rights in full: not refused the manager, and elevated where
  // the machine splits rights.
  bool Administrator();
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
  // The lists devices were given, by device name.
  std::map<std::string, TAccessList> DeviceAccessLists;
  // The driver makes its device so that its list cannot be changed: setting it fails.
  bool DeviceListFixed = false;
  std::size_t OpenHandleCount() const { return FHandles.size(); }
  // Every service-manager, device and mutex call, as "Name(args)" in order.
  std::vector<std::string> Calls;

  // ---- what the setup asks -----------------------------------------------
  // The known folder of 32-bit programs, and the user at this session's desktop.
  std::string ProgramFilesX86 = "C:\\Program Files (x86)";
  std::string SessionUser = "KELVANE-PC\\Admin";
  // The accounts the system knows, "DOMAIN\\name" to SID (compared without regard to case).
  std::map<std::string, std::string> Accounts{
      {"KELVANE-PC\\Admin", "S-1-5-21-1180699209-877415012-3182924384-1004"}};
  // Files in use, which no handle may delete (a loaded driver's image).
  std::set<std::string> FilesInUse;

  // ---- named mutexes -----------------------------------------------------
  // A mutex's access list, as far as openers are told apart: the rights it grants processes
  // of the user that made it, and those it grants everyone. A create asks for all rights
  // (MUTEX_ALL_ACCESS); the program falls back to waiting and releasing, other monitors
  // do not.
  struct TMutexRights {
    std::uint32_t MakersUser = 0;
    std::uint32_t Everyone = 0;
  };
  // Another process creates or opens the mutex as a plain create does, takes it now and
  // releases it after `milliseconds` of virtual time; without a time it keeps it until
  // released here. False when the mutex's list refuses it all rights: it then has nothing.
  // `refusesUs`: it makes the mutex with a list that grants nobody anything (a monitor
  // running as a service); `otherUser`: it runs as another user than the program. The mutex
  // goes when that process lets go and the program has no handle.
  bool HoldMutex(const std::string& name, std::optional<std::uint64_t> milliseconds = {},
                 bool refusesUs = false, bool otherUser = false);
  void ReleaseHeldMutex(const std::string& name);
  // The other owner ends while it holds the mutex: the next wait is told so, and owns it.
  void AbandonMutex(const std::string& name);
  bool MutexExists(const std::string& name) const { return FMutexes.count(name) > 0; }
  // True while the program (this process) owns the mutex.
  bool MutexOwned(const std::string& name) const;
  // The program's open handles to the mutex.
  int MutexHandleCount(const std::string& name) const;
  // The mutex's list grants every user and service all rights, so their plain creates open it.
  bool MutexSharedWithEveryone(const std::string& name) const;
  TMutexRights MutexRights(const std::string& name) const;
  // Another kind of object (an event, a section) has the name, so no mutex can be made with
  // it (OtherObject); FreeName ends that object.
  void OccupyName(const std::string& name) { FOtherObjects.insert(name); }
  void FreeName(const std::string& name) { FOtherObjects.erase(name); }
  std::function<bool(std::uint32_t processId, std::uint32_t milliseconds)> OnWaitForProcess;
  // The process the last AllowSetForegroundWindow named.
  std::optional<std::uint32_t> ForegroundAllowedTo;

  // ---- lock files --------------------------------------------------------
  // Another process makes or opens the lock file as the program does and keeps it open until
  // LetGoOfLockFile. False when it may not: the file is open already, or the folder's list
  // keeps it from making the file (as it keeps out a user without full administrator rights
  // from a protected folder), or the file's list keeps it from opening it.
  bool HoldLockFile(const std::string& path, bool administrator = false);
  void LetGoOfLockFile(const std::string& path);
  // The program (this process) holds it open.
  bool LockFileHeld(const std::string& path) const;

  // ---- processes (SimProcesses.cpp) -------------------------------------
  // The account each process runs as, by identifier; one not named runs as AccountSid.
  std::map<std::uint32_t, std::string> ProcessUsers;
  // The image each process runs, by identifier; one not named runs ExePath.
  std::map<std::uint32_t, std::string> ProcessImages;
  // Processes whose token keeps us out (another account's, or a service's).
  std::set<std::uint32_t> UnreadableTokens;
  // The process of that identifier has ended, and a new one (of the same windows' maker, from
  // now on) has been given its identifier: handles to the old one see it ended.
  void ReuseProcessId(std::uint32_t processId) { ++FProcessGenerations[processId]; }
  // Processes that run without windows of their own (those with windows run anyway).
  std::set<std::uint32_t> OtherProcesses;
  bool ProcessRuns(std::uint32_t processId) const;
  // Plays TerminateProcess's end of another process; without one, the process and its
  // windows are gone at once, without a message, as a process ended so runs no more code.
  std::function<bool(std::uint32_t processId)> OnTerminateProcess;
  std::vector<std::uint32_t> TerminatedProcesses;

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
  enum class TKind { Manager, Service, Device, Mutex, LockFile, Process, File };
  enum class TOwner { None, Program, Other };
  struct TMutex {
    int Handles = 0;  // the program's open handles
    TOwner Owner = TOwner::None;
    int Count = 0;  // the program's nested waits
    std::uint64_t OtherUntil = 0;
    bool OtherForever = false;
    bool Abandoned = false;
    TMutexRights Rights;
    bool MadeByOurUser = true;
    // What a process of our user (or not) may do with it.
    std::uint32_t Granted(bool ourUser) const {
      return Rights.Everyone | (ourUser == MadeByOurUser ? Rights.MakersUser : 0);
    }
  };
  // The other owner's time is up: the mutex is free again (and gone when nobody has it open).
  void ExpireOtherOwner(const std::string& name);
  TSimId NewHandle(TKind kind, std::string name, std::uint32_t access = 0);
  std::string FullPath(const std::string& name) const;
  int ShowBox(HWnd owner, const std::string& text, bool unicode, const char* caption,
              std::uint32_t flags);

  TSimClock& FClock;
  TSimWindowing& FWindows;
  // Whether a folder exists: it holds a file or the executable, or has its own list or owner.
  bool FolderExists(const std::string& upperPath) const;

  std::set<std::string> FFiles;  // upper-cased full paths
  std::map<std::string, std::vector<std::uint8_t>> FContents;
  std::map<std::string, TAccessList> FFileLists;  // by upper-cased full path
  std::map<std::string, std::string> FOwners;     // by upper-cased full path
  std::set<std::string> FRefused;                 // upper-cased full paths
  std::map<std::string, std::string> FLinks;      // upper-cased path to its target
  struct THandleInfo {
    TKind Kind;
    std::string Name;
    std::uint32_t Access = 0;
    bool Dispose = false;  // a file or folder deleted by its handle, gone when it closes
  };
  // Kernel objects and service handles share one table.
  std::map<TSimId, THandleInfo> FHandles;
  std::map<std::string, TMutex> FMutexes;
  std::set<std::string> FOtherObjects;
  // Open lock files, by upper-cased full path: true when the program holds it, false another.
  std::map<std::string, bool> FLockFiles;
  // May a process (an administrator's or not) make the file in its folder or open it?
  bool MayUseLockFile(const std::string& path, bool administrator);
  void MakeLockFile(const std::string& key, bool ours);
  TSimId FNextHandle = 0x100;
  // How often each process identifier has passed to a new process.
  std::map<std::uint32_t, std::uint32_t> FProcessGenerations;
  // The process a handle stands for, while it runs: its identifier, else 0.
  std::uint32_t RunningProcess(THandle process) const;
  int FOpenBoxes = 0;
};
