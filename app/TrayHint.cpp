#include "app/TrayHint.h"

namespace {
std::string Reading(const char* name, const std::optional<int>& value) {
  return std::string(name) + ": " + (value ? std::to_string(*value) + "\xC2\xB0" : "no reading");
}

const char* FanLine(TFanLine fan) {
  switch (fan) {
    case TFanLine::Normal:
      return "Fan boost: off";
    case TFanLine::Boosted:
      return "Fan boost: on";
    case TFanLine::BoostedBlind:
      return "Fan boost: on (no reading)";
    case TFanLine::Unknown:
      break;
  }
  return "Fan boost: unknown";
}
}  // namespace

std::string TrayHint(const TTrayReadings& readings) {
  std::string hint = Reading("CPU", readings.Cpu) + "\n" +
                     Reading("Motherboard", readings.Motherboard) + "\n" + FanLine(readings.Fan);
  if (const char* line = FaultLine(readings.NotRead)) hint += std::string("\n") + line;
  return hint;
}
