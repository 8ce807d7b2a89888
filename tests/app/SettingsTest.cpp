// The thresholds kept in the registry, through the whole program.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "tests/support/SimFixture.h"

namespace {
const std::string kKey = "Software\\Kelvane\\Form1";

std::vector<std::string> WrittenNames(const TSimRegistry& registry) {
  std::vector<std::string> names;
  for (const auto& w : registry.Writes) names.push_back(w.Name);
  return names;
}
}  // namespace

TEST(Settings, ShowThenHideStoresThreeDwordsInOrder) {
  TSimProgram program;
  TForm1& form = program.Start();
  EXPECT_TRUE(program.Sim.Registry.Writes.empty());  // nothing is touched at start
  form.TextTrayIcon1->OnClick(form.TextTrayIcon1);
  form.TextTrayIcon1->OnClick(form.TextTrayIcon1);
  EXPECT_EQ(WrittenNames(program.Sim.Registry),
            (std::vector<std::string>{"FormVersion", "udBoostOffTemp_Position",
                                      "udBoostOnTemp_Position"}));
  EXPECT_EQ(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, "FormVersion"), 0u);
  EXPECT_EQ(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position"), 55u);
  EXPECT_EQ(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position"), 65u);
  for (const auto& w : program.Sim.Registry.Writes) EXPECT_EQ(w.Kind, REG_DWORD);
  EXPECT_EQ(program.Sim.Registry.OpenKeyCount(), 0u);
}

// Stored thresholds govern the boost from the first refresh on, before any show.
TEST(Settings, StoredThresholdsTakeEffectAtStartUp) {
  TSimProgram program;
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position", 70);
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position", 60);
  program.Sim.Chip.SetTemperatures(40, 30);
  TForm1& form = program.Start();
  EXPECT_EQ(form.udBoostOnTemp->Position(), 70);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 60);
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 70);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 60);
  program.Sim.Chip.SetTemperatures(66, 30);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x14);  // 66 is below the stored 70
  program.Sim.Chip.SetTemperatures(70, 30);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x00);
  program.Sim.Chip.SetTemperatures(61, 30);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x00);  // above the stored 60
  form.Show();                                  // the show restores the same values again
  EXPECT_EQ(form.udBoostOnTemp->Position(), 70);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 60);
  EXPECT_TRUE(program.Sim.System.Boxes.empty());
}

TEST(Settings, ThresholdFarOutOfRangeIsCutTo16Bits) {
  TSimProgram program;
  // 0x00010046: 70 once cut to the Position's 16 bits; a value clamped uncut would give 85.
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position", 65606);
  program.Sim.Registry.SetString(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position", "60");
  TForm1& form = program.Start();
  form.Show();
  EXPECT_EQ(form.udBoostOnTemp->Position(), 70);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 60);
}

TEST(Settings, UserChangesAreSavedOnHideAndRestoredOnShow) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  for (int i = 0; i < 5; ++i) program.Sim.Windows.ClickUpDown(form.udBoostOnTemp->Handle(), true);
  EXPECT_TRUE(program.Sim.Registry.Writes.empty());  // nothing while visible
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  EXPECT_EQ(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position"), 70u);
  form.udBoostOnTemp->SetPosition(40);  // as if another run had changed it: the show restores
  form.TextTrayIcon1->OnClick(form.TextTrayIcon1);
  EXPECT_EQ(form.udBoostOnTemp->Position(), 70);
}

TEST(Settings, CloseRequestSavesOnceMore) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  program.Sim.Windows.ClickUpDown(form.udBoostOffTemp->Handle(), false);
  program.Close();
  EXPECT_EQ(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position"), 54u);
  EXPECT_EQ(program.Sim.Registry.OpenKeyCount(), 0u);
}

// A write that fails is reported by the application's box; the window still hides, and the
// values written before the failing one stay.
TEST(Settings, FailingWriteIsReportedAndTheWindowStillHides) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  program.Sim.Registry.InjectFault(TRegOp::SetValue, "udBoostOnTemp_Position", ERROR_ACCESS_DENIED);
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(WrittenNames(program.Sim.Registry),
            (std::vector<std::string>{"FormVersion", "udBoostOffTemp_Position"}));
  ASSERT_EQ(program.Sim.System.Boxes.size(), 1u);
  EXPECT_EQ(program.Sim.System.Boxes[0].Caption, "Kelvane");
  EXPECT_EQ(program.Sim.System.Boxes[0].Flags, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(program.Sim.Registry.OpenKeyCount(), 0u);
}

// ---- stored thresholds at start-up --------------------------------------------------

namespace {
std::optional<std::uint32_t> Stored(const TSimProgram& program, const char* name) {
  return program.Sim.Registry.GetDword(HKEY_CURRENT_USER, kKey, name);
}
void Plant(TSimProgram& program, std::uint32_t on, std::uint32_t off, bool version = true) {
  if (version) program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "FormVersion", 0);
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position", on);
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position", off);
}
void LogOff(TSimProgram& program) {
  HWnd window = program.Form->Handle();
  EXPECT_EQ(program.Sim.Windows.SendMessage(window, WM_QUERYENDSESSION, 0, 0), 1);
  program.Sim.Windows.SendMessage(window, WM_ENDSESSION, 1, 0);
  program.RunFor(0);
  program.Free();
  program.Form = nullptr;
}
}  // namespace

// The window is never shown: the stored thresholds decide from the first refresh on, and
// with nothing stored the description's do.
TEST(Settings, StoredThresholdsGovernTheFanWithoutAShow) {
  for (bool stored : {true, false}) {
    SCOPED_TRACE(stored ? "85/84 stored" : "nothing stored");
    TSimProgram program;
    if (stored) Plant(program, 85, 84);
    program.Sim.Chip.SetTemperatures(70, 30);
    TForm1& form = program.Start();
    program.RunFor(60000);
    std::vector<std::uint8_t> writes = program.FanWrites();
    ASSERT_EQ(writes.size(), 13u);
    for (std::uint8_t w : writes) EXPECT_EQ(w, stored ? 0x14 : 0x00);
    EXPECT_EQ(form.cbBoosted->Checked(), !stored);
    EXPECT_EQ(form.dgBoostOnTemp->Value(), stored ? 85 : 65);
    EXPECT_EQ(form.dgBoostOffTemp->Value(), stored ? 84 : 55);
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(program.Sim.Registry.Writes.empty());
  }
}

TEST(Settings, FailingReadAtStartUpIsReportedAndTheDefaultsGovern) {
  TSimProgram program;
  Plant(program, 85, 84);
  program.Sim.Chip.SetTemperatures(70, 30);
  // The version's read opens the key and fails.
  program.Sim.Registry.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED);
  TForm1& form = program.Start();
  ASSERT_EQ(program.Sim.System.Boxes.size(), 1u);
  EXPECT_EQ(program.Sim.System.Boxes[0].Text,
            "Unable to open key \"Software\\Kelvane\\Form1\" for read.");
  EXPECT_EQ(program.Sim.System.Boxes[0].Caption, "Kelvane");
  EXPECT_EQ(program.Sim.System.Boxes[0].Flags, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(form.udBoostOnTemp->Position(), 65);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 55);
  EXPECT_EQ(program.FanWrites(), (std::vector<std::uint8_t>{0x00}));  // 70 is above 55
  form.Show();                                                        // the next read works
  EXPECT_EQ(form.udBoostOnTemp->Position(), 85);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 84);
}

// ---- no default over a stored threshold ---------------------------------------------

// Every way found for the window's values to reach the registry while they are not the
// stored ones; each must leave the stored thresholds as they are.
TEST(Settings, NoDefaultOverwritesAStoredThreshold) {
  struct TWay {
    const char* Name;
    std::function<void(TSimProgram&)> Run;
    std::uint32_t On = 70;  // what must be stored at the end
  };
  auto failStartUp = [](TSimProgram& p) {
    p.Sim.Registry.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED);
  };
  auto failingShow = [](TSimProgram& p) {
    p.Sim.Registry.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED, 2);
    p.Form->TextTrayIcon1->OnClick(p.Form->TextTrayIcon1);
    EXPECT_TRUE(p.Form->Visible());
  };
  const std::vector<TWay> ways = {
      {"stored without a version, log-off before any show",
       [](TSimProgram& p) {
         Plant(p, 70, 60, false);
         p.Start();
         LogOff(p);
       }},
      {"stored without a version, close request before any show",
       [](TSimProgram& p) {
         Plant(p, 70, 60, false);
         p.Start();
         p.Close();
       }},
      {"failed read at start-up, log-off",
       [&](TSimProgram& p) {
         Plant(p, 70, 60);
         failStartUp(p);
         p.Start();
         LogOff(p);
       }},
      {"key that will not open at start-up, close request",
       [](TSimProgram& p) {
         Plant(p, 70, 60);
         p.Sim.Registry.InjectFault(TRegOp::OpenKeyEx, kKey, ERROR_ACCESS_DENIED, -1);
         p.Start();
         p.Sim.Registry.ClearFaults();
         p.Close();
       }},
      {"failed reads at start-up and at a show, then a close request",
       [&](TSimProgram& p) {
         Plant(p, 70, 60);
         failStartUp(p);
         p.Start();
         failingShow(p);
         p.Close();
       }},
      {"failed reads at start-up and at a show, then Hide",
       [&](TSimProgram& p) {
         Plant(p, 70, 60);
         failStartUp(p);
         p.Start();
         failingShow(p);
         p.Sim.Windows.ClickButton(p.Form->Button1->Handle());
         EXPECT_EQ(Stored(p, "FormVersion"), 0u);
       }},
      {"failed reads at start-up and at a show, the window destroyed while visible",
       [&](TSimProgram& p) {
         Plant(p, 70, 60);
         failStartUp(p);
         p.Start();
         failingShow(p);
         p.Free();
       }},
      {"changed by another program, then a failing show and a close request",
       [&](TSimProgram& p) {
         Plant(p, 70, 60);
         p.Start();
         Plant(p, 75, 60);
         failingShow(p);
         p.Close();
       },
       75},
  };
  for (const TWay& way : ways) {
    SCOPED_TRACE(way.Name);
    TSimProgram program;
    way.Run(program);
    EXPECT_EQ(Stored(program, "udBoostOnTemp_Position"), way.On);
    EXPECT_EQ(Stored(program, "udBoostOffTemp_Position"), 60u);
    EXPECT_EQ(program.Sim.Registry.OpenKeyCount(), 0u);
  }
}

// After a failed read the user's own setting is saved, and only it.
TEST(Settings, ThresholdSetByTheUserAfterAFailedReadIsSaved) {
  TSimProgram program;
  Plant(program, 70, 60);
  program.Sim.Registry.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED, 3);
  TForm1& form = program.Start();
  form.Show();
  EXPECT_EQ(program.Sim.System.Boxes.size(), 3u);
  program.Sim.Windows.ClickUpDown(form.udBoostOnTemp->Handle(), true);  // 65 -> 66
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  EXPECT_EQ(WrittenNames(program.Sim.Registry),
            (std::vector<std::string>{"FormVersion", "udBoostOnTemp_Position"}));
  EXPECT_EQ(Stored(program, "udBoostOnTemp_Position"), 66u);
  EXPECT_EQ(Stored(program, "udBoostOffTemp_Position"), 60u);
  // A later read that works puts the off-threshold back in the saves.
  form.Show();
  EXPECT_EQ(form.udBoostOffTemp->Position(), 60);
  program.Sim.Registry.Writes.clear();
  program.Close();
  EXPECT_EQ(WrittenNames(program.Sim.Registry),
            (std::vector<std::string>{"FormVersion", "udBoostOffTemp_Position",
                                      "udBoostOnTemp_Position"}));
}

// ---- empty stored values ---------------------------------------------------------------

struct TEmptyValue {
  std::uint32_t Kind;
  const char* Name;
};

class EmptyStoredValue : public ::testing::TestWithParam<TEmptyValue> {};

// A value without bytes is unusable: the description's threshold stays, nothing is reported,
// and the first hide writes what the window shows over it.
TEST_P(EmptyStoredValue, LeavesTheDefault) {
  TSimProgram program;
  program.Sim.Registry.SetValue(HKEY_CURRENT_USER, kKey, GetParam().Name, GetParam().Kind, {});
  // Between the defaults: read as 0, an empty value would have switched the boost.
  program.Sim.Chip.SetTemperatures(50, 30);
  TForm1& form = program.Start();
  program.RunFor(10000);
  EXPECT_EQ(program.FanWrites(), (std::vector<std::uint8_t>{0x14, 0x14, 0x14}));
  EXPECT_EQ(form.udBoostOnTemp->Position(), 65);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 55);
  form.Show();
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 65);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 55);
  EXPECT_TRUE(program.Sim.System.Boxes.empty());
  form.Hide();
  EXPECT_EQ(Stored(program, "udBoostOnTemp_Position"), 65u);
  EXPECT_EQ(Stored(program, "udBoostOffTemp_Position"), 55u);
}

INSTANTIATE_TEST_SUITE_P(KindsAndThresholds, EmptyStoredValue,
                         ::testing::Values(TEmptyValue{REG_DWORD, "udBoostOnTemp_Position"},
                                           TEmptyValue{REG_QWORD, "udBoostOnTemp_Position"},
                                           TEmptyValue{REG_BINARY, "udBoostOnTemp_Position"},
                                           TEmptyValue{REG_DWORD, "udBoostOffTemp_Position"},
                                           TEmptyValue{REG_QWORD, "udBoostOffTemp_Position"},
                                           TEmptyValue{REG_BINARY, "udBoostOffTemp_Position"}));
