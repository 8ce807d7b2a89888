#include "hw/FanPolicy.h"

bool DecideBoost(bool boosted, double cpuTemperature, std::int16_t onThreshold,
                 std::int16_t offThreshold) {
  return boosted ? offThreshold < cpuTemperature : onThreshold <= cpuTemperature;
}
