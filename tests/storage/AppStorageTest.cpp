// The registry storage: paths, typed values and their registry forms, defaults, failures
// with their texts, and keys always closed again.
//
// Still to test: date-time values (not built), the value-list form of PathIsKey.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "storage/AppRegistryStorage.h"

namespace {
using TBytes = std::vector<std::uint8_t>;
constexpr HKey HKCU = HKEY_CURRENT_USER;
constexpr char kKey[] = "Software\\Kelvane\\Form1";

struct RegistryStorage : ::testing::Test {
  TSimPlatform Sim;
  TSimRegistry& Reg = Sim.Registry;
  TAppRegistryStorage Storage{nullptr, &Sim.Platform()};

  RegistryStorage() { Storage.SetRoot("Software\\Kelvane"); }
  void TearDown() override { EXPECT_EQ(Reg.OpenKeyCount(), 0u) << "a key was left open"; }
};

template <class E>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return std::string("wrong class: ") + e.what();
  }
  return "no exception";
}
}  // namespace

// ---- paths ---------------------------------------------------------------------------

TEST(StoragePaths, NormalizePaths) {
  struct {
    std::vector<std::string> Pieces;
    std::string Expected;
  } cases[] = {
      {{}, ""},
      {{"Form1\\", "FormVersion"}, "Form1\\FormVersion"},
      {{"Form1\\", ""}, "Form1"},
      {{"a", "\\b"}, "b"},
      {{"a\\b", "..", "c"}, "a\\c"},
      {{"Form1\\", "..\\x"}, "x"},
      {{"Form1\\", "a\\.\\b"}, "Form1\\a\\b"},
      {{"Form1", "\\v"}, "v"},
      {{"a\\\\b", "c"}, "a\\b\\c"},  // a doubled separator counts as one
      {{"\\\\a\\", "\\\\"}, ""},     // the last piece starting with "\" wins, empty or not
      {{"\\a\\b\\"}, "a\\b"},        // a leading "\" on the first piece is only a separator
      {{"a\\b\\c", "..."}, "a"},     // k dots climb k-1 levels
      {{"a", "....."}, ""},          // never above the top
      {{"a", "\\b", "c", "\\d", "e"}, "d\\e"},
      {{".", "."}, ""},
      {{"Fan boost\\On", "x.y"}, "Fan boost\\On\\x.y"},  // blanks and inner dots kept
      {{"a\\..b"}, "a\\..b"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TCustomAppStorage::NormalizePaths(c.Pieces), c.Expected)
        << "pieces: " << ::testing::PrintToString(c.Pieces);
}

TEST_F(RegistryStorage, AbsolutePathAndSplit) {
  EXPECT_EQ(Storage.AbsolutePath("\\Form1\\FormVersion"), "Software\\Kelvane\\Form1\\FormVersion");
  std::string key, name;
  Storage.SplitValuePath("Form1\\udBoostOnTemp_Position", key, name);
  EXPECT_EQ(key, kKey);
  EXPECT_EQ(name, "udBoostOnTemp_Position");
  Storage.SplitValuePath(".", key, name);  // the unnamed default value of the root key
  EXPECT_EQ(key, "Software\\Kelvane");
  EXPECT_EQ(name, "");
}

TEST_F(RegistryStorage, EmptyPathAddressesTheRootKeysDefaultValue) {
  Storage.WriteInteger("", 7);
  auto value = Reg.GetValue(HKCU, "Software\\Kelvane", "");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->Data, (TBytes{7, 0, 0, 0}));
  EXPECT_EQ(Storage.ReadInteger(".", 0), 7);
}

TEST_F(RegistryStorage, NoneRootPutsTheFormKeyDirectlyBelowTheHive) {
  Storage.SetRoot("%NONE%");
  EXPECT_EQ(Storage.Root(), "");
  Storage.WriteInteger("Form1\\FormVersion", 0);
  EXPECT_EQ(Reg.GetDword(HKCU, "Form1", "FormVersion"), 0u);
  Storage.WriteInteger("Top", 3);  // a value of the hive itself
  EXPECT_EQ(Reg.GetDword(HKCU, "", "Top"), 3u);
  EXPECT_EQ(Storage.ReadInteger("Top", 0), 3);
}

TEST_F(RegistryStorage, HiveNameInTheKeyPath) {
  Storage.SetRoot("HKEY_CURRENT_USER\\Software\\Kelvane");
  Storage.WriteInteger("Form1\\FormVersion", 1);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "FormVersion"), 1u);
  Storage.SetRoot("hkcu\\Software\\Kelvane");
  EXPECT_EQ(Storage.ReadInteger("Form1\\FormVersion", 0), 1);

  Storage.SetRoot("HKLM\\Software\\Kelvane");
  EXPECT_EQ(MessageOf<ERegistryError>([&] { Storage.WriteInteger("Form1\\FormVersion", 1); }),
            "\"HKLM\\Software\\Kelvane\\Form1\" does not match RootKey");
  Storage.SetRegRoot(TRegKey::hkLocalMachine);
  EXPECT_EQ(Storage.RootKey(), HKEY_LOCAL_MACHINE);
  Storage.WriteInteger("Form1\\FormVersion", 2);
  EXPECT_EQ(Reg.GetDword(HKEY_LOCAL_MACHINE, kKey, "FormVersion"), 2u);
}

// ---- root macros ---------------------------------------------------------------------

TEST_F(RegistryStorage, RootMacrosTakeTheVersionInformation) {
  Sim.System.Version = {{"ProductName", "Kelvane"}, {"CompanyName", "Acme"}};
  Storage.SetRoot("Software\\%company_name%\\%APPL_NAME%");
  EXPECT_EQ(Storage.Root(), "Software\\Acme\\Kelvane");

  Sim.System.Version = {{"FileVersion", "1.0"}};  // no product name: the file name instead
  Storage.SetRoot("Software\\%APPL_NAME%\\%COMPANY_NAME%");
  EXPECT_EQ(Storage.Root(), "Software\\kelvane");
  EXPECT_TRUE(Sim.System.Boxes.empty());

  Storage.SetRoot("Software\\Kelvane");  // no macro: unchanged
  EXPECT_EQ(Storage.Root(), "Software\\Kelvane");
}

TEST_F(RegistryStorage, RootMacrosWithoutVersionInformationShowTheNoticeOncePerMacro) {
  Sim.System.Version.clear();
  Storage.SetUseOldDefaultRoot(true);
  EXPECT_EQ(Storage.Root(), "Software\\MyCompany\\MyApplication");
  ASSERT_EQ(Sim.System.Boxes.size(), 2u);
  // The application name is looked for first.
  EXPECT_EQ(Sim.System.Boxes[0].Text,
            "The Default Root Value \"%APPL_NAME%\" has been replaced with \"MyApplication\".\r\n"
            "Please change the value in the FileVersionInfo Project Properties.");
  EXPECT_EQ(Sim.System.Boxes[1].Text,
            "The Default Root Value \"%COMPANY_NAME%\" has been replaced with \"MyCompany\".\r\n"
            "Please change the value in the FileVersionInfo Project Properties.");
  EXPECT_EQ(Sim.System.Boxes[0].Flags, MB_OK | 0x40u);
  Storage.SetRoot("%APPL_NAME%\\%COMPANY_NAME%");
  EXPECT_EQ(Storage.Root(), "MyApplication\\MyCompany");
  EXPECT_EQ(Sim.System.Boxes.size(), 2u);
}

TEST_F(RegistryStorage, OldDefaultRootWinsAgainAtTheEndOfLoading) {
  Sim.System.Version = {{"ProductName", "Kelvane"}, {"CompanyName", "Acme"}};
  TAppRegistryStorage loaded(nullptr, &Sim.Platform());
  loaded.BeginLoading();
  loaded.SetUseOldDefaultRoot(true);
  loaded.SetRoot("Software\\Mine");  // set later in the description
  EXPECT_EQ(loaded.Root(), "Software\\Mine");
  loaded.EndLoading();
  EXPECT_EQ(loaded.Root(), "Software\\Acme\\Kelvane");
}

TEST_F(RegistryStorage, ProductNameHoldingTheMacroDoesNotExpandForever) {
  Sim.System.Version = {{"ProductName", "%APPL_NAME%"}};
  Storage.SetRoot("Software\\%APPL_NAME%");
  EXPECT_EQ(Storage.Root(), "Software\\%APPL_NAME%");
}

// ---- integers ------------------------------------------------------------------------

TEST_F(RegistryStorage, ReadIntegerByRegistryKind) {
  struct {
    const char* What;
    std::uint32_t Kind;
    TBytes Data;
    std::int32_t Expected;  // the default is -7
  } cases[] = {
      {"dword", REG_DWORD, {0x39, 0x30, 0, 0}, 12345},
      {"negative dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
      {"text 12", REG_SZ, {'1', '2', 0}, 12},
      {"text 12abc", REG_SZ, {'1', '2', 'a', 'b', 'c', 0}, -7},
      {"expandable text", REG_EXPAND_SZ, {'-', '3', 0}, -3},
      {"unterminated text", REG_SZ, {'4', '2'}, 42},
      {"empty text", REG_SZ, {0}, -7},
      {"text beyond 64 bits",
       REG_SZ,
       {'9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9',
        '9', '9', '9', '9', '9', '9', '9', '9', '9', 0},
       -7},
      {"text of a 64-bit number", REG_SZ, {'4', '2', '9', '4', '9', '6', '7', '3', '0', '1', 0}, 5},
      {"qword 0x100000005", REG_QWORD, {5, 0, 0, 0, 1, 0, 0, 0}, 5},
      {"binary 34 12", REG_BINARY, {0x34, 0x12}, 4660},
      {"binary of 8 bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0x80}, 1},
      {"binary of 9 bytes", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9}, -7},
      {"dword without bytes", REG_DWORD, {}, -7},
      {"qword without bytes", REG_QWORD, {}, -7},
      {"binary without bytes", REG_BINARY, {}, -7},
      {"binary of 1 byte", REG_BINARY, {0x2A}, 42},
      {"multi-string", REG_MULTI_SZ, {'1', 0, 0}, -7},
      {"big-endian dword", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, -7},
      {"no kind", REG_NONE, {1}, -7},
  };
  for (const auto& c : cases) {
    Reg.SetValue(HKCU, kKey, "v", c.Kind, c.Data);
    EXPECT_EQ(Storage.ReadInteger("Form1\\v", -7), c.Expected) << c.What;
  }
  EXPECT_EQ(Storage.ReadInteger("Form1\\missing", -7), -7);
  EXPECT_EQ(Storage.ReadInteger("Nowhere\\v", -7), -7);
}

TEST_F(RegistryStorage, LongByteValuesAreNotReadAtAll) {
  Reg.SetValue(HKCU, kKey, "v", REG_BINARY, TBytes(9, 1));
  Reg.Calls.clear();
  EXPECT_EQ(Storage.ReadInteger("Form1\\v", 3), 3);
  int dataReads = 0;
  for (const auto& call : Reg.Calls) dataReads += call.find("RegQueryValueExA") == 0;
  // One query from the existence test, one for kind and size; none for the data.
  EXPECT_EQ(dataReads, 2);
}

TEST_F(RegistryStorage, WriteIntegerCreatesTheKeyWithItsParentsInOneStep) {
  Storage.WriteInteger("Form1\\FormVersion", -2);
  EXPECT_TRUE(Reg.KeyExists(HKCU, "Software\\Kelvane"));
  auto value = Reg.GetValue(HKCU, kKey, "FormVersion");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->Kind, REG_DWORD);
  EXPECT_EQ(value->Data, (TBytes{0xFE, 0xFF, 0xFF, 0xFF}));
  int creates = 0;
  for (const auto& call : Reg.Calls) {
    if (call.rfind("RegCreateKeyA", 0) == 0) {
      ++creates;
      EXPECT_EQ(call, "RegCreateKeyA HKEY_CURRENT_USER\\Software\\Kelvane\\Form1 0x2000000 -> 0");
    }
    if (call.rfind("RegOpenKeyExA", 0) == 0 && call.find("Form1") != std::string::npos &&
        call.find("-> 0") != std::string::npos) {
      EXPECT_NE(call.find(" 0x20006 "), std::string::npos) << "writes open with KEY_WRITE";
    }
  }
  EXPECT_EQ(creates, 1);
}

TEST_F(RegistryStorage, ReadsOpenForReadingOnly) {
  Reg.SetDword(HKCU, kKey, "v", 1);
  Reg.Deny(HKCU, kKey, KEY_SET_VALUE);  // a read-only key
  EXPECT_EQ(Storage.ReadInteger("Form1\\v", 0), 1);
  EXPECT_TRUE(Storage.ValueExists("Form1\\v"));
  EXPECT_TRUE(Storage.PathIsKey("Form1"));
}

TEST_F(RegistryStorage, ReadOnlyStorageWritesNothingAndSaysNothing) {
  Storage.SetReadOnly(true);
  Storage.WriteInteger("Form1\\FormVersion", 1);
  Storage.WriteString("Form1\\s", "x");
  Storage.WriteBoolean("Form1\\b", true);
  Storage.WriteFloat("Form1\\f", 1.5L);
  EXPECT_FALSE(Reg.KeyExists(HKCU, "Software\\Kelvane"));
  EXPECT_TRUE(Reg.Calls.empty());
}

// ---- texts, Booleans and floats ------------------------------------------------------

TEST_F(RegistryStorage, StringsReadTextAndBinaryAndDefaultOtherwise) {
  Storage.WriteString("Form1\\s", "Fan");
  EXPECT_EQ(Reg.GetValue(HKCU, kKey, "s")->Data, (TBytes{'F', 'a', 'n', 0}));
  EXPECT_EQ(Reg.GetValue(HKCU, kKey, "s")->Kind, REG_SZ);
  EXPECT_EQ(Storage.ReadString("Form1\\s", "d"), "Fan");
  Reg.SetValue(HKCU, kKey, "b", REG_BINARY, {'h', 'i'});
  EXPECT_EQ(Storage.ReadString("Form1\\b", "d"), "hi");
  Reg.SetDword(HKCU, kKey, "n", 5);
  EXPECT_EQ(Storage.ReadString("Form1\\n", "d"), "d");
  Reg.SetValue(HKCU, kKey, "m", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
  EXPECT_EQ(Storage.ReadString("Form1\\m", "d"), "d");
  EXPECT_EQ(Storage.ReadString("Form1\\missing", "d"), "d");
}

TEST_F(RegistryStorage, ReadBooleanFromText) {
  struct {
    std::vector<std::uint8_t> Text;
    bool Default;
    bool Expected;
  } cases[] = {
      {{'y', 'e', 's', 0}, false, true},
      {{'n', 0}, true, false},
      {{'T', 'r', 'U', 'e', 0}, false, true},
      {{'m', 'a', 'y', 'b', 'e', 0}, true, true},
      {{'m', 'a', 'y', 'b', 'e', 0}, false, false},
      {{'5', 0}, false, true},  // neither list: the integer form
      {{'0', 0}, true, false},
  };
  for (const auto& c : cases) {
    Reg.SetValue(HKCU, kKey, "b", REG_SZ, c.Text);
    EXPECT_EQ(Storage.ReadBoolean("Form1\\b", c.Default), c.Expected)
        << std::string(c.Text.begin(), c.Text.end() - 1);
  }
  Reg.SetDword(HKCU, kKey, "b", 1);  // not text: the default
  EXPECT_FALSE(Storage.ReadBoolean("Form1\\b", false));
  Storage.WriteBoolean("Form1\\w", true);
  EXPECT_EQ(Reg.GetValue(HKCU, kKey, "w")->Data, (TBytes{'T', 'R', 'U', 'E', 0}));
  Storage.WriteBoolean("Form1\\w", false);
  EXPECT_EQ(Reg.GetValue(HKCU, kKey, "w")->Data, (TBytes{'F', 'A', 'L', 'S', 'E', 0}));
}

TEST_F(RegistryStorage, BooleanAsStringNeedsBothFirstItems) {
  TAppStorageOptions& options = Storage.StorageOptions();
  EXPECT_TRUE(options.BooleanAsString());
  options.SetBooleanStringTrueValues(", ON");
  EXPECT_FALSE(options.BooleanAsString());
  options.SetBooleanAsString(true);
  EXPECT_FALSE(options.BooleanAsString());
  options.SetBooleanStringTrueValues(" On , 1");
  options.SetBooleanAsString(true);
  EXPECT_TRUE(options.BooleanAsString());
  EXPECT_EQ(options.DefaultTrueString(), "On");

  options.SetBooleanAsString(false);
  Storage.WriteBoolean("Form1\\b", true);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "b"), 1u);
  Reg.SetDword(HKCU, kKey, "b", 9);
  EXPECT_TRUE(Storage.ReadBoolean("Form1\\b", false));
}

TEST_F(RegistryStorage, FloatsAsTenByteExtendedValues) {
  Storage.WriteFloat("Form1\\f", 1.0L);
  auto value = Reg.GetValue(HKCU, kKey, "f");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->Kind, REG_BINARY);
  EXPECT_EQ(value->Data, (TBytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  for (long double x : {0.0L, -2.5L, 65.125L, 1e-300L, 3.0e300L}) {
    Storage.WriteFloat("Form1\\f", x);
    EXPECT_EQ(Storage.ReadFloat("Form1\\f", 7), x);
  }
  EXPECT_EQ(Storage.ReadFloat("Form1\\missing", 7), 7);

  Reg.SetValue(HKCU, kKey, "f", REG_BINARY, TBytes(11, 0));
  EXPECT_EQ(MessageOf<ERegistryError>([&] { Storage.ReadFloat("Form1\\f", 7); }),
            "\"Software\\Kelvane\\Form1\\f\" is of wrong kind or size");
  Storage.StorageOptions().SetDefaultIfReadConvertError(true);
  EXPECT_EQ(Storage.ReadFloat("Form1\\f", 7), 7);

  Storage.StorageOptions().SetFloatAsString(true);
  Sim.System.Separator = ',';
  Storage.WriteFloat("Form1\\t", 2.5L);
  EXPECT_EQ(Storage.ReadString("Form1\\t", ""), "2,5");
  EXPECT_EQ(Storage.ReadFloat("Form1\\t", 0), 2.5L);
}

// ---- failures ------------------------------------------------------------------------

TEST(RegistryStorageFailures, MessagesAndClassesAndNoKeyLeftOpen) {
  using TArrange = std::function<void(TSimRegistry&, TAppRegistryStorage&)>;
  using TAct = std::function<void(TAppRegistryStorage&)>;
  struct {
    const char* What;
    TArrange Arrange;
    TAct Act;
    std::string Expected;
  } cases[] = {
      {"key cannot be created",
       [](TSimRegistry& r, TAppRegistryStorage&) {
         r.InjectFault(TRegOp::CreateKey, kKey, ERROR_ACCESS_DENIED);
       },
       [](TAppRegistryStorage& s) { s.WriteInteger("Form1\\v", 1); },
       "EStorageError: Unable to create key 'Software\\Kelvane\\Form1'"},
      {"key cannot be opened for writing",
       [](TSimRegistry& r, TAppRegistryStorage&) { r.Deny(HKCU, kKey, KEY_SET_VALUE); },
       [](TAppRegistryStorage& s) { s.WriteInteger("Form1\\v", 1); },
       "ERegistryError: Unable to open key \"Software\\Kelvane\\Form1\" for write"},
      {"value cannot be set",
       [](TSimRegistry& r, TAppRegistryStorage&) {
         r.InjectFault(TRegOp::SetValue, "v", ERROR_CANTWRITE);
       },
       [](TAppRegistryStorage& s) { s.WriteString("Form1\\v", "x"); },
       "ERegistryError: Unable to open key \"Software\\Kelvane\\Form1\" for write"},
      {"key cannot be opened for reading where it must be",
       [](TSimRegistry& r, TAppRegistryStorage&) {
         r.SetDword(HKCU, kKey, "v", 1);
         r.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED);
       },
       [](TAppRegistryStorage& s) { s.ReadInteger("Form1\\v", 0); },
       "ERegistryError: Unable to open key \"Software\\Kelvane\\Form1\" for read"},
      {"value cannot be accessed in a raising read",
       [](TSimRegistry& r, TAppRegistryStorage& s) {
         s.StorageOptions().SetDefaultIfValueNotExists(false);
         r.CreateKey(HKCU, kKey);
       },
       [](TAppRegistryStorage& s) { s.ReadFloat("Form1\\v", 0); },
       "ERegistryError: Unable to open key \"Software\\Kelvane\\Form1\" and access value "
       "\"v\""},
      {"value of the wrong kind in a raising read",
       [](TSimRegistry& r, TAppRegistryStorage&) { r.SetDword(HKCU, kKey, "v", 1); },
       [](TAppRegistryStorage& s) { s.ReadFloat("Form1\\v", 0); },
       "ERegistryError: \"Software\\Kelvane\\Form1\\v\" is of wrong kind or size"},
      {"hive name other than the root key's",
       [](TSimRegistry&, TAppRegistryStorage& s) { s.SetRoot("HKEY_USERS\\x"); },
       [](TAppRegistryStorage& s) { s.ValueExists("v"); },
       "ERegistryError: \"HKEY_USERS\\x\" does not match RootKey"},
      {"unsupported property kind", [](TSimRegistry&, TAppRegistryStorage&) {},
       [](TAppRegistryStorage& s) {
         static struct TFlagged : TObject {
         } object;
         static bool once = [] {
           TPropInfo info;
           info.Name = "Flags";
           info.Kind = TTypeKind::tkSet;
           TPropertyTable::Instance().Register<TFlagged>({info});
           return true;
         }();
         (void)once;
         s.WritePublishedProperty("Form1\\Flags", object, "Flags");
       },
       "EAppStorageError: Invalid type"},
  };
  for (auto& c : cases) {
    TSimPlatform sim;
    TAppRegistryStorage storage(nullptr, &sim.Platform());
    storage.SetRoot("Software\\Kelvane");
    c.Arrange(sim.Registry, storage);
    std::string got = "no exception";
    try {
      c.Act(storage);
    } catch (const EStorageError& e) {
      got = "EStorageError: " + e.Message();
    } catch (const ERegistryError& e) {
      got = "ERegistryError: " + e.Message();
    } catch (const EAppStorageError& e) {
      got = "EAppStorageError: " + e.Message();
    } catch (const std::exception& e) {
      got = std::string("other: ") + e.what();
    }
    EXPECT_EQ(got, c.Expected) << c.What;
    EXPECT_EQ(sim.Registry.OpenKeyCount(), 0u) << c.What;
  }
}

TEST_F(RegistryStorage, FailedWriteKeepsEarlierWrites) {
  Reg.InjectFault(TRegOp::SetValue, "b", ERROR_CANTWRITE);
  Storage.WriteInteger("Form1\\a", 1);
  EXPECT_THROW(Storage.WriteInteger("Form1\\b", 2), ERegistryError);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "a"), 1u);
  EXPECT_FALSE(Reg.GetValue(HKCU, kKey, "b"));
}

TEST_F(RegistryStorage, ExistenceAndKeyTests) {
  EXPECT_FALSE(Storage.ValueExists("Form1\\v"));
  EXPECT_FALSE(Storage.PathIsKey("Form1"));
  EXPECT_FALSE(Reg.KeyExists(HKCU, kKey)) << "tests create nothing";
  Reg.CreateKey(HKCU, "Software\\Kelvane\\Form1\\v");
  EXPECT_FALSE(Storage.ValueExists("Form1\\v"));
  EXPECT_TRUE(Storage.PathIsKey("Form1\\v"));
  Reg.SetDword(HKCU, kKey, "V", 1);
  EXPECT_TRUE(Storage.ValueExists("form1\\v"));
}

TEST_F(RegistryStorage, UnreadableKeyReadsAsDefault) {
  Reg.SetDword(HKCU, kKey, "v", 1);
  Reg.Deny(HKCU, kKey, KEY_QUERY_VALUE);
  EXPECT_EQ(Storage.ReadInteger("Form1\\v", 9), 9);
  EXPECT_EQ(Storage.ReadString("Form1\\v", "d"), "d");
}

// A read that gives its default may have found nothing or met a failing registry; only the
// second counts as a failure.
TEST_F(RegistryStorage, ReadFailuresCountFailingCallsNotMissingValues) {
  Reg.SetDword(HKCU, kKey, "v", 1);
  Reg.SetValue(HKCU, kKey, "empty", REG_BINARY, {});
  struct {
    const char* What;
    TRegOp Op;
    std::string Target;
    TRegStatus Code;
    const char* Path;
    bool Failure;
  } cases[] = {
      {"a missing value", TRegOp::QueryValue, "none", ERROR_CANTREAD, "Form1\\missing", false},
      {"a missing key", TRegOp::QueryValue, "none", ERROR_CANTREAD, "Nowhere\\v", false},
      {"an empty value", TRegOp::QueryValue, "none", ERROR_CANTREAD, "Form1\\empty", false},
      {"a key that will not open", TRegOp::OpenKeyEx, kKey, ERROR_ACCESS_DENIED, "Form1\\v", true},
      {"a query that fails", TRegOp::QueryValue, "v", ERROR_CANTREAD, "Form1\\v", true},
      {"a value that keeps growing", TRegOp::QueryValue, "v", ERROR_MORE_DATA, "Form1\\v", true},
  };
  for (const auto& c : cases) {
    Reg.InjectFault(c.Op, c.Target, c.Code, -1);
    std::uint64_t before = Storage.ReadFailures();
    EXPECT_EQ(Storage.ReadInteger(c.Path, 9), 9) << c.What;
    EXPECT_EQ(Storage.ReadFailures() > before, c.Failure) << c.What;
    Reg.ClearFaults();
  }
  std::uint64_t before = Storage.ReadFailures();
  EXPECT_EQ(Storage.ReadInteger("Form1\\v", 9), 1);
  EXPECT_EQ(Storage.ReadFailures(), before);
}

// ---- sub-storages --------------------------------------------------------------------

TEST_F(RegistryStorage, SubStoragesServeTheirRootPathsLongestFirst) {
  TAppRegistryStorage outer(nullptr, &Sim.Platform());
  outer.SetRoot("Software\\Outer");
  TAppRegistryStorage inner(nullptr, &Sim.Platform());
  inner.SetRoot("Software\\Inner");
  auto& a = Storage.SubStorages().Add();
  a.SetRootPath("Sub");
  a.SetAppStorage(&outer);
  auto& b = Storage.SubStorages().Add();
  b.SetRootPath("sub\\Deep");
  b.SetAppStorage(&inner);

  Storage.WriteInteger("Sub\\x", 1);
  Storage.WriteInteger("SUB\\Deep\\y", 2);
  Storage.WriteInteger("Subway\\z", 3);  // not at a segment boundary: this storage's own
  EXPECT_EQ(Reg.GetDword(HKCU, "Software\\Outer", "x"), 1u);
  EXPECT_EQ(Reg.GetDword(HKCU, "Software\\Inner", "y"), 2u);
  EXPECT_EQ(Reg.GetDword(HKCU, "Software\\Kelvane\\Subway", "z"), 3u);
  EXPECT_EQ(Storage.ReadInteger("Sub\\Deep\\y", 0), 2);

  EXPECT_EQ(MessageOf<EAppStorageError>([&] { Storage.ReadInteger("Sub\\.", 0); }), "Invalid path");
  EXPECT_EQ(MessageOf<EAppStorageError>([&] { Storage.SubStorages().Add().SetRootPath("SUB"); }),
            "'SUB' is not a unique root path");
  EXPECT_EQ(MessageOf<EAppStorageError>([&] { outer.SubStorages().Add().SetAppStorage(&Storage); }),
            "Circular reference of storages");
  EXPECT_EQ(MessageOf<EAppStorageError>([&] { a.SetAppStorage(&Storage); }),
            "Circular reference of storages");
}

TEST_F(RegistryStorage, RemovedSubStorageLeavesTheList) {
  auto sub = std::make_unique<TAppRegistryStorage>(nullptr, &Sim.Platform());
  auto& item = Storage.SubStorages().Add();
  item.SetRootPath("Sub");
  item.SetAppStorage(sub.get());
  EXPECT_EQ(Storage.SubStorages().Count(), 1u);
  sub.reset();
  EXPECT_EQ(Storage.SubStorages().Count(), 0u);
  Storage.WriteInteger("Sub\\x", 1);
  EXPECT_EQ(Reg.GetDword(HKCU, "Software\\Kelvane\\Sub", "x"), 1u);
}
