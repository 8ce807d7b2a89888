// Painting cost of the main window's display widgets on the simulated raster: the four
// digits widgets and the lamp box, as one paint of their parent and one by one.
#include <benchmark/benchmark.h>

#include "app/WindowLooks.h"
#include "framework/Controls.h"
#include "platform/sim/SimPlatform.h"
#include "widgets/Digits.h"
#include "widgets/GlyphCheckBox.h"

namespace {
struct TPanel {
  TSimPlatform Sim;
  TWinControl Parent{nullptr, &Sim.Platform()};
  HWnd Window = HWnd::None;
  TDigits* Digits[4] = {};
  TGlyphCheckBox* Lamp = nullptr;

  TPanel() {
    Parent.SetBounds(0, 0, 200, 120);
    Window = Parent.Handle();
    for (int i = 0; i < 4; ++i) {
      Digits[i] = NewComponent<TDigits>(&Parent);
      Digits[i]->SetParent(&Parent);
      Digits[i]->SetBounds(144, 24 + 32 * (i % 2) + 40 * (i / 2), 29, 25);
      ApplyDigitsLook(*Digits[i]);
    }
    Lamp = NewComponent<TGlyphCheckBox>(&Parent);
    Lamp->SetParent(&Parent);
    Lamp->SetBounds(152, 92, 13, 17);
    ApplyLampLook(*Lamp);
  }
  void Paint() { Sim.Windows.SendMessage(Window, WM_PAINT, 0, 0); }
};

void BM_PaintFourDigitsAndLamp(benchmark::State& state) {
  TPanel panel;
  int tick = 0;
  for (auto _ : state) {
    ++tick;
    for (TDigits* d : panel.Digits) d->SetValue(40 + tick % 60);
    panel.Lamp->SetChecked(tick % 2 == 0);
    panel.Paint();
  }
}
BENCHMARK(BM_PaintFourDigitsAndLamp);

void BM_PaintDigits(benchmark::State& state) {
  TPanel panel;
  int tick = 0;
  for (auto _ : state) {
    panel.Digits[0]->SetValue(++tick % 256);
    panel.Digits[0]->PaintWindowless(panel.Sim.Gdi.BeginWindowPaint(panel.Window, {0, 0, 200, 120}),
                                     {144, 24});
    panel.Sim.Gdi.EndWindowPaint(panel.Window);
  }
}
BENCHMARK(BM_PaintDigits);

void BM_PaintLamp(benchmark::State& state) {
  TPanel panel;
  int tick = 0;
  for (auto _ : state) {
    panel.Lamp->SetChecked(++tick % 2 == 0);
    panel.Lamp->PaintWindowless(panel.Sim.Gdi.BeginWindowPaint(panel.Window, {0, 0, 200, 120}),
                                {152, 92});
    panel.Sim.Gdi.EndWindowPaint(panel.Window);
  }
}
BENCHMARK(BM_PaintLamp);

void BM_FormatValue(benchmark::State& state) {
  double v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatGeneral(v, '.'));
    v = v > 255 ? 0 : v + 1;
  }
}
BENCHMARK(BM_FormatValue);
}  // namespace

BENCHMARK_MAIN();
