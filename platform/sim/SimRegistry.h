#pragma once
// The registry of the simulated machine, with the system's semantics where the program can
// tell: seven hives, the machine's 32-bit view of SOFTWARE under WOW6432Node, keys created with
// their parents, names compared without regard to case, values kept as kind and raw bytes, the
// unnamed default value, access rights per handle, status codes, and faults a test can plant.
// Writes and calls are logged for inspection.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/sim/SimHandles.h"

// The operations a planted fault can hit. OpenKeyEx covers both character widths, as does
// QueryValue.
enum class TRegOp { OpenKeyEx, OpenKey, CreateKey, QueryValue, SetValue };

class TSimRegistry : public IRegistry {
 public:
  TSimRegistry();
  TSimRegistry(const TSimRegistry&) = delete;
  TSimRegistry& operator=(const TSimRegistry&) = delete;
  ~TSimRegistry() override;

  // ---- IRegistry ---------------------------------------------------------
  TRegStatus RegOpenKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
                           std::uint32_t access, HKey& result) override;
  TRegStatus RegOpenKeyA(HKey key, const std::string& subKey, HKey& result) override;
  TRegStatus RegCreateKeyA(HKey key, const std::string& subKey, HKey& result) override;
  TRegStatus RegQueryValueExA(HKey key, const std::string& valueName, std::uint32_t* kind,
                              std::uint8_t* data, std::uint32_t* size) override;
  // Stored text is widened unit by unit (exact for ASCII, the names and paths planted here).
  TRegStatus RegQueryValueExW(HKey key, const std::u16string& valueName, std::uint32_t* kind,
                              std::uint8_t* data, std::uint32_t* size) override;
  TRegStatus RegSetValueExA(HKey key, const std::string& valueName, std::uint32_t kind,
                            const std::uint8_t* data, std::uint32_t size) override;
  TRegStatus RegCloseKey(HKey key) override;

  // ---- the machine (no handles, no faults, no log) ------------------------
  // Key paths are relative to the hive, segments separated by "\".
  struct TValue {
    std::uint32_t Kind = REG_NONE;
    std::vector<std::uint8_t> Data;
    friend bool operator==(const TValue&, const TValue&) = default;
  };
  void CreateKey(HKey hive, const std::string& path);
  // Creates the key when missing.
  void SetValue(HKey hive, const std::string& path, const std::string& name, std::uint32_t kind,
                std::vector<std::uint8_t> data);
  void SetDword(HKey hive, const std::string& path, const std::string& name, std::uint32_t value);
  // REG_SZ with its terminating NUL, as a program would store it.
  void SetString(HKey hive, const std::string& path, const std::string& name,
                 const std::string& text);
  void DeleteValue(HKey hive, const std::string& path, const std::string& name);
  // Removes a key with everything below it; open handles to it keep a detached copy alive.
  void DeleteKey(HKey hive, const std::string& path);
  bool KeyExists(HKey hive, const std::string& path) const;
  std::optional<TValue> GetValue(HKey hive, const std::string& path, const std::string& name) const;
  std::optional<std::uint32_t> GetDword(HKey hive, const std::string& path,
                                        const std::string& name) const;
  // Names as first written, in order of creation.
  std::vector<std::string> ValueNames(HKey hive, const std::string& path) const;
  std::vector<std::string> SubKeyNames(HKey hive, const std::string& path) const;
  // Refuses the given access rights on one key (KEY_SET_VALUE: a read-only key; KEY_READ:
  // a key the user may not read; KEY_CREATE_SUB_KEY: no keys may be created below it).
  void Deny(HKey hive, const std::string& path, std::uint32_t access);

  // ---- faults ------------------------------------------------------------
  // After `after` matching calls have passed, the next `times` calls of `op` whose target
  // matches fail with `code` (times < 0: every one). The target of a key operation is the key's
  // path below its hive, of a value operation the value name; names compare without regard to case,
  // and an empty target matches every call.
  void InjectFault(TRegOp op, const std::string& target, TRegStatus code, int times = 1,
                   int after = 0);
  void ClearFaults() { FFaults.clear(); }

  // ---- inspection --------------------------------------------------------
  // Handles opened and not yet closed (predefined keys are never counted).
  std::size_t OpenKeyCount() const { return FHandles.size(); }
  struct TWrite {
    std::string Key;  // full name, "HKEY_CURRENT_USER\Software\..."
    std::string Name;
    std::uint32_t Kind = REG_NONE;
    std::vector<std::uint8_t> Data;
  };
  // Every successful RegSetValueExA, in order.
  std::vector<TWrite> Writes;
  // Every call with its target and result, e.g.
  // "RegOpenKeyExA HKEY_CURRENT_USER\Software\Kelvane 0x20019 -> 0".
  std::vector<std::string> Calls;

  static std::string HiveName(HKey hive);

 private:
  struct TNode;
  struct THandleInfo {
    TNode* Node = nullptr;
    std::uint32_t Access = 0;
  };
  TNode* NodeOf(HKey key, std::uint32_t* access = nullptr);
  const TNode* Find(HKey hive, const std::string& path) const;
  TNode* Create(HKey hive, const std::string& path);
  TRegStatus Walk(TNode* base, const std::string& subKey, bool create, TNode*& found);
  TRegStatus OpenCommon(const char* call, TRegOp op, HKey key, const std::string& subKey,
                        std::uint32_t access, bool sameWhenEmpty, bool create, HKey& result);
  TRegStatus QueryCommon(const char* call, HKey key, const std::string& valueName, bool wide,
                         std::uint32_t* kind, std::uint8_t* data, std::uint32_t* size);
  std::optional<TRegStatus> TakeFault(TRegOp op, const std::string& target);
  std::string Log(const std::string& call, const std::string& target, const std::string& extra,
                  TRegStatus status);

  struct TFault {
    TRegOp Op;
    std::string Target;  // upper-cased
    TRegStatus Code;
    int Times;
    int After;
  };
  std::vector<std::unique_ptr<TNode>> FHives;
  std::vector<std::unique_ptr<TNode>> FDetached;
  std::map<HKey, THandleInfo> FHandles;
  std::vector<TFault> FFaults;
  TSimId FNextHandle = 0x1000;
};
