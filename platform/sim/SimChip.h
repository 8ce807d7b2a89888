#pragma once
// The hardware-monitor chip behind index port 0x295 and data port 0x296, and the fan boost
// line on port 0x3F2. Either a thermal model (the processor warms while the fan runs normal
// and cools while it is boosted; the motherboard follows slowly) or scripted temperatures.
// Every access is logged; any chosen access can be made to fault.
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <vector>

#include "platform/Ports.h"

struct TPortAccess {
  std::uint16_t Port = 0;
  bool Write = false;
  std::uint8_t Value = 0;  // written, or returned by a read
  bool Faulted = false;
  friend bool operator==(const TPortAccess&, const TPortAccess&) = default;
};

class TSimChip : public IPortBus {
 public:
  // `now` gives milliseconds of (virtual or real) time for the thermal model.
  explicit TSimChip(std::function<std::uint64_t()> now);

  std::uint8_t In(std::uint16_t port) override;
  void Out(std::uint16_t port, std::uint8_t value) override;

  // ---- fault injection ---------------------------------------------------
  // Accesses fault while this returns false (the system refuses the ports).
  void SetReachable(std::function<bool()> reachable) { FReachable = std::move(reachable); }
  // Makes the n-th access from now (1 = the next one) fault, whatever else holds.
  void FailAccess(std::uint64_t n) { FFailAt.insert(FAccessCount + n); }

  // ---- temperatures ------------------------------------------------------
  // Fixed readings; switches the thermal model off.
  void SetTemperatures(std::uint8_t cpu, std::uint8_t motherboard);
  // Readings for the next processor reads, one per read of register 0x50; when used up,
  // the fixed reading applies again.
  void ScriptCpuReads(std::vector<std::uint8_t> readings);
  // Thermal model (the default): starting temperatures in degrees.
  void UseThermalModel(double cpu, double motherboard);

  // ---- inspection --------------------------------------------------------
  const std::vector<TPortAccess>& Log() const { return FLog; }
  void ClearLog() { FLog.clear(); }
  std::uint64_t AccessCount() const { return FAccessCount; }
  // Keeps only the count, not the entries (long runs).
  void SetLogging(bool on) { FLogging = on; }
  std::uint8_t Register(std::uint8_t index) const { return FRegisters[index]; }
  // The byte last written to the fan line; 0xFF before any write.
  std::uint8_t FanLine() const { return FFanLine; }
  double CpuTemperature() const { return FCpu; }
  double MotherboardTemperature() const { return FMotherboard; }

  static constexpr std::uint16_t IndexPort = 0x295;
  static constexpr std::uint16_t DataPort = 0x296;
  static constexpr std::uint16_t FanPort = 0x3F2;

 private:
  void Access(std::uint16_t port, bool write, std::uint8_t value);
  void AdvanceModel();
  std::uint8_t ReadRegister(std::uint8_t index);

  std::function<std::uint64_t()> FNow;
  std::function<bool()> FReachable;
  std::set<std::uint64_t> FFailAt;
  std::uint64_t FAccessCount = 0;
  std::vector<TPortAccess> FLog;
  bool FLogging = true;

  std::uint8_t FIndex = 0;
  std::uint8_t FRegisters[256] = {};
  std::uint8_t FFanLine = 0xFF;

  bool FModel = true;
  double FCpu = 50.0;
  double FMotherboard = 30.0;
  std::uint64_t FModelTime = 0;
  std::deque<std::uint8_t> FScript;
};
