// A stand-in for PawnIO's own setup (PawnIO_setup.exe), which Kelvane's setup carries and runs
// where PawnIO is missing. It appends its command line's arguments, one line per run, to the
// file that PAWNIO_SETUP_RECORD names. With PAWNIO_SETUP_EXIT set it installs nothing and exits
// with that code (50: what the real one answers under Wine); otherwise it installs as 2.2's
// setup does and exits 0: C:\Program Files\PawnIO with the library, the uninstall entry in the
// 64-bit view (the only record 2.1 and later leave of their folder) and the kernel service
// PawnIO, registered to start on demand only (PawnIO's starts with the system; there is no
// driver behind this one).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/Win32Api.h"

namespace {
constexpr wchar_t kFolder[] = L"C:\\Program Files\\PawnIO";
constexpr wchar_t kEntry[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PawnIO";

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
}  // namespace

int main() {
  if (const char* record = std::getenv("PAWNIO_SETUP_RECORD")) {
    const char* line = GetCommandLineA();
    // The arguments: what follows the program's own (possibly quoted) name.
    bool quoted = *line == '"';
    for (++line; *line && (quoted ? *line != '"' : *line != ' '); ++line) {
    }
    if (*line == '"') ++line;
    while (*line == ' ') ++line;
    if (FILE* file = std::fopen(record, "a")) {
      std::fprintf(file, "%s\n", line);
      std::fclose(file);
    }
  }
  if (const char* code = std::getenv("PAWNIO_SETUP_EXIT")) return std::atoi(code);

  std::wstring folder = kFolder;
  CreateDirectoryW(folder.c_str(), nullptr);
  HANDLE library = CreateFileW((folder + L"\\PawnIOLib.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (library == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(library, "a stand-in", 10, &written, nullptr);
  CloseHandle(library);

  HKEY entry = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEntry, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                      nullptr, &entry, nullptr) != ERROR_SUCCESS)
    return 1;
  SetText(entry, L"DisplayName", L"PawnIO");
  SetText(entry, L"DisplayVersion", L"2.2.0");
  SetText(entry, L"Publisher", L"namazso");
  SetText(entry, L"InstallLocation", folder);
  SetText(entry, L"UninstallString", L"\"" + folder + L"\\PawnIO_setup.exe\" -uninstall");
  RegCloseKey(entry);

  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (manager) {
    SC_HANDLE service =
        CreateServiceW(manager, L"PawnIO", L"PawnIO", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                       SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, (folder + L"\\PawnIO.sys").c_str(),
                       nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
  }
  return 0;
}
