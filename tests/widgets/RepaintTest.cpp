// What a repaint of a widget does to the parent's picture: an opaque widget is drawn straight
// over its old picture (nothing is erased under it, so there is no flash of the background);
// a transparent one, or a control that goes away, has the parent's background erased first.
#include <gtest/gtest.h>

#include "app/WindowLooks.h"
#include "tests/support/SimFixture.h"
#include "tests/widgets/WidgetRig.h"
#include "widgets/Digits.h"
#include "widgets/GlyphCheckBox.h"

namespace {
constexpr TColorRef kFace = 0xC0C0C0;  // the classic button face, the panel's background
constexpr TColorRef kLime = 0x00FF00;

// Sits in front of a window's procedure and looks at the widget's area right after each
// erase, before anything is drawn over it.
struct TEraseSpy : IWindowProc {
  TSimPlatform& Sim;
  HWnd Window;
  TRect Watched;
  TWndProcRef Previous;
  int Erases = 0;
  int FacePixelsAfterErase = 0;
  TEraseSpy(TSimPlatform& sim, HWnd window, TRect watched)
      : Sim(sim), Window(window), Watched(watched) {
    Previous = sim.Windows.SubclassWindow(window, this);
  }
  ~TEraseSpy() override { Sim.Windows.RestoreWindowProc(Window, Previous); }
  std::intptr_t WindowProc(HWnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    std::intptr_t result = Sim.Windows.CallWindowProc(Previous, w, m, wp, lp);
    if (m == WM_ERASEBKGND) {
      ++Erases;
      const auto* surface = Sim.Gdi.WindowSurface(w);
      for (int y = Watched.Top; y < Watched.Bottom; ++y)
        for (int x = Watched.Left; x < Watched.Right; ++x)
          FacePixelsAfterErase += surface->At(x, y) == kFace;
    }
    return result;
  }
};

int CountOf(const TWidgetRig& rig, TRect r, TColorRef color) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += rig.At(x, y) == color;
  return n;
}

// Lime pixels in the processor's digits on the shown window: -1 when nothing was drawn.
int LitSegmentPixelsOfTheCpuDigits(TSimProgram& program, TForm1& form) {
  const auto* surface = program.Sim.Gdi.WindowSurface(form.GroupBox1->Handle());
  if (!surface) return -1;
  int lime = 0;
  for (int y = 24; y < 49; ++y)
    for (int x = 144; x < 173; ++x) lime += surface->At(x, y) == kLime;
  return lime;
}

// A widget at `area` with the main window's look.
template <class T>
T& AddWithLook(TWidgetRig& rig, TRect area, void (*look)(T&)) {
  T& widget = rig.Add<T>(area.Left, area.Top, area.Width(), area.Height());
  look(widget);
  return widget;
}
}  // namespace

TEST(Repaint, AReadingChangeOfTheDigitsErasesNothingUnderThem) {
  TWidgetRig rig(60, 40);
  TRect area = Bounds(10, 5, 29, 25);
  TDigits& digits = AddWithLook(rig, area, ApplyDigitsLook);
  digits.SetValue(45);
  rig.Sim.RunFor(0);
  for (double value : {46.0, 7.0, 120.0}) {  // same length, shorter, longer
    TEraseSpy spy(rig.Sim, rig.Window, area);
    digits.SetValue(value);
    ASSERT_TRUE(rig.RepaintRequested());
    rig.Sim.RunFor(0);
    EXPECT_EQ(spy.Erases, 0) << value;
    EXPECT_EQ(CountOf(rig, area, kFace), 0) << value;
    EXPECT_GT(CountOf(rig, area, kLime), 0) << value;
  }
}

TEST(Repaint, TransparentDigitsHaveTheBackgroundErasedUnderThemFirst) {
  TWidgetRig rig(60, 40);
  TRect area = Bounds(10, 5, 29, 25);
  TDigits& digits = AddWithLook(rig, area, ApplyDigitsLook);
  digits.Gradient().SetActive(false);
  digits.SetTransparent(true);
  digits.SetValue(8);
  rig.Sim.RunFor(0);
  TEraseSpy spy(rig.Sim, rig.Window, area);
  digits.SetValue(1);
  rig.Sim.RunFor(0);
  EXPECT_EQ(spy.Erases, 1);
  EXPECT_EQ(spy.FacePixelsAfterErase, area.Width() * area.Height());
  // The old "8" is gone: only the two right-hand segments of the "1" are lit.
  EXPECT_EQ(CountOf(rig, area, kLime), 2 * 4);
}

TEST(Repaint, TheLampChangesWithoutAnErase) {
  TWidgetRig rig(30, 30);
  TRect area = Bounds(5, 5, 13, 17);
  TGlyphCheckBox& lamp = AddWithLook(rig, area, ApplyLampLook);
  rig.Sim.RunFor(0);
  TEraseSpy spy(rig.Sim, rig.Window, area);
  lamp.SetChecked(true);
  rig.Sim.RunFor(0);
  lamp.SetChecked(false);
  rig.Sim.RunFor(0);
  EXPECT_EQ(spy.Erases, 0);
}

TEST(Repaint, AHiddenOrMovedWidgetGivesItsPlaceBackToTheBackground) {
  TWidgetRig rig(80, 40);
  TRect area = Bounds(10, 5, 29, 25);
  TDigits& digits = AddWithLook(rig, area, ApplyDigitsLook);
  rig.Sim.RunFor(0);
  digits.SetLeft(45);
  rig.Sim.RunFor(0);
  EXPECT_EQ(CountOf(rig, area, kFace), 29 * 25);
  EXPECT_EQ(CountOf(rig, Bounds(45, 5, 29, 25), kFace), 0);
  digits.SetVisible(false);
  rig.Sim.RunFor(0);
  EXPECT_EQ(CountOf(rig, Bounds(45, 5, 29, 25), kFace), 29 * 25);
}

TEST(Repaint, ARefreshOfTheShownWindowErasesNoBackground) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(45, 30);
  TForm1& form = program.Start();
  form.Show();
  program.Sim.Windows.Recording = true;
  program.RunFor(0);
  // The first showing paints the window and its group frames over their background.
  auto erasesOf = [&](HWnd window) {
    int n = 0;
    for (const TMsg& m : program.Sim.Windows.Delivered)
      n += m.Window == window && m.Message == WM_ERASEBKGND;
    return n;
  };
  EXPECT_EQ(erasesOf(form.Handle()), 1);
  EXPECT_EQ(erasesOf(form.GroupBox1->Handle()), 1);
  program.Sim.Windows.Delivered.clear();
  program.Sim.Chip.SetTemperatures(61, 31);
  program.RunFor(5000);
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 61);
  bool painted = false;
  for (const TMsg& m : program.Sim.Windows.Delivered) {
    EXPECT_NE(m.Message, WM_ERASEBKGND) << static_cast<std::uintptr_t>(m.Window);
    painted = painted || (m.Window == form.GroupBox1->Handle() && m.Message == WM_PAINT);
  }
  EXPECT_TRUE(painted);
  EXPECT_GT(LitSegmentPixelsOfTheCpuDigits(program, form), 0);
}

// A window out of sight is not repainted at a refresh (its widgets do not even ask, which
// saves the system a round trip a refresh): the show paints it whole, with the
// readings of the moment.
TEST(Repaint, ARefreshOfTheHiddenWindowPaintsNothingAndTheShowPaintsTheNewReading) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(45, 30);
  TForm1& form = program.Start();
  program.RunFor(0);
  program.Sim.Windows.Recording = true;
  program.Sim.Chip.SetTemperatures(61, 31);
  program.RunFor(5000);
  EXPECT_EQ(form.dgCurrentCPUTemp->Value(), 61);
  for (const TMsg& m : program.Sim.Windows.Delivered)
    EXPECT_NE(m.Message, WM_PAINT) << static_cast<std::uintptr_t>(m.Window);
  EXPECT_TRUE(program.Sim.Windows.Find(form.GroupBox1->Handle())->Update.empty());
  form.Show();
  program.RunFor(0);
  EXPECT_GT(LitSegmentPixelsOfTheCpuDigits(program, form), 0);
}
