#pragma once
// Process-level services: time, files, the executable, message boxes, the service manager,
// named mutexes, access lists.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

// Message box flags and answers, with the system's values.
inline constexpr std::uint32_t MB_OK = 0x00000000;
inline constexpr std::uint32_t MB_ICONSTOP = 0x00000010;
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x00000040;
inline constexpr int IDOK = 1;

// Service manager values, with the system's numbers.
inline constexpr std::uint32_t SC_MANAGER_CREATE_SERVICE = 0x0002;
inline constexpr std::uint32_t SERVICE_ALL_ACCESS = 0xF01FF;
inline constexpr std::uint32_t SERVICE_STOP = 0x0020;
inline constexpr std::uint32_t SERVICE_KERNEL_DRIVER = 1;
inline constexpr std::uint32_t SERVICE_DEMAND_START = 3;
inline constexpr std::uint32_t SERVICE_ERROR_NORMAL = 1;
inline constexpr std::uint32_t GENERIC_READ = 0x80000000;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000;
inline constexpr std::uint32_t GENERIC_ALL = 0x10000000;
inline constexpr std::uint32_t OPEN_EXISTING = 3;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;  // a link or junction

// Access rights, with the system's values.
inline constexpr std::uint32_t DELETE = 0x00010000;
inline constexpr std::uint32_t READ_CONTROL = 0x00020000;
inline constexpr std::uint32_t WRITE_DAC = 0x00040000;
inline constexpr std::uint32_t WRITE_OWNER = 0x00080000;
inline constexpr std::uint32_t SYNCHRONIZE = 0x00100000;
inline constexpr std::uint32_t FILE_WRITE_DATA = 0x0002;    // in a folder: add a file
inline constexpr std::uint32_t FILE_APPEND_DATA = 0x0004;   // in a folder: add a folder
inline constexpr std::uint32_t FILE_DELETE_CHILD = 0x0040;  // a folder's: delete what is in it
inline constexpr std::uint32_t MUTEX_MODIFY_STATE = 0x0001;
inline constexpr std::uint32_t MUTEX_ALL_ACCESS = 0x001F0001;

// Wait results, with the system's values.
inline constexpr std::uint32_t WAIT_OBJECT_0 = 0x00000000;
inline constexpr std::uint32_t WAIT_ABANDONED = 0x00000080;
inline constexpr std::uint32_t WAIT_TIMEOUT = 0x00000102;
inline constexpr std::uint32_t WAIT_FAILED = 0xFFFFFFFF;

// Who may use a named mutex that a call makes (one that exists keeps what its maker gave it).
enum class TMutexSharing {
  Default,  // the caller's own default rights: other users and services may be refused
  Everyone  // every user and service has every right to it, as their plain creates ask
};

// What became of a request for a named mutex.
enum class TMutexOpening {
  Created,      // made by this call, unowned
  Existed,      // opened; someone had made it before
  Refused,      // it exists, but its maker's rights keep us out, even for waiting and releasing
  OtherObject,  // the name belongs to another kind of object (an event, a section, ...)
  Failed        // it cannot be had for another reason
};

// What became of a request for a lock file.
enum class TLockFileOpening {
  Held,     // ours alone until its handle is closed
  InUse,    // another process holds it open
  Refused,  // we may neither make it in its folder nor open it
  Failed    // it cannot be had for another reason (no such folder, ...)
};

// This process, wherever a process handle is asked for (the system's own stand-in for it).
inline constexpr THandle kThisProcess = static_cast<THandle>(~std::uintptr_t{0});

// Whether a process runs with its full administrator rights, on a system that splits them
// (Windows Vista and later, with user account control on).
enum class TElevation {
  Unknown,      // no such split (Windows XP, control off), or the process cannot be asked
  Elevated,     // full rights: from "Run as administrator" or a task run with highest rights
  NotElevated,  // filtered rights: may not start drivers, and its windows rank lower
};

// What an access entry is beyond allowing or denying.
enum class TAceType : std::uint8_t {
  Plain,     // for the SID, whatever the object and without a condition
  Object,    // for some kinds of object or property only (a directory service's)
  Callback,  // under a condition the system weighs at each open (conditional entries)
  Other,     // a type not read here: what it allows or denies is not known
};

// One entry of an access list, as stored (generic rights are not mapped).
struct TAccessEntry {
  bool Allow = true;  // else it denies
  std::uint32_t Mask = 0;
  std::string Sid;           // as text: "S-1-5-32-545"
  bool InheritOnly = false;  // only for what is made inside the folder, not for the folder
  TAceType Type = TAceType::Plain;
  friend bool operator==(const TAccessEntry&, const TAccessEntry&) = default;
};

// An object's access list. Null: it has none, which lets everyone do everything.
struct TAccessList {
  bool Null = false;
  std::vector<TAccessEntry> Entries;
  friend bool operator==(const TAccessList&, const TAccessList&) = default;
};

// A file's or folder's owner and access list.
struct TFileSecurity {
  std::string Owner;  // SID as text
  TAccessList List;
  friend bool operator==(const TFileSecurity&, const TFileSecurity&) = default;
};

// The kinds of drive, with the system's numbers.
enum class TDriveType : std::uint32_t {
  Unknown = 0,
  NoRootDir = 1,  // no such drive
  Removable = 2,
  Fixed = 3,
  Remote = 4,  // a network drive
  CdRom = 5,
  RamDisk = 6,
};

// A service's registration; also what QueryServiceConfig reads back (without Name and Access).
struct TServiceParams {
  std::string Name;
  std::string DisplayName;
  std::uint32_t Access = 0;
  std::uint32_t ServiceType = 0;
  std::uint32_t StartType = 0;
  std::uint32_t ErrorControl = 0;
  std::string BinaryPath;
};

class ISystem {
 public:
  virtual ~ISystem() = default;

  // Milliseconds since some fixed start; wraps like the system's tick count.
  virtual std::uint32_t TickCount() = 0;
  // Blocks the calling thread.
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // Paths are UTF-8, and may be longer than the system's classic limit of 260 characters.
  // True when a file of that name exists; a bare name is looked up in the current directory.
  virtual bool FileExists(const std::string& name) = 0;
  // Full path of the running executable; empty when it cannot be read or has no UTF-8 form.
  virtual std::string ExecutablePath() = 0;
  // The Windows folder ("C:\Windows"), which the system's own paths are relative to.
  virtual std::string WindowsFolder() = 0;
  // A file's or folder's attributes (FILE_ATTRIBUTE_...); none when it cannot be found.
  virtual std::optional<std::uint32_t> FileAttributes(const std::string& path) = 0;
  // The path of an existing file or folder as the system resolves it (links and junctions
  // followed, long names, the drive a substituted or mapped one stands for), in the system's
  // form: "\\?\C:\...", "\\?\UNC\server\share\..." or, where the system cannot tell
  // more, the long form of the path. False when it cannot be resolved.
  virtual bool FinalPath(const std::string& path, std::string& finalPath) = 0;
  // The kind of drive whose root ("C:\", "\\server\share\") is given.
  virtual TDriveType DriveType(const std::string& root) = 0;
  // A string of the executable's version information ("ProductName", "CompanyName", ...);
  // empty when absent.
  virtual std::string VersionInfo(const std::string& name) = 0;
  // The user's decimal separator for numbers.
  virtual char DecimalSeparator() = 0;
  // The code segment selector the program runs under.
  virtual std::uint16_t CodeSelector() = 0;
  // True when this 32-bit program runs on 64-bit Windows, where no 32-bit kernel driver can
  // load. Looked up at run time: false on a system without the question.
  virtual bool IsWow64() = 0;

  // Modal: runs its own message loop until the user answers. `caption` null means the
  // system's default caption. Text bytes are passed to the ANSI box unchanged.
  virtual int MessageBox(HWnd owner, const std::string& text, const char* caption,
                         std::uint32_t flags) = 0;
  // The same box with Unicode text, handed over as UTF-8: it reads alike whatever the
  // system's ANSI code page is. The caption is ANSI, as above.
  virtual int MessageBoxUtf8(HWnd owner, const std::string& text, const char* caption,
                             std::uint32_t flags) = 0;

  // Service control manager and device open; None is no handle. Results mirror the system's.
  virtual HService OpenSCManager(std::uint32_t access) = 0;
  virtual HService CreateService(HService manager, const TServiceParams& params) = 0;
  virtual HService OpenService(HService manager, const std::string& name, std::uint32_t access) = 0;
  virtual bool StartService(HService service) = 0;
  // Tells a running service (opened with SERVICE_STOP at least) to stop; true when it took
  // the request.
  virtual bool StopService(HService service) = 0;
  // The registration of an opened service (opened with SERVICE_QUERY_CONFIG at least): its
  // display name, type, start type, error control and image path as stored.
  virtual bool QueryServiceConfig(HService service, TServiceParams& config) = 0;
  virtual bool CloseServiceHandle(HService handle) = 0;
  // `error` (may be null) is given the system's error code when the open fails (the codes
  // are the registry's statuses: ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ...).
  virtual THandle CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                             std::uint32_t disposition, std::uint32_t attributes,
                             std::uint32_t* error = nullptr) = 0;
  // Closes a device or mutex handle.
  virtual bool CloseHandle(THandle handle) = 0;

  // The owner and access list of a file or folder; false when they cannot be read (no such
  // file, no right to read them, ...).
  virtual bool GetFileSecurity(const std::string& path, TFileSecurity& security) = 0;
  // Gives an open device this list, inheriting nothing from its parent; the handle
  // must have been opened with WRITE_DAC.
  virtual bool SetDeviceAccessList(THandle handle, const TAccessList& list) = 0;
  // Makes a folder, with `security` in the same call (its entries also for what the folder
  // will hold, nothing inherited from its parent) or, without, the list its parent passes on.
  // False when it exists already or cannot be made.
  virtual bool CreateFolder(const std::string& path, const TFileSecurity* security) = 0;
  // True when the account (a SID in text) is the one logged on at this session's desktop and
  // belongs to Administrators, even while its rights are filtered; false when it is not or
  // cannot be told.
  virtual bool AccountIsAdministrator(const std::string& sid) = 0;

  // Named mutexes, shared with every process that opens the same name ("Global\" names across
  // log-on sessions, "Local\" names within this one). Opens the mutex or creates it unowned;
  // where full rights are refused, it is opened with just the rights to wait and release. None
  // when it is Refused or Failed; `opening` (may be null) tells which.
  virtual THandle CreateMutex(const std::string& name, TMutexSharing sharing,
                              TMutexOpening* opening) = 0;
  // WAIT_OBJECT_0 or WAIT_ABANDONED (the caller owns it now), WAIT_TIMEOUT or WAIT_FAILED.
  virtual std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) = 0;
  virtual bool ReleaseMutex(THandle handle) = 0;
  // A lock file: made, or opened where it exists, for this process alone (shared with no
  // other open), and deleted once its handle is closed, as it is when the process ends in any
  // way. One made here has a list of its own that lets only the system and administrators
  // at it. None unless Held; `opening` (may be null) tells what happened.
  virtual THandle OpenLockFile(const std::string& path, TLockFileOpening* opening) = 0;

  // This process's identifier, as windows report their maker (IWindowing::GetWindowProcessId).
  virtual std::uint32_t CurrentProcessId() = 0;
  // Another process, opened once to be asked its image, account and elevation, waited for and,
  // where we may, ended: its identifier may pass to another process as soon as it has ended,
  // its handle never. None when it cannot be opened (no such process, or one that keeps us
  // out). Closed with CloseHandle.
  virtual THandle OpenProcess(std::uint32_t processId) = 0;
  // The full path of a process's image (UTF-8); its last part is the file's name, the part
  // before it may be in the system's device form ("\Device\HarddiskVolume2\..."). Empty when
  // it cannot be read.
  virtual std::string ProcessImagePath(THandle process) = 0;
  // The account a process (kThisProcess: this one) runs as, as a SID in text ("S-1-5-21-...");
  // empty when its token cannot be read.
  virtual std::string ProcessUserSid(THandle process) = 0;
  // The elevation of a process (kThisProcess: this one).
  virtual TElevation ProcessElevation(THandle process) = 0;
  // Ends the process at once, without letting it run any more of its code; true when the
  // system took the request. The process may take a moment to be gone.
  virtual bool TerminateProcess(THandle process) = 0;
  // Waits up to `milliseconds` for the process to end; true once it has.
  virtual bool WaitForProcessExit(THandle process, std::uint32_t milliseconds) = 0;
  // Lets that process bring its window to the foreground (a hand-over); only a process that
  // may take the foreground itself can pass it on.
  virtual bool AllowSetForegroundWindow(std::uint32_t processId) = 0;
};
