// Other processes as the program meets them (their elevation and account, ending one) and
// the lock file that only administrators can hold.
#include "platform/Owned.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
// After the system header, whose types they need.
#include <sddl.h>

#include <vector>

namespace {
// Runs `ask` on a process's token and gives what it found, or `none`.
template <class T, class TAsk>
T AskToken(THandle process, T none, TAsk ask) {
  HANDLE token = nullptr;
  if (process == THandle::None || !OpenProcessToken(ToWin32(process), TOKEN_QUERY, &token))
    return none;
  T result = ask(token);
  ::CloseHandle(token);
  return result;
}

// The image's path as the system keeps it ("\Device\HarddiskVolume2\..."), where Windows XP
// has nothing better: the file's name is its last part all the same.
std::string DeviceImagePath(HANDLE process) {
  constexpr ULONG kProcessImageFileName = 27;
  struct TUnicodeString {
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
  };
  using TQuery = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<TQuery>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  std::vector<std::uint64_t> buffer(512);  // aligned for the record's pointer
  ULONG length = 0;
  if (!query || query(process, kProcessImageFileName, buffer.data(),
                      static_cast<ULONG>(buffer.size() * sizeof buffer[0]), &length) < 0)
    return {};
  auto* name = reinterpret_cast<TUnicodeString*>(buffer.data());
  return name->Buffer ? Utf8(name->Buffer, name->Length / sizeof(wchar_t)) : std::string();
}
}  // namespace

THandle TWin32System::OpenProcess(std::uint32_t processId) {
  // The limited query right is what one process may always ask of another of its user, even
  // of an elevated one; Windows XP lacks it and grants the full one instead. The right to end
  // it is asked for where it is granted.
  constexpr DWORD kQueryLimitedInformation = 0x1000;
  for (DWORD query : {kQueryLimitedInformation, DWORD{PROCESS_QUERY_INFORMATION}})
    for (DWORD end : {DWORD{PROCESS_TERMINATE}, DWORD{0}})
      if (HANDLE process = ::OpenProcess(query | SYNCHRONIZE | end, FALSE, processId))
        return FromWin32<THandle>(process);
  return THandle::None;
}

std::string TWin32System::ProcessImagePath(THandle process) {
  if (process == THandle::None) return {};
  using TQuery = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  auto query = reinterpret_cast<TQuery>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW")));
  if (!query) return DeviceImagePath(ToWin32(process));
  std::vector<wchar_t> path(32768);
  DWORD length = static_cast<DWORD>(path.size());
  if (!query(ToWin32(process), 0, path.data(), &length)) return {};
  return Utf8(path.data(), length);
}

TElevation TWin32System::ProcessElevation(THandle process) {
  constexpr int kTokenElevation = 20;
  return AskToken(process, TElevation::Unknown, [](HANDLE token) {
    DWORD elevated = 0;
    DWORD length = 0;
    if (!GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(kTokenElevation),
                             &elevated, sizeof elevated, &length))
      return TElevation::Unknown;
    return elevated ? TElevation::Elevated : TElevation::NotElevated;
  });
}

std::string TWin32System::ProcessUserSid(THandle process) {
  return AskToken(process, std::string(), [](HANDLE token) {
    DWORD length = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &length);
    if (length == 0) return std::string();
    std::vector<DWORD> buffer((length + sizeof(DWORD) - 1) / sizeof(DWORD));
    char* sid = nullptr;
    if (!GetTokenInformation(token, TokenUser, buffer.data(), length, &length) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid))
      return std::string();
    std::string text = sid;
    LocalFree(sid);
    return text;
  });
}

bool TWin32System::AccountIsAdministrator(const std::string& sid) {
  // The desktop's user is the shell's; its token lists Administrators among its groups, for
  // denying only while its rights are filtered.
  DWORD shellId = 0;
  if (!GetWindowThreadProcessId(GetShellWindow(), &shellId) || shellId == 0) return false;
  TOwnedKernelObject shell(*this, OpenProcess(shellId));
  if (ProcessUserSid(shell.Get()) != sid) return false;
  return AskToken(shell.Get(), false, [](HANDLE token) {
    DWORD length = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &length);
    std::vector<DWORD> buffer((length + sizeof(DWORD) - 1) / sizeof(DWORD) + 1);
    if (length == 0 || !GetTokenInformation(token, TokenGroups, buffer.data(), length, &length))
      return false;
    const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
      char* text = nullptr;
      if (!ConvertSidToStringSidA(groups->Groups[i].Sid, &text)) continue;
      bool administrators = std::string(text) == "S-1-5-32-544";
      LocalFree(text);
      if (administrators) return true;
    }
    return false;
  });
}

bool TWin32System::TerminateProcess(THandle process) {
  return process != THandle::None && ::TerminateProcess(ToWin32(process), 1) != 0;
}

bool TWin32System::WaitForProcessExit(THandle process, std::uint32_t milliseconds) {
  return process != THandle::None &&
         ::WaitForSingleObject(ToWin32(process), milliseconds) == WAIT_OBJECT_0;
}

THandle TWin32System::OpenLockFile(const std::string& path, TLockFileOpening* opening) {
  // Protected from the folder's inherited entries: only the system and administrators.
  constexpr char kAdministratorsOnly[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_INVALID_PARAMETER;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdministratorsOnly, SDDL_REVISION_1,
                                                           &descriptor, nullptr)) {
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    // No sharing: any other open fails while we hold it. Deleted on close, so the system
    // releases it with the process, however that ends.
    handle =
        CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, &attributes,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    error = GetLastError();
    LocalFree(descriptor);
  }
  TLockFileOpening result = handle != INVALID_HANDLE_VALUE     ? TLockFileOpening::Held
                            : error == ERROR_SHARING_VIOLATION ? TLockFileOpening::InUse
                            : error == ERROR_ACCESS_DENIED     ? TLockFileOpening::Refused
                                                               : TLockFileOpening::Failed;
  if (opening) *opening = result;
  return handle == INVALID_HANDLE_VALUE ? THandle::None : FromWin32<THandle>(handle);
}
