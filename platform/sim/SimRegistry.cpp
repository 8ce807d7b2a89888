#include "platform/sim/SimRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
// Where a predefined key sits among the hives.
std::size_t HiveIndex(HKey hive) { return SimId(hive) - SimId(HKEY_CLASSES_ROOT); }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Names in this program are ASCII; anything wider is kept recognisable but lossy.
std::string Narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
  return out;
}

bool IsStringKind(std::uint32_t kind) {
  return kind == REG_SZ || kind == REG_EXPAND_SZ || kind == REG_MULTI_SZ;
}

// A 32-bit view's open of the machine's SOFTWARE lands under WOW6432Node, as the system
// redirects it.
std::string InView(HKey key, const std::string& subKey, std::uint32_t access) {
  constexpr char kSoftware[] = "SOFTWARE";
  constexpr std::size_t kLength = sizeof kSoftware - 1;
  if (!(access & KEY_WOW64_32KEY) || key != HKEY_LOCAL_MACHINE ||
      Upper(subKey.substr(0, kLength)) != kSoftware ||
      (subKey.size() > kLength && subKey[kLength] != '\\'))
    return subKey;
  return subKey.substr(0, kLength) + "\\WOW6432Node" + subKey.substr(kLength);
}

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}
}  // namespace

struct TSimRegistry::TNode {
  std::string Name;
  std::string FullName;
  TNode* Parent = nullptr;
  std::uint32_t Denied = 0;
  std::vector<std::unique_ptr<TNode>> SubKeys;
  std::vector<std::pair<std::string, TValue>> Values;

  TNode* Child(const std::string& name) {
    std::string u = Upper(name);
    for (auto& k : SubKeys)
      if (Upper(k->Name) == u) return k.get();
    return nullptr;
  }
  TNode* AddChild(const std::string& name) {
    auto node = std::make_unique<TNode>();
    node->Name = name;
    node->FullName = FullName + "\\" + name;
    node->Parent = this;
    SubKeys.push_back(std::move(node));
    return SubKeys.back().get();
  }
  std::pair<std::string, TValue>* Value(const std::string& name) {
    std::string u = Upper(name);
    for (auto& v : Values)
      if (Upper(v.first) == u) return &v;
    return nullptr;
  }
  std::string RelativePath() const {
    std::string::size_type slash = FullName.find('\\');
    return slash == std::string::npos ? std::string() : FullName.substr(slash + 1);
  }
};

std::string TSimRegistry::HiveName(HKey hive) {
  static const char* const names[] = {
      "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
      "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
  return IsPredefinedKey(hive) ? names[HiveIndex(hive)]
                               : Hex(static_cast<std::uint32_t>(SimId(hive)));
}

TSimRegistry::TSimRegistry() {
  for (TSimId hive = SimId(HKEY_CLASSES_ROOT); hive <= SimId(HKEY_DYN_DATA); ++hive) {
    auto node = std::make_unique<TNode>();
    node->Name = node->FullName = HiveName(SimHandle<HKey>(hive));
    FHives.push_back(std::move(node));
  }
}

TSimRegistry::~TSimRegistry() = default;

// ---- paths and handles ---------------------------------------------------------

TSimRegistry::TNode* TSimRegistry::NodeOf(HKey key, std::uint32_t* access) {
  if (IsPredefinedKey(key)) {
    if (access) *access = KEY_ALL_ACCESS;
    return FHives[HiveIndex(key)].get();
  }
  auto it = FHandles.find(key);
  if (it == FHandles.end()) return nullptr;
  if (access) *access = it->second.Access;
  return it->second.Node;
}

// A leading "\" or an empty segment inside the path is refused; one trailing "\" is allowed.
TRegStatus TSimRegistry::Walk(TNode* base, const std::string& subKey, bool create, TNode*& found) {
  found = base;
  if (subKey.empty()) return ERROR_SUCCESS;
  if (subKey.front() == '\\') return ERROR_BAD_PATHNAME;
  std::string path = subKey;
  if (path.back() == '\\') path.pop_back();
  std::string::size_type start = 0;
  while (true) {
    std::string::size_type end = path.find('\\', start);
    std::string segment = path.substr(start, end == std::string::npos ? end : end - start);
    if (segment.empty()) return ERROR_BAD_PATHNAME;
    TNode* next = found->Child(segment);
    if (!next) {
      if (!create) return ERROR_FILE_NOT_FOUND;
      if (found->Denied & KEY_CREATE_SUB_KEY) return ERROR_ACCESS_DENIED;
      next = found->AddChild(segment);
    }
    found = next;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::optional<TRegStatus> TSimRegistry::TakeFault(TRegOp op, const std::string& target) {
  std::string u = Upper(target);
  for (auto it = FFaults.begin(); it != FFaults.end(); ++it) {
    if (it->Op != op || (!it->Target.empty() && it->Target != u)) continue;
    if (it->After > 0) {
      --it->After;
      continue;
    }
    TRegStatus code = it->Code;
    if (it->Times > 0 && --it->Times == 0) FFaults.erase(it);
    return code;
  }
  return std::nullopt;
}

std::string TSimRegistry::Log(const std::string& call, const std::string& target,
                              const std::string& extra, TRegStatus status) {
  std::string line = call + " " + target;
  if (!extra.empty()) line += " " + extra;
  line += " -> " + std::to_string(status);
  Calls.push_back(line);
  return line;
}

TRegStatus TSimRegistry::OpenCommon(const char* call, TRegOp op, HKey key,
                                    const std::string& subKey, std::uint32_t access,
                                    bool sameWhenEmpty, bool create, HKey& result) {
  result = HKey::None;
  TNode* base = NodeOf(key);
  std::string target = base ? base->FullName : Hex(static_cast<std::uint32_t>(SimId(key)));
  if (!subKey.empty()) target += "\\" + subKey;
  std::string extra = access ? Hex(access) : std::string();
  if (!base) {
    Log(call, target, extra, ERROR_INVALID_HANDLE);
    return ERROR_INVALID_HANDLE;
  }
  std::string relative = base->RelativePath();
  if (!subKey.empty()) relative += (relative.empty() ? "" : "\\") + subKey;
  if (auto fault = TakeFault(op, relative)) {
    Log(call, target, extra, *fault);
    return *fault;
  }
  TNode* node = nullptr;
  TRegStatus status = Walk(base, subKey, create, node);
  if (status == ERROR_SUCCESS) {
    std::uint32_t granted = access;
    if (access == MAXIMUM_ALLOWED) {
      granted = KEY_ALL_ACCESS & ~node->Denied;
      if (!(granted & KEY_QUERY_VALUE)) status = ERROR_ACCESS_DENIED;
    } else if (access & node->Denied) {
      status = ERROR_ACCESS_DENIED;
    }
    if (status == ERROR_SUCCESS) {
      if (subKey.empty() && sameWhenEmpty) {
        result = key;
      } else {
        result = SimHandle<HKey>(FNextHandle);
        FNextHandle += 4;
        FHandles[result] = {node, granted};
      }
    }
  }
  Log(call, target, extra, status);
  return status;
}

// ---- IRegistry -------------------------------------------------------------------

TRegStatus TSimRegistry::RegOpenKeyExA(HKey key, const std::string& subKey, std::uint32_t,
                                       std::uint32_t access, HKey& result) {
  return OpenCommon("RegOpenKeyExA", TRegOp::OpenKeyEx, key, InView(key, subKey, access),
                    access & ~(KEY_WOW64_64KEY | KEY_WOW64_32KEY), false, false, result);
}

TRegStatus TSimRegistry::RegOpenKeyA(HKey key, const std::string& subKey, HKey& result) {
  return OpenCommon("RegOpenKeyA", TRegOp::OpenKey, key, subKey, MAXIMUM_ALLOWED, true, false,
                    result);
}

TRegStatus TSimRegistry::RegCreateKeyA(HKey key, const std::string& subKey, HKey& result) {
  // Unlike RegOpenKeyA, an empty sub-key opens a new handle to `key`, predefined or not.
  return OpenCommon("RegCreateKeyA", TRegOp::CreateKey, key, subKey, MAXIMUM_ALLOWED, false, true,
                    result);
}

TRegStatus TSimRegistry::QueryCommon(const char* call, HKey key, const std::string& valueName,
                                     bool wide, std::uint32_t* kind, std::uint8_t* data,
                                     std::uint32_t* size) {
  std::uint32_t access = 0;
  TNode* node = NodeOf(key, &access);
  std::string target = (node ? node->FullName : Hex(static_cast<std::uint32_t>(SimId(key)))) +
                       " [" + valueName + "]";
  auto finish = [&](TRegStatus status) {
    Log(call, target, "", status);
    return status;
  };
  if (!node) return finish(ERROR_INVALID_HANDLE);
  if (data && !size) return finish(ERROR_INVALID_PARAMETER);
  if (auto fault = TakeFault(TRegOp::QueryValue, valueName)) return finish(*fault);
  if (!(access & KEY_QUERY_VALUE)) return finish(ERROR_ACCESS_DENIED);
  auto* value = node->Value(valueName);
  if (!value) return finish(ERROR_FILE_NOT_FOUND);
  std::vector<std::uint8_t> bytes = value->second.Data;
  if (wide && IsStringKind(value->second.Kind)) {
    std::vector<std::uint8_t> widened;
    for (std::uint8_t b : bytes) widened.insert(widened.end(), {b, 0});
    bytes = std::move(widened);
  }
  if (kind) *kind = value->second.Kind;
  std::uint32_t needed = static_cast<std::uint32_t>(bytes.size());
  TRegStatus status = ERROR_SUCCESS;
  if (data) {
    if (*size < needed)
      status = ERROR_MORE_DATA;
    else if (needed)
      std::memcpy(data, bytes.data(), needed);
  }
  if (size) *size = needed;
  return finish(status);
}

TRegStatus TSimRegistry::RegQueryValueExA(HKey key, const std::string& valueName,
                                          std::uint32_t* kind, std::uint8_t* data,
                                          std::uint32_t* size) {
  return QueryCommon("RegQueryValueExA", key, valueName, false, kind, data, size);
}

TRegStatus TSimRegistry::RegQueryValueExW(HKey key, const std::u16string& valueName,
                                          std::uint32_t* kind, std::uint8_t* data,
                                          std::uint32_t* size) {
  return QueryCommon("RegQueryValueExW", key, Narrow(valueName), true, kind, data, size);
}

TRegStatus TSimRegistry::RegSetValueExA(HKey key, const std::string& valueName, std::uint32_t kind,
                                        const std::uint8_t* data, std::uint32_t size) {
  std::uint32_t access = 0;
  TNode* node = NodeOf(key, &access);
  std::string target = (node ? node->FullName : Hex(static_cast<std::uint32_t>(SimId(key)))) +
                       " [" + valueName + "]";
  auto finish = [&](TRegStatus status) {
    Log("RegSetValueExA", target, Hex(kind), status);
    return status;
  };
  if (!node) return finish(ERROR_INVALID_HANDLE);
  if (!data && size) return finish(ERROR_INVALID_PARAMETER);
  if (auto fault = TakeFault(TRegOp::SetValue, valueName)) return finish(*fault);
  if (!(access & KEY_SET_VALUE)) return finish(ERROR_ACCESS_DENIED);
  TValue value{kind, std::vector<std::uint8_t>(data, data + size)};
  if (auto* existing = node->Value(valueName))
    existing->second = value;
  else
    node->Values.emplace_back(valueName, value);
  Writes.push_back({node->FullName, valueName, kind, value.Data});
  return finish(ERROR_SUCCESS);
}

TRegStatus TSimRegistry::RegCloseKey(HKey key) {
  if (IsPredefinedKey(key)) return ERROR_SUCCESS;
  auto it = FHandles.find(key);
  if (it == FHandles.end()) return ERROR_INVALID_HANDLE;
  FHandles.erase(it);
  return ERROR_SUCCESS;
}

// ---- the machine -------------------------------------------------------------------

const TSimRegistry::TNode* TSimRegistry::Find(HKey hive, const std::string& path) const {
  if (!IsPredefinedKey(hive)) return nullptr;
  TNode* node = nullptr;
  auto* self = const_cast<TSimRegistry*>(this);
  if (self->Walk(FHives[HiveIndex(hive)].get(), path, false, node) != ERROR_SUCCESS) return nullptr;
  return node;
}

TSimRegistry::TNode* TSimRegistry::Create(HKey hive, const std::string& path) {
  if (!IsPredefinedKey(hive)) return nullptr;
  TNode* base = FHives[HiveIndex(hive)].get();
  // Seeding ignores refused rights.
  std::string::size_type start = 0;
  TNode* node = base;
  while (start <= path.size() && !path.empty()) {
    std::string::size_type end = path.find('\\', start);
    std::string segment = path.substr(start, end == std::string::npos ? end : end - start);
    if (!segment.empty()) {
      TNode* next = node->Child(segment);
      node = next ? next : node->AddChild(segment);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return node;
}

void TSimRegistry::CreateKey(HKey hive, const std::string& path) { Create(hive, path); }

void TSimRegistry::SetValue(HKey hive, const std::string& path, const std::string& name,
                            std::uint32_t kind, std::vector<std::uint8_t> data) {
  TNode* node = Create(hive, path);
  if (!node) return;
  if (auto* existing = node->Value(name))
    existing->second = {kind, std::move(data)};
  else
    node->Values.emplace_back(name, TValue{kind, std::move(data)});
}

void TSimRegistry::SetDword(HKey hive, const std::string& path, const std::string& name,
                            std::uint32_t value) {
  SetValue(hive, path, name, REG_DWORD,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void TSimRegistry::SetString(HKey hive, const std::string& path, const std::string& name,
                             const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(hive, path, name, REG_SZ, std::move(data));
}

void TSimRegistry::DeleteValue(HKey hive, const std::string& path, const std::string& name) {
  auto* node = const_cast<TNode*>(Find(hive, path));
  if (!node) return;
  std::string u = Upper(name);
  std::erase_if(node->Values, [&](const auto& v) { return Upper(v.first) == u; });
}

void TSimRegistry::DeleteKey(HKey hive, const std::string& path) {
  auto* node = const_cast<TNode*>(Find(hive, path));
  if (!node || !node->Parent) return;
  auto& siblings = node->Parent->SubKeys;
  for (auto it = siblings.begin(); it != siblings.end(); ++it)
    if (it->get() == node) {
      FDetached.push_back(std::move(*it));
      siblings.erase(it);
      return;
    }
}

bool TSimRegistry::KeyExists(HKey hive, const std::string& path) const {
  return Find(hive, path) != nullptr;
}

std::optional<TSimRegistry::TValue> TSimRegistry::GetValue(HKey hive, const std::string& path,
                                                           const std::string& name) const {
  auto* node = const_cast<TNode*>(Find(hive, path));
  if (!node) return std::nullopt;
  auto* value = node->Value(name);
  if (!value) return std::nullopt;
  return value->second;
}

std::optional<std::uint32_t> TSimRegistry::GetDword(HKey hive, const std::string& path,
                                                    const std::string& name) const {
  auto value = GetValue(hive, path, name);
  if (!value || value->Kind != REG_DWORD || value->Data.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(value->Data[0]) |
         static_cast<std::uint32_t>(value->Data[1]) << 8 |
         static_cast<std::uint32_t>(value->Data[2]) << 16 |
         static_cast<std::uint32_t>(value->Data[3]) << 24;
}

std::vector<std::string> TSimRegistry::ValueNames(HKey hive, const std::string& path) const {
  std::vector<std::string> names;
  if (const TNode* node = Find(hive, path))
    for (const auto& v : node->Values) names.push_back(v.first);
  return names;
}

std::vector<std::string> TSimRegistry::SubKeyNames(HKey hive, const std::string& path) const {
  std::vector<std::string> names;
  if (const TNode* node = Find(hive, path))
    for (const auto& k : node->SubKeys) names.push_back(k->Name);
  return names;
}

void TSimRegistry::Deny(HKey hive, const std::string& path, std::uint32_t access) {
  if (TNode* node = Create(hive, path)) node->Denied |= access;
}

void TSimRegistry::InjectFault(TRegOp op, const std::string& target, TRegStatus code, int times,
                               int after) {
  if (times == 0) return;
  FFaults.push_back({op, Upper(target), code, times, after});
}
