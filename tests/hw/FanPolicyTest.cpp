// The boost decision and the fan line, without the rest of the program.
#include <gtest/gtest.h>

#include "hw/FanLine.h"
#include "hw/FanPolicy.h"
#include "hw/SensorChip.h"
#include "platform/sim/SimPlatform.h"

namespace {
struct TDecision {
  bool Boosted;
  double Cpu;
  std::int16_t On;
  std::int16_t Off;
  bool Expected;
};

const TDecision kDecisions[] = {
    // Normal: the on-threshold decides, and reaching it is enough.
    {false, 64, 65, 55, false},
    {false, 65, 65, 55, true},
    {false, 64.999, 65, 55, false},
    {false, 56, 65, 55, false},
    {false, 0, 65, 55, false},
    {false, 255, 65, 55, true},
    // Boosted: the off-threshold decides, and reaching it switches off.
    {true, 56, 65, 55, true},
    {true, 55, 65, 55, false},
    {true, 55.001, 65, 55, true},
    {true, 64, 65, 55, true},
    {true, 0, 65, 55, false},
    // Between the thresholds the state holds, whichever it is.
    {false, 60, 65, 55, false},
    {true, 60, 65, 55, true},
    // The thresholds as the user set them; the off one always below the on one.
    {false, 30, 30, 29, true},
    {true, 29, 30, 29, false},
    {false, 85, 85, 84, true},
    {true, 20, 20, 19, true},
    // Signed positions (a restore outside the range) still compare as numbers.
    {false, 0, -1, -2, true},
    {true, 0, 20, -1, true},
};
}  // namespace

TEST(FanPolicy, DecisionTable) {
  for (const TDecision& d : kDecisions)
    EXPECT_EQ(DecideBoost(d.Boosted, d.Cpu, d.On, d.Off), d.Expected)
        << (d.Boosted ? "boosted" : "normal") << " at " << d.Cpu << " (on " << d.On << ", off "
        << d.Off << ")";
}

// Refresh by refresh: a reading ('-' none) and the state each decision leaves the line in
// ('B' boosted by the thresholds, 'b' boosted for want of a reading, 'n' normal); on 65, off 55.
TEST(FanPolicy, WithoutReadingsTheLineHoldsThenBoosts) {
  struct TRun {
    std::vector<int> Readings;  // -1: no reading
    const char* States;
  };
  const TRun runs[] = {
      {{-1, -1, 40}, "bbn"},                      // before the first reading: boosted
      {{40, -1, -1, -1, -1}, "nnnbb"},            // the third refresh in a row without one
      {{40, -1, -1, 40, -1, -1, 70}, "nnnnnnB"},  // a reading starts the count again
      {{70, -1, -1, -1, 50}, "BBBbn"},            // the next reading decides again
      {{60, 60, -1, 60}, "BBBB"},                 // between the thresholds the state holds
  };
  for (const TRun& run : runs) {
    TFanPolicy policy;
    bool boosted = true;
    std::string states;
    for (int reading : run.Readings) {
      boosted =
          policy.Decide(boosted, reading < 0 ? std::nullopt : std::optional<int>(reading), 65, 55);
      states += !boosted ? 'n' : policy.Blind() ? 'b' : 'B';
    }
    EXPECT_EQ(states, run.States) << "run ending " << run.Readings.back();
  }
}

TEST(FanLine, WritesOnlyTheTwoWholeBytes) {
  TSimPlatform sim;
  sim.System.PortsGranted = true;
  WriteFanLine(sim.Chip, true);
  WriteFanLine(sim.Chip, false);
  WriteFanLine(sim.Chip, false);
  const std::vector<TPortAccess> expected = {
      {0x3F2, true, 0x00}, {0x3F2, true, 0x14}, {0x3F2, true, 0x14}};
  EXPECT_EQ(sim.Chip.Log(), expected);
}

TEST(SensorChip, MotherboardReadOnItsOwnSelectsOnlyItsRegister) {
  TSimPlatform sim;
  sim.System.PortsGranted = true;
  sim.Chip.SetTemperatures(0xFF, 0x00);
  EXPECT_EQ(ReadMotherboardTemp(sim.Chip), 0);
  EXPECT_EQ(ReadCPUTemp(sim.Chip), 255);
  const std::vector<TPortAccess> expected = {{0x295, true, 0x67}, {0x296, false, 0x00},
                                             {0x295, true, 0x4E}, {0x296, true, 0x01},
                                             {0x295, true, 0x50}, {0x296, false, 0xFF}};
  EXPECT_EQ(sim.Chip.Log(), expected);
}
