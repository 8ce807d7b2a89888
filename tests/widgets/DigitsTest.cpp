// The numerals widget with the main window's settings, pixel for pixel, and its text,
// layout and repaint rules.
#include <gtest/gtest.h>

#include "app/WindowLooks.h"
#include "tests/widgets/WidgetRig.h"
#include "widgets/Digits.h"

namespace {
constexpr TColorRef kLime = 0x00FF00;
constexpr TColorRef kShadow = 0x808080;
constexpr TColorRef kHighlight = 0xFFFFFF;
// Grey level of each gradient row from the top: 128 + round(-128 i / 24).
constexpr int kRows[25] = {128, 123, 117, 112, 107, 101, 96, 91, 85, 80, 75, 69, 64,
                           59,  53,  48,  43,  37,  32,  27, 21, 16, 11, 5,  0};
constexpr TColorRef Grey(int level) { return static_cast<TColorRef>(level * 0x010101); }

struct TDigitsRig : TWidgetRig {
  TDigits& Digits = Add<TDigits>(0, 0, 29, 25);
  TDigitsRig() { ApplyDigitsLook(Digits); }
  TRect Client() const { return {0, 0, 29, 25}; }
  // "45" with the symbol between the digits.
  void PaintFortyFiveWith(TSpecialSymbol symbol) {
    Digits.SetSpecialSymbol(symbol);
    Digits.SetInsertSpecialSymbolAt(2);
    Digits.SetValue(45);
    Paint();
  }
  std::vector<std::string> Look() const {
    return Picture(Client(), [](int, int y, TColorRef c) {
      if (c == kLime) return '#';
      if (y > 0 && y < 24 && c == Grey(kRows[y])) return '.';
      if (c == kShadow) return 's';
      if (c == kHighlight) return 'h';
      return '?';
    });
  }
};
}  // namespace

TEST(Digits, PaintsFortyFiveExactlyAsTheMainWindowShowsIt) {
  TDigitsRig rig;
  rig.Digits.SetValue(45);
  rig.Paint();
  EXPECT_EQ(rig.Look(), (std::vector<std::string>{
                            "ssssssssssssssssssssssssssssh", "s...........................h",
                            "s...........................h", "s...........................h",
                            "s...........................h", "s...........................h",
                            "s...........................h", "s...............####........h",
                            "s......#....#..#............h", "s......#....#..#............h",
                            "s......#....#..#............h", "s......#....#..#............h",
                            "s.......####....####........h", "s...........................h",
                            "s...........#.......#.......h", "s...........#.......#.......h",
                            "s...........#.......#.......h", "s...........#.......#.......h",
                            "s...............####........h", "s...........................h",
                            "s...........................h", "s...........................h",
                            "s...........................h", "s...........................h",
                            "hhhhhhhhhhhhhhhhhhhhhhhhhhhhh",
                        }));
}

TEST(Digits, GradientRowsRunFromGreyToBlackUnderTheBevel) {
  TDigitsRig rig;
  rig.Digits.SetValue(45);
  int fills = rig.Sim.Gdi.Stats.FillRects;
  rig.Paint();
  // One fill per row into the kept picture after its clearing, no refill; a repaint copies
  // the picture without a question to the display, and new colours draw it again.
  EXPECT_EQ(rig.Sim.Gdi.Stats.FillRects - fills, 26);
  fills = rig.Sim.Gdi.Stats.FillRects;
  int depthQueries = rig.Sim.Gdi.Stats.DepthQueries;
  rig.Digits.Invalidate();
  rig.Paint();
  EXPECT_EQ(rig.Sim.Gdi.Stats.FillRects - fills, 0);
  EXPECT_EQ(rig.Sim.Gdi.Stats.DepthQueries, depthQueries);
  for (int y = 1; y < 24; ++y) EXPECT_EQ(rig.At(1, y), Grey(kRows[y])) << y;
  rig.Digits.Gradient().SetFromColor(0xFFFFFF);
  rig.Digits.Invalidate();
  rig.Paint();
  EXPECT_EQ(rig.At(1, 1), Grey(244));  // 255 + round(-255 / 24)
  rig.Digits.Gradient().SetFromColor(0x808080);
  rig.Digits.Invalidate();
  rig.Paint();
  for (int y = 0; y < 24; ++y) EXPECT_EQ(rig.At(0, y), kShadow) << y;
  for (int y = 0; y < 24; ++y) EXPECT_EQ(rig.At(28, y), kHighlight) << y;
  for (int x = 0; x < 28; ++x) EXPECT_EQ(rig.At(x, 0), kShadow) << x;
  for (int x = 0; x < 29; ++x) EXPECT_EQ(rig.At(x, 24), kHighlight) << x;
}

TEST(Digits, RowsAreCentredInTheInterior) {
  struct TCase {
    double Value;
    TRect Lit;  // bounding box of the lit pixels
  };
  // "0" starts at 11, "120" at 3 (its "1" lights only the right column, x = 8).
  for (TCase t : {TCase{0, {11, 7, 17, 19}}, {120, {8, 7, 25, 19}}, {45, {7, 7, 21, 19}}}) {
    TDigitsRig rig;
    rig.Digits.SetValue(t.Value);
    rig.Paint();
    EXPECT_EQ(rig.Extent(rig.Client(), kLime), t.Lit) << t.Value;
  }
}

TEST(Digits, TextRules) {
  struct TCase {
    double Value;
    int DigitCount;
    int Positions;
    char Separator;
    std::string Text;
  };
  for (TCase t : {TCase{45, 4, 0, '.', "4500"},
                  {45, -1, 4, '.', "  45"},
                  {45, 4, 6, '.', "  4500"},
                  {4.5, -1, 0, ',', "4,5"},
                  {0.25, -1, 0, '.', "0.25"},
                  {-5, -1, 0, '.', "-5"},
                  {1e16, -1, 0, '.', "1E16"},
                  {1e-6, -1, 0, '.', "1E-6"},
                  {123456789012345, -1, 0, '.', "123456789012345"},
                  {1.0 / 3, -1, 0, '.', "0.333333333333333"}}) {
    TDigitsRig rig;
    rig.Sim.System.Separator = t.Separator;
    rig.Digits.SetDigitCount(t.DigitCount);
    rig.Digits.SetPositions(static_cast<std::uint16_t>(t.Positions));
    rig.Digits.SetValue(t.Value);
    EXPECT_EQ(rig.Digits.DisplayText(), t.Text) << t.Value;
  }
}

TEST(Digits, BlankPositionsTakeTheirWidthButStayInvisibleOnAGradient) {
  TDigitsRig rig;
  rig.Digits.SetPositions(4);
  rig.Digits.SetValue(45);
  rig.Paint();
  // W = 4 * 8 + 3 = 35, start x = (27 - 35) / 2 + 3 = -1: the "4" is the third cell, at 15.
  EXPECT_EQ(rig.Extent(rig.Client(), kLime), (TRect{15, 7, 29, 19}));
  EXPECT_EQ(rig.At(15, 8), kLime);
}

TEST(Digits, DecimalPointIsOnePixelAndTakesOnlyTheInterspace) {
  TDigitsRig rig;
  rig.Sim.System.Separator = ',';
  rig.Digits.SetValue(4.5);
  rig.Paint();
  // "4,5": W = 8 + 3 + 8 + 3 = 22, start x = 5; the point at x = 13 on the bottom row 18.
  EXPECT_EQ(rig.At(13, 18), kLime);
  EXPECT_NE(rig.At(13, 17), kLime);
  EXPECT_EQ(rig.At(16, 8), kLime);  // the "5" starts three pixels on
  EXPECT_EQ(rig.Digits.LastPointPosition(), 2);
}

TEST(Digits, UnshowableCharactersEndThePaint) {
  {
    TDigitsRig rig;
    rig.Digits.SetValue(-5);
    rig.Paint();
    EXPECT_EQ(rig.Extent(rig.Client(), kLime), TRect{});
    EXPECT_EQ(rig.Look()[1], "s...........................h");  // gradient and bevel stay
  }
  {
    TDigitsRig rig;
    rig.Digits.SetValue(1e16);  // "1E16": W = 35, the "1" at x = -1 lights column 4 only
    rig.Paint();
    EXPECT_EQ(rig.Extent(rig.Client(), kLime), (TRect{4, 8, 5, 18}));
  }
}

TEST(Digits, CharactersBeyondTheWidthAreNotDrawn) {
  TDigitsRig rig;
  rig.Digits.SetAlignment(taLeftJustify);
  rig.Digits.SetValue(12345);  // cells at 3, 11, 19, 27 and 35 > 29
  int lines = rig.Sim.Gdi.Stats.Lines;
  rig.Paint();
  // Four bevel lines and the lit segments of "1234" (2 + 5 + 5 + 4); none for the "5".
  EXPECT_EQ(rig.Sim.Gdi.Stats.Lines - lines, 4 + 16);
}

TEST(Digits, SpecialSymbolNoneStillTakesItsPlace) {
  TDigitsRig rig;
  rig.PaintFortyFiveWith(ssyNone);
  // W = 19 + 8 = 27, start x = 3; nothing is drawn for the symbol, so the "5" follows at 11.
  EXPECT_EQ(rig.At(3, 8), kLime);
  EXPECT_EQ(rig.At(11, 8), kLime);
  EXPECT_EQ(rig.Extent(rig.Client(), kLime), (TRect{3, 7, 17, 19}));

  rig.Digits.SetSpecialSymbol(ssyColon);
  EXPECT_EQ(rig.Digits.InsertSpecialSymbolAt(), 2);
  rig.Digits.SetSpecialSymbol(ssyNone);
  EXPECT_EQ(rig.Digits.InsertSpecialSymbolAt(), -1);
}

TEST(Digits, ColonIsTwoPixels) {
  TDigitsRig rig;
  rig.PaintFortyFiveWith(ssyColon);
  // W = 19 + 9 = 28, start x = (27 - 28) / 2 + 3 = 3 (halved toward zero); the colon at
  // x = 3 + 8 + 3 = 14, rows 7 + 3 and 7 + 11 - 3.
  EXPECT_EQ(rig.At(14, 10), kLime);
  EXPECT_EQ(rig.At(14, 15), kLime);
  EXPECT_EQ(rig.At(20, 8), kLime);  // the "5" after the colon's 9 pixels
}

TEST(Digits, RepaintRequestsAndRefills) {
  TDigitsRig rig;
  rig.Digits.Gradient().SetActive(false);
  rig.Digits.SetValue(45);
  rig.Paint();
  EXPECT_FALSE(rig.RepaintRequested());
  rig.Digits.SetValue(45);
  EXPECT_FALSE(rig.RepaintRequested());

  // Same length: drawn over the old value, unlit segments in the passive colour.
  rig.Digits.SetValue(46);
  EXPECT_TRUE(rig.RepaintRequested());
  EXPECT_FALSE(rig.Digits.RefreshBackground());
  int fills = rig.Sim.Gdi.Stats.FillRects;
  rig.Paint();
  EXPECT_EQ(rig.Sim.Gdi.Stats.FillRects, fills);
  EXPECT_EQ(rig.At(15, 15), kLime);     // lower-left of the "6"
  EXPECT_EQ(rig.At(20, 9), 0x202020u);  // upper-right, unlit
  EXPECT_EQ(rig.At(2, 2), 0x000000u);   // background from the first paint

  // A new length refills the interior first.
  rig.Digits.SetValue(9);
  rig.Paint();
  rig.Digits.SetValue(10);
  EXPECT_TRUE(rig.Digits.RefreshBackground());
  fills = rig.Sim.Gdi.Stats.FillRects;
  rig.Paint();
  EXPECT_EQ(rig.Sim.Gdi.Stats.FillRects, fills + 1);
}

TEST(Digits, SettersTellWhetherTheBackgroundIsRefilled) {
  TDigitsRig rig;
  rig.Paint();
  auto refresh = [&](auto set) {
    rig.Digits.SetValue(rig.Digits.Value() + 1);  // same length: refill off
    rig.Digits.SetValue(rig.Digits.Value() + 1);
    set();
    return rig.Digits.RefreshBackground();
  };
  EXPECT_FALSE(refresh([&] { rig.Digits.SetActiveColor(clRed); }));
  EXPECT_FALSE(refresh([&] { rig.Digits.SetPassiveColor(clRed); }));
  EXPECT_FALSE(refresh([&] { rig.Digits.SetPenStyle(psDot); }));
  EXPECT_TRUE(refresh([&] { rig.Digits.SetBackgroundColor(clRed); }));
  EXPECT_TRUE(refresh([&] { rig.Digits.SetGap(2); }));
  EXPECT_TRUE(refresh([&] { rig.Digits.SetAlignment(taLeftJustify); }));
  EXPECT_FALSE(refresh([&] { rig.Digits.Bevel().SetBold(true); }));
  EXPECT_TRUE(refresh([&] { rig.Digits.SetBounds(0, 0, 30, 25); }));
  rig.Paint();
  rig.Digits.Gradient().SetSteps(20);  // options ask for a repaint only
  EXPECT_TRUE(rig.RepaintRequested());
}

TEST(Digits, OnALowColourDisplayOnlyTheLitSegmentsShow) {
  TDigitsRig rig;
  rig.Sim.Gdi.BitsPerPixel = 8;
  rig.Ground(0x123456);
  rig.Digits.SetValue(45);
  rig.Paint();
  EXPECT_EQ(rig.At(2, 2), 0x123456u);  // no gradient, no refill, no unlit segments
  EXPECT_EQ(rig.At(7, 8), kLime);
  EXPECT_EQ(rig.At(0, 5), kShadow);
}

TEST(Digits, PaintKeepsOnlyItsGradientPicture) {
  TDigitsRig rig;
  rig.Digits.SetValue(88.5);
  rig.Paint();
  // The picture, its context and the context's pen and brush; no more for a repaint.
  EXPECT_EQ(rig.Sim.Gdi.OpenCount(), 4u);
  rig.Digits.SetValue(12);
  rig.Paint();
  EXPECT_EQ(rig.Sim.Gdi.OpenCount(), 4u);
}

TEST(Digits, PaintsOnlyInsideItsOwnBoundsOnTheParent) {
  TWidgetRig rig(60, 40);
  TDigits& digits = rig.Add<TDigits>(10, 5, 29, 25);
  ApplyDigitsLook(digits);
  digits.SetPenWidth(3);  // wide segment lines reach past the cells
  digits.SetValue(888);
  rig.Ground(0x123456);
  rig.Paint();
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      bool inside = x >= 10 && x < 39 && y >= 5 && y < 30;
      if (!inside) {
        ASSERT_EQ(rig.At(x, y), 0x123456u) << x << "," << y;
      }
    }
  EXPECT_EQ(rig.At(10, 10), kShadow);
  EXPECT_EQ(rig.At(38, 10), kHighlight);
}

TEST(Digits, ClickReachesTheHandler) {
  TDigitsRig rig;
  int clicks = 0;
  rig.Digits.OnClick = TNotifyEvent([&](TObject* sender) {
    EXPECT_EQ(sender, &rig.Digits);
    ++clicks;
  });
  auto at = static_cast<std::intptr_t>(MakeLong(5, 5));
  rig.Sim.Windows.SendMessage(rig.Window, WM_LBUTTONDOWN, 0, at);
  rig.Sim.Windows.SendMessage(rig.Window, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks, 1);
}
