#include "hw/PawnIoInstall.h"

#include <string_view>

#include "framework/Strings.h"
#include "platform/Owned.h"

namespace {
// Where PawnIO's setups name their folder, in the order tried: 2.1 and later (64-bit setups)
// only in their uninstall entry; 2.0.x, a 32-bit setup, in its own key, which lies in the
// 32-bit view. Last, the 64-bit Program Files folder, where every setup installs by default.
struct TNamedFolder {
  const char* Key;
  const char16_t* Value;
  std::uint32_t View;
  const char* Below;
};
constexpr TNamedFolder kFolders[] = {
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PawnIO", u"InstallLocation",
     KEY_WOW64_64KEY, ""},
    {"SOFTWARE\\PawnIO", u"Install_Dir", KEY_WOW64_32KEY, ""},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir", KEY_WOW64_64KEY, "PawnIO"},
};

// A folder named by a REG_SZ value, read as Unicode; empty when there is none.
std::string ReadFolder(IRegistry& registry, const TNamedFolder& named) {
  HKey key = HKey::None;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, named.Key, 0, KEY_QUERY_VALUE | named.View, key) !=
      ERROR_SUCCESS)
    return {};
  TOwnedRegKey owned(registry, key);
  std::u16string text(1024, u'\0');
  std::uint32_t kind = 0;
  auto size = static_cast<std::uint32_t>(text.size() * sizeof(char16_t));
  if (registry.RegQueryValueExW(key, named.Value, &kind,
                                reinterpret_cast<std::uint8_t*>(text.data()),
                                &size) != ERROR_SUCCESS ||
      kind != REG_SZ)
    return {};
  // Stored with its terminator or without it.
  text.resize(size / sizeof(char16_t));
  text.resize(std::u16string_view(text.c_str()).size());
  std::string folder = Utf8FromUtf16(text);
  if (folder.empty()) return {};
  if (folder.back() != '\\') folder += '\\';
  if (*named.Below) folder += std::string(named.Below) + '\\';
  return folder;
}
}  // namespace

std::string PawnIoFolder(IRegistry& registry, ISystem& system) {
  for (const TNamedFolder& named : kFolders) {
    std::string folder = ReadFolder(registry, named);
    if (!folder.empty() && system.FileExists(folder + kPawnIoLibraryFile)) return folder;
  }
  return {};
}

bool PawnIoInstalled(IRegistry& registry, ISystem& system) {
  return !PawnIoFolder(registry, system).empty();
}
