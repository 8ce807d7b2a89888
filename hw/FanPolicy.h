#pragma once
// The boost decision: hysteresis between the two thresholds. Boost switches on when the
// processor reaches the on-threshold and off when it falls to the off-threshold or below.
#include <cstdint>
#include <optional>

// The threshold that applies depends on the state the fan is in; the comparison is made in
// floating point, where the thresholds convert exactly.
bool DecideBoost(bool boosted, double cpuTemperature, std::int16_t onThreshold,
                 std::int16_t offThreshold);

// The hysteresis decides only from a reading made in the refresh that writes the line. A
// refresh without one keeps the line as it is; but a controller that cannot read its sensor
// must cool, so before the first reading, and from the third refresh in a row without one,
// the fan is boosted.
class TFanPolicy {
 public:
  static constexpr int kRefreshesUnreadBeforeBoost = 3;

  // The state for this refresh's write of the line, from the state it holds now.
  bool Decide(bool boosted, std::optional<int> cpuTemperature, std::int16_t onThreshold,
              std::int16_t offThreshold);
  // The last decision boosted the fan for want of a reading.
  bool Blind() const { return FBlind; }

 private:
  // Refreshes in a row without a reading; none yet counts as too many.
  int FUnread = kRefreshesUnreadBeforeBoost;
  bool FBlind = true;
};
