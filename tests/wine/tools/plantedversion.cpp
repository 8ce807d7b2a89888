// A version.dll that someone planted beside an executable: loaded, it leaves a mark (a file
// named "planted-version-dll-loaded" in its own folder) and answers every question with a
// failure. Built only for the end-to-end tests; the executable must never load it.
#include <windows.h>

#include <string>

extern "C" {
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(const wchar_t*, DWORD*) { return 0; }
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(const wchar_t*, DWORD, DWORD, void*) {
  return FALSE;
}
__declspec(dllexport) BOOL WINAPI VerQueryValueW(const void*, const wchar_t*, void**, UINT*) {
  return FALSE;
}
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  std::wstring mark(path, length);
  mark = mark.substr(0, mark.rfind(L'\\') + 1) + L"planted-version-dll-loaded";
  HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
