#pragma once
// A file's version resource, which the executable's texts and the common controls' version
// are read from.
#include <vector>

#include "platform/win32/Win32Libraries.h"

// Empty when the file has none or it cannot be read.
inline std::vector<char> VersionResource(const wchar_t* file) {
  DWORD ignored = 0;
  DWORD size = System32::GetFileVersionInfoSizeW(file, &ignored);
  std::vector<char> data(size);
  if (size == 0 || !System32::GetFileVersionInfoW(file, 0, size, data.data())) data.clear();
  return data;
}
