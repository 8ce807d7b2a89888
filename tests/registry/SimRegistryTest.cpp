// The simulated registry keeps the system's rules where the storage depends on them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimRegistry.h"

namespace {
using TBytes = std::vector<std::uint8_t>;
constexpr HKey HKCU = HKEY_CURRENT_USER;
}  // namespace

TEST(SimRegistry, CreateMakesParentsAndNamesIgnoreCase) {
  TSimRegistry reg;
  HKey key = HKey::None;
  ASSERT_EQ(reg.RegCreateKeyA(HKCU, "Software\\Kelvane\\Form1", key), ERROR_SUCCESS);
  EXPECT_EQ(reg.OpenKeyCount(), 1u);
  EXPECT_TRUE(reg.KeyExists(HKCU, "SOFTWARE\\kelvane"));
  const std::uint8_t dword[] = {1, 0, 0, 0};
  EXPECT_EQ(reg.RegSetValueExA(key, "FormVersion", REG_DWORD, dword, 4), ERROR_SUCCESS);
  EXPECT_EQ(reg.RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(reg.OpenKeyCount(), 0u);
  EXPECT_EQ(reg.RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";
  EXPECT_EQ(reg.GetDword(HKCU, "software\\KELVANE\\form1", "formversion"), 1u);
  ASSERT_EQ(reg.Writes.size(), 1u);
  EXPECT_EQ(reg.Writes[0].Key, "HKEY_CURRENT_USER\\Software\\Kelvane\\Form1");
  EXPECT_FALSE(reg.KeyExists(HKEY_LOCAL_MACHINE, "Software\\Kelvane")) << "hives are apart";
}

TEST(SimRegistry, OpenResults) {
  TSimRegistry reg;
  reg.CreateKey(HKCU, "Software\\Kelvane");
  struct {
    const char* SubKey;
    TRegStatus Expected;
  } cases[] = {
      {"Software\\Kelvane", ERROR_SUCCESS},        {"software\\kelvane\\", ERROR_SUCCESS},
      {"Software\\Missing", ERROR_FILE_NOT_FOUND}, {"\\Software", ERROR_BAD_PATHNAME},
      {"Software\\\\Kelvane", ERROR_BAD_PATHNAME}, {"", ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    HKey key = HKey::None;
    EXPECT_EQ(reg.RegOpenKeyExA(HKCU, c.SubKey, 0, KEY_READ, key), c.Expected) << c.SubKey;
    EXPECT_EQ(key != HKey::None, c.Expected == ERROR_SUCCESS);
    if (key != HKey::None) reg.RegCloseKey(key);
  }
  HKey key = HKey::None;
  EXPECT_EQ(reg.RegOpenKeyExA(HKey{0x1234}, "x", 0, KEY_READ, key), ERROR_INVALID_HANDLE);
  // The short open form hands back the key itself for an empty sub-key; create opens anew.
  EXPECT_EQ(reg.RegOpenKeyA(HKCU, "", key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKCU);
  EXPECT_EQ(reg.OpenKeyCount(), 0u);
  EXPECT_EQ(reg.RegCreateKeyA(HKCU, "", key), ERROR_SUCCESS);
  EXPECT_NE(key, HKCU);
  reg.RegCloseKey(key);
}

TEST(SimRegistry, QueryFollowsTheSizeProtocol) {
  TSimRegistry reg;
  reg.SetValue(HKCU, "K", "", REG_SZ, {'d', 'e', 'f', 0});  // the unnamed default value
  reg.SetValue(HKCU, "K", "raw", REG_SZ, {'a', 'b'});       // stored unterminated
  HKey key = HKey::None;
  ASSERT_EQ(reg.RegOpenKeyExA(HKCU, "K", 0, KEY_READ, key), ERROR_SUCCESS);
  std::uint32_t kind = 0, size = 0;
  EXPECT_EQ(reg.RegQueryValueExA(key, "", &kind, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(kind, REG_SZ);
  EXPECT_EQ(size, 4u);
  std::uint8_t small[2] = {};
  size = sizeof small;
  EXPECT_EQ(reg.RegQueryValueExA(key, "", &kind, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  std::uint8_t buffer[8] = {};
  size = sizeof buffer;
  EXPECT_EQ(reg.RegQueryValueExA(key, "raw", &kind, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(TBytes(buffer, buffer + size), (TBytes{'a', 'b'}));
  EXPECT_EQ(reg.RegQueryValueExA(key, "none", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reg.RegQueryValueExA(key, "raw", nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
  reg.RegCloseKey(key);
}

TEST(SimRegistry, AccessRights) {
  TSimRegistry reg;
  reg.SetDword(HKCU, "K", "v", 1);
  HKey read = HKey::None, write = HKey::None;
  ASSERT_EQ(reg.RegOpenKeyExA(HKCU, "K", 0, KEY_READ, read), ERROR_SUCCESS);
  const std::uint8_t byte = 1;
  EXPECT_EQ(reg.RegSetValueExA(read, "v", REG_BINARY, &byte, 1), ERROR_ACCESS_DENIED);
  ASSERT_EQ(reg.RegOpenKeyExA(HKCU, "K", 0, KEY_WRITE, write), ERROR_SUCCESS);
  EXPECT_EQ(reg.RegQueryValueExA(write, "v", nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  reg.RegCloseKey(read);
  reg.RegCloseKey(write);

  reg.Deny(HKCU, "K", KEY_SET_VALUE);
  EXPECT_EQ(reg.RegOpenKeyExA(HKCU, "K", 0, KEY_WRITE, write), ERROR_ACCESS_DENIED);
  HKey most = HKey::None;
  ASSERT_EQ(reg.RegOpenKeyA(HKCU, "K", most), ERROR_SUCCESS) << "the short form takes what it may";
  EXPECT_EQ(reg.RegSetValueExA(most, "v", REG_BINARY, &byte, 1), ERROR_ACCESS_DENIED);
  reg.RegCloseKey(most);
  reg.Deny(HKCU, "Locked", KEY_CREATE_SUB_KEY);
  HKey created = HKey::None;
  EXPECT_EQ(reg.RegCreateKeyA(HKCU, "Locked\\Child", created), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(reg.KeyExists(HKCU, "Locked\\Child"));
  EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

TEST(SimRegistry, PlantedFaults) {
  TSimRegistry reg;
  HKey key = HKey::None;
  ASSERT_EQ(reg.RegCreateKeyA(HKCU, "K", key), ERROR_SUCCESS);
  const std::uint8_t byte = 1;
  reg.InjectFault(TRegOp::SetValue, "B", ERROR_CANTWRITE, 2, 1);
  EXPECT_EQ(reg.RegSetValueExA(key, "a", REG_BINARY, &byte, 1), ERROR_SUCCESS) << "other name";
  EXPECT_EQ(reg.RegSetValueExA(key, "b", REG_BINARY, &byte, 1), ERROR_SUCCESS) << "let through";
  EXPECT_EQ(reg.RegSetValueExA(key, "b", REG_BINARY, &byte, 1), ERROR_CANTWRITE);
  EXPECT_EQ(reg.RegSetValueExA(key, "b", REG_BINARY, &byte, 1), ERROR_CANTWRITE);
  EXPECT_EQ(reg.RegSetValueExA(key, "b", REG_BINARY, &byte, 1), ERROR_SUCCESS) << "used up";
  EXPECT_EQ(reg.Writes.size(), 3u) << "failed writes are not logged";
  reg.RegCloseKey(key);

  reg.InjectFault(TRegOp::OpenKeyEx, "", ERROR_OUTOFMEMORY, -1);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(reg.RegOpenKeyExA(HKCU, "K", 0, KEY_READ, key), ERROR_OUTOFMEMORY);
  EXPECT_EQ(reg.RegOpenKeyA(HKCU, "K", key), ERROR_SUCCESS) << "another operation";
  reg.RegCloseKey(key);
  reg.ClearFaults();
  EXPECT_EQ(reg.RegOpenKeyExA(HKCU, "K", 0, KEY_READ, key), ERROR_SUCCESS);
  reg.RegCloseKey(key);
}
