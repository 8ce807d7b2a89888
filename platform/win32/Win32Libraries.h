#pragma once
// The system's libraries that are not among its known ones: the common controls and the
// version resources. Windows looks for a library named so beside the executable first, where
// whoever may write that folder could put their own. The executables import neither: they are
// loaded here, once, from the system folder by full path, and their functions found by name.
// A function whose library cannot be loaded fails as the system's call fails.
#include <string>

#include "platform/win32/Win32Api.h"

// The full path of a library in the system folder (for a 32-bit program on 64-bit Windows,
// the folder the system shows it as such).
std::wstring SystemLibraryPath(const wchar_t* name);

namespace System32 {
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial, int grow);
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
BOOL ImageList_Destroy(HIMAGELIST list);
DWORD GetFileVersionInfoSizeW(const wchar_t* file, DWORD* handle);
BOOL GetFileVersionInfoW(const wchar_t* file, DWORD handle, DWORD size, void* data);
BOOL VerQueryValueW(const void* block, const wchar_t* query, void** value, UINT* length);
}  // namespace System32
