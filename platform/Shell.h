#pragma once
// The shell's notification area and the common-controls version. The notify record is the
// system's wide record as a 32-bit process lays it out: the size with the 128-unit tip and
// the balloon fields (936 bytes). Its texts are UTF-16, so they read the same on every ANSI
// code page (on the double-byte ones an ANSI tip would lose characters such as the degree
// sign). Handles and identities travel as 32-bit numbers in it.
#include <cstddef>
#include <cstdint>

// Notify requests and record flags, with the system's values.
inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIM_SETFOCUS = 3;
inline constexpr std::uint32_t NIM_SETVERSION = 4;
// The version whose shell adds NIN_SELECT after WM_LBUTTONUP, WM_CONTEXTMENU after
// WM_RBUTTONUP, and sends NIN_KEYSELECT for a selection with the keyboard; the callback's
// wParam and lParam keep the first version's layout (only version 4 changes it).
inline constexpr std::uint32_t NOTIFYICON_VERSION = 3;
// Notifications of an entry at that version.
inline constexpr std::uint32_t NIN_SELECT = 0x0400;
inline constexpr std::uint32_t NIN_KEYSELECT = 0x0401;
inline constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;

inline constexpr std::uint32_t NIF_MESSAGE = 0x1;
inline constexpr std::uint32_t NIF_ICON = 0x2;
inline constexpr std::uint32_t NIF_TIP = 0x4;
// The balloon fields: szInfo, szInfoTitle and dwInfoFlags (shells from version 5.0 on; older
// ones read only the first, short layout and show nothing).
inline constexpr std::uint32_t NIF_INFO = 0x10;
inline constexpr std::uint32_t NIIF_INFO = 0x1;
inline constexpr std::uint32_t NIIF_WARNING = 0x2;

struct TNotifyIconData {
  std::uint32_t cbSize = 0;
  std::uint32_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::uint32_t hIcon = 0;
  char16_t szTip[128] = {};
  std::uint32_t dwState = 0;
  std::uint32_t dwStateMask = 0;
  char16_t szInfo[256] = {};
  std::uint32_t uVersion = 0;  // shares its place with the balloon time-out
  char16_t szInfoTitle[64] = {};
  std::uint32_t dwInfoFlags = 0;
};
inline constexpr std::uint32_t NotifyIconDataSize = 936;
static_assert(sizeof(TNotifyIconData) == NotifyIconDataSize);
static_assert(offsetof(TNotifyIconData, hIcon) == 20);
static_assert(offsetof(TNotifyIconData, szTip) == 24);
static_assert(offsetof(TNotifyIconData, dwState) == 280);
static_assert(offsetof(TNotifyIconData, szInfo) == 288);
static_assert(offsetof(TNotifyIconData, uVersion) == 800);
static_assert(offsetof(TNotifyIconData, szInfoTitle) == 804);
static_assert(offsetof(TNotifyIconData, dwInfoFlags) == 932);

// A file version, major.minor.
struct TFileVersion {
  int Major = 0;
  int Minor = 0;
  friend auto operator<=>(const TFileVersion&, const TFileVersion&) = default;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // One request to the notification area; true when the shell accepted it.
  virtual bool NotifyIcon(std::uint32_t message, const TNotifyIconData& data) = 0;
  // File version of the common-controls library ("comctl32.dll"); 0.0 when unknown.
  virtual TFileVersion ComCtlVersion() = 0;
  // The side in pixels at which the notification area shows an entry's icon: the small-icon
  // size at the taskbar's scale where the system scales it, otherwise 16.
  virtual int NotifyIconSize() = 0;
  // The shell puts a new entry among its hidden icons until the user chooses to show it
  // (Windows 10 and later).
  virtual bool HidesNewEntries() = 0;
};
