#include "platform/win32/Win32System.h"

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Version.h"
// After the system header, whose types they need.
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

// ---- text and paths -------------------------------------------------------------------------

namespace {
std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!sid || !ConvertSidToStringSidA(sid, &text)) return {};
  std::string result(text);
  LocalFree(text);
  return result;
}
}  // namespace

std::uint32_t TWin32System::TickCount() { return GetTickCount(); }

void TWin32System::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

bool TWin32System::FileExists(const std::string& name) {
  DWORD attributes = GetFileAttributesW(WidePath(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TWin32System::ExecutablePath() {
  // The buffer grows until the whole path fits: a path that fills it may have been cut.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return Utf8(path.data(), length);
    if (path.size() >= 32768) return {};  // longer than any path the system has
    path.resize(path.size() * 2);
  }
}

std::string TWin32System::WindowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  return length == 0 || length > MAX_PATH ? std::string() : Utf8(folder, length);
}

std::optional<std::uint32_t> TWin32System::FileAttributes(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool TWin32System::FinalPath(const std::string& path, std::string& finalPath) {
  std::wstring wide = WidePath(path);
  // Windows Vista and later: asked for by name, so the program still loads on XP, where the
  // long form of the path is all there is to tell.
  using TGetFinalPathNameByHandleW = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
  auto getFinalPathName = reinterpret_cast<TGetFinalPathNameByHandleW>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW")));
  constexpr DWORD kNormalizedDosName = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
  HANDLE file = INVALID_HANDLE_VALUE;
  if (getFinalPathName) {
    // Only its attributes are read; a folder opens only with backup semantics.
    file = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
  }
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD length = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = static_cast<DWORD>(resolved.size());
    length = getFinalPathName ? getFinalPathName(file, resolved.data(), size, kNormalizedDosName)
                              : GetLongPathNameW(wide.c_str(), resolved.data(), size);
    if (length < size) break;
    resolved.resize(length + 1);  // the size it needs
  }
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  if (length == 0 || length >= resolved.size()) return false;
  finalPath = Utf8(resolved.data(), length);
  return !finalPath.empty();
}

TDriveType TWin32System::DriveType(const std::string& root) {
  return static_cast<TDriveType>(GetDriveTypeW(Widen(root, CP_UTF8).c_str()));
}

bool TWin32Files::ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool read = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 24);
  if (read) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    read = bytes.empty() ||
           (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size());
  }
  ::CloseHandle(file);
  return read;
}

bool TWin32Files::ReadResource(const std::string& name, std::vector<std::uint8_t>& bytes) {
  // A resource stays mapped with the executable: nothing to free.
  HRSRC found =
      FindResourceW(nullptr, Widen(name, CP_UTF8).c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const auto* data = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  if (!data) return false;
  bytes.assign(data, data + SizeofResource(nullptr, found));
  return true;
}

std::string TWin32System::VersionInfo(const std::string& name) {
  std::wstring exe = WidePath(ExecutablePath());
  std::vector<char> data = exe.empty() ? std::vector<char>() : VersionResource(exe.c_str());
  if (data.empty()) return {};
  struct TTranslation {
    WORD Language;
    WORD CodePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!System32::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                                reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(TTranslation))
    return {};
  char block[16];
  std::snprintf(block, sizeof block, "%04x%04x", translation->Language, translation->CodePage);
  std::wstring query = Widen(std::string("\\StringFileInfo\\") + block + "\\" + name, CP_UTF8);
  wchar_t* value = nullptr;
  if (!System32::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                &length) ||
      !value)
    return {};
  // In the ANSI code page, as the program's other texts.
  return Narrow(value, wcslen(value), CP_ACP);
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
  return selector;
}

int TWin32System::MessageBox(HWnd owner, const std::string& text, const char* caption,
                             std::uint32_t flags) {
  return MessageBoxA(ToWin32(owner), text.c_str(), caption, flags);
}

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
  std::wstring name = Widen(p.Name, CP_UTF8);
  std::wstring displayName = Widen(p.DisplayName, CP_UTF8);
  std::wstring binaryPath = Widen(p.BinaryPath, CP_UTF8);
  return FromWin32<HService>(CreateServiceW(
      ToWin32(manager), name.c_str(), displayName.c_str(), p.Access, p.ServiceType, p.StartType,
      p.ErrorControl, binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

HService TWin32System::OpenService(HService manager, const std::string& name,
                                   std::uint32_t access) {
  return FromWin32<HService>(OpenServiceA(ToWin32(manager), name.c_str(), access));
}

bool TWin32System::StartService(HService service) {
  const char* arguments[1] = {nullptr};
  return StartServiceA(ToWin32(service), 0, arguments) != 0;
}

bool TWin32System::StopService(HService service) {
  SERVICE_STATUS status{};
  return ControlService(ToWin32(service), SERVICE_CONTROL_STOP, &status) != 0;
}

bool TWin32System::QueryServiceConfig(HService service, TServiceParams& config) {
  DWORD needed = 0;
  QueryServiceConfigW(ToWin32(service), nullptr, 0, &needed);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  std::vector<std::uint64_t> buffer(needed / sizeof(std::uint64_t) + 1);  // aligned for pointers
  auto* stored = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(ToWin32(service), stored, needed, &needed)) return false;
  auto text = [](const wchar_t* value) {
    return value ? Narrow(value, wcslen(value), CP_UTF8) : std::string();
  };
  config = TServiceParams{{},
                          text(stored->lpDisplayName),
                          0,
                          stored->dwServiceType,
                          stored->dwStartType,
                          stored->dwErrorControl,
                          text(stored->lpBinaryPathName)};
  return true;
}

bool TWin32System::CloseServiceHandle(HService handle) {
  return ::CloseServiceHandle(ToWin32(handle)) != 0;
}

THandle TWin32System::CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                                 std::uint32_t disposition, std::uint32_t attributes,
                                 std::uint32_t* error) {
  HANDLE handle =
      CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, attributes, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return FromWin32<THandle>(handle);
  if (error) *error = GetLastError();
  return THandle::None;
}

bool TWin32System::CloseHandle(THandle handle) { return ::CloseHandle(ToWin32(handle)) != 0; }

// ---- access lists ---------------------------------------------------------------------------

namespace {
// Entry types with the system's numbers; the newer ones are not in every header.
enum : BYTE {
  kAllowed = 0,
  kDenied = 1,
  kAllowedObject = 5,
  kDeniedObject = 6,
  kAllowedCallback = 9,
  kDeniedCallback = 10,
  kAllowedCallbackObject = 11,
  kDeniedCallbackObject = 12,
};

// Every entry has its mask after the header; the SID follows, in an object entry after its
// flags and the kinds of object they say are present. False when the SID cannot be read.
bool ReadEntry(const ACE_HEADER* header, TAccessEntry& entry) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(header);
  BYTE type = header->AceType;
  entry.InheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
  std::memcpy(&entry.Mask, bytes + sizeof(ACE_HEADER), sizeof(DWORD));
  bool object = type == kAllowedObject || type == kDeniedObject || type == kAllowedCallbackObject ||
                type == kDeniedCallbackObject;
  bool callback = type == kAllowedCallback || type == kDeniedCallback ||
                  type == kAllowedCallbackObject || type == kDeniedCallbackObject;
  entry.Type = type == kAllowed || type == kDenied ? TAceType::Plain
               : callback                          ? TAceType::Callback
               : object                            ? TAceType::Object
                                                   : TAceType::Other;
  entry.Allow = type != kDenied && type != kDeniedObject && type != kDeniedCallback &&
                type != kDeniedCallbackObject;
  if (entry.Type == TAceType::Other) return true;
  std::size_t sidAt = sizeof(ACE_HEADER) + sizeof(DWORD);
  if (object) {
    DWORD flags = 0;
    std::memcpy(&flags, bytes + sidAt, sizeof flags);
    sidAt += sizeof flags + ((flags & ACE_OBJECT_TYPE_PRESENT) ? sizeof(GUID) : 0) +
             ((flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) ? sizeof(GUID) : 0);
  }
  PSID sid = const_cast<BYTE*>(bytes + sidAt);
  if (sidAt + 8 > header->AceSize || !IsValidSid(sid) ||
      sidAt + GetLengthSid(sid) > header->AceSize)
    return false;
  entry.Sid = SidText(sid);
  return !entry.Sid.empty();
}
}  // namespace

bool TWin32System::GetFileSecurity(const std::string& path, TFileSecurity& security) {
  PSID owner = nullptr;
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring wide = WidePath(path);
  if (GetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  // No list at all, or a null one, lets everyone in.
  security = TFileSecurity{SidText(owner), TAccessList{dacl == nullptr, {}}};
  bool whole = true;
  for (DWORD i = 0; dacl && i < dacl->AceCount && whole; ++i) {
    void* header = nullptr;
    TAccessEntry entry;
    whole = GetAce(dacl, i, &header) && ReadEntry(static_cast<ACE_HEADER*>(header), entry);
    security.List.Entries.push_back(entry);
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

bool TWin32System::CreateFolder(const std::string& path, const TFileSecurity* security) {
  std::wstring wide = WidePath(path);
  if (!security) return CreateDirectoryW(wide.c_str(), nullptr) != 0;
  // In the system's descriptor language: the owner, then a protected list whose entries pass
  // on to the files and folders inside.
  std::string text = "O:" + security->Owner + "D:P";
  for (const TAccessEntry& entry : security->List.Entries) {
    char mask[16];
    std::snprintf(mask, sizeof mask, "0x%08lx", static_cast<unsigned long>(entry.Mask));
    text += std::string("(") + (entry.Allow ? "A" : "D") + ";OICI" +
            (entry.InheritOnly ? "IO" : "") + ";" + mask + ";;;" + entry.Sid + ")";
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  bool made = CreateDirectoryW(wide.c_str(), &attributes) != 0;
  LocalFree(descriptor);
  return made;
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
