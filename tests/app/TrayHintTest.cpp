// The tray entry's hint: the readings in words, and why the chip was not read; and the whole
// program keeping it in step with the window in one shell request per refresh.
#include <gtest/gtest.h>

#include "app/TrayHint.h"
#include "framework/Strings.h"
#include "hw/BusLock.h"
#include "tests/support/SimFixture.h"

TEST(TrayHint, LinesByReadingFanLineAndFault) {
  struct TCase {
    TTrayReadings Readings;
    const char* Hint;
  };
  const TCase cases[] = {
      {{47, 35, TFanLine::Normal, TReadingFault::None},
       "CPU: 47\xC2\xB0\nMotherboard: 35\xC2\xB0\nFan boost: off"},
      {{7, 100, TFanLine::Boosted, TReadingFault::None},
       "CPU: 7\xC2\xB0\nMotherboard: 100\xC2\xB0\nFan boost: on"},
      {{{}, {}, TFanLine::Unknown, TReadingFault::PortsRefused},
       "CPU: no reading\nMotherboard: no reading\nFan boost: unknown\n"
       "Ports refused: giveio not running (run as administrator)"},
      {{50, {}, TFanLine::Unknown, TReadingFault::Wow64},
       "CPU: 50\xC2\xB0\nMotherboard: no reading\nFan boost: unknown\n"
       "No readings on 64-bit Windows: use the 64-bit Kelvane"},
      {{50, 30, TFanLine::BoostedBlind, TReadingFault::BusHeld},
       "CPU: 50\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: on (no reading)\n"
       "No readings: the sensor bus is held by another monitor"},
      {{50, 30, TFanLine::BoostedBlind, TReadingFault::BusNameTaken},
       "CPU: 50\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: on (no reading)\n"
       "No readings: another object has the bus lock's name"},
      {{{}, {}, TFanLine::BoostedBlind, TReadingFault::BusLockFailed},
       "CPU: no reading\nMotherboard: no reading\nFan boost: on (no reading)\n"
       "No readings: the sensor bus lock cannot be opened"},
      {{{}, {}, TFanLine::Unknown, TReadingFault::DriverUnprotected},
       "CPU: no reading\nMotherboard: no reading\nFan boost: unknown\n"
       "Other users can replace giveio.sys: use Kelvane's setup"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TrayHint(c.Readings), c.Hint);
  // The longest hint there can be still fits the entry's tip whole.
  for (int f = 1; f <= static_cast<int>(TReadingFault::Last); ++f) {
    auto fault = static_cast<TReadingFault>(f);
    EXPECT_LE(Utf16FromUtf8(TrayHint({255, 255, TFanLine::BoostedBlind, fault})).size(), 127u);
    EXPECT_LE(Utf16FromUtf8(TrayHint({{}, {}, TFanLine::BoostedBlind, fault})).size(), 127u);
  }
}

// The hint follows the window: readings, the boost, the fault line that comes and goes; every
// refresh is one request to the shell.
TEST(TrayHint, TheProgramSaysWhatItReadsAndWhyNot) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(70, 40);
  program.Start();
  EXPECT_EQ(program.EntryTip(), "CPU: 70\xC2\xB0\nMotherboard: 40\xC2\xB0\nFan boost: on");

  program.Sim.System.HoldMutex(kBusMutexName);
  std::size_t before = program.Sim.Shell.Requests.size();
  program.RunFor(5000);
  EXPECT_EQ(program.Sim.Shell.Requests.size(), before + 1);
  EXPECT_EQ(program.EntryTip(),
            "CPU: 70\xC2\xB0\nMotherboard: 40\xC2\xB0\nFan boost: on\n"
            "No readings: the sensor bus is held by another monitor");
  program.Sim.System.ReleaseHeldMutex(kBusMutexName);

  program.Sim.Chip.SetTemperatures(50, 41);
  program.Sim.System.PortsGranted = false;  // the driver stopped: every access is refused
  program.Sim.System.DriverLoads = false;
  program.RunFor(5000);
  EXPECT_EQ(program.EntryTip(),
            "CPU: 70\xC2\xB0\nMotherboard: 40\xC2\xB0\nFan boost: on\n"
            "Ports refused: giveio not running (run as administrator)");

  program.Sim.System.DriverLoads = true;  // the next recovery starts it again
  program.RunFor(5000);
  EXPECT_EQ(program.EntryTip(), "CPU: 50\xC2\xB0\nMotherboard: 41\xC2\xB0\nFan boost: off");
}

// On 64-bit Windows: nothing is registered, shown or waited for; the hint says why there
// are no readings; the readings are still tried each refresh.
TEST(TrayHint, SixtyFourBitWindowsIsNamedAndNeverWaitedFor) {
  TSimProgram program;
  program.Sim.System.Wow64 = true;
  program.Sim.System.RemoveFile(program.DriverPath());
  program.Start();
  program.Sim.Chip.ClearLog();
  program.RunFor(60000);
  EXPECT_EQ(program.Sim.Clock.Now(), 60000u);  // no recovery pause
  EXPECT_TRUE(program.Sim.System.Boxes.empty());
  EXPECT_TRUE(program.Sim.System.Services.empty());
  EXPECT_EQ(program.Sim.Chip.Log().size(), 24u);  // per refresh: the first read and the fan
  EXPECT_EQ(program.EntryTip(),
            "CPU: no reading\nMotherboard: no reading\nFan boost: unknown\n"
            "No readings on 64-bit Windows: use the 64-bit Kelvane");
}

// A busy shell that times out a change keeps the entry and refuses the add that follows: a
// change after the refused add brings the picture back in step by the next refresh.
TEST(TrayHint, AChangeTimedOutByABusyShellIsMadeGoodAtTheNextRefresh) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(50, 30);
  TForm1& form = program.Start();
  program.Sim.Shell.TimeOutModifies = 1;
  program.Sim.Chip.SetTemperatures(51, 30);
  program.RunFor(5000);
  EXPECT_EQ(program.EntryTip().substr(0, 9), "CPU: 50\xC2\xB0");  // the shell kept the old one
  program.Sim.Chip.SetTemperatures(52, 30);
  std::size_t before = program.Sim.Shell.Requests.size();
  program.RunFor(5000);
  const auto& requests = program.Sim.Shell.Requests;
  ASSERT_EQ(requests.size(), before + 3);
  EXPECT_EQ(requests[before].Message, NIM_ADD);
  EXPECT_FALSE(requests[before].Accepted);
  EXPECT_EQ(requests[before + 1].Message, NIM_MODIFY);
  EXPECT_TRUE(requests[before + 1].Accepted);
  EXPECT_EQ(requests[before + 2].Message, NIM_SETVERSION);  // the shell may have it at 0
  EXPECT_EQ(program.EntryTip().substr(0, 9), "CPU: 52\xC2\xB0");
  EXPECT_EQ(static_cast<HIcon>(program.Sim.Shell.Entries.begin()->second.hIcon),
            form.TextTrayIcon1->Icon()->Handle());
  before = requests.size();
  program.RunFor(5000);  // and from then on, one change per refresh
  ASSERT_EQ(requests.size(), before + 1);
  EXPECT_EQ(requests.back().Message, NIM_MODIFY);
}
