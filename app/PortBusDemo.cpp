#include <chrono>

#include "app/PortBus.h"
#include "platform/sim/SimChip.h"

// The demo's chip runs its thermal model on real time, warm enough at start that the first
// boost cycle comes within a minute or two. Its ports need nothing enabled.
std::unique_ptr<IPortAccess> ProgramPortAccess(TPlatform&) {
  static TSimChip chip([] {
    static const auto start = std::chrono::steady_clock::now();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count());
  });
  static bool prepared = [] {
    chip.UseThermalModel(57, 33);
    chip.SetLogging(false);
    return true;
  }();
  (void)prepared;
  return std::make_unique<TOpenPortAccess>(chip);
}
