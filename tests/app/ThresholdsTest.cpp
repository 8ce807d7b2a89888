// Showing, hiding and the two thresholds kept in order.
#include <gtest/gtest.h>

#include "tests/support/SimFixture.h"

namespace {
void PressArrow(TSimProgram& program, TUpDown* upDown, bool up, int times = 1) {
  for (int i = 0; i < times; ++i) program.Sim.Windows.ClickUpDown(upDown->Handle(), up);
}
}  // namespace

TEST(Thresholds, StartHiddenWithTheDescriptionValues) {
  TSimProgram program;
  TForm1& form = program.Start();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(program.Sim.Windows.IsWindowVisible(form.Handle()));
  EXPECT_EQ(form.udBoostOnTemp->Position(), 65);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 55);
  // Synchronised by the start-up's restore, as a show does.
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 65);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 55);
}

TEST(Thresholds, ShowSynchronisesTheWidgets) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.TextTrayIcon1->OnClick(form.TextTrayIcon1);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(program.Sim.Windows.GetForegroundWindow(), form.Handle());
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 65);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 55);
  form.TextTrayIcon1->OnClick(form.TextTrayIcon1);
  EXPECT_FALSE(form.Visible());
}

TEST(Thresholds, LoweringOnPushesOffBelowIt) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  PressArrow(program, form.udBoostOnTemp, false, 35);  // 65 -> 30
  EXPECT_EQ(form.udBoostOnTemp->Position(), 30);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 29);
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 30);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 29);
}

TEST(Thresholds, RaisingOffToOnIsSetBack) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  PressArrow(program, form.udBoostOffTemp, true, 10);  // 55 -> 65 = on
  EXPECT_EQ(form.udBoostOffTemp->Position(), 64);
  EXPECT_EQ(form.dgBoostOffTemp->Value(), 64);
}

TEST(Thresholds, UpDownsStayWithinTheirRanges) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  PressArrow(program, form.udBoostOnTemp, true, 40);
  EXPECT_EQ(form.udBoostOnTemp->Position(), 85);
  PressArrow(program, form.udBoostOnTemp, false, 100);
  EXPECT_EQ(form.udBoostOnTemp->Position(), 20);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 19);
  PressArrow(program, form.udBoostOffTemp, false, 5);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 19);
  form.udBoostOnTemp->SetPosition(200);
  EXPECT_EQ(form.udBoostOnTemp->Position(), 85);
  form.udBoostOffTemp->SetPosition(-5);
  EXPECT_EQ(form.udBoostOffTemp->Position(), 19);
}

TEST(Thresholds, NewThresholdsGovernTheNextRefresh) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(40, 30);
  TForm1& form = program.Start();
  form.Show();
  PressArrow(program, form.udBoostOnTemp, false, 25);  // on 40, off pushed to 39
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().back(), 0x00);
  EXPECT_TRUE(form.cbBoosted->Checked());
}

TEST(Thresholds, EnterPressesHide) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Show();
  program.Sim.Windows.PressKey(form.Handle(), VK_RETURN);
  program.RunFor(0);
  EXPECT_FALSE(form.Visible());
}

TEST(Lifecycle, CloseRequestEndsTheLoopAndLeavesTheFanAsItWas) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(70, 30);
  program.Start();
  program.RunFor(10000);
  std::size_t writes = program.FanWrites().size();
  program.Sim.Windows.PostMessage(program.Form->Handle(), WM_CLOSE, 0, 0);
  program.RunFor(20000);
  EXPECT_TRUE(program.Sim.Windows.QuitReceived());
  program.Free();
  EXPECT_EQ(program.FanWrites().size(), writes);
  EXPECT_EQ(program.Sim.Chip.FanLine(), 0x00);
  EXPECT_EQ(program.Sim.Windows.WindowCount(), 0u);
  EXPECT_EQ(program.Sim.Windows.TimerCount(), 0u);
  EXPECT_TRUE(program.Sim.System.Services.count("giveio"));  // stays registered
}

TEST(Lifecycle, EndOfSessionAsksTheWindowAndEndsTheLoop) {
  TSimProgram program;
  TForm1& form = program.Start();
  bool asked = false;
  form.OnCloseQuery = TCloseQueryEvent([&](TObject*, bool&) { asked = true; });
  EXPECT_EQ(program.Sim.Windows.SendMessage(form.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  program.Sim.Windows.SendMessage(form.Handle(), WM_ENDSESSION, 1, 0);
  program.RunFor(1000);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(program.Sim.Windows.QuitReceived());
}
