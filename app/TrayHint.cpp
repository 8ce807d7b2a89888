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

// Plain words a user can act on, each short enough that the hint stays whole.
const char* FaultLine(TReadingFault fault) {
  switch (fault) {
    case TReadingFault::PortsRefused:
      return "Ports refused: giveio not running (run as administrator)";
    case TReadingFault::Wow64:
      return "No readings on 64-bit Windows: use the 64-bit Kelvane";
    case TReadingFault::BusHeld:
      return "No readings: the sensor bus is held by another monitor";
    case TReadingFault::BusNameTaken:
      return "No readings: another object has the bus lock's name";
    case TReadingFault::BusLockFailed:
      return "No readings: the sensor bus lock cannot be opened";
    case TReadingFault::DriverUnprotected:
      return "Other users can replace giveio.sys: use Kelvane's setup";
    case TReadingFault::RegistrationUnprotected:
      return "Registered driver lies where other users can replace it";
    case TReadingFault::DeviceRefused:
      return "giveio runs but refused our open (run as administrator)";
    case TReadingFault::PathUnusable:
      return "The path of Kelvane's folder cannot be used: move Kelvane";
    case TReadingFault::DeviceUnprotected:
      return "Port driver open to all users: could not protect its device";
    case TReadingFault::DriverStopped:
      return "Port driver stopped: could not protect its device";
    default:  // the port access's own causes: it names them
      break;
    case TReadingFault::None:
      break;
  }
  return nullptr;
}
}  // namespace

std::string TrayHint(const TTrayReadings& readings) {
  std::string hint = Reading("CPU", readings.Cpu) + "\n" +
                     Reading("Motherboard", readings.Motherboard) + "\n" + FanLine(readings.Fan);
  const char* line = readings.FaultText ? readings.FaultText : FaultLine(readings.NotRead);
  if (line) hint += std::string("\n") + line;
  return hint;
}
