#include "app/TrayHint.h"

namespace {
std::string Reading(const char* name, const std::optional<int>& value) {
  return std::string(name) + ": " + (value ? std::to_string(*value) + "\xC2\xB0" : "no reading");
}

// Plain words a user can act on, each short enough that the hint stays whole.
const char* FaultLine(TReadingFault fault) {
  switch (fault) {
    case TReadingFault::PortsRefused:
      return "Ports refused: the giveio driver is not running (start as administrator)";
    case TReadingFault::Wow64:
      return "No readings: 64-bit Windows cannot load the 32-bit port driver";
    case TReadingFault::BusHeld:
      return "No readings: the sensor bus is held by another monitor";
    case TReadingFault::None:
      break;
  }
  return nullptr;
}
}  // namespace

std::string TrayHint(const TTrayReadings& readings) {
  std::string hint = Reading("CPU", readings.Cpu) + "\n" +
                     Reading("Motherboard", readings.Motherboard) +
                     "\nFan boost: " + (readings.Boosted ? "on" : "off");
  if (const char* line = FaultLine(readings.NotRead)) hint += std::string("\n") + line;
  return hint;
}
