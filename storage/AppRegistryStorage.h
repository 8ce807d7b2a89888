#pragma once
// The registry as a storage medium: a path becomes a key below the root of the chosen hive
// and a value name; every operation opens and closes its own keys.
#include <cstdint>
#include <string>
#include <vector>

#include "storage/AppStorage.h"

enum class TRegKey {
  hkClassesRoot,
  hkCurrentUser,
  hkLocalMachine,
  hkUsers,
  hkPerformanceData,
  hkCurrentConfig,
  hkDynData
};

class TAppRegistryStorage : public TCustomAppStorage {
 public:
  explicit TAppRegistryStorage(TComponent* owner, TPlatform* platform = nullptr);

  TRegKey RegRoot() const { return FRegRoot; }
  void SetRegRoot(TRegKey value) { FRegRoot = value; }
  // The predefined handle of the hive RegRoot names.
  HKey RootKey() const {
    static constexpr HKey kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,     HKEY_LOCAL_MACHINE,
                                      HKEY_USERS,        HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG,
                                      HKEY_DYN_DATA};
    return kRoots[static_cast<int>(FRegRoot)];
  }

 protected:
  bool DoValueExists(const std::string& path) override;
  bool DoPathIsKey(const std::string& path) override;
  std::int32_t DoReadInteger(const std::string& path, std::int32_t defaultValue) override;
  void DoWriteInteger(const std::string& path, std::int32_t value) override;
  std::string DoReadString(const std::string& path, const std::string& defaultValue) override;
  void DoWriteString(const std::string& path, const std::string& value) override;
  long double DoReadFloat(const std::string& path, long double defaultValue) override;
  void DoWriteFloat(const std::string& path, long double value) override;

 private:
  IRegistry& Registry() const { return Platform().Registry; }
  // The key path below the hive: a leading hive name must be RegRoot's and is dropped.
  std::string KeyBelowHive(const std::string& keyPath) const;
  void SplitKeyValue(const std::string& path, std::string& key, std::string& name) const;
  bool KeyExists(const std::string& key);
  void CreateKeyWhenMissing(const std::string& key);
  void SetValue(const std::string& key, const std::string& name, std::uint32_t kind,
                const std::vector<std::uint8_t>& data);
  // Kind and bytes of a value. `accept` sees kind and size before any data is read; false
  // when the key or value cannot be read or is not accepted.
  bool QueryValue(const std::string& key, const std::string& name,
                  bool (*accept)(std::uint32_t, std::uint32_t), std::uint32_t& kind,
                  std::vector<std::uint8_t>& data);

  TRegKey FRegRoot = TRegKey::hkCurrentUser;
};
