#include "platform/win32/Win32Shell.h"

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Version.h"

#include <cstddef>
#include <cstring>
#include <vector>

// The system's wide record with the 128-unit tip and the balloon fields; on a 32-bit system
// it is our record, byte for byte. A 64-bit build (for testing) has wider handles: the fields
// are handed over one by one, and the size becomes that system's size of the same layout.
constexpr std::size_t kSystemRecordSize = offsetof(NOTIFYICONDATAW, guidItem);
static_assert(sizeof(WCHAR) == sizeof(char16_t));
#ifndef _WIN64
static_assert(kSystemRecordSize == NotifyIconDataSize);
static_assert(offsetof(NOTIFYICONDATAW, hWnd) == offsetof(TNotifyIconData, hWnd));
static_assert(offsetof(NOTIFYICONDATAW, uID) == offsetof(TNotifyIconData, uID));
static_assert(offsetof(NOTIFYICONDATAW, hIcon) == offsetof(TNotifyIconData, hIcon));
static_assert(offsetof(NOTIFYICONDATAW, szTip) == offsetof(TNotifyIconData, szTip));
static_assert(offsetof(NOTIFYICONDATAW, dwState) == offsetof(TNotifyIconData, dwState));
static_assert(offsetof(NOTIFYICONDATAW, szInfo) == offsetof(TNotifyIconData, szInfo));
static_assert(offsetof(NOTIFYICONDATAW, uVersion) == offsetof(TNotifyIconData, uVersion));
static_assert(offsetof(NOTIFYICONDATAW, szInfoTitle) == offsetof(TNotifyIconData, szInfoTitle));
static_assert(offsetof(NOTIFYICONDATAW, dwInfoFlags) == offsetof(TNotifyIconData, dwInfoFlags));
#endif

bool TWin32Shell::NotifyIcon(std::uint32_t message, const TNotifyIconData& data) {
  NOTIFYICONDATAW record{};
  record.cbSize = data.cbSize == NotifyIconDataSize ? kSystemRecordSize : data.cbSize;
  record.hWnd = ToWin32(static_cast<HWnd>(data.hWnd));
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = ToWin32(static_cast<HIcon>(data.hIcon));
  std::memcpy(record.szTip, data.szTip, sizeof data.szTip);
  record.dwState = data.dwState;
  record.dwStateMask = data.dwStateMask;
  std::memcpy(record.szInfo, data.szInfo, sizeof data.szInfo);
  record.uVersion = data.uVersion;
  std::memcpy(record.szInfoTitle, data.szInfoTitle, sizeof data.szInfoTitle);
  record.dwInfoFlags = data.dwInfoFlags;
  return Shell_NotifyIconW(message, &record) != FALSE;
}

TFileVersion TWin32Shell::ComCtlVersion() {
  std::vector<char> info = VersionResource(SystemLibraryPath(L"comctl32.dll").c_str());
  if (info.empty()) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!System32::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      !fixed || length < sizeof(VS_FIXEDFILEINFO))
    return {};
  return {static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
          static_cast<int>(LOWORD(fixed->dwFileVersionMS))};
}
