#pragma once
// A port bus in front of another that fails one chosen access with a chosen exception, for
// faults the simulated chip does not raise itself (an allocation failure, a bug).
#include <cstdint>
#include <functional>

#include "platform/Ports.h"

class TFailingBus : public IPortBus {
 public:
  explicit TFailingBus(IPortBus& inner) : FInner(inner) {}

  // The n-th access from now (1 = the next one), or every one from it on, runs `fail`
  // instead of reaching the bus.
  void FailAccess(std::uint64_t n, std::function<void()> fail, bool onwards = false) {
    FFailAt = FAccesses + n;
    FFail = std::move(fail);
    FOnwards = onwards;
  }

  std::uint8_t In(std::uint16_t port) override {
    Count();
    return FInner.In(port);
  }
  void Out(std::uint16_t port, std::uint8_t value) override {
    Count();
    FInner.Out(port, value);
  }

 private:
  void Count() {
    ++FAccesses;
    if (FFail && (FAccesses == FFailAt || (FOnwards && FAccesses > FFailAt))) FFail();
  }
  IPortBus& FInner;
  std::uint64_t FAccesses = 0;
  std::uint64_t FFailAt = 0;
  std::function<void()> FFail;
  bool FOnwards = false;
};
