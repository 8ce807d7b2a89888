#include "hw/PawnIoInstall.h"

#include "platform/Owned.h"

namespace {
struct TRecord {
  const char* Key;
  const char16_t* Value;  // null: the key itself is the record
  std::uint32_t View;
};
constexpr TRecord kRecords[] = {
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PawnIO", nullptr, KEY_WOW64_64KEY},
    {"SOFTWARE\\PawnIO", u"Install_Dir", KEY_WOW64_32KEY},
    {"SYSTEM\\CurrentControlSet\\Services\\PawnIO", nullptr, KEY_WOW64_64KEY},
};

bool Recorded(IRegistry& registry, const TRecord& record) {
  HKey key = HKey::None;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, record.Key, 0, KEY_QUERY_VALUE | record.View,
                             key) != ERROR_SUCCESS)
    return false;
  TOwnedRegKey owned(registry, key);
  if (!record.Value) return true;
  std::uint32_t kind = 0;
  std::uint32_t size = 0;
  return registry.RegQueryValueExW(key, record.Value, &kind, nullptr, &size) == ERROR_SUCCESS &&
         kind == REG_SZ && size > sizeof(char16_t);
}
}  // namespace

bool PawnIoInstalled(IRegistry& registry) {
  for (const TRecord& record : kRecords)
    if (Recorded(registry, record)) return true;
  return false;
}
