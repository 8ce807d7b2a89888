// The system's answers to what the setup asks: the program folder, the desktop's user and
// accounts, a service's removal, and files opened and deleted without following links.
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
// After the system header, whose types they need.
#include <sddl.h>

#include <cwchar>
#include <vector>

namespace {
// Loaded by name where the system has it: neither is there on every Windows the setup runs on.
template <class TFunction>
TFunction SystemFunction(const wchar_t* library, const char* name) {
  std::wstring path = SystemLibraryPath(library);
  HMODULE module = path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, 0);
  return module ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// {7C5A40EF-A0FB-4BFC-874A-C0F2E0B9FA8E}
constexpr GUID kProgramFilesX86 = {
    0x7C5A40EF, 0xA0FB, 0x4BFC, {0x87, 0x4A, 0xC0, 0xF2, 0xE0, 0xB9, 0xFA, 0x8E}};

// One text of the session's (WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION).
std::wstring SessionText(int infoClass) {
  using TQuery = BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*);
  using TFree = void(WINAPI*)(void*);
  static auto query = SystemFunction<TQuery>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
  static auto free = SystemFunction<TFree>(L"wtsapi32.dll", "WTSFreeMemory");
  wchar_t* text = nullptr;
  DWORD size = 0;
  if (!query || !free || !query(nullptr, static_cast<DWORD>(-1), infoClass, &text, &size) || !text)
    return {};
  std::wstring result(text);
  free(text);
  return result;
}
}  // namespace

std::string TWin32SetupSystem::ProgramFilesX86Folder() {
  using TKnownFolder = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
  using TFree = void(WINAPI*)(void*);
  using TFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  static auto known = SystemFunction<TKnownFolder>(L"shell32.dll", "SHGetKnownFolderPath");
  static auto free = SystemFunction<TFree>(L"ole32.dll", "CoTaskMemFree");
  static auto folderPath = SystemFunction<TFolderPath>(L"shell32.dll", "SHGetFolderPathW");
  wchar_t* path = nullptr;
  if (known && free) {
    std::string folder;
    if (known(kProgramFilesX86, 0, nullptr, &path) == S_OK && path)
      folder = Utf8(path, std::wcslen(path));
    free(path);
    return folder;
  }
  // Before Windows Vista: the one program folder of a 32-bit Windows, as its shell names it.
  wchar_t buffer[MAX_PATH] = {};
  constexpr int kProgramFiles = 0x0026;  // CSIDL_PROGRAM_FILES
  return folderPath && folderPath(nullptr, kProgramFiles, nullptr, 0, buffer) == S_OK
             ? Utf8(buffer, std::wcslen(buffer))
             : std::string();
}

std::string TWin32SetupSystem::SessionUserName() {
  constexpr int kUserName = 5, kDomainName = 7;
  std::wstring user = SessionText(kUserName), domain = SessionText(kDomainName);
  if (user.empty() || domain.empty()) return {};
  std::wstring name = domain + L"\\" + user;
  return Utf8(name.data(), name.size());
}

std::string TWin32SetupSystem::AccountSidOf(const std::string& name) {
  std::wstring wide = Widen(name, CP_UTF8);
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  LookupAccountNameW(nullptr, wide.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  if (sidSize == 0) return {};
  std::vector<std::uint8_t> sid(sidSize);
  std::wstring domain(domainSize + 1, L'\0');
  if (!LookupAccountNameW(nullptr, wide.c_str(), sid.data(), &sidSize, domain.data(), &domainSize,
                          &use))
    return {};
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid.data(), &text)) return {};
  std::string result(text);
  LocalFree(text);
  return result;
}

std::string TWin32SetupSystem::AccountNameOf(const std::string& sid) {
  PSID binary = nullptr;
  if (!ConvertStringSidToSidA(sid.c_str(), &binary)) return {};
  wchar_t name[256] = {}, domain[256] = {};
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  bool found = LookupAccountSidW(nullptr, binary, name, &nameSize, domain, &domainSize, &use);
  LocalFree(binary);
  if (!found) return {};
  std::wstring full = std::wstring(domain) + L"\\" + name;
  return Utf8(full.data(), full.size());
}

bool TWin32SetupSystem::DeleteService(HService service) {
  return ::DeleteService(ToWin32(service)) != 0;
}

THandle TWin32SetupSystem::OpenUnfollowed(const std::string& path, bool toDelete,
                                          std::uint32_t& attributes) {
  // A folder opens only with backup semantics; sharing no deletion keeps it where it is.
  HANDLE handle = CreateFileW(WidePath(path).c_str(),
                              (toDelete ? DELETE : 0) | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return THandle::None;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle, &information)) {
    ::CloseHandle(handle);
    return THandle::None;
  }
  attributes = information.dwFileAttributes;
  return FromWin32<THandle>(handle);
}

bool TWin32SetupSystem::DeleteByHandle(THandle handle) {
  using TSetInformation = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
  static auto set = reinterpret_cast<TSetInformation>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
  constexpr int kFileDispositionInfo = 4;
  BOOLEAN dispose = TRUE;
  return set && set(ToWin32(handle), kFileDispositionInfo, &dispose, sizeof dispose) != 0;
}
