// One refresh's worth of tray work on the simulated machine: render the text, make the
// icon and push it to the shell.
#include <benchmark/benchmark.h>

#include "framework/Forms.h"
#include "platform/sim/SimPlatform.h"
#include "tray/TextTrayIcon.h"

namespace {
// The program's own settings for the entry.
TTextTrayIcon* MakeIcon(TComponent& root) {
  auto* icon = NewComponent<TTextTrayIcon>(&root);
  icon->SetIconVisible(true);
  icon->Font().SetName("Arial Narrow");
  icon->Font().SetColor(clPurple);
  icon->SetBorder(true);
  icon->Options().SetOffsetX(2);
  return icon;
}

void BM_RenderAndPush(benchmark::State& state) {
  TSimPlatform sim;
  TApplication application(sim.Platform());
  TComponent root(nullptr, &sim.Platform());
  TTextTrayIcon* icon = MakeIcon(root);
  int i = 0;
  for (auto _ : state) {
    icon->SetText(std::to_string(40 + i++ % 40) + "\xC2\xB0");
    // The shell's log would grow without end; a real shell keeps no history either.
    if (sim.Shell.Requests.size() > 1024) sim.Shell.Requests.clear();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderAndPush);

void BM_RenderAndPushTransparent(benchmark::State& state) {
  TSimPlatform sim;
  TApplication application(sim.Platform());
  TComponent root(nullptr, &sim.Platform());
  TTextTrayIcon* icon = MakeIcon(root);
  icon->SetColor(clNone);
  for (auto _ : state) {
    icon->SetText("45\xC2\xB0");
    if (sim.Shell.Requests.size() > 1024) sim.Shell.Requests.clear();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderAndPushTransparent);
}  // namespace

BENCHMARK_MAIN();
