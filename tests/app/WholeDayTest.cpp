// A whole day of virtual time with the demo's thermal model.
#include <gtest/gtest.h>

#include "tests/support/SimFixture.h"

namespace {
// The hysteresis of the thresholds the window starts with, 65 and 55, by hand: what a reading
// leaves the fan as ('B' boosted, 'n' normal, '=' as it was).
struct TBand {
  int From, To;
  char Leaves;
};
constexpr TBand kBands[] = {{0, 55, 'n'}, {56, 64, '='}, {65, 255, 'B'}};

char Hysteresis(int cpu) {
  for (const TBand& band : kBands)
    if (band.From <= cpu && cpu <= band.To) return band.Leaves;
  return '?';
}
}  // namespace

TEST(WholeDay, BoostFollowsTheThresholdsEveryFiveSecondsWithoutGrowth) {
  TSimProgram program;
  program.Sim.Chip.UseThermalModel(57, 33);
  TForm1& form = program.Start();
  form.Show();
  auto handles = [&] {
    return program.Sim.System.OpenHandleCount() + program.Sim.Windows.WindowCount() +
           program.Sim.Windows.TimerCount() + program.Sim.Gdi.OpenCount();
  };
  program.RunFor(5000);  // the first paint makes the widgets' buffers, which they keep
  const std::size_t startHandles = handles();
  const std::uint64_t start = program.Sim.Clock.Now();
  program.Sim.Chip.ClearLog();

  bool boosted = form.Boosted();
  int switches = 0;
  const int refreshes = 24 * 60 * 60 / 5;
  for (int i = 0; i < refreshes; ++i) {
    program.RunFor(5000);
    ASSERT_EQ(program.Sim.Clock.Now(), start + 5000ull * static_cast<std::uint64_t>(i + 1));
    const auto& log = program.Sim.Chip.Log();
    // Exactly one refresh per tick: eleven accesses ending with the fan write.
    ASSERT_EQ(log.size(), 11u);
    ASSERT_EQ(log.back().Port, TSimChip::FanPort);
    const int cpu = log[3].Value;
    const char leaves = Hysteresis(cpu);
    const bool expected = leaves == '=' ? boosted : leaves == 'B';
    ASSERT_EQ(log.back().Value, expected ? 0x00 : 0x14) << "refresh " << i << " at " << cpu;
    if (expected != boosted) ++switches;
    boosted = expected;
    ASSERT_EQ(form.cbBoosted->Checked(), boosted);
    ASSERT_EQ(handles(), startHandles);
    program.Sim.Chip.ClearLog();
  }
  // The model swings between the thresholds: on at 65, off at 55, many times a day.
  EXPECT_GT(switches, 100);
}
