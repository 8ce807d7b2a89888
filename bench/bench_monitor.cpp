// The monitor over long runs of virtual time: cost per refresh, and a soak of one million
// refreshes that must keep memory and open handles flat.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "app/Unit1.h"
#include "hw/giveio.h"
#include "platform/sim/SimPlatform.h"

namespace {
constexpr std::uint32_t kPeriodMs = 5000;

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct TProgram {
  TSimPlatform Sim;
  TGiveIo Ports{Sim.System, Sim.Platform().Ports};
  std::unique_ptr<TApplication> Application;
  TForm1* Form = nullptr;
  TProgram() {
    Sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
    Sim.Chip.SetLogging(false);
    Sim.Shell.Logging = false;
    Sim.Chip.UseThermalModel(50, 30);
    Application = std::make_unique<TApplication>(Sim.Platform());
    Application->SetShowMainForm(false);
    Application->SetTitle("Kelvane");
    Form = Application->CreateForm<TForm1>(Ports);
  }
  std::size_t OpenHandles() const {
    return Sim.System.OpenHandleCount() + Sim.Windows.WindowCount() + Sim.Windows.TimerCount() +
           Sim.Gdi.OpenCount() + Sim.Registry.OpenKeyCount();
  }
};
}  // namespace

static void BM_Refresh(benchmark::State& state) {
  TProgram program;
  for (auto _ : state) program.Sim.RunFor(kPeriodMs);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Refresh);

// One million refreshes (about 58 days of virtual time). Memory is read at the 100,000th and
// the 1,000,000th refresh; the open-handle count is compared after every refresh.
static void BM_SoakMillionRefreshes(benchmark::State& state) {
  for (auto _ : state) {
    TProgram program;
    std::size_t handles = program.OpenHandles();
    long rssAt100k = 0;
    std::int64_t handleChanges = 0;
    for (int refresh = 1; refresh <= 1'000'000; ++refresh) {
      program.Sim.RunFor(kPeriodMs);
      if (program.OpenHandles() != handles) ++handleChanges;
      if (refresh == 100'000) rssAt100k = PeakRssKb();
    }
    long rssAt1M = PeakRssKb();
    state.counters["rss_kb_at_100k"] = static_cast<double>(rssAt100k);
    state.counters["rss_kb_at_1M"] = static_cast<double>(rssAt1M);
    state.counters["rss_growth_kb"] = static_cast<double>(rssAt1M - rssAt100k);
    state.counters["handle_changes"] = static_cast<double>(handleChanges);
    state.counters["fan_boosted_now"] = program.Sim.Chip.FanLine() == 0 ? 1 : 0;
  }
}
BENCHMARK(BM_SoakMillionRefreshes)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
