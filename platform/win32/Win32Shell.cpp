#include "platform/win32/Win32Shell.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <vector>

// Our record is the system's ANSI record up to its balloon fields; the shell reads cbSize
// and never looks past it, so the 488 bytes are handed over as they are.
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == offsetof(TNotifyIconData, hWnd));
static_assert(offsetof(NOTIFYICONDATAA, uID) == offsetof(TNotifyIconData, uID));
static_assert(offsetof(NOTIFYICONDATAA, uFlags) == offsetof(TNotifyIconData, uFlags));
static_assert(offsetof(NOTIFYICONDATAA, hIcon) == offsetof(TNotifyIconData, hIcon));
static_assert(offsetof(NOTIFYICONDATAA, szTip) == offsetof(TNotifyIconData, szTip));
static_assert(offsetof(NOTIFYICONDATAA, szInfo) == offsetof(TNotifyIconData, szInfo));
static_assert(offsetof(NOTIFYICONDATAA, uVersion) == offsetof(TNotifyIconData, uVersion));
static_assert(offsetof(NOTIFYICONDATAA, dwInfoFlags) == offsetof(TNotifyIconData, dwInfoFlags));
static_assert(sizeof(NOTIFYICONDATAA) >= sizeof(TNotifyIconData));

bool TWin32Shell::NotifyIcon(std::uint32_t message, const TNotifyIconData& data) {
  // A full-size copy keeps the system's fields past ours zeroed, whatever it reads.
  NOTIFYICONDATAA record{};
  static_assert(sizeof record >= sizeof data);
  std::memcpy(&record, &data, sizeof data);
  return Shell_NotifyIconA(message, &record) != FALSE;
}

TFileVersion TWin32Shell::ComCtlVersion() {
  char name[] = "comctl32.dll";
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(name, &ignored);
  if (size == 0) return {};
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(name, 0, size, info.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  char root[] = "\\";
  if (!VerQueryValueA(info.data(), root, reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {};
  return {static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
          static_cast<int>(LOWORD(fixed->dwFileVersionMS))};
}
