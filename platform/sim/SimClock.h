#pragma once
// Virtual time of the simulated platform. Only Sleep and the message loop move it.
#include <cstdint>

class TSimClock {
 public:
  std::uint64_t Now() const { return FNow; }
  void Advance(std::uint64_t milliseconds) { FNow += milliseconds; }
  void AdvanceTo(std::uint64_t time) {
    if (time > FNow) FNow = time;
  }

 private:
  std::uint64_t FNow = 0;
};
