// The simulated windows, messages and timers behave as the program relies on.
#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace {
struct TRecorder : IWindowProc {
  IWindowing* Windows = nullptr;
  std::vector<std::pair<std::uint32_t, std::uint64_t>> Seen;
  TSimClock* Clock = nullptr;
  std::intptr_t WindowProc(HWnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    Seen.push_back({m, Clock->Now()});
    return Windows->DefWindowProc(w, m, wp, lp);
  }
};
}  // namespace

TEST(SimWindowing, TimersTickOnTheVirtualClockAndShowSendsShowWindowFirst) {
  TSimPlatform sim;
  TRecorder rec;
  rec.Windows = &sim.Windows;
  rec.Clock = &sim.Clock;
  TWindowParams params;
  params.Class = TWindowClass::Frame;
  params.Bounds = Bounds(0, 0, 10, 10);
  params.Style = WS_POPUP | WS_CAPTION;
  params.Proc = &rec;
  HWnd w = sim.Windows.CreateWindow(params);
  sim.Windows.SetTimer(w, 1, 5000);
  sim.RunFor(12000);
  std::vector<std::uint64_t> ticks;
  for (auto [m, t] : rec.Seen)
    if (m == WM_TIMER) ticks.push_back(t);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{5000, 10000}));
  EXPECT_EQ(sim.Clock.Now(), 12000u);

  rec.Seen.clear();
  EXPECT_FALSE(sim.Windows.ShowWindow(w, SW_SHOW));
  ASSERT_FALSE(rec.Seen.empty());
  EXPECT_EQ(rec.Seen.front().first, WM_SHOWWINDOW);
  EXPECT_EQ(sim.Windows.GetForegroundWindow(), w);
  sim.Windows.DestroyWindow(w);
  EXPECT_EQ(sim.Windows.TimerCount(), 0u);
}
