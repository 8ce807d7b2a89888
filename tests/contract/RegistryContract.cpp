// The registry: keys created with their parents, open failures and their codes, the handle
// an empty sub-key gives, value kinds and sizes as stored, the default value, names without
// regard to case, access rights per handle, and the query protocol (size only, too small).
// Everything happens below one scratch key of the current user.
#include <cstring>

#include "tests/contract/ContractPlatform.h"

namespace {
IRegistry& Registry() { return ContractPlatform().Registry; }

std::string Scratch(const std::string& below) { return std::string(kScratchKey) + "\\" + below; }

// A key created for the case and closed when it ends.
class TKey {
 public:
  explicit TKey(const std::string& below) {
    Status = Registry().RegCreateKeyA(HKEY_CURRENT_USER, Scratch(below), Handle);
  }
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  ~TKey() {
    if (Handle != HKey::None) Registry().RegCloseKey(Handle);
  }
  operator HKey() const { return Handle; }
  TRegStatus Status;
  HKey Handle = HKey::None;
};

TRegStatus Set(HKey key, const std::string& name, std::uint32_t kind,
               const std::vector<std::uint8_t>& data) {
  return Registry().RegSetValueExA(key, name, kind, data.empty() ? nullptr : data.data(),
                                   static_cast<std::uint32_t>(data.size()));
}

std::vector<std::uint8_t> Bytes(const char* text, std::size_t size) {
  return std::vector<std::uint8_t>(text, text + size);
}

struct TRead {
  TRegStatus Status = -1;
  std::uint32_t Kind = 0;
  std::vector<std::uint8_t> Data;
};

TRead Read(HKey key, const std::string& name) {
  TRead read;
  std::uint8_t buffer[256];
  std::uint32_t size = sizeof buffer;
  read.Status = Registry().RegQueryValueExA(key, name, &read.Kind, buffer, &size);
  if (read.Status == ERROR_SUCCESS) read.Data.assign(buffer, buffer + size);
  return read;
}
}  // namespace

// ---- keys ---------------------------------------------------------------------------------

TEST(Registry, CreateMakesEveryMissingParent) {
  TKey key("Parents\\A\\B\\C");
  ASSERT_EQ(key.Status, ERROR_SUCCESS);
  EXPECT_NE(key.Handle, HKey::None);
  for (const char* path : {"Parents", "Parents\\A", "Parents\\A\\B", "Parents\\A\\B\\C"}) {
    HKey opened = HKey::None;
    EXPECT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, Scratch(path), 0, KEY_READ, opened),
              ERROR_SUCCESS)
        << path;
    Registry().RegCloseKey(opened);
  }
}

TEST(Registry, CreatingAnExistingKeyOpensItWithItsValues) {
  {
    TKey first("Again");
    Set(first, "V", REG_DWORD, {1, 0, 0, 0});
  }
  TKey again("Again");
  ASSERT_EQ(again.Status, ERROR_SUCCESS);
  EXPECT_EQ(Read(again, "V").Data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
}

TEST(Registry, OpeningAMissingKeyFailsWithFileNotFoundAndNoHandle) {
  TKey base("Present");
  HKey opened{99};
  EXPECT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, Scratch("Absent"), 0, KEY_READ, opened),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(opened, HKey::None);
  opened = HKey{99};
  EXPECT_EQ(Registry().RegOpenKeyA(HKEY_CURRENT_USER, Scratch("Present\\Absent\\Deeper"), opened),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(opened, HKey::None);
}

TEST(Registry, KeyNamesIgnoreCase) {
  TKey key("MixedCase");
  HKey opened = HKey::None;
  ASSERT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\kelvanecontract\\MIXEDCASE", 0,
                                     KEY_READ, opened),
            ERROR_SUCCESS);
  Registry().RegCloseKey(opened);
}

TEST(Registry, TrailingSeparatorIsAllowed) {
  TKey key("Trailing");
  HKey opened = HKey::None;
  EXPECT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, Scratch("Trailing\\"), 0, KEY_READ, opened),
            ERROR_SUCCESS);
  Registry().RegCloseKey(opened);
}

TEST(Registry, LeadingSeparatorIsABadPath) {
  HKey opened = HKey::None;
  EXPECT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, opened),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(opened, HKey::None);
}

TEST(Registry, EmptySubKeyToOpenGivesTheSameHandle) {
  TKey key("Same");
  HKey opened = HKey::None;
  EXPECT_EQ(Registry().RegOpenKeyA(key, "", opened), ERROR_SUCCESS);
  EXPECT_EQ(opened, key.Handle);
  EXPECT_EQ(Registry().RegOpenKeyA(HKEY_CURRENT_USER, "", opened), ERROR_SUCCESS);
  EXPECT_EQ(opened, HKEY_CURRENT_USER);
}

TEST(Registry, EmptySubKeyToCreateOrOpenExGivesANewHandle) {
  TKey key("Same");
  Set(key, "V", REG_DWORD, {7, 0, 0, 0});
  for (bool create : {true, false}) {
    HKey opened = HKey::None;
    ASSERT_EQ(create ? Registry().RegCreateKeyA(key, "", opened)
                     : Registry().RegOpenKeyExA(key, "", 0, KEY_READ, opened),
              ERROR_SUCCESS);
    EXPECT_NE(opened, key.Handle) << create;
    EXPECT_EQ(Read(opened, "V").Data, (std::vector<std::uint8_t>{7, 0, 0, 0})) << "the same key";
    EXPECT_EQ(Registry().RegCloseKey(opened), ERROR_SUCCESS);
  }
  HKey opened = HKey::None;
  ASSERT_EQ(Registry().RegCreateKeyA(HKEY_CURRENT_USER, "", opened), ERROR_SUCCESS);
  EXPECT_NE(opened, HKEY_CURRENT_USER) << "a predefined key too";
  Registry().RegCloseKey(opened);
}

TEST(Registry, ClosedHandleIsInvalid) {
  HKey key = HKey::None;
  ASSERT_EQ(Registry().RegCreateKeyA(HKEY_CURRENT_USER, Scratch("Closed"), key), ERROR_SUCCESS);
  EXPECT_EQ(Registry().RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(Registry().RegCloseKey(key), ERROR_INVALID_HANDLE);
  std::uint32_t size = 0;
  EXPECT_EQ(Registry().RegQueryValueExA(key, "V", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST(Registry, PredefinedKeysCloseWithoutComplaint) {
  EXPECT_EQ(Registry().RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  HKey opened = HKey::None;
  EXPECT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, opened),
            ERROR_SUCCESS)
      << "still usable";
  Registry().RegCloseKey(opened);
}

// ---- access rights ------------------------------------------------------------------------

TEST(Registry, ReadOnlyHandleRefusesWritesAndWriteOnlyRefusesReads) {
  TKey key("Rights");
  Set(key, "V", REG_DWORD, {1, 0, 0, 0});
  HKey reader = HKey::None, writer = HKey::None;
  ASSERT_EQ(Registry().RegOpenKeyExA(HKEY_CURRENT_USER, Scratch("Rights"), 0, KEY_READ, reader),
            ERROR_SUCCESS);
  ASSERT_EQ(
      Registry().RegOpenKeyExA(HKEY_CURRENT_USER, Scratch("Rights"), 0, KEY_SET_VALUE, writer),
      ERROR_SUCCESS);
  EXPECT_EQ(Set(reader, "V", REG_DWORD, {2, 0, 0, 0}), ERROR_ACCESS_DENIED);
  std::uint32_t size = 0;
  EXPECT_EQ(Registry().RegQueryValueExA(writer, "V", nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Set(writer, "V", REG_DWORD, {3, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(Read(reader, "V").Data, (std::vector<std::uint8_t>{3, 0, 0, 0}));
  Registry().RegCloseKey(reader);
  Registry().RegCloseKey(writer);
}

// ---- values -------------------------------------------------------------------------------

struct TValueCase {
  const char* Name;
  std::uint32_t Kind;
  std::vector<std::uint8_t> Data;
};

class RegistryValue : public testing::TestWithParam<TValueCase> {};

TEST_P(RegistryValue, ComesBackWithItsKindAndExactlyItsBytes) {
  const TValueCase& c = GetParam();
  TKey key("Kinds");
  ASSERT_EQ(Set(key, c.Name, c.Kind, c.Data), ERROR_SUCCESS);
  std::uint32_t kind = 0, size = 12345;
  EXPECT_EQ(Registry().RegQueryValueExA(key, c.Name, &kind, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(kind, c.Kind);
  EXPECT_EQ(size, c.Data.size()) << "size alone, without data";
  TRead read = Read(key, c.Name);
  EXPECT_EQ(read.Status, ERROR_SUCCESS);
  EXPECT_EQ(read.Kind, c.Kind);
  EXPECT_EQ(read.Data, c.Data);
}

INSTANTIATE_TEST_SUITE_P(Contract, RegistryValue,
                         testing::Values(TValueCase{"Dword", REG_DWORD, {0x37, 0, 0, 0}},
                                         TValueCase{"Text", REG_SZ, Bytes("Kelvane", 8)},
                                         TValueCase{"EmptyText", REG_SZ, Bytes("", 1)},
                                         TValueCase{"Binary", REG_BINARY, {1, 2, 3}},
                                         TValueCase{"EmptyBinary", REG_BINARY, {}},
                                         TValueCase{"Expand", REG_EXPAND_SZ, Bytes("%PATH%", 7)},
                                         TValueCase{"Multi", REG_MULTI_SZ, Bytes("a\0b\0", 5)},
                                         TValueCase{"Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
                                         TValueCase{"Untyped", REG_NONE, {9}}),
                         [](const testing::TestParamInfo<TValueCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(Registry, UnterminatedTextComesBackAsStored) {
  TKey key("Unterminated");
  // The byte after the data is no terminator: the system would count one that followed.
  const char text[] = "abcX";
  ASSERT_EQ(
      Registry().RegSetValueExA(key, "T", REG_SZ, reinterpret_cast<const std::uint8_t*>(text), 3),
      ERROR_SUCCESS);
  EXPECT_EQ(Read(key, "T").Data, Bytes("abc", 3));
}

TEST(Registry, SmallBufferGivesMoreDataAndTheNeededSize) {
  TKey key("Small");
  Set(key, "T", REG_SZ, Bytes("Kelvane", 8));
  std::uint8_t buffer[4];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(Registry().RegQueryValueExA(key, "T", nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  std::uint8_t exact[8];
  size = sizeof exact;
  EXPECT_EQ(Registry().RegQueryValueExA(key, "T", nullptr, exact, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::memcmp(exact, "Kelvane", 8), 0);
}

TEST(Registry, ExistenceAloneNeedsNoOutputs) {
  TKey key("Exists");
  Set(key, "V", REG_DWORD, {1, 0, 0, 0});
  EXPECT_EQ(Registry().RegQueryValueExA(key, "V", nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(Registry().RegQueryValueExA(key, "W", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, DataWithoutASizeIsAnInvalidParameter) {
  TKey key("NoSize");
  Set(key, "V", REG_DWORD, {1, 0, 0, 0});
  std::uint8_t buffer[4];
  EXPECT_EQ(Registry().RegQueryValueExA(key, "V", nullptr, buffer, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST(Registry, MissingValueIsFileNotFound) {
  TKey key("Missing");
  std::uint32_t kind = 0, size = 0;
  EXPECT_EQ(Registry().RegQueryValueExA(key, "Nothing", &kind, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Read(key, "Nothing").Status, ERROR_FILE_NOT_FOUND);
}

TEST(Registry, DefaultValueIsTheEmptyNameAndAbsentInANewKey) {
  TKey key("Default");
  EXPECT_EQ(Read(key, "").Status, ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set(key, "", REG_SZ, Bytes("dflt", 5)), ERROR_SUCCESS);
  TRead read = Read(key, "");
  EXPECT_EQ(read.Status, ERROR_SUCCESS);
  EXPECT_EQ(read.Kind, REG_SZ);
  EXPECT_EQ(read.Data, Bytes("dflt", 5));
  EXPECT_EQ(Read(key, "Other").Status, ERROR_FILE_NOT_FOUND);
}

TEST(Registry, ValueNamesIgnoreCaseAndRewritingReplaces) {
  TKey key("Names");
  Set(key, "Temperature", REG_DWORD, {1, 0, 0, 0});
  Set(key, "TEMPERATURE", REG_BINARY, {5});
  TRead read = Read(key, "temperature");
  EXPECT_EQ(read.Kind, REG_BINARY);
  EXPECT_EQ(read.Data, (std::vector<std::uint8_t>{5}));
}

TEST(Registry, WideQueryGivesTextAsUtf16) {
  TKey key("Wide");
  Set(key, "T", REG_SZ, Bytes("ab", 3));
  Set(key, "D", REG_DWORD, {1, 2, 3, 4});
  std::uint8_t buffer[16];
  std::uint32_t kind = 0, size = sizeof buffer;
  ASSERT_EQ(Registry().RegQueryValueExW(key, u"T", &kind, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(kind, REG_SZ);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size),
            (std::vector<std::uint8_t>{'a', 0, 'b', 0, 0, 0}));
  size = sizeof buffer;
  ASSERT_EQ(Registry().RegQueryValueExW(key, u"D", &kind, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size),
            (std::vector<std::uint8_t>{1, 2, 3, 4}))
      << "other kinds unchanged";
}
