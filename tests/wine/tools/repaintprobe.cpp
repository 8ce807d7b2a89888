// Repaints widgets on a real window and counts the background erases the system sends the
// window meanwhile, through two stacked replacement procedures of the window (the later one
// taken away first, then the earlier one); prints one "name value" line per figure:
//
//   opaque_paints      paints while an opaque digits widget changes its value (expected 1+)
//   opaque_erases      erases meanwhile (expected 0)
//   transparent_erases erases while a transparent one does (expected at least 1)
//   hidden_erases      erases when a widget is hidden (expected at least 1)
//   chain_messages     messages the remaining replacement saw after the other was removed
//   chain_restored     1 when the window's procedure is the one it had before either
//                      replacement, once both were removed
#include <cstdio>

#include "app/WindowLooks.h"
#include "framework/Forms.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/Digits.h"

// The procedure the system holds for the window (windowproc.cpp).
std::intptr_t WindowProcOf(HWnd window);

namespace {
class TNoPorts : public IPortBus {
 public:
  std::uint8_t In(std::uint16_t) override { return 0; }
  void Out(std::uint16_t, std::uint8_t) override {}
};

struct TSpy : IWindowProc {
  IWindowing& Windows;
  HWnd Window;
  TWndProcRef Previous = 0;
  int Erases = 0;
  int Paints = 0;
  int Messages = 0;
  TSpy(IWindowing& windows, HWnd window) : Windows(windows), Window(window) {
    Previous = windows.SubclassWindow(window, this);
  }
  void Remove() { Windows.RestoreWindowProc(Window, Previous); }
  std::intptr_t WindowProc(HWnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    ++Messages;
    if (m == WM_ERASEBKGND) ++Erases;
    if (m == WM_PAINT) ++Paints;
    return Windows.CallWindowProc(Previous, w, m, wp, lp);
  }
};

// Handles what is queued, paints included, until the queue stays empty for a moment.
void Pump(TPlatform& platform) {
  IWindowing& windows = platform.Windows;
  for (int idle = 0; idle < 5;) {
    TMsg msg;
    if (windows.PeekMessage(msg)) {
      windows.TranslateMessage(msg);
      windows.DispatchMessage(msg);
      idle = 0;
    } else {
      platform.System.Sleep(20);
      ++idle;
    }
  }
}
}  // namespace

int main() {
  TNoPorts ports;
  TWin32Platform win32(&ports);
  TPlatform& platform = win32.Platform();
  TApplication application(platform);
  auto* form = application.CreateForm<TForm>();
  form->SetBorderStyle(TBorderStyle::bsToolWindow);
  form->SetClientWidth(120);
  form->SetClientHeight(60);
  auto* opaque = NewComponent<TDigits>(form);
  opaque->SetBounds(10, 10, 29, 25);
  ApplyDigitsLook(*opaque);
  opaque->SetParent(form);
  auto* clear = NewComponent<TDigits>(form);
  clear->SetBounds(60, 10, 29, 25);
  ApplyDigitsLook(*clear);
  clear->Gradient().SetActive(false);
  clear->SetTransparent(true);
  clear->SetParent(form);
  form->Show();
  Pump(platform);

  HWnd window = form->Handle();
  const std::intptr_t original = WindowProcOf(window);
  TSpy first(platform.Windows, window);
  TSpy second(platform.Windows, window);
  opaque->SetValue(46);
  Pump(platform);
  std::printf("opaque_paints %d\n", second.Paints);
  std::printf("opaque_erases %d\n", second.Erases);
  int before = second.Erases;
  clear->SetValue(7);
  Pump(platform);
  std::printf("transparent_erases %d\n", second.Erases - before);
  before = second.Erases;
  opaque->SetVisible(false);
  Pump(platform);
  std::printf("hidden_erases %d\n", second.Erases - before);

  second.Remove();
  int seen = first.Messages;
  opaque->SetVisible(true);
  Pump(platform);
  std::printf("chain_messages %d\n", first.Messages - seen);
  first.Remove();
  std::printf("chain_restored %d\n", WindowProcOf(window) == original ? 1 : 0);
  return 0;
}
