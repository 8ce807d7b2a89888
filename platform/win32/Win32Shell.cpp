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

// Windows 10 1607 and later scale the notification area with the taskbar's monitor, and show a
// 16 x 16 icon stretched there. The process stays unaware of scaling (its window is stretched
// as a whole by the system), so it sees 16 x 16 metrics: the size is asked as a scaling-aware
// thread would, for a moment, with nothing made meanwhile. Not the second version of
// awareness: Wine refuses it. Earlier systems (no such calls) show 16 x 16.
int TWin32Shell::NotifyIconSize() {
  constexpr int kUnscaled = 16;
  using TSetContext = HANDLE(WINAPI*)(HANDLE);
  using TDpiForWindow = UINT(WINAPI*)(HWND);
  using TMetricForDpi = int(WINAPI*)(int, UINT);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto setContext = reinterpret_cast<TSetContext>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
  const auto dpiForWindow = reinterpret_cast<TDpiForWindow>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
  const auto metricForDpi = reinterpret_cast<TMetricForDpi>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetSystemMetricsForDpi")));
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!setContext || !dpiForWindow || !metricForDpi || !taskbar) return kUnscaled;
  const auto perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
  HANDLE previous = setContext(perMonitorAware);
  if (!previous) return kUnscaled;
  UINT dpi = dpiForWindow(taskbar);
  int size = dpi ? metricForDpi(SM_CXSMICON, dpi) : 0;
  setContext(previous);
  return size > 0 ? size : kUnscaled;
}

// The manifest names Windows 10 among the systems the program knows, so the version is asked
// without the compatibility layer's answer of 6.2.
bool TWin32Shell::HidesNewEntries() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = 10;
  return VerifyVersionInfoW(&version, VER_MAJORVERSION,
                            VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL)) != FALSE;
}
