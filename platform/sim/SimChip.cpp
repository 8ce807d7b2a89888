#include "platform/sim/SimChip.h"

#include <algorithm>
#include <cmath>

#include "platform/Exception.h"

namespace {
// Thermal model: each temperature approaches a target exponentially. With the window's
// default thresholds (on 65, off 55) one boost cycle takes a little under two minutes.
constexpr double kCpuHotTarget = 85.0;   // fan normal
constexpr double kCpuCoolTarget = 35.0;  // fan boosted
constexpr double kCpuTimeConstantMs = 120000.0;
constexpr double kMotherboardTimeConstantMs = 600000.0;
constexpr std::uint8_t kFanBoosted = 0x00;

std::uint8_t ToByte(double degrees) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(degrees), 0L, 255L));
}
}  // namespace

TSimChip::TSimChip(std::function<std::uint64_t()> now) : FNow(std::move(now)) {
  FModelTime = FNow();
}

void TSimChip::Access(std::uint16_t port, bool write, std::uint8_t value) {
  ++FAccessCount;
  bool fault = FFailAt.erase(FAccessCount) > 0 || (FReachable && !FReachable());
  if (fault) {
    if (FLogging) FLog.push_back({port, write, value, true});
    throw EPrivilegedInstruction();
  }
}

void TSimChip::Out(std::uint16_t port, std::uint8_t value) {
  Access(port, true, value);
  if (port == IndexPort) {
    FIndex = value;
  } else if (port == DataPort) {
    FRegisters[FIndex] = value;
  } else if (port == FanPort) {
    AdvanceModel();  // the time so far ran with the previous fan state
    FFanLine = value;
  }
  if (FLogging) FLog.push_back({port, true, value, false});
}

std::uint8_t TSimChip::In(std::uint16_t port) {
  Access(port, false, 0);
  std::uint8_t value = 0xFF;
  if (port == DataPort) {
    value = ReadRegister(FIndex);
  } else if (port == FanPort) {
    value = FFanLine;
  }
  if (FLogging) FLog.push_back({port, false, value, false});
  return value;
}

std::uint8_t TSimChip::ReadRegister(std::uint8_t index) {
  AdvanceModel();
  if (index == 0x50) {
    if (!FScript.empty()) {
      std::uint8_t reading = FScript.front();
      FScript.pop_front();
      return reading;
    }
    return ToByte(FCpu);
  }
  if (index == 0x67) return ToByte(FMotherboard);
  return FRegisters[index];
}

void TSimChip::AdvanceModel() {
  std::uint64_t now = FNow();
  if (!FModel || now <= FModelTime) {
    FModelTime = std::max(FModelTime, now);
    return;
  }
  double elapsed = static_cast<double>(now - FModelTime);
  FModelTime = now;
  double cpuTarget = FFanLine == kFanBoosted ? kCpuCoolTarget : kCpuHotTarget;
  FCpu += (cpuTarget - FCpu) * (1.0 - std::exp(-elapsed / kCpuTimeConstantMs));
  double boardTarget = 20.0 + FCpu * 0.4;
  FMotherboard +=
      (boardTarget - FMotherboard) * (1.0 - std::exp(-elapsed / kMotherboardTimeConstantMs));
}

void TSimChip::SetTemperatures(std::uint8_t cpu, std::uint8_t motherboard) {
  FModel = false;
  FCpu = cpu;
  FMotherboard = motherboard;
}

void TSimChip::ScriptCpuReads(std::vector<std::uint8_t> readings) {
  FScript.insert(FScript.end(), readings.begin(), readings.end());
}

void TSimChip::UseThermalModel(double cpu, double motherboard) {
  FModel = true;
  FCpu = cpu;
  FMotherboard = motherboard;
  FModelTime = FNow();
}
