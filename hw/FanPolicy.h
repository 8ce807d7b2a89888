#pragma once
// The boost decision: hysteresis between the two thresholds. Boost switches on when the
// processor reaches the on-threshold and off when it falls to the off-threshold or below.
#include <cstdint>

// The threshold that applies depends on the state the fan is in; the comparison is made in
// floating point, where the thresholds convert exactly.
bool DecideBoost(bool boosted, double cpuTemperature, std::int16_t onThreshold,
                 std::int16_t offThreshold);
