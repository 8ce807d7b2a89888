// Other processes as the program meets them (their elevation and account, ending one) and
// the lock file that only administrators can hold.
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
// After the system header, whose types they need.
#include <sddl.h>

#include <vector>

namespace {
// Runs `ask` on a process's token (0: this process's) and gives what it found, or `none`.
// The limited query right is what one process may always ask of another of its user, and
// all Windows XP lacks: there the open, or the token question after it, fails.
template <class T, class TAsk>
T AskToken(std::uint32_t processId, T none, TAsk ask) {
  constexpr DWORD kQueryLimitedInformation = 0x1000;
  HANDLE process = processId == 0 ? GetCurrentProcess()
                                  : OpenProcess(kQueryLimitedInformation, FALSE, processId);
  if (!process) return none;
  T result = none;
  HANDLE token = nullptr;
  if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
    result = ask(token);
    ::CloseHandle(token);
  }
  if (processId != 0) ::CloseHandle(process);
  return result;
}
}  // namespace

TElevation TWin32System::ProcessElevation(std::uint32_t processId) {
  constexpr int kTokenElevation = 20;
  return AskToken(processId, TElevation::Unknown, [](HANDLE token) {
    DWORD elevated = 0;
    DWORD length = 0;
    if (!GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(kTokenElevation),
                             &elevated, sizeof elevated, &length))
      return TElevation::Unknown;
    return elevated ? TElevation::Elevated : TElevation::NotElevated;
  });
}

std::string TWin32System::ProcessUserSid(std::uint32_t processId) {
  return AskToken(processId, std::string(), [](HANDLE token) {
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
  DWORD shell = 0;
  if (!GetWindowThreadProcessId(GetShellWindow(), &shell) || shell == 0 ||
      ProcessUserSid(shell) != sid)
    return false;
  return AskToken(shell, false, [](HANDLE token) {
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

bool TWin32System::TerminateProcess(std::uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  if (!process) return false;
  bool ended = ::TerminateProcess(process, 1) != 0;
  ::CloseHandle(process);
  return ended;
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
