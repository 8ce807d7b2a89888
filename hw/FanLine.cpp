#include "hw/FanLine.h"

#include <cstdint>

namespace {
constexpr std::uint16_t kFanPort = 0x3F2;
constexpr std::uint8_t kFanBoosted = 0x00;
constexpr std::uint8_t kFanNormal = 0x14;
}  // namespace

void WriteFanLine(IPortBus& ports, bool boosted) {
  ports.Out(kFanPort, boosted ? kFanBoosted : kFanNormal);
}
