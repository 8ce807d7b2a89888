#pragma once
// The program's UTF-8 and the system's UTF-16, and paths as the wide calls take them.
#include <cwchar>
#include <string>

#include "platform/win32/Win32Api.h"

inline std::wstring Widen(const std::string& text, UINT codePage) {
  int length =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

inline std::string Narrow(const wchar_t* text, std::size_t length, UINT codePage) {
  int size = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                 nullptr);
  std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), narrow.data(), size, nullptr,
                      nullptr);
  return narrow;
}

// Empty when the text has no UTF-8 form: file names may hold a lone surrogate, which the
// conversion would replace, naming another file. XP's conversion cannot be told to refuse
// one, so a round trip tells.
inline std::string Utf8(const wchar_t* text, std::size_t length) {
  std::string utf8 = Narrow(text, length, CP_UTF8);
  std::wstring back = Widen(utf8, CP_UTF8);
  bool same = back.size() == length && std::wmemcmp(back.data(), text, length) == 0;
  return same ? utf8 : std::string();
}

// A full path longer than the classic limit (less than a folder's 248 characters) reaches
// the file system only with the system's "\\?\" before it.
inline std::wstring WidePath(const std::string& path) {
  std::wstring wide = Widen(path, CP_UTF8);
  if (wide.size() < 248 || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\"))
    return wide;
  // The prefix and what it replaces are plain ASCII, the same in the UTF-8 path.
  if (wide[1] == L':' && wide[2] == L'\\') return Widen("\\\\?\\" + path, CP_UTF8);
  if (wide.starts_with(L"\\\\")) return Widen("\\\\?\\UNC" + path.substr(1), CP_UTF8);
  return wide;
}
