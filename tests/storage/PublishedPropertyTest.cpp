// Published properties through the storage: each type kind's stored form, and ordinals
// taking only as many low bytes as they have.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Properties.h"
#include "framework/UpDown.h"
#include "platform/sim/SimPlatform.h"
#include "storage/AppRegistryStorage.h"

namespace {
using TBytes = std::vector<std::uint8_t>;
constexpr HKey HKCU = HKEY_CURRENT_USER;
constexpr char kKey[] = "Software\\Kelvane\\Form1";

enum class TFanMode : std::uint8_t { fmAuto, fmNormal, fmBoost };

class TSampleFont : public TObject {
 public:
  std::int32_t Size = 8;
  std::string Name = "Arial";
};

class TSample : public TComponent {
 public:
  using TComponent::TComponent;
  std::int8_t S8 = 0;
  std::uint8_t U8 = 0;
  std::int16_t S16 = 0;
  std::uint16_t U16 = 0;
  std::int32_t S32 = 0;
  std::uint32_t U32 = 0;
  char Ch = 'a';
  bool Flag = false;
  double Ratio = 0;
  std::string Text;
  TFanMode Mode = TFanMode::fmAuto;
  std::int64_t Big = 0;
  std::int32_t Color = 0;
  TSampleFont Font;
  std::uint32_t Set = 0;
};

void RegisterSample() {
  static bool done = [] {
    auto& table = TPropertyTable::Instance();
#define ORD(F)              \
  OrdinalProperty<TSample>( \
      #F, [](TSample& s) { return s.F; }, [](TSample& s, auto v) { s.F = v; })
    table.Register<TSample>({
        ORD(S8),
        ORD(U8),
        ORD(S16),
        ORD(U16),
        ORD(S32),
        ORD(U32),
        ORD(Ch),
        ORD(Flag),
        ORD(Big),
        OrdinalProperty<TSample>(
            "Color", [](TSample& s) { return s.Color; },
            [](TSample& s, std::int32_t v) { s.Color = v; }, "TColor"),
        EnumProperty<TSample>(
            "Mode", [](TSample& s) { return s.Mode; }, [](TSample& s, TFanMode v) { s.Mode = v; },
            {"fmAuto", "fmNormal", "fmBoost"}),
        FloatProperty<TSample>(
            "Ratio", [](TSample& s) { return s.Ratio; }, [](TSample& s, double v) { s.Ratio = v; }),
        StringProperty<TSample>(
            "Text", [](TSample& s) { return s.Text; },
            [](TSample& s, const std::string& v) { s.Text = v; }),
        ClassProperty<TSample>("Font", [](TSample& s) { return &s.Font; }),
    });
#undef ORD
    TPropInfo set;
    set.Name = "Set";
    set.Kind = TTypeKind::tkSet;
    table.Register<TSample>({set});
    table.Register<TSampleFont>({
        OrdinalProperty<TSampleFont>(
            "Size", [](TSampleFont& f) { return f.Size; },
            [](TSampleFont& f, std::int32_t v) { f.Size = v; }),
        StringProperty<TSampleFont>(
            "Name", [](TSampleFont& f) { return f.Name; },
            [](TSampleFont& f, const std::string& v) { f.Name = v; }),
    });
    table.RegisterIdents("TColor", {{0x0000FF00, "clLime"}, {0x00800080, "clPurple"}});
    return true;
  }();
  (void)done;
}

struct PublishedProperty : ::testing::Test {
  TSimPlatform Sim;
  TSimRegistry& Reg = Sim.Registry;
  TAppRegistryStorage Storage{nullptr, &Sim.Platform()};
  TSample Sample{nullptr, &Sim.Platform()};

  PublishedProperty() {
    RegisterSample();
    Storage.SetRoot("Software\\Kelvane");
    Sample.SetName("Sample");
  }
  void TearDown() override { EXPECT_EQ(Reg.OpenKeyCount(), 0u); }
  TBytes Stored(const char* name) {
    auto v = Reg.GetValue(HKCU, kKey, name);
    return v ? v->Data : TBytes{};
  }
};
}  // namespace

TEST(PropertyTable, LookupIgnoresCaseAndSeesBaseClasses) {
  TSimPlatform sim;
  TUpDown upDown(nullptr, &sim.Platform());
  const TPropInfo* position = GetPropInfo(upDown, "position");
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(position->Name, "Position");
  EXPECT_EQ(position->Kind, TTypeKind::tkInteger);
  EXPECT_EQ(position->OrdSize, 2);
  EXPECT_TRUE(position->Signed);
  EXPECT_NE(GetPropInfo(upDown, "NAME"), nullptr) << "from the component base";
  EXPECT_EQ(GetPropInfo(upDown, "Positio"), nullptr);
  auto list = GetPropList(upDown);
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.front()->Name, "Name") << "base classes first";
}

TEST_F(PublishedProperty, OrdinalsTakeOnlyTheirOwnLowBytes) {
  struct {
    const char* Prop;
    std::uint32_t Stored;
    std::int64_t Expected;
  } cases[] = {
      {"S16", 70000, 4464},       {"S16", 0x8000, -32768},
      {"S16", 0xFFFF7FFF, 32767}, {"U16", 0xFFFF8000, 32768},
      {"S8", 0x1FF, -1},          {"U8", 0x1FF, 255},
      {"S32", 0xFFFFFFFF, -1},    {"U32", 0xFFFFFFFF, 0xFFFFFFFF},
      {"Ch", 0x141, 'A'},
  };
  for (const auto& c : cases) {
    Reg.SetDword(HKCU, kKey, c.Prop, c.Stored);
    Storage.ReadPublishedProperty(std::string("Form1\\") + c.Prop, Sample, c.Prop);
    EXPECT_EQ(GetPropInfo(Sample, c.Prop)->GetOrd(Sample), c.Expected)
        << c.Prop << " <- " << c.Stored;
  }
}

TEST_F(PublishedProperty, OrdinalsAreWrittenSignExtendedFromTheirSize) {
  Sample.S16 = -30;
  Sample.U16 = 65535;
  Sample.U8 = 200;
  for (const char* prop : {"S16", "U16", "U8"})
    Storage.WritePublishedProperty(std::string("Form1\\") + prop, Sample, prop);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "S16"), 0xFFFFFFE2u);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "U16"), 0xFFFFFFFFu);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "U8"), 0xFFFFFFC8u);
  // Read back, each still comes out as it was.
  Sample.S16 = Sample.U16 = Sample.U8 = 0;
  for (const char* prop : {"S16", "U16", "U8"})
    Storage.ReadPublishedProperty(std::string("Form1\\") + prop, Sample, prop);
  EXPECT_EQ(Sample.S16, -30);
  EXPECT_EQ(Sample.U16, 65535);
  EXPECT_EQ(Sample.U8, 200);
}

TEST_F(PublishedProperty, StoredFormsByKind) {
  Sample.Flag = true;
  Sample.Mode = TFanMode::fmBoost;
  Sample.Text = "Fun boost";
  Sample.Big = 0x123456789LL;
  Sample.Ratio = 0.5;
  for (const char* prop : {"Flag", "Mode", "Text", "Big", "Ratio"})
    Storage.WritePublishedProperty(std::string("Form1\\") + prop, Sample, prop);
  EXPECT_EQ(Stored("Flag"), (TBytes{'T', 'R', 'U', 'E', 0}));
  EXPECT_EQ(Stored("Mode"), (TBytes{'f', 'm', 'B', 'o', 'o', 's', 't', 0}));
  EXPECT_EQ(Stored("Text"), (TBytes{'F', 'u', 'n', ' ', 'b', 'o', 'o', 's', 't', 0}));
  EXPECT_EQ(Stored("Big"), (TBytes{'4', '8', '8', '6', '7', '1', '8', '3', '4', '5', 0}));
  EXPECT_EQ(Reg.GetValue(HKCU, kKey, "Ratio")->Kind, REG_BINARY);

  TSample fresh(nullptr, &Sim.Platform());
  for (const char* prop : {"Flag", "Mode", "Text", "Big", "Ratio"})
    Storage.ReadPublishedProperty(std::string("Form1\\") + prop, fresh, prop);
  EXPECT_TRUE(fresh.Flag);
  EXPECT_EQ(fresh.Mode, TFanMode::fmBoost);
  EXPECT_EQ(fresh.Text, "Fun boost");
  EXPECT_EQ(fresh.Big, 0x123456789LL);
  EXPECT_EQ(fresh.Ratio, 0.5);

  Reg.SetString(HKCU, kKey, "Mode", "FMNORMAL");
  Storage.ReadPublishedProperty("Form1\\Mode", fresh, "Mode");
  EXPECT_EQ(fresh.Mode, TFanMode::fmNormal);
  Reg.SetDword(HKCU, kKey, "Mode", 9);  // no such value: unchanged
  Storage.ReadPublishedProperty("Form1\\Mode", fresh, "Mode");
  EXPECT_EQ(fresh.Mode, TFanMode::fmNormal);
}

TEST_F(PublishedProperty, TypedIntegersByIdentifier) {
  Sample.Color = 0x0000FF00;
  Storage.WritePublishedProperty("Form1\\Color", Sample, "Color");
  EXPECT_EQ(Stored("Color"), (TBytes{'c', 'l', 'L', 'i', 'm', 'e', 0}));
  Sample.Color = 0x123;  // no name: a number
  Storage.WritePublishedProperty("Form1\\Color", Sample, "Color");
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "Color"), 0x123u);

  Reg.SetString(HKCU, kKey, "Color", "clPurple");
  Storage.ReadPublishedProperty("Form1\\Color", Sample, "Color");
  EXPECT_EQ(Sample.Color, 0x00800080);

  Storage.StorageOptions().SetTypedIntegerAsString(false);
  Sample.Color = 0x0000FF00;
  Storage.WritePublishedProperty("Form1\\Color", Sample, "Color");
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "Color"), 0x0000FF00u);
}

TEST_F(PublishedProperty, SubObjectsRecursively) {
  Sample.Font.Size = 11;
  Sample.Font.Name = "Arial Narrow";
  Storage.WritePublishedProperty("Form1\\Font", Sample, "Font");
  EXPECT_EQ(Reg.GetDword(HKCU, "Software\\Kelvane\\Form1\\Font", "Size"), 11u);
  TSample fresh(nullptr, &Sim.Platform());
  Storage.ReadPublishedProperty("Form1\\Font", fresh, "Font");
  EXPECT_EQ(fresh.Font.Size, 11);
  EXPECT_EQ(fresh.Font.Name, "Arial Narrow");
  Reg.Writes.clear();
  Storage.WritePublishedProperty("Form1\\Font", Sample, "Font", false);
  EXPECT_TRUE(Reg.Writes.empty()) << "without recursion nothing is written";
}

TEST_F(PublishedProperty, UnknownNamesAndUnbuiltKinds) {
  Storage.WritePublishedProperty("Form1\\Nothing", Sample, "Nothing");
  EXPECT_TRUE(Reg.Writes.empty());
  EXPECT_THROW(Storage.WritePublishedProperty("Form1\\Set", Sample, "Set"), EAppStorageError);
  EXPECT_THROW(Storage.ReadPublishedProperty("Form1\\Set", Sample, "Set"), EAppStorageError);
}

TEST_F(PublishedProperty, NamesAndValuesThroughTheEvents) {
  Storage.OnTranslatePropertyName = TTranslatePropertyNameEvent(
      [](TObject*, TObject*, bool reading, std::string& name) { name = "T_" + name; });
  EXPECT_EQ(Storage.TranslateName(&Sample, "S16", false), "T_S16");

  Storage.OnEncryptPropertyValue =
      TPropertyValueCryptEvent([](TObject*, std::string& v) { v = "<" + v + ">"; });
  Storage.OnDecryptPropertyValue =
      TPropertyValueCryptEvent([](TObject*, std::string& v) { v = v.substr(1, v.size() - 2); });
  Sample.Text = "x";
  Storage.WritePublishedProperty("Form1\\Text", Sample, "Text");
  EXPECT_EQ(Stored("Text"), (TBytes{'x', 0})) << "plain while encryption is not enabled";
  Storage.EnablePropertyValueEncryption();
  Storage.WritePublishedProperty("Form1\\Text", Sample, "Text");
  EXPECT_EQ(Stored("Text"), (TBytes{'<', 'x', '>', 0}));
  Sample.Text.clear();
  Storage.ReadPublishedProperty("Form1\\Text", Sample, "Text");
  EXPECT_EQ(Sample.Text, "x");
}
