#include "hw/FanPolicy.h"

bool DecideBoost(bool boosted, double cpuTemperature, std::int16_t onThreshold,
                 std::int16_t offThreshold) {
  return boosted ? offThreshold < cpuTemperature : onThreshold <= cpuTemperature;
}

bool TFanPolicy::Decide(bool boosted, std::optional<int> cpuTemperature, std::int16_t onThreshold,
                        std::int16_t offThreshold) {
  if (cpuTemperature) {
    FUnread = 0;
    FBlind = false;
    return DecideBoost(boosted, *cpuTemperature, onThreshold, offThreshold);
  }
  if (FUnread < kRefreshesUnreadBeforeBoost) ++FUnread;
  FBlind = FUnread >= kRefreshesUnreadBeforeBoost;
  return FBlind || boosted;
}
