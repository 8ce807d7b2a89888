#pragma once
// The tray entry's hint: what the window shows, in words, and why the chip was not read.
#include <optional>
#include <string>

// Why the latest refresh could not read the chip.
enum class TReadingFault {
  None,
  PortsRefused,  // the port driver is not running
  Wow64,         // 64-bit Windows: no 32-bit port driver can load
  BusHeld,       // another monitor holds the sensor bus
};

struct TTrayReadings {
  std::optional<int> Cpu;  // empty until a reading has reached the window
  std::optional<int> Motherboard;
  bool Boosted = false;
  TReadingFault NotRead = TReadingFault::None;
};

// ANSI lines joined by "\n", with the degree sign 0xB0; at most 127 bytes, what the entry's
// tip holds.
std::string TrayHint(const TTrayReadings& readings);
