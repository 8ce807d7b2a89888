#include "platform/win32/Win32Registry.h"

#include "platform/win32/Win32Handles.h"

#include <string>

namespace {
// An empty name means the null name to the system (the key itself, the default value).
const char* NameOrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }
const wchar_t* NameOrNull(const std::u16string& s) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters expected");
  return s.empty() ? nullptr : reinterpret_cast<const wchar_t*>(s.c_str());
}

// The query's in/out size and its kind, for either character width of the value name.
template <class Query, class Name>
TRegStatus QueryValue(Query query, HKey key, const Name& valueName, std::uint32_t* kind,
                      std::uint8_t* data, std::uint32_t* size) {
  DWORD type = 0;
  DWORD length = size ? *size : 0;
  LONG status =
      query(ToWin32(key), NameOrNull(valueName), nullptr, &type, data, size ? &length : nullptr);
  if (kind) *kind = type;
  if (size) *size = length;
  return status;
}
}  // namespace

TRegStatus TWin32Registry::RegOpenKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
                                         std::uint32_t access, HKey& result) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyExA(ToWin32(key), NameOrNull(subKey), options, access, &opened);
  result = status == ERROR_SUCCESS ? FromWin32<HKey>(opened) : HKey::None;
  return status;
}

TRegStatus TWin32Registry::RegOpenKeyA(HKey key, const std::string& subKey, HKey& result) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyA(ToWin32(key), NameOrNull(subKey), &opened);
  result = status == ERROR_SUCCESS ? FromWin32<HKey>(opened) : HKey::None;
  return status;
}

TRegStatus TWin32Registry::RegCreateKeyA(HKey key, const std::string& subKey, HKey& result) {
  HKEY opened = nullptr;
  LONG status = ::RegCreateKeyA(ToWin32(key), NameOrNull(subKey), &opened);
  result = status == ERROR_SUCCESS ? FromWin32<HKey>(opened) : HKey::None;
  return status;
}

TRegStatus TWin32Registry::RegQueryValueExA(HKey key, const std::string& valueName,
                                            std::uint32_t* kind, std::uint8_t* data,
                                            std::uint32_t* size) {
  return QueryValue(::RegQueryValueExA, key, valueName, kind, data, size);
}

TRegStatus TWin32Registry::RegQueryValueExW(HKey key, const std::u16string& valueName,
                                            std::uint32_t* kind, std::uint8_t* data,
                                            std::uint32_t* size) {
  return QueryValue(::RegQueryValueExW, key, valueName, kind, data, size);
}

TRegStatus TWin32Registry::RegSetValueExA(HKey key, const std::string& valueName,
                                          std::uint32_t kind, const std::uint8_t* data,
                                          std::uint32_t size) {
  return ::RegSetValueExA(ToWin32(key), NameOrNull(valueName), 0, kind, data, size);
}

TRegStatus TWin32Registry::RegCloseKey(HKey key) { return ::RegCloseKey(ToWin32(key)); }
