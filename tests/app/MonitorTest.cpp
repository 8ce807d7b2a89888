// The monitor driven as a whole program on the simulated machine: refreshes, the boost
// hysteresis, the port protocol, recovery from refused ports and the thresholds.
#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "tests/support/SimFixture.h"

namespace {
constexpr std::uint8_t kBoosted = 0x00;
constexpr std::uint8_t kNormal = 0x14;

std::vector<TPortAccess> RefreshAccesses(std::uint8_t t1, std::uint8_t t2, std::uint8_t t3,
                                         std::uint8_t fan) {
  return {{0x295, true, 0x4E}, {0x296, true, 0x01}, {0x295, true, 0x50}, {0x296, false, t1},
          {0x295, true, 0x4E}, {0x296, true, 0x01}, {0x295, true, 0x50}, {0x296, false, t2},
          {0x295, true, 0x67}, {0x296, false, t3},  {0x3F2, true, fan}};
}
}  // namespace

TEST(Monitor, FirstRefreshMakesTheElevenAccessesInOrder) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(45, 30);
  program.Sim.Chip.ScriptCpuReads({44, 46});
  TForm1& form = program.Start();
  EXPECT_EQ(program.Sim.Chip.Log(), RefreshAccesses(44, 46, 30, kNormal));
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 44);
  EXPECT_EQ(form.TextTrayIcon1->Text(), "46\xC2\xB0");  // the second, separate reading
  EXPECT_EQ(form.dgCurrentMotherboardTemp->Value(), 30);
  EXPECT_EQ(program.Sim.Chip.Register(0x4E), 0x01);
}

TEST(Monitor, FirstDecisionIsTakenInTheBoostedRow) {
  for (auto [reading, fan] : {std::pair{56, kBoosted}, {55, kNormal}}) {
    TSimProgram program;
    program.Sim.Chip.SetTemperatures(static_cast<std::uint8_t>(reading), 30);
    TForm1& form = program.Start();
    EXPECT_EQ(program.FanWrites(), std::vector<std::uint8_t>{fan}) << reading;
    EXPECT_EQ(form.cbBoosted->Checked(), fan == kBoosted) << reading;
  }
}

TEST(Monitor, HysteresisSwitchesExactlyAtTheThresholds) {
  // Temperatures of successive refreshes and the fan byte each must write.
  struct TStep {
    std::uint8_t Cpu;
    std::uint8_t Fan;
  };
  const std::vector<TStep> steps = {
      {50, kNormal},   {64, kNormal}, {65, kBoosted},  {64, kBoosted}, {56, kBoosted},
      {55, kNormal},   {56, kNormal}, {60, kNormal},   {64, kNormal},  {85, kBoosted},
      {200, kBoosted}, {0, kNormal},  {255, kBoosted}, {54, kNormal},
  };
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(steps[0].Cpu, 30);
  TForm1& form = program.Start();
  for (std::size_t i = 1; i < steps.size(); ++i) {
    program.Sim.Chip.SetTemperatures(steps[i].Cpu, 30);
    program.RunFor(5000);
  }
  std::vector<std::uint8_t> expected;
  for (const TStep& s : steps) expected.push_back(s.Fan);
  EXPECT_EQ(program.FanWrites(), expected);
  EXPECT_EQ(form.cbBoosted->Checked(), false);
  EXPECT_EQ(program.Sim.Clock.Now(), 5000u * (steps.size() - 1));
}

TEST(Monitor, FanPortIsWrittenOnEveryTickWithOnlyTheTwoValues) {
  TSimProgram program;
  program.Sim.Chip.UseThermalModel(50, 30);
  program.Start();
  program.RunFor(60 * 60 * 1000);
  std::vector<std::uint8_t> writes = program.FanWrites();
  EXPECT_EQ(writes.size(), 1u + 720u);
  for (std::uint8_t w : writes) EXPECT_TRUE(w == kBoosted || w == kNormal);
  // The model warms with the fan normal and cools it boosted: the boost must have cycled.
  EXPECT_GT(std::count(writes.begin(), writes.end(), kBoosted), 10);
  EXPECT_GT(std::count(writes.begin(), writes.end(), kNormal), 10);
}

TEST(Monitor, TrayTextIsTheReadingAndTheDegreeSign) {
  for (auto [reading, text] : {std::pair<int, const char*>{7, "7\xC2\xB0"},
                               {47, "47\xC2\xB0"},
                               {100, "100\xC2\xB0"},
                               {0, "0\xC2\xB0"},
                               {255, "255\xC2\xB0"}}) {
    TSimProgram program;
    program.Sim.Chip.SetTemperatures(static_cast<std::uint8_t>(reading), 30);
    TForm1& form = program.Start();
    EXPECT_EQ(form.TextTrayIcon1->Text(), text);
  }
}

// A fault at each access of a refresh: what was updated before it stays, what came after is
// left out, port access is enabled again (the driver runs: its device is opened, and no
// second is waited), and the fan is still written.
TEST(Monitor, FaultAtEachAccessOfARefresh) {
  for (int failing = 1; failing <= 11; ++failing) {
    SCOPED_TRACE(failing);
    TSimProgram program;
    program.Sim.Chip.SetTemperatures(40, 30);
    TForm1& form = program.Start();  // first refresh: 40, normal
    program.Sim.Chip.ClearLog();
    program.Sim.System.Calls.clear();
    program.Sim.Chip.SetTemperatures(70, 35);
    program.Sim.Chip.FailAccess(static_cast<std::uint64_t>(failing));
    program.RunFor(5000);

    const auto& log = program.Sim.Chip.Log();
    bool sensorFault = failing <= 10;
    // Accesses up to the fault, then (for a sensor fault) the fan write after recovery.
    ASSERT_EQ(log.size(), sensorFault ? static_cast<std::size_t>(failing) + 1 : 11u);
    EXPECT_TRUE(log[static_cast<std::size_t>(failing) - 1].Faulted);
    EXPECT_EQ(log.back().Port, 0x3F2);
    // The bus lock is given back before the recovery: the enablement runs without it.
    const std::vector<std::string> lockThenRecovery = {
        "WaitForSingleObject(250)", "ReleaseMutex", "CreateFile(\\\\.\\giveio,2147745792,0,3,128)"};
    const auto& calls = program.Sim.System.Calls;
    ASSERT_GE(calls.size(), lockThenRecovery.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3), lockThenRecovery);
    EXPECT_FALSE(program.Sim.System.MutexOwned("Global\\Access_ISABUS.HTP.Method"));
    EXPECT_EQ(program.Sim.Clock.Now(), 5000u);

    double cpu = failing > 4 ? 70 : 40;
    EXPECT_EQ(form.dgCurrentCPUTemp->Value(), cpu);
    EXPECT_EQ(form.TextTrayIcon1->Text(), failing > 8 ? "70\xC2\xB0" : "40\xC2\xB0");
    EXPECT_EQ(form.dgCurrentMotherboardTemp->Value(), failing > 10 ? 35 : 30);
    if (failing == 11) {
      // The fan write failed: the state and the lamp keep their values.
      EXPECT_FALSE(form.Boosted());
      EXPECT_FALSE(form.cbBoosted->Checked());
    } else {
      EXPECT_EQ(log.back().Value, cpu >= 65 ? kBoosted : kNormal);
      EXPECT_EQ(form.Boosted(), cpu >= 65);
    }
  }
}

TEST(Monitor, EveryAccessRefusedKeepsTheStartValues) {
  TSimProgram program;
  program.Sim.System.DriverLoads = false;  // the driver never opens the ports
  TForm1& form = program.Start();
  EXPECT_EQ(form.TextTrayIcon1->Text(), "00\xC2\xB0");
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 0);
  EXPECT_TRUE(form.Boosted());
  EXPECT_FALSE(form.cbBoosted->Checked());
  // The readings and the fan write were refused: one recovery, and no pause, since it
  // started nothing that a second could help.
  EXPECT_EQ(program.Sim.Clock.Now(), 0u);
  program.RunFor(60000);
  EXPECT_EQ(form.TextTrayIcon1->Text(), "00\xC2\xB0");
  EXPECT_TRUE(form.Boosted());
  EXPECT_TRUE(program.FanWrites().empty());
  // The bus lock's and the controller's two, kept for the program's life.
  EXPECT_EQ(program.Sim.System.OpenHandleCount(), 3u);
  EXPECT_TRUE(program.Sim.System.Boxes.empty());  // the driver file is there
}

// Said once, at start-up, in Unicode; the refused accesses after it recover in silence.
TEST(Monitor, MissingDriverBoxIsShownOnceAtStart) {
  TSimProgram program;
  program.Sim.System.RemoveFile(program.DriverPath());
  program.Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    return TSimSystem::TAnswer{IDOK, 12000};  // the user takes 12 s to answer
  };
  TForm1& form = program.Start();
  ASSERT_EQ(program.Sim.System.Boxes.size(), 1u);
  const auto& box = program.Sim.System.Boxes[0];
  EXPECT_TRUE(box.Unicode);
  EXPECT_EQ(box.Text, "Драйвер giveio.sys не найден.");
  EXPECT_FALSE(box.Caption.has_value());
  EXPECT_EQ(box.Flags, MB_OK);
  EXPECT_EQ(box.Owner, HWnd::None);
  // The ticks that fell due inside the box started no refresh: only the start-up's one ran,
  // after it, with one attempt at the fan.
  EXPECT_EQ(program.Sim.Clock.Now(), 12000u);
  program.RunFor(60000);
  EXPECT_EQ(program.Sim.System.Boxes.size(), 1u);
  EXPECT_EQ(program.Sim.Clock.Now(), 72000u);
  EXPECT_NE(form.TextTrayIcon1->Hint().find("giveio not running"), std::string::npos);
}

TEST(Monitor, ExceptionInAHandlerIsReportedAndTheLoopGoesOn) {
  TSimProgram program;
  TForm1& form = program.Start();
  form.Button1->OnClick = TNotifyEvent([](TObject*) { throw Exception("Bad thing"); });
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  form.Button1->OnClick = TNotifyEvent([](TObject*) { throw Exception("Ends with a dot."); });
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  form.Button1->OnClick = TNotifyEvent([](TObject*) { throw Exception(""); });
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  ASSERT_EQ(program.Sim.System.Boxes.size(), 3u);
  EXPECT_EQ(program.Sim.System.Boxes[0].Text, "Bad thing.");
  EXPECT_EQ(program.Sim.System.Boxes[1].Text, "Ends with a dot.");
  EXPECT_EQ(program.Sim.System.Boxes[2].Text, "");
  EXPECT_EQ(program.Sim.System.Boxes[0].Caption, "Kelvane");
  EXPECT_EQ(program.Sim.System.Boxes[0].Flags, MB_OK | MB_ICONSTOP);
  std::size_t before = program.FanWrites().size();
  program.RunFor(5000);
  EXPECT_EQ(program.FanWrites().size(), before + 1);
}

TEST(Monitor, ExceptionReportTextAddsADotOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(ExceptionReportText("a"), "a.");
  EXPECT_EQ(ExceptionReportText("a."), "a.");
  EXPECT_EQ(ExceptionReportText("a!"), "a!");  // '!' sorts before '.'
  EXPECT_EQ(ExceptionReportText("a-"), "a-");
  EXPECT_EQ(ExceptionReportText("a/"), "a/.");
  EXPECT_EQ(ExceptionReportText("\xED"), "\xED.");
  EXPECT_EQ(ExceptionReportText(""), "");
}

// Two programs one after the other in one process: the first enables the driver on the NT
// family, the second runs on the 9x family and must not find the first one's driver name.
TEST(Monitor, DriverNameOfOneProgramDoesNotReachTheNext) {
  {
    TSimProgram first;
    first.Start();
    EXPECT_EQ(first.GiveIo().DriverName(), "giveio");
    first.Close();
  }
  TSimProgram second;
  second.Sim.System.Selector = 0x0137;
  second.Start();
  EXPECT_EQ(second.GiveIo().DriverName(), "");
  const auto& calls = second.Sim.System.Calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "OpenSCManager(2)"), 0);
}
