// Invalidation and painting on the simulated windows follow the system: the update region
// grows with each invalidation, its erase flag accumulates, BeginPaint erases the whole
// region once (the class background) and clips drawing to it; without the flag the old
// picture stays.
#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace {
constexpr TColorRef kOld = 0x123456;
constexpr TColorRef kInk = 0x0000FF;

// A window of one of the program's classes whose procedure counts erases and, on WM_PAINT,
// fills everything it may with ink.
struct TPaintWindow : IWindowProc {
  TSimPlatform& Sim;
  HWnd Handle = HWnd::None;
  int Erases = 0;
  TRect PaintRect;
  TPaintWindow(TSimPlatform& sim, TWindowClass cls) : Sim(sim) {
    TWindowParams params;
    params.Class = cls;
    params.Bounds = Bounds(0, 0, 20, 10);
    params.Style = WS_POPUP | WS_VISIBLE;
    params.Proc = this;
    Handle = sim.Windows.CreateWindow(params);
    // A first picture in a colour nobody paints with.
    sim.Gdi.BeginWindowPaint(Handle, sim.Windows.GetClientRect(Handle));
    sim.Gdi.EndWindowPaint(Handle);
    for (TColorRef& p : sim.Gdi.WindowSurface(Handle)->Pixels) p = kOld;
  }
  std::intptr_t WindowProc(HWnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    if (m == WM_ERASEBKGND) ++Erases;
    if (m != WM_PAINT) return Sim.Windows.DefWindowProc(w, m, wp, lp);
    HDc dc = Sim.Windows.BeginPaint(w, PaintRect);
    HGdiObj brush = Sim.Gdi.CreateSolidBrush(kInk);
    Sim.Gdi.FillRect(dc, Sim.Windows.GetClientRect(w), brush);
    Sim.Gdi.DeleteObject(brush);
    Sim.Windows.EndPaint(w);
    return 0;
  }
  void Invalidate(TRect r, bool erase) { Sim.Windows.InvalidateRect(Handle, &r, erase); }
  bool PaintDue() const { return Sim.Windows.Find(Handle)->Dirty; }
  // One character per pixel: '.' old, 'f' face, '#' ink.
  std::vector<std::string> Look() const {
    std::vector<std::string> rows;
    const auto* s = Sim.Gdi.WindowSurface(Handle);
    for (int y = 0; y < s->Height; ++y) {
      std::string row;
      for (int x = 0; x < s->Width; ++x) {
        TColorRef c = s->At(x, y);
        row += c == kOld                               ? '.'
               : c == kInk                             ? '#'
               : c == Sim.Gdi.SysColors[COLOR_BTNFACE] ? 'f'
                                                       : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }
};

// Erases only: the procedure answers WM_PAINT with an empty paint.
struct TEraseOnly : TPaintWindow {
  using TPaintWindow::TPaintWindow;
  std::intptr_t WindowProc(HWnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    if (m != WM_PAINT) return TPaintWindow::WindowProc(w, m, wp, lp);
    Sim.Windows.BeginPaint(w, PaintRect);
    Sim.Windows.EndPaint(w);
    return 0;
  }
};
}  // namespace

TEST(SimPaint, EraseFlagAccumulatesAndCoversTheWholeRegionOnce) {
  TSimPlatform sim;
  TEraseOnly window(sim, TWindowClass::Panel);
  TRect a = Bounds(1, 1, 3, 2);
  window.Invalidate(a, false);
  window.Invalidate(Bounds(10, 5, 4, 3), true);
  window.Invalidate(a, false);  // a later "no erase" does not clear it
  sim.RunFor(0);
  EXPECT_EQ(window.Erases, 1);
  EXPECT_EQ(window.PaintRect, (TRect{1, 1, 14, 8}));
  EXPECT_EQ(window.Look(), (std::vector<std::string>{
                               "....................",
                               ".fff................",
                               ".fff................",
                               "....................",
                               "....................",
                               "..........ffff......",
                               "..........ffff......",
                               "..........ffff......",
                               "....................",
                               "....................",
                           }));
  // Taken by that paint: nothing is due, and a paint asked for again erases nothing.
  EXPECT_FALSE(window.PaintDue());
  sim.Windows.SendMessage(window.Handle, WM_PAINT, 0, 0);
  EXPECT_EQ(window.Erases, 1);
}

TEST(SimPaint, WithoutTheFlagTheOldPictureStaysAndDrawingIsClippedToTheRegion) {
  TSimPlatform sim;
  TPaintWindow window(sim, TWindowClass::Frame);
  TRect a = Bounds(2, 2, 3, 2);
  sim.Windows.Recording = true;
  sim.Windows.InvalidateRect(window.Handle, &a, false);
  sim.RunFor(0);
  EXPECT_EQ(window.Erases, 0);
  for (const TMsg& m : sim.Windows.Delivered) EXPECT_NE(m.Message, WM_ERASEBKGND);
  EXPECT_EQ(window.Look(), (std::vector<std::string>{
                               "....................",
                               "....................",
                               "..###...............",
                               "..###...............",
                               "....................",
                               "....................",
                               "....................",
                               "....................",
                               "....................",
                               "....................",
                           }));
}

TEST(SimPaint, OnlyTheProgramsOwnBackgroundClassesAreErasedByDefault) {
  struct TCase {
    TWindowClass Class;
    bool Erased;
  };
  for (TCase c : {TCase{TWindowClass::Frame, true}, TCase{TWindowClass::Panel, true},
                  TCase{TWindowClass::Application, true}, TCase{TWindowClass::Utility, false}}) {
    TSimPlatform sim;
    TEraseOnly window(sim, c.Class);
    sim.Windows.InvalidateRect(window.Handle, nullptr, true);
    sim.RunFor(0);
    ASSERT_EQ(window.Erases, 1);
    EXPECT_EQ(window.Look()[4][9], c.Erased ? 'f' : '.') << static_cast<int>(c.Class);
  }
}

TEST(SimPaint, EmptyRectanglesAndAreasOutsideTheClientAddNothing) {
  TSimPlatform sim;
  TEraseOnly window(sim, TWindowClass::Panel);
  window.Invalidate(Bounds(5, 5, 0, 4), true);   // empty
  window.Invalidate(Bounds(30, 0, 5, 5), true);  // outside
  EXPECT_FALSE(window.PaintDue());
  window.Invalidate(Bounds(18, 8, 5, 5), true);  // cut to the client area
  sim.RunFor(0);
  EXPECT_EQ(window.PaintRect, (TRect{18, 8, 20, 10}));
}

TEST(SimPaint, ShowingAWindowPaintsItAllOverItsBackground) {
  TSimPlatform sim;
  TEraseOnly window(sim, TWindowClass::Frame);
  sim.Windows.ShowWindow(window.Handle, SW_HIDE);
  sim.Windows.ShowWindow(window.Handle, SW_SHOW);
  sim.RunFor(0);
  EXPECT_EQ(window.Erases, 1);
  for (const std::string& row : window.Look()) EXPECT_EQ(row, std::string(20, 'f'));
}
