#include "platform/win32/Win32System.h"

#include "platform/win32/Win32Handles.h"
// After the system header, whose types they need.
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <vector>

std::uint32_t TWin32System::TickCount() { return GetTickCount(); }

void TWin32System::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

bool TWin32System::FileExists(const std::string& name) {
  DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TWin32System::ExecutablePath() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

std::string TWin32System::VersionInfo(const std::string& name) {
  std::string exe = ExecutablePath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(exe.c_str(), 0, size, data.data())) return {};
  struct TTranslation {
    WORD Language;
    WORD CodePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(TTranslation))
    return {};
  char query[128];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation->Language,
                translation->CodePage, name.c_str());
  char* value = nullptr;
  if (!VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
    return {};
  return std::string(value);
}

char TWin32System::DecimalSeparator() {
  char separator[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) < 2)
    return '.';
  return separator[0];
}

std::uint16_t TWin32System::CodeSelector() {
  std::uint16_t selector = 0;
  asm volatile("mov %%cs, %0" : "=r"(selector));
  return FPortsOpen ? static_cast<std::uint16_t>(selector | 0x0100) : selector;
}

int TWin32System::MessageBox(HWnd owner, const std::string& text, const char* caption,
                             std::uint32_t flags) {
  return MessageBoxA(ToWin32(owner), text.c_str(), caption, flags);
}

namespace {
std::wstring Widen(const std::string& text, UINT codePage) {
  int length =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}
}  // namespace

int TWin32System::MessageBoxUtf8(HWnd owner, const std::string& text, const char* caption,
                                 std::uint32_t flags) {
  std::wstring wideCaption = caption ? Widen(caption, CP_ACP) : std::wstring();
  return MessageBoxW(ToWin32(owner), Widen(text, CP_UTF8).c_str(),
                     caption ? wideCaption.c_str() : nullptr, flags);
}

bool TWin32System::IsWow64() {
  // Not in the first NT systems: asked for by name, so the program still loads there.
  using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto isWow64Process = reinterpret_cast<TIsWow64Process>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

HService TWin32System::OpenSCManager(std::uint32_t access) {
  return FromWin32<HService>(OpenSCManagerA(nullptr, nullptr, access));
}

HService TWin32System::CreateService(HService manager, const TServiceParams& p) {
  return FromWin32<HService>(CreateServiceA(
      ToWin32(manager), p.Name.c_str(), p.DisplayName.c_str(), p.Access, p.ServiceType, p.StartType,
      p.ErrorControl, p.BinaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

HService TWin32System::OpenService(HService manager, const std::string& name,
                                   std::uint32_t access) {
  return FromWin32<HService>(OpenServiceA(ToWin32(manager), name.c_str(), access));
}

bool TWin32System::StartService(HService service) {
  const char* arguments[1] = {nullptr};
  return StartServiceA(ToWin32(service), 0, arguments) != 0;
}

bool TWin32System::CloseServiceHandle(HService handle) {
  return ::CloseServiceHandle(ToWin32(handle)) != 0;
}

THandle TWin32System::CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                                 std::uint32_t disposition, std::uint32_t attributes) {
  HANDLE handle =
      CreateFileA(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
  return handle == INVALID_HANDLE_VALUE ? THandle::None : FromWin32<THandle>(handle);
}

bool TWin32System::CloseHandle(THandle handle) { return ::CloseHandle(ToWin32(handle)) != 0; }

// ---- access lists ---------------------------------------------------------------------------

bool TWin32System::GetFileAccessList(const std::string& path, TAccessList& list) {
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  list = TAccessList{dacl == nullptr, {}};
  bool whole = true;
  for (DWORD i = 0; dacl && i < dacl->AceCount && whole; ++i) {
    void* entry = nullptr;
    whole = GetAce(dacl, i, &entry) != 0;
    auto* header = static_cast<ACE_HEADER*>(entry);
    // Object and callback entries belong to directory objects and conditions, not to files.
    if (!whole ||
        (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE))
      continue;
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);  // a denying one has the same layout
    char* sid = nullptr;
    whole = ConvertSidToStringSidA(&ace->SidStart, &sid) != 0;
    if (!whole) continue;
    list.Entries.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE, ace->Mask, sid,
                            (header->AceFlags & INHERIT_ONLY_ACE) != 0});
    LocalFree(sid);
  }
  LocalFree(descriptor);
  return whole;
}

bool TWin32System::SetDeviceAccessList(THandle handle, const TAccessList& list) {
  std::vector<PSID> sids;
  DWORD size = sizeof(ACL);
  bool made = true;
  for (const TAccessEntry& entry : list.Entries) {
    PSID sid = nullptr;
    made = made && ConvertStringSidToSidA(entry.Sid.c_str(), &sid);
    if (!sid) continue;
    sids.push_back(sid);
    // Allowing and denying entries are of one size.
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
  }
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  ACL* acl = reinterpret_cast<ACL*>(buffer.data());
  made = made && InitializeAcl(acl, size, ACL_REVISION);
  for (std::size_t i = 0; made && i < sids.size(); ++i) {
    const TAccessEntry& entry = list.Entries[i];
    DWORD flags = entry.InheritOnly ? INHERIT_ONLY_ACE : 0;
    made = entry.Allow ? AddAccessAllowedAceEx(acl, ACL_REVISION, flags, entry.Mask, sids[i])
                       : AddAccessDeniedAceEx(acl, ACL_REVISION, flags, entry.Mask, sids[i]);
  }
  for (PSID sid : sids) LocalFree(sid);
  // A device is opened as a file; its list is the device object's own.
  return made &&
         SetSecurityInfo(ToWin32(handle), SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, list.Null ? nullptr : acl, nullptr) == ERROR_SUCCESS;
}

namespace {
// Everyone has every right to the mutex: other monitors, as whatever user or service they
// run, open it with a plain create, which asks for all rights, and without them they would
// either stop reading or read the chip unlocked beside us.
constexpr char kAllRightsForEveryone[] = "D:(A;;0x001F0001;;;WD)";
static_assert(MUTEX_ALL_ACCESS == 0x001F0001);

HANDLE MakeMutex(const char* name, TMutexSharing sharing) {
  if (sharing == TMutexSharing::Default) return CreateMutexA(nullptr, FALSE, name);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAllRightsForEveryone, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return CreateMutexA(nullptr, FALSE, name);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  HANDLE handle = CreateMutexA(&attributes, FALSE, name);
  DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return handle;
}
}  // namespace

THandle TWin32System::CreateMutex(const std::string& name, TMutexSharing sharing,
                                  TMutexOpening* opening) {
  TMutexOpening result = TMutexOpening::Failed;
  HANDLE handle = nullptr;
  // A mutex that goes between our refused create and the open is made again: twice at most.
  for (int attempt = 0; attempt < 2 && !handle; ++attempt) {
    handle = MakeMutex(name.c_str(), sharing);
    DWORD error = GetLastError();
    if (handle) {
      result = error == ERROR_ALREADY_EXISTS ? TMutexOpening::Existed : TMutexOpening::Created;
      break;
    }
    // Another kind of object under the name answers the create or the open so.
    if (error == ERROR_INVALID_HANDLE) result = TMutexOpening::OtherObject;
    // Creation asks for every right; a maker that gave others less may still let us wait.
    if (error != ERROR_ACCESS_DENIED) break;
    handle = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    error = GetLastError();
    if (handle)
      result = TMutexOpening::Existed;
    else if (error == ERROR_ACCESS_DENIED)
      result = TMutexOpening::Refused;
    else if (error == ERROR_INVALID_HANDLE)
      result = TMutexOpening::OtherObject;
    if (error != ERROR_FILE_NOT_FOUND) break;
  }
  if (opening) *opening = result;
  return FromWin32<THandle>(handle);
}

std::uint32_t TWin32System::WaitForSingleObject(THandle handle, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(ToWin32(handle), milliseconds);
}

bool TWin32System::ReleaseMutex(THandle handle) { return ::ReleaseMutex(ToWin32(handle)) != 0; }

std::uint32_t TWin32System::CurrentProcessId() { return GetCurrentProcessId(); }

bool TWin32System::AllowSetForegroundWindow(std::uint32_t processId) {
  return ::AllowSetForegroundWindow(processId) != 0;
}

bool TWin32System::WaitForProcessExit(std::uint32_t processId, std::uint32_t milliseconds) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  // No such process any more; a refused open (another user's process) tells nothing.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  bool ended = ::WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}
