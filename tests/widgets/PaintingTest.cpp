// Bevel, gradient and bitmap routines on a plain memory bitmap.
#include <gtest/gtest.h>

#include "platform/sim/SimGdi.h"
#include "widgets/Painting.h"

namespace {
constexpr TColorRef kWhite = 0xFFFFFF;
constexpr TColorRef Grey(int level) { return static_cast<TColorRef>(level * 0x010101); }

// A white bitmap canvas to paint on.
struct TSurface {
  TSimGdi Gdi;
  TBitmap Bitmap{Gdi};
  TGradient Gradient{&Gdi};
  explicit TSurface(int width = 20, int height = 20) {
    Bitmap.SetSize(width, height);
    Gradient.SetActive(true);
  }
  HDc Dc() { return Bitmap.Canvas().Handle(); }
  TColorRef At(int x, int y) { return Bitmap.Canvas().Pixel(x, y); }
  std::vector<TColorRef> Column(int x, int height) {
    std::vector<TColorRef> column;
    for (int y = 0; y < height; ++y) column.push_back(At(x, y));
    return column;
  }
};
}  // namespace

TEST(DrawBevelBox, InteriorLeftByEachCut) {
  struct TCase {
    TBevelCut Inner, Outer;
    bool Bold;
    TSides Sides;
    TRect Interior;
  };
  const TRect r{0, 0, 28, 24};
  for (TCase t : {TCase{bvLowered, bvNone, false, kAllSides, {1, 1, 27, 23}},
                  {bvLowered, bvNone, true, kAllSides, {2, 2, 27, 23}},
                  {bvRaised, bvNone, true, kAllSides, {1, 1, 26, 22}},
                  {bvLowered, bvRaised, false, kAllSides, {2, 2, 26, 22}},
                  {bvSpace, bvNone, false, SideBit(fsdLeft), {1, 0, 28, 24}},
                  {bvNone, bvNone, false, kAllSides, r},
                  {bvRaised, bvLowered, true, 0, r}}) {
    TSurface s(30, 30);
    EXPECT_EQ(DrawBevelBox(s.Gdi, s.Dc(), r, t.Sides, t.Inner, t.Outer, t.Bold, clNone, true),
              t.Interior)
        << t.Inner << t.Outer << t.Bold;
  }
}

TEST(DrawBevelBox, NoSidesAndNoFillDrawsNothing) {
  TSurface s;
  int lines = s.Gdi.Stats.Lines, fills = s.Gdi.Stats.FillRects;
  DrawBevelBox(s.Gdi, s.Dc(), {0, 0, 10, 10}, 0, bvLowered, bvRaised, false, clRed, true);
  EXPECT_EQ(s.Gdi.Stats.Lines, lines);
  EXPECT_EQ(s.Gdi.Stats.FillRects, fills);
}

TEST(DrawBevelBox, BoldLoweredUsesDarkShadowOutsideAndFillsTheInterior) {
  TSurface s;
  HDc dc = s.Dc();
  std::size_t pens = s.Gdi.OpenCount(TSimGdi::TKind::Pen);  // the canvas's own
  TRect inside =
      DrawBevelBox(s.Gdi, dc, {0, 0, 9, 9}, kAllSides, bvLowered, bvNone, true, clRed, false);
  EXPECT_EQ(inside, (TRect{2, 2, 8, 8}));
  EXPECT_EQ(s.At(0, 4), 0x404040u);  // dark shadow column
  EXPECT_EQ(s.At(1, 4), 0x808080u);  // then shadow
  EXPECT_EQ(s.At(9, 4), kWhite);     // highlight, right
  EXPECT_EQ(s.At(4, 9), kWhite);     // highlight, bottom
  EXPECT_EQ(s.At(2, 2), 0x0000FFu);  // fill, one wider to the right and bottom
  EXPECT_EQ(s.At(8, 8), 0x0000FFu);
  EXPECT_EQ(s.Gdi.OpenCount(TSimGdi::TKind::Pen), pens);
  EXPECT_EQ(s.Gdi.GetCurrentPen(s.Dc()).Width, 1);  // the canvas's own pen is back
}

TEST(FillGradient, StepsAreClampedAndOneStepDrawsNothing) {
  TSurface s;
  for (int steps : {0, -3}) {
    s.Gradient.SetSteps(steps);
    EXPECT_EQ(s.Gradient.Steps(), 1);
    FillGradient(s.Gradient, s.Gdi, s.Dc(), {0, 0, 20, 20}, 1, psSolid);
    EXPECT_EQ(s.At(0, 0), kWhite);
  }
  s.Gradient.SetSteps(300);
  EXPECT_EQ(s.Gradient.Steps(), 255);
}

TEST(FillGradient, HorizontalBandsStopAtThePercentage) {
  TSurface s;
  s.Gradient.SetSteps(10);
  s.Gradient.SetPercentFilling(50);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {0, 0, 5, 10}, 1, psSolid);
  // Bands 0..6 of 128 + round(-128 i / 9); 60 % exceeds 50 after band 6.
  EXPECT_EQ(s.Column(2, 10),
            (std::vector<TColorRef>{Grey(128), Grey(114), Grey(100), Grey(85), Grey(71), Grey(57),
                                    Grey(43), kWhite, kWhite, kWhite}));
}

TEST(FillGradient, EqualColoursAreFlatAndOneBandTakesTheFromColour) {
  TSurface s;
  s.Gradient.SetToColor(0x808080);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {0, 0, 5, 10}, 1, psSolid);
  EXPECT_EQ(s.Column(0, 10), std::vector<TColorRef>(10, Grey(128)));
  s.Gradient.SetFromColor(0x0000FF);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {0, 12, 5, 13}, 1, psSolid);
  EXPECT_EQ(s.At(0, 12), 0x0000FFu);
}

TEST(FillGradient, OrientationsAndBufferedDrawing) {
  TSurface s;
  s.Gradient.SetFromColor(0x0000FF);
  s.Gradient.SetToColor(0xFF0000);
  s.Gradient.SetOrientation(fgdVertical);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {0, 0, 3, 2}, 1, psSolid);
  EXPECT_EQ(s.At(0, 1), 0x0000FFu);
  EXPECT_EQ(s.At(1, 1), 0x80007Fu);  // +-127.5 round away from zero
  EXPECT_EQ(s.At(2, 1), 0xFF0000u);

  s.Gradient.SetOrientation(fgdHorzConvergent);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {5, 0, 6, 8}, 1, psSolid);
  EXPECT_EQ(s.At(5, 0), 0x0000FFu);
  EXPECT_EQ(s.At(5, 7), 0x0000FFu);  // the lower half runs back

  s.Gradient.SetOrientation(fgdRectangle);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {8, 0, 16, 8}, 1, psSolid);
  EXPECT_EQ(s.At(8, 0), 0x0000FFu);  // outermost ring
  EXPECT_EQ(s.At(11, 4), 0xFF0000u);

  TSurface plain, buffered;
  buffered.Gradient.SetBufferedDraw(true);
  for (TSurface* t : {&plain, &buffered}) {
    t->Gradient.SetOrientation(fgdLeftBias);
    FillGradient(t->Gradient, t->Gdi, t->Dc(), {2, 2, 12, 12}, 1, psSolid);
  }
  // Inside the rectangle the buffer gives the same picture (it clips what spills over).
  for (int y = 2; y < 12; ++y)
    for (int x = 2; x < 12; ++x) ASSERT_EQ(plain.At(x, y), buffered.At(x, y)) << x << "," << y;
  EXPECT_NE(plain.At(5, 5), kWhite);
  EXPECT_EQ(plain.Gdi.OpenCount(TSimGdi::TKind::Pen), 1u);    // the canvas's own
  EXPECT_EQ(buffered.Gdi.OpenCount(TSimGdi::TKind::DC), 1u);  // the bitmap's canvas
}

TEST(FillGradient, HatchedBandsAndLowColourDisplays) {
  TSurface s;
  s.Gradient.SetBrushStyle(bsHorizontal);
  FillGradient(s.Gradient, s.Gdi, s.Dc(), {0, 0, 4, 8}, 1, psSolid);
  EXPECT_EQ(s.At(0, 0), kWhite);  // gap
  EXPECT_NE(s.At(0, 3), kWhite);  // hatch line
  TSurface low;
  low.Gdi.BitsPerPixel = 8;
  FillGradient(low.Gradient, low.Gdi, low.Dc(), {0, 0, 4, 8}, 1, psSolid);
  EXPECT_EQ(low.At(0, 0), kWhite);
}

TEST(DrawBitmapExt, NormalAndTransparentCopies) {
  TSurface s;
  TBitmap glyph(s.Gdi);
  glyph.LoadFromPixels(2, 2, {0x00FF00, 0xC0C0C0, 0xC0C0C0, 0x0000FF});
  DrawBitmapExt(s.Gdi, s.Dc(), glyph, {4, 4, 6, 6}, clBlack, 0xC0C0C0, false, ddsNormal, dmNormal,
                1, 2);
  EXPECT_EQ(s.At(6, 5), 0x00FF00u);
  EXPECT_EQ(s.At(7, 5), 0xC0C0C0u);
  DrawBitmapExt(s.Gdi, s.Dc(), glyph, {10, 10, 12, 12}, clBlack, 0xC0C0C0, true, ddsNormal,
                dmNormal, 0, 0);
  EXPECT_EQ(s.At(10, 10), 0x00FF00u);
  EXPECT_EQ(s.At(11, 10), kWhite);
  TBitmap empty(s.Gdi);
  int blits = s.Gdi.Stats.Blits;
  DrawBitmapExt(s.Gdi, s.Dc(), empty, {0, 0, 5, 5}, clBlack, clNone, false, ddsNormal, dmNormal, 0,
                0);
  EXPECT_EQ(s.Gdi.Stats.Blits, blits);
}

TEST(ChangeBitmapColor, ReplacesOnlyTheOldColour) {
  TSimGdi gdi;
  TBitmap source(gdi);
  source.LoadFromPixels(3, 1, {0xC0C0C0, 0x00FF00, 0xC0C0C0});
  auto changed = ChangeBitmapColor(source, clSilver, clBtnFace);
  gdi.SysColors[COLOR_BTNFACE] = 0xF5F5F5;  // resolved at the call, not later
  EXPECT_EQ(changed->Pixels(), (std::vector<TColorRef>{0xC0C0C0, 0x00FF00, 0xC0C0C0}));
  auto again = ChangeBitmapColor(source, clSilver, clBtnFace);
  EXPECT_EQ(again->Pixels(), (std::vector<TColorRef>{0xF5F5F5, 0x00FF00, 0xF5F5F5}));
  EXPECT_EQ(source.Pixels(), (std::vector<TColorRef>{0xC0C0C0, 0x00FF00, 0xC0C0C0}));
}

TEST(DeriveShadowHighlight, ShiftsEachChannelWithinRange) {
  TSimGdi gdi;
  TLabelColors colors;
  int notes = 0;
  colors.OnChanged = TNotifyEvent([&](TObject*) { ++notes; });
  DeriveShadowHighlight(gdi, clBtnFace, colors);
  EXPECT_EQ(notes, 0);  // neither automatic
  colors.SetAutoShadow(true);
  colors.SetAutoHighlight(true);
  notes = 0;
  DeriveShadowHighlight(gdi, clBtnFace, colors);
  EXPECT_EQ(colors.Shadow(), 0x848484u);
  EXPECT_EQ(colors.Highlight(), 0xE8E8E8u);
  EXPECT_EQ(notes, 2);
  DeriveShadowHighlight(gdi, 0x20F010, colors);
  EXPECT_EQ(colors.Shadow(), 0x00B400u);
  EXPECT_EQ(colors.Highlight(), 0x48FF38u);
}
