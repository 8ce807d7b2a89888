#pragma once
// The tray entry's hint: what the window shows, in words, what the fan line holds, and why the
// chip was not read.
#include <optional>
#include <string>

// Why the latest refresh could not read the chip.
enum class TReadingFault {
  None,
  PortsRefused,       // the port driver is not running
  Wow64,              // 64-bit Windows: no 32-bit port driver can load
  BusHeld,            // another monitor holds the sensor bus
  BusNameTaken,       // another kind of object has the bus lock's name
  BusLockFailed,      // the bus lock cannot be had for another reason
  DriverUnprotected,  // the driver lies where other users could replace it: not started
};

// What the fan line holds, as far as this run knows.
enum class TFanLine {
  Unknown,      // no write of the line has succeeded in this run
  Normal,       // boost off
  Boosted,      // boost on, by the thresholds
  BoostedBlind  // boost on, because the processor could not be read
};

struct TTrayReadings {
  std::optional<int> Cpu;  // empty until a reading has reached the window
  std::optional<int> Motherboard;
  TFanLine Fan = TFanLine::Unknown;
  TReadingFault NotRead = TReadingFault::None;
};

// UTF-8 lines joined by "\n", with the degree sign; never longer than the entry's tip holds
// (127 UTF-16 units).
std::string TrayHint(const TTrayReadings& readings);
