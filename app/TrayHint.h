#pragma once
// The tray entry's hint: what the window shows, in words, what the fan line holds, and why the
// chip was not read.
#include <optional>
#include <string>

#include "hw/PortAccess.h"

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
