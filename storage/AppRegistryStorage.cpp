#include "storage/AppRegistryStorage.h"

#include "framework/Strings.h"
#include "platform/Owned.h"
#include "storage/StorageText.h"

namespace {
struct THiveName {
  const char* Name;
  TRegKey Key;
};
constexpr THiveName kHiveNames[] = {
    {"HKEY_CLASSES_ROOT", TRegKey::hkClassesRoot},
    {"HKEY_CURRENT_USER", TRegKey::hkCurrentUser},
    {"HKEY_LOCAL_MACHINE", TRegKey::hkLocalMachine},
    {"HKEY_USERS", TRegKey::hkUsers},
    {"HKEY_PERFORMANCE_DATA", TRegKey::hkPerformanceData},
    {"HKEY_CURRENT_CONFIG", TRegKey::hkCurrentConfig},
    {"HKEY_DYN_DATA", TRegKey::hkDynData},
    {"HKCR", TRegKey::hkClassesRoot},
    {"HKCU", TRegKey::hkCurrentUser},
    {"HKLM", TRegKey::hkLocalMachine},
    {"HKUS", TRegKey::hkUsers},
    {"HKPD", TRegKey::hkPerformanceData},
    {"HKCC", TRegKey::hkCurrentConfig},
    {"HKDD", TRegKey::hkDynData},
};

// Text values end at their first NUL, or at their end when stored unterminated.
std::string TextOf(const std::vector<std::uint8_t>& data) {
  std::string text(data.begin(), data.end());
  std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

// The key or value is not there: the caller's default applies, and nothing failed.
bool IsAbsent(TRegStatus status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

bool IsTextKind(std::uint32_t kind) { return kind == REG_SZ || kind == REG_EXPAND_SZ; }
bool IsBytesKind(std::uint32_t kind) {
  return kind == REG_DWORD || kind == REG_QWORD || kind == REG_BINARY;
}
}  // namespace

TAppRegistryStorage::TAppRegistryStorage(TComponent* owner, TPlatform* platform)
    : TCustomAppStorage(owner, platform) {}

// ---- keys --------------------------------------------------------------------------

std::string TAppRegistryStorage::KeyBelowHive(const std::string& keyPath) const {
  for (const auto& hive : kHiveNames) {
    std::string name = hive.Name;
    bool whole = keyPath.size() == name.size();
    if (keyPath.size() < name.size() || (!whole && keyPath[name.size()] != '\\') ||
        !SameText(keyPath.substr(0, name.size()), name))
      continue;
    if (hive.Key != FRegRoot)
      throw ERegistryError(FormatText("\"%s\" does not match RootKey", {keyPath}));
    return whole ? std::string() : keyPath.substr(name.size() + 1);
  }
  return keyPath;
}

void TAppRegistryStorage::SplitKeyValue(const std::string& path, std::string& key,
                                        std::string& name) const {
  SplitValuePath(path, key, name);
  key = KeyBelowHive(key);
}

bool TAppRegistryStorage::KeyExists(const std::string& key) {
  HKey opened = HKey::None;
  TRegStatus status = Registry().RegOpenKeyExA(RootKey(), key, 0, KEY_READ, opened);
  if (status != ERROR_SUCCESS) {
    if (!IsAbsent(status)) NoteReadFailure();
    return false;
  }
  TOwnedRegKey guard(Registry(), opened);
  return true;
}

void TAppRegistryStorage::CreateKeyWhenMissing(const std::string& key) {
  if (KeyExists(key)) return;
  HKey created = HKey::None;
  // Creates the missing parents as well.
  if (Registry().RegCreateKeyA(RootKey(), key, created) != ERROR_SUCCESS)
    throw EStorageError(FormatText("Unable to create key '%s'", {key}));
  TOwnedRegKey guard(Registry(), created);
}

void TAppRegistryStorage::SetValue(const std::string& key, const std::string& name,
                                   std::uint32_t kind, const std::vector<std::uint8_t>& data) {
  CreateKeyWhenMissing(key);
  const std::string failure = FormatText("Unable to open key \"%s\" for write", {key});
  HKey opened = HKey::None;
  if (Registry().RegOpenKeyExA(RootKey(), key, 0, KEY_WRITE, opened) != ERROR_SUCCESS)
    throw ERegistryError(failure);
  TOwnedRegKey guard(Registry(), opened);
  if (Registry().RegSetValueExA(opened, name, kind, data.data(),
                                static_cast<std::uint32_t>(data.size())) != ERROR_SUCCESS)
    throw ERegistryError(failure);
}

bool TAppRegistryStorage::QueryValue(const std::string& key, const std::string& name,
                                     bool (*accept)(std::uint32_t, std::uint32_t),
                                     std::uint32_t& kind, std::vector<std::uint8_t>& data) {
  IRegistry& registry = Registry();
  auto failed = [this](TRegStatus status) {
    if (!IsAbsent(status)) NoteReadFailure();
    return false;
  };
  HKey opened = HKey::None;
  TRegStatus status = registry.RegOpenKeyExA(RootKey(), key, 0, KEY_READ, opened);
  if (status != ERROR_SUCCESS) return failed(status);
  TOwnedRegKey guard(registry, opened);
  std::uint32_t size = 0;
  status = registry.RegQueryValueExA(opened, name, &kind, nullptr, &size);
  if (status != ERROR_SUCCESS) return failed(status);
  // Another program may change the value between the two calls: ask again while it grows.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (!accept(kind, size)) return false;
    data.assign(size ? size : 1, 0);
    std::uint32_t got = static_cast<std::uint32_t>(data.size());
    status = registry.RegQueryValueExA(opened, name, &kind, data.data(), &got);
    if (status == ERROR_SUCCESS) {
      if (got > data.size()) return failed(ERROR_MORE_DATA);
      if (!accept(kind, got)) return false;
      data.resize(got);
      return true;
    }
    if (status != ERROR_MORE_DATA) return failed(status);
    size = got;
  }
  return failed(ERROR_MORE_DATA);
}

// ---- the medium --------------------------------------------------------------------

bool TAppRegistryStorage::DoValueExists(const std::string& path) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  if (!KeyExists(key)) return false;
  HKey opened = HKey::None;
  if (Registry().RegOpenKeyA(RootKey(), key, opened) != ERROR_SUCCESS)
    throw ERegistryError(FormatText("Unable to open key \"%s\" for read", {key}));
  TOwnedRegKey guard(Registry(), opened);
  TRegStatus status = Registry().RegQueryValueExA(opened, name, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS && !IsAbsent(status)) NoteReadFailure();
  return status == ERROR_SUCCESS;
}

bool TAppRegistryStorage::DoPathIsKey(const std::string& path) {
  std::string key = AbsolutePath(path);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return KeyExists(KeyBelowHive(key));
}

std::int32_t TAppRegistryStorage::DoReadInteger(const std::string& path,
                                                std::int32_t defaultValue) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  std::uint32_t kind = REG_NONE;
  std::vector<std::uint8_t> data;
  // A byte value without bytes holds no number: it is unusable like an oversized one.
  auto accept = [](std::uint32_t k, std::uint32_t size) {
    return (IsBytesKind(k) && size >= 1 && size <= 8) || IsTextKind(k);
  };
  if (!QueryValue(key, name, accept, kind, data)) return defaultValue;
  std::uint64_t value = 0;
  if (IsBytesKind(kind)) {
    for (std::size_t i = 0; i < data.size(); ++i)
      value |= static_cast<std::uint64_t>(data[i]) << (8 * i);
  } else {
    std::int64_t parsed = 0;
    if (!ParseInt64(TextOf(data), parsed)) return defaultValue;
    value = static_cast<std::uint64_t>(parsed);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void TAppRegistryStorage::DoWriteInteger(const std::string& path, std::int32_t value) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  auto bits = static_cast<std::uint32_t>(value);
  SetValue(key, name, REG_DWORD,
           {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
}

std::string TAppRegistryStorage::DoReadString(const std::string& path,
                                              const std::string& defaultValue) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  std::uint32_t kind = REG_NONE;
  std::vector<std::uint8_t> data;
  auto accept = [](std::uint32_t k, std::uint32_t) { return IsTextKind(k) || k == REG_BINARY; };
  if (!QueryValue(key, name, accept, kind, data)) return defaultValue;
  return TextOf(data);
}

void TAppRegistryStorage::DoWriteString(const std::string& path, const std::string& value) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  std::vector<std::uint8_t> data(value.begin(), value.end());
  data.push_back(0);
  SetValue(key, name, REG_SZ, data);
}

long double TAppRegistryStorage::DoReadFloat(const std::string& path, long double) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  IRegistry& registry = Registry();
  const std::string inaccessible =
      FormatText("Unable to open key \"%s\" and access value \"%s\"", {key, name});
  HKey opened = HKey::None;
  if (registry.RegOpenKeyExA(RootKey(), key, 0, KEY_READ, opened) != ERROR_SUCCESS)
    throw ERegistryError(inaccessible);
  TOwnedRegKey guard(registry, opened);
  std::uint32_t kind = REG_NONE;
  std::uint32_t size = 0;
  if (registry.RegQueryValueExA(opened, name, &kind, nullptr, &size) != ERROR_SUCCESS)
    throw ERegistryError(inaccessible);
  const std::string wrong = FormatText("\"%s\\%s\" is of wrong kind or size", {key, name});
  if (kind != REG_BINARY || size != 10) throw ERegistryError(wrong);
  std::uint8_t bytes[10] = {};
  std::uint32_t got = sizeof bytes;
  TRegStatus status = registry.RegQueryValueExA(opened, name, &kind, bytes, &got);
  if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && (kind != REG_BINARY || got != 10)))
    throw ERegistryError(wrong);
  if (status != ERROR_SUCCESS) throw ERegistryError(inaccessible);
  return DecodeExtended(bytes);
}

void TAppRegistryStorage::DoWriteFloat(const std::string& path, long double value) {
  std::string key, name;
  SplitKeyValue(path, key, name);
  std::vector<std::uint8_t> data(10);
  EncodeExtended(value, data.data());
  SetValue(key, name, REG_BINARY, data);
}
