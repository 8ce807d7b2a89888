#pragma once
// The registry, shaped like advapi32: every call returns the system's status code, handles,
// access masks and value kinds carry the system's numbers.
#include <cstdint>
#include <string>

#include "platform/Types.h"

// A Win32 LONG status code; 0 is success.
using TRegStatus = std::int32_t;

// ---- predefined keys ---------------------------------------------------------
inline constexpr HKey HKEY_CLASSES_ROOT{0x80000000};
inline constexpr HKey HKEY_CURRENT_USER{0x80000001};
inline constexpr HKey HKEY_LOCAL_MACHINE{0x80000002};
inline constexpr HKey HKEY_USERS{0x80000003};
inline constexpr HKey HKEY_PERFORMANCE_DATA{0x80000004};
inline constexpr HKey HKEY_CURRENT_CONFIG{0x80000005};
inline constexpr HKey HKEY_DYN_DATA{0x80000006};

inline constexpr bool IsPredefinedKey(HKey key) {
  return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
}

// ---- access rights -----------------------------------------------------------
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_NOTIFY = 0x0010;
inline constexpr std::uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr std::uint32_t KEY_READ = 0x00020019;
inline constexpr std::uint32_t KEY_WRITE = 0x00020006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0x000F003F;
inline constexpr std::uint32_t MAXIMUM_ALLOWED = 0x02000000;
// With an open: the 64-bit view, or the 32-bit view (HKLM\SOFTWARE\WOW6432Node), whatever
// the caller's own is.
inline constexpr std::uint32_t KEY_WOW64_64KEY = 0x0100;
inline constexpr std::uint32_t KEY_WOW64_32KEY = 0x0200;

// ---- value kinds ---------------------------------------------------------------
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::uint32_t REG_LINK = 6;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_RESOURCE_LIST = 8;
inline constexpr std::uint32_t REG_FULL_RESOURCE_DESCRIPTOR = 9;
inline constexpr std::uint32_t REG_RESOURCE_REQUIREMENTS_LIST = 10;
inline constexpr std::uint32_t REG_QWORD = 11;

// ---- status codes --------------------------------------------------------------
inline constexpr TRegStatus ERROR_SUCCESS = 0;
inline constexpr TRegStatus ERROR_FILE_NOT_FOUND = 2;
inline constexpr TRegStatus ERROR_PATH_NOT_FOUND = 3;
inline constexpr TRegStatus ERROR_ACCESS_DENIED = 5;
inline constexpr TRegStatus ERROR_INVALID_HANDLE = 6;
inline constexpr TRegStatus ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr TRegStatus ERROR_OUTOFMEMORY = 14;
inline constexpr TRegStatus ERROR_WRITE_PROTECT = 19;
inline constexpr TRegStatus ERROR_INVALID_PARAMETER = 87;
inline constexpr TRegStatus ERROR_BAD_PATHNAME = 161;
inline constexpr TRegStatus ERROR_MORE_DATA = 234;
inline constexpr TRegStatus ERROR_NO_MORE_ITEMS = 259;
inline constexpr TRegStatus ERROR_BADDB = 1009;
inline constexpr TRegStatus ERROR_BADKEY = 1010;
inline constexpr TRegStatus ERROR_CANTOPEN = 1011;
inline constexpr TRegStatus ERROR_CANTREAD = 1012;
inline constexpr TRegStatus ERROR_CANTWRITE = 1013;
inline constexpr TRegStatus ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr TRegStatus ERROR_KEY_DELETED = 1018;

// An empty sub-key or value name means what a null one means to the system: the key itself,
// or the key's unnamed default value. Wide names are UTF-16 code units.
class IRegistry {
 public:
  virtual ~IRegistry() = default;

  virtual TRegStatus RegOpenKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
                                   std::uint32_t access, HKey& result) = 0;
  // Opens with the most access the caller may have; an empty sub-key returns `key` itself.
  virtual TRegStatus RegOpenKeyA(HKey key, const std::string& subKey, HKey& result) = 0;
  // Creates the key and every missing parent; an empty sub-key opens a new handle to `key`.
  virtual TRegStatus RegCreateKeyA(HKey key, const std::string& subKey, HKey& result) = 0;
  // As the system: `data` null asks only for kind and size; a buffer too small gives
  // ERROR_MORE_DATA with the needed size. `kind`, `data` and `size` may each be null
  // (`data` needs `size`). String data comes back exactly as stored, terminated or not.
  virtual TRegStatus RegQueryValueExA(HKey key, const std::string& valueName, std::uint32_t* kind,
                                      std::uint8_t* data, std::uint32_t* size) = 0;
  // As RegQueryValueExA; string data comes back as UTF-16, as the system keeps it.
  virtual TRegStatus RegQueryValueExW(HKey key, const std::u16string& valueName,
                                      std::uint32_t* kind, std::uint8_t* data,
                                      std::uint32_t* size) = 0;
  virtual TRegStatus RegSetValueExA(HKey key, const std::string& valueName, std::uint32_t kind,
                                    const std::uint8_t* data, std::uint32_t size) = 0;
  virtual TRegStatus RegCloseKey(HKey key) = 0;
};
