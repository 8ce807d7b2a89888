// Times the program's work on the real system, in-process, for the figures the end-to-end
// tests cannot separate: one refresh with the window hidden, one with it visible and painted,
// one tray text rendering pushed to the shell, and one paint of the window.
//
//   winebench [COUNT]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Unit1.h"
#include "platform/sim/SimChip.h"
#include "platform/win32/Win32Platform.h"

namespace {
using TClock = std::chrono::steady_clock;

// Handles every message that is waiting, paints included.
void Pump(IWindowing& windows) {
  TMsg msg;
  while (windows.PeekMessage(msg)) windows.DispatchMessage(msg);
}

// The tray component's stages, reachable for timing.
class TTextTrayProbe : public TTextTrayIcon {
 public:
  using TTextTrayIcon::MakeTrayIcon;
  using TTextTrayIcon::RenderText;
  using TTextTrayIcon::TTextTrayIcon;
};

template <class F>
double MicrosecondsEach(int count, F&& work) {
  auto start = TClock::now();
  for (int i = 0; i < count; ++i) work(i);
  return std::chrono::duration<double, std::micro>(TClock::now() - start).count() / count;
}
}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 200;
  static TSimChip chip([] { return std::uint64_t{0}; });
  chip.SetTemperatures(47, 31);
  chip.SetLogging(false);
  TWin32Platform platform(&chip);
  TOpenPortAccess ports(chip);
  TApplication application(platform.Platform());
  application.SetShowMainForm(false);
  application.SetTitle("Kelvane");
  TForm1* form = application.CreateForm<TForm1>(ports);
  IWindowing& windows = platform.Platform().Windows;
  Pump(windows);

  double hidden = MicrosecondsEach(count, [&](int i) {
    chip.SetTemperatures(static_cast<std::uint8_t>(40 + i % 30), 31);
    form->Timer1Timer(nullptr);
    Pump(windows);
  });
  long beforeTexts = platform.Gdi().LiveObjects();
  double text = MicrosecondsEach(count, [&](int i) {
    form->TextTrayIcon1->SetText(std::to_string(40 + i % 30) + "\xC2\xB0");
  });
  long afterTexts = platform.Gdi().LiveObjects();
  auto* probe = NewComponent<TTextTrayProbe>(form);
  probe->SetText("47\xC2\xB0");
  double render = MicrosecondsEach(count, [&](int) { probe->RenderText(); });
  double makeIcon = MicrosecondsEach(count, [&](int) {
    TIcon icon(platform.Platform().Gdi);
    probe->MakeTrayIcon(probe->TextBitmap(), icon, probe->FillColour());
  });
  form->Show();
  Pump(windows);
  double visible = MicrosecondsEach(count, [&](int i) {
    chip.SetTemperatures(static_cast<std::uint8_t>(40 + i % 30), static_cast<std::uint8_t>(i % 50));
    form->Timer1Timer(nullptr);
    Pump(windows);
  });
  // Objects after 2 and after 12 refreshes of the visible window: equal when nothing leaks.
  auto refreshes = [&](int n) {
    for (int i = 0; i < n; ++i) {
      chip.SetTemperatures(static_cast<std::uint8_t>(50 + i), static_cast<std::uint8_t>(30 + i));
      form->Timer1Timer(nullptr);
      Pump(windows);
    }
    return platform.Gdi().LiveObjects();
  };
  long after2 = refreshes(2);
  long after12 = refreshes(10);
  double paint = MicrosecondsEach(count, [&](int) {
    form->Invalidate();
    form->GroupBox1->Invalidate();
    form->GroupBox2->Invalidate();
    Pump(windows);
  });
  std::printf("refresh_hidden_us %.0f\n", hidden);
  std::printf("tray_text_us %.0f\n", text);
  std::printf("tray_render_us %.0f\n", render);
  std::printf("tray_make_icon_us %.0f\n", makeIcon);
  std::printf("refresh_visible_us %.0f\n", visible);
  std::printf("window_paint_us %.0f\n", paint);
  std::printf("objects_before_texts %ld\n", beforeTexts);
  std::printf("objects_after_texts %ld\n", afterTexts);
  std::printf("objects_after_2_refreshes %ld\n", after2);
  std::printf("objects_after_12_refreshes %ld\n", after12);
  form->Hide();
  return 0;
}
