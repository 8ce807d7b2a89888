#pragma once
// Where the boundary's handle kinds meet the system's handle types: each kind goes to its own
// system type, and back only as the kind the caller names. The bits pass through unchanged,
// except for the predefined registry keys (see below).
#include <cstdint>

#include "platform/win32/Win32Api.h"

inline HWND ToWin32(HWnd window) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}
inline HDC ToWin32(HDc dc) { return reinterpret_cast<HDC>(static_cast<std::uintptr_t>(dc)); }
// Pens, brushes, fonts and bitmaps; the caller narrows to HBITMAP, HBRUSH, ... where a call
// takes one kind only.
inline HGDIOBJ ToWin32(HGdiObj object) {
  return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(object));
}
inline HICON ToWin32(HIcon icon) {
  return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(icon));
}
inline HIMAGELIST ToWin32(HImageList list) {
  return reinterpret_cast<HIMAGELIST>(static_cast<std::uintptr_t>(list));
}
inline HANDLE ToWin32(THandle handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}
inline SC_HANDLE ToWin32(HService handle) {
  return reinterpret_cast<SC_HANDLE>(static_cast<std::uintptr_t>(handle));
}
// The system's predefined keys are sign-extended constants; the boundary's are the 32-bit ones,
// on either build.
inline HKEY ToWin32(HKey key) {
  auto value = static_cast<std::uintptr_t>(key);
  if (IsPredefinedKey(key))
    value =
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(value))));
  return reinterpret_cast<HKEY>(value);
}

template <class THandleKind>
THandleKind FromWin32(const void* handle) {
  return static_cast<THandleKind>(reinterpret_cast<std::uintptr_t>(handle));
}
// A predefined key the system hands back (an empty subkey opens the key itself) comes back
// as the boundary's constant.
template <>
inline HKey FromWin32<HKey>(const void* handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  HKey predefined{static_cast<DWORD>(value)};
  if (IsPredefinedKey(predefined) && ToWin32(predefined) == handle) return predefined;
  return HKey{value};
}
