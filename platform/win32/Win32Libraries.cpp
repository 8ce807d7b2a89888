#include "platform/win32/Win32Libraries.h"

#include "platform/win32/Win32Platform.h"

namespace {
// Loaded at the first call, kept for the process's life. Its own imports are looked for in the
// system folder too (the folder it was loaded from comes first).
HMODULE Load(const wchar_t* name) {
  std::wstring path = SystemLibraryPath(name);
  return path.empty() ? nullptr
                      : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
HMODULE CommonControls() {
  static HMODULE library = Load(L"comctl32.dll");
  return library;
}
HMODULE VersionLibrary() {
  static HMODULE library = Load(L"version.dll");
  return library;
}

// The function of that name with the system's declaration `TFunction`, or null.
template <class TFunction>
TFunction Find(HMODULE library, const char* name) {
  return library
             ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(library, name)))
             : nullptr;
}
}  // namespace

void SearchSystemFolderOnly() {
  using TSetDirectories = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;
  if (auto set =
          Find<TSetDirectories>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"))
    set(kSearchSystem32);
}

std::wstring SystemLibraryPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\" + name;
}

BOOL System32::InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  static auto call =
      Find<decltype(&::InitCommonControlsEx)>(CommonControls(), "InitCommonControlsEx");
  return call && call(controls);
}

HIMAGELIST System32::ImageList_Create(int width, int height, UINT flags, int initial, int grow) {
  static auto call = Find<decltype(&::ImageList_Create)>(CommonControls(), "ImageList_Create");
  return call ? call(width, height, flags, initial, grow) : nullptr;
}

int System32::ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  static auto call = Find<decltype(&::ImageList_Add)>(CommonControls(), "ImageList_Add");
  return call ? call(list, image, mask) : -1;
}

int System32::ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
  static auto call =
      Find<decltype(&::ImageList_AddMasked)>(CommonControls(), "ImageList_AddMasked");
  return call ? call(list, image, mask) : -1;
}

HICON System32::ImageList_GetIcon(HIMAGELIST list, int index, UINT flags) {
  static auto call = Find<decltype(&::ImageList_GetIcon)>(CommonControls(), "ImageList_GetIcon");
  return call ? call(list, index, flags) : nullptr;
}

BOOL System32::ImageList_Destroy(HIMAGELIST list) {
  static auto call = Find<decltype(&::ImageList_Destroy)>(CommonControls(), "ImageList_Destroy");
  return call && call(list);
}

DWORD System32::GetFileVersionInfoSizeW(const wchar_t* file, DWORD* handle) {
  static auto call =
      Find<decltype(&::GetFileVersionInfoSizeW)>(VersionLibrary(), "GetFileVersionInfoSizeW");
  return call ? call(file, handle) : 0;
}

BOOL System32::GetFileVersionInfoW(const wchar_t* file, DWORD handle, DWORD size, void* data) {
  static auto call =
      Find<decltype(&::GetFileVersionInfoW)>(VersionLibrary(), "GetFileVersionInfoW");
  return call && call(file, handle, size, data);
}

BOOL System32::VerQueryValueW(const void* block, const wchar_t* query, void** value, UINT* length) {
  static auto call = Find<decltype(&::VerQueryValueW)>(VersionLibrary(), "VerQueryValueW");
  return call && call(block, query, value, length);
}
