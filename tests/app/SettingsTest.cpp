// The thresholds kept in the registry, through the whole program.
#include <gtest/gtest.h>

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

// Stored thresholds govern the boost only from the first show on.
TEST(Settings, StoredThresholdsTakeEffectAtTheFirstShow) {
  TSimProgram program;
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position", 70);
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position", 60);
  program.Sim.Chip.SetTemperatures(40, 30);
  TForm1& form = program.Start();
  program.Sim.Chip.SetTemperatures(66, 30);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x00);  // on at 65: the description's value
  EXPECT_EQ(form.udBoostOnTemp->Position(), 65);
  program.Sim.Chip.SetTemperatures(58, 30);
  form.Show();
  EXPECT_EQ(form.udBoostOnTemp->Position(), 70);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 60);
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 70);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 60);
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x14);  // 58 is not above the stored 60
}

TEST(Settings, ThresholdFarOutOfRangeIsClampedByTheControl) {
  TSimProgram program;
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, kKey, "udBoostOnTemp_Position", 70000);
  program.Sim.Registry.SetString(HKEY_CURRENT_USER, kKey, "udBoostOffTemp_Position", "60");
  TForm1& form = program.Start();
  form.Show();
  EXPECT_EQ(form.udBoostOnTemp->Position(), 85);
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
