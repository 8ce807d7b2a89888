#include "platform/win32/Win32System.h"

#include "platform/win32/Win32Api.h"

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
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption, flags);
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
  return MessageBoxW(reinterpret_cast<HWND>(owner), Widen(text, CP_UTF8).c_str(),
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

THandle TWin32System::OpenSCManager(std::uint32_t access) {
  return reinterpret_cast<THandle>(OpenSCManagerA(nullptr, nullptr, access));
}

THandle TWin32System::CreateService(THandle manager, const TServiceParams& p) {
  return reinterpret_cast<THandle>(
      CreateServiceA(reinterpret_cast<SC_HANDLE>(manager), p.Name.c_str(), p.DisplayName.c_str(),
                     p.Access, p.ServiceType, p.StartType, p.ErrorControl, p.BinaryPath.c_str(),
                     nullptr, nullptr, nullptr, nullptr, nullptr));
}

THandle TWin32System::OpenService(THandle manager, const std::string& name, std::uint32_t access) {
  return reinterpret_cast<THandle>(
      OpenServiceA(reinterpret_cast<SC_HANDLE>(manager), name.c_str(), access));
}

bool TWin32System::StartService(THandle service) {
  const char* arguments[1] = {nullptr};
  return StartServiceA(reinterpret_cast<SC_HANDLE>(service), 0, arguments) != 0;
}

bool TWin32System::CloseServiceHandle(THandle handle) {
  return ::CloseServiceHandle(reinterpret_cast<SC_HANDLE>(handle)) != 0;
}

THandle TWin32System::CreateFile(const std::string& path, std::uint32_t access, std::uint32_t share,
                                 std::uint32_t disposition, std::uint32_t attributes) {
  HANDLE handle =
      CreateFileA(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
  return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<THandle>(handle);
}

bool TWin32System::CloseHandle(THandle handle) {
  return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) != 0;
}

THandle TWin32System::CreateMutex(const std::string& name, bool* existed) {
  HANDLE handle = CreateMutexA(nullptr, FALSE, name.c_str());
  DWORD error = GetLastError();
  // A mutex made by a tool running with other rights may refuse creation but allow opening.
  if (!handle && error == ERROR_ACCESS_DENIED) {
    handle = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    error = handle ? ERROR_ALREADY_EXISTS : GetLastError();
  }
  if (existed) *existed = handle && error == ERROR_ALREADY_EXISTS;
  return reinterpret_cast<THandle>(handle);
}

std::uint32_t TWin32System::WaitForSingleObject(THandle handle, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), milliseconds);
}

bool TWin32System::ReleaseMutex(THandle handle) {
  return ::ReleaseMutex(reinterpret_cast<HANDLE>(handle)) != 0;
}

bool TWin32System::AllowSetForegroundWindow() { return ::AllowSetForegroundWindow(ASFW_ANY) != 0; }
