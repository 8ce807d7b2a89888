#include "platform/win32/Win32Registry.h"

#include "platform/win32/Win32Api.h"

#include <string>

namespace {
// Predefined keys are sign-extended constants in the system's headers.
HKEY ToHkey(HKey key) {
  if (IsPredefinedKey(key))
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key)))));
  return reinterpret_cast<HKEY>(key);
}

// A predefined key the system hands back (an empty subkey opens the key itself) is its
// sign-extended constant: the boundary's is the 32-bit one, on either build.
HKey FromHkey(HKEY key) {
  auto predefined = static_cast<HKey>(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(key)));
  if (IsPredefinedKey(predefined) && ToHkey(predefined) == key) return predefined;
  return static_cast<HKey>(reinterpret_cast<ULONG_PTR>(key));
}

// An empty name means the null name to the system (the key itself, the default value).
const char* NameOrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

// The query's in/out size and its kind, for either character width of the value name.
template <class Query, class Name>
TRegStatus QueryValue(Query query, HKey key, const Name& valueName, std::uint32_t* kind,
                      std::uint8_t* data, std::uint32_t* size) {
  DWORD type = 0;
  DWORD length = size ? *size : 0;
  LONG status =
      query(ToHkey(key), NameOrNull(valueName), nullptr, &type, data, size ? &length : nullptr);
  if (kind) *kind = type;
  if (size) *size = length;
  return status;
}
}  // namespace

TRegStatus TWin32Registry::RegOpenKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
                                         std::uint32_t access, HKey& result) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyExA(ToHkey(key), NameOrNull(subKey), options, access, &opened);
  result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return status;
}

TRegStatus TWin32Registry::RegOpenKeyA(HKey key, const std::string& subKey, HKey& result) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyA(ToHkey(key), NameOrNull(subKey), &opened);
  result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return status;
}

TRegStatus TWin32Registry::RegCreateKeyA(HKey key, const std::string& subKey, HKey& result) {
  HKEY opened = nullptr;
  LONG status = ::RegCreateKeyA(ToHkey(key), NameOrNull(subKey), &opened);
  result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return status;
}

TRegStatus TWin32Registry::RegQueryValueExA(HKey key, const std::string& valueName,
                                            std::uint32_t* kind, std::uint8_t* data,
                                            std::uint32_t* size) {
  return QueryValue(::RegQueryValueExA, key, valueName, kind, data, size);
}

TRegStatus TWin32Registry::RegSetValueExA(HKey key, const std::string& valueName,
                                          std::uint32_t kind, const std::uint8_t* data,
                                          std::uint32_t size) {
  return ::RegSetValueExA(ToHkey(key), NameOrNull(valueName), 0, kind, data, size);
}

TRegStatus TWin32Registry::RegCloseKey(HKey key) { return ::RegCloseKey(ToHkey(key)); }
