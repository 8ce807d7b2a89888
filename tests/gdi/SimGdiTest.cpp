// The simulated raster follows the system's drawing rules, and the canvas and bitmap
// wrappers give back every handle they take.
#include <gtest/gtest.h>

#include "framework/Graphics.h"
#include "platform/sim/SimGdi.h"

namespace {
using TKind = TSimGdi::TKind;

// A 20 x 20 bitmap canvas filled white, with access to its pixels.
struct TRaster {
  TSimGdi Gdi;
  TBitmap Bitmap{Gdi};
  TRaster() {
    Bitmap.Canvas().Brush().SetColor(clWhite);
    Bitmap.SetSize(20, 20);
  }
  TCanvas& Canvas() { return Bitmap.Canvas(); }
  TColorRef At(int x, int y) { return Canvas().Pixel(x, y); }
  // Rows of the given rectangle as '#' (colour) and '.' (white).
  std::vector<std::string> Rows(TRect r, TColorRef ink) {
    std::vector<std::string> rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
      std::string row;
      for (int x = r.Left; x < r.Right; ++x) row += At(x, y) == ink ? '#' : '.';
      rows.push_back(row);
    }
    return rows;
  }
};
}  // namespace

TEST(SimGdi, LinesLeaveOutTheirEndPointInEveryDirection) {
  TRaster r;
  r.Canvas().Pen().SetColor(clBlack);
  r.Canvas().MoveTo(2, 2);
  r.Canvas().LineTo(6, 2);  // right
  r.Canvas().LineTo(6, 5);  // down
  r.Canvas().LineTo(3, 5);  // left
  r.Canvas().LineTo(3, 3);  // up
  EXPECT_EQ(r.Rows({1, 1, 8, 7}, 0), (std::vector<std::string>{
                                         ".......",
                                         ".#####.",
                                         ".....#.",
                                         "..#..#.",
                                         "..####.",
                                         ".......",
                                     }));
}

TEST(SimGdi, FillsLeaveOutRightAndBottomAndRespectTheClip) {
  TRaster r;
  HDc dc = r.Canvas().Handle();
  r.Gdi.SaveDC(dc);
  r.Gdi.IntersectClipRect(dc, {0, 0, 4, 20});
  r.Canvas().Brush().SetColor(clRed);
  r.Canvas().FillRect({1, 1, 6, 3});
  r.Gdi.RestoreDC(dc, -1);
  r.Canvas().FillRect({1, 5, 3, 5});  // empty
  EXPECT_EQ(r.Rows({0, 0, 7, 6}, 0x0000FF), (std::vector<std::string>{
                                                ".......",
                                                ".###...",
                                                ".###...",
                                                ".......",
                                                ".......",
                                                ".......",
                                            }));
}

TEST(SimGdi, WidePensAreCentredAndCoverBothEnds) {
  TRaster r;
  r.Canvas().Pen().SetColor(clBlack);
  r.Canvas().Pen().SetWidth(3);
  r.Canvas().MoveTo(3, 3);
  r.Canvas().LineTo(8, 3);
  r.Canvas().Pen().SetWidth(2);
  r.Canvas().MoveTo(3, 7);
  r.Canvas().LineTo(8, 7);
  r.Canvas().Pen().SetWidth(5);
  r.Canvas().MoveTo(3, 12);
  r.Canvas().LineTo(8, 12);
  EXPECT_EQ(r.Rows({0, 1, 12, 16}, 0), (std::vector<std::string>{
                                           "............",
                                           "..########..",
                                           "..########..",
                                           "..########..",
                                           "............",
                                           "..#######...",
                                           "..#######...",
                                           "............",
                                           "............",
                                           "..########..",
                                           ".##########.",
                                           ".##########.",
                                           ".##########.",
                                           "..########..",
                                           "............",
                                       }));
}

TEST(SimGdi, StyledPensPaintGapsInTheBackgroundWhenOpaque) {
  TRaster r;
  HDc dc = r.Canvas().Handle();
  r.Canvas().Pen().SetStyle(psDot);
  r.Canvas().Pen().SetColor(clBlack);
  r.Gdi.SetBkColor(dc, 0x0000FF);
  r.Canvas().MoveTo(0, 0);
  r.Canvas().LineTo(8, 0);
  std::vector<TColorRef> row;
  for (int x = 0; x < 9; ++x) row.push_back(r.At(x, 0));
  EXPECT_EQ(row, (std::vector<TColorRef>{0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0xFFFFFF}));
  r.Canvas().Pen().SetStyle(psClear);
  r.Canvas().MoveTo(0, 1);
  r.Canvas().LineTo(8, 1);
  EXPECT_EQ(r.At(0, 1), 0xFFFFFFu);
}

TEST(SimGdi, HatchedBrushesFollowTheDeviceGrid) {
  TRaster r;
  r.Canvas().Brush().SetColor(clBlack);
  r.Canvas().Brush().SetStyle(bsHorizontal);
  r.Canvas().FillRect({0, 0, 3, 16});
  for (int y = 0; y < 16; ++y) EXPECT_EQ(r.At(1, y), y % 8 == 3 ? 0u : 0xFFFFFFu) << y;
}

TEST(SimGdi, TransparentCopyLeavesOutTheKeyColour) {
  TRaster r;
  TBitmap glyph(r.Gdi);
  glyph.LoadFromPixels(2, 2, {0x00FF00, 0xC0C0C0, 0xC0C0C0, 0x0000FF});
  glyph.SetTransparent(true);  // automatic key: the bottom-left pixel, silver
  EXPECT_EQ(glyph.TransparentColor(), 0xC0C0C0u);
  r.Canvas().Draw(4, 4, glyph);
  EXPECT_EQ(r.At(4, 4), 0x00FF00u);
  EXPECT_EQ(r.At(5, 4), 0xFFFFFFu);
  EXPECT_EQ(r.At(4, 5), 0xFFFFFFu);
  EXPECT_EQ(r.At(5, 5), 0x0000FFu);
  glyph.SetTransparent(false);
  r.Canvas().Draw(4, 4, glyph);
  EXPECT_EQ(r.At(5, 4), 0xC0C0C0u);
}

TEST(SimGdi, SelectedObjectsCannotBeDeletedAndCanvasesGiveEverythingBack) {
  TSimGdi gdi;
  {
    TBitmap bitmap(gdi);
    bitmap.SetSize(4, 4);
    bitmap.Canvas().Pen().SetColor(clRed);
    bitmap.Canvas().LineTo(3, 3);
    bitmap.Canvas().Pen().SetColor(clBlue);  // a second pen replaces the first
    bitmap.Canvas().LineTo(0, 3);
    bitmap.Canvas().TextOut(0, 0, "1");
    EXPECT_EQ(gdi.OpenCount(TKind::Pen), 1u);
    EXPECT_EQ(gdi.OpenCount(TKind::DC), 1u);
    HGdiObj pen = gdi.CreatePen(PS_SOLID, 1, 0);
    HDc dc = gdi.CreateMemoryDC();
    HGdiObj old = gdi.SelectObject(dc, pen);
    EXPECT_TRUE(gdi.DeleteObject(pen));  // accepted, but the pen stays while selected
    EXPECT_EQ(gdi.OpenCount(TKind::Pen), 2u);
    gdi.SelectObject(dc, old);
    EXPECT_EQ(gdi.OpenCount(TKind::Pen), 1u);
    EXPECT_FALSE(gdi.DeleteObject(pen)) << "gone";
    gdi.DeleteDC(dc);
    // A bitmap lives in one context at a time; asking for its handle frees the canvas's.
    HDc other = gdi.CreateMemoryDC();
    EXPECT_NE(gdi.SelectObject(other, bitmap.Handle()), HGdiObj::None);
    gdi.DeleteDC(other);
  }
  EXPECT_EQ(gdi.OpenCount(), 0u);
}

TEST(SimGdi, TextUsesTheBuiltInMetrics) {
  TRaster r;
  TCanvas& c = r.Canvas();
  c.Font().SetHeight(-11);
  EXPECT_EQ(c.TextExtent("00\xB0"), (TPoint{18, 11}));
  c.Font().SetStyle(fsBold);
  EXPECT_EQ(c.TextWidth("12"), 14);
  c.Font().SetStyle(0);
  c.Font().SetColor(clPurple);
  c.Brush().SetColor(clYellow);
  c.TextOut(1, 1, "1");
  EXPECT_EQ(r.At(1, 1), 0x00FFFFu);      // cell background in the brush colour
  EXPECT_EQ(r.At(3, 1 + 2), 0x800080u);  // top of the "1" stroke, glyph row 0 at y + 2
  EXPECT_EQ(r.At(7, 1), 0xFFFFFFu);      // beyond the 6-pixel cell
}

TEST(SimGdi, SystemColoursAreClassicAndSettable) {
  TSimGdi gdi;
  EXPECT_EQ(ColorToRGB(clBtnFace, gdi), 0xC0C0C0u);
  EXPECT_EQ(ColorToRGB(clBtnShadow, gdi), 0x808080u);
  EXPECT_EQ(ColorToRGB(clBtnHighlight, gdi), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(cl3DDkShadow, gdi), 0x404040u);
  EXPECT_EQ(ColorToRGB(clNone, gdi), clNone);
  gdi.SysColors[COLOR_BTNFACE] = 0xF5F5F5;
  EXPECT_EQ(ColorToRGB(clBtnFace, gdi), 0xF5F5F5u);
}

TEST(SimGdi, IconsKeepTheMaskColourTransparentOnlyWhenAsked) {
  TSimGdi gdi;
  TBitmap bitmap(gdi);
  bitmap.LoadFromPixels(2, 1, {0x123456, 0xC0C0C0});
  TIcon icon(gdi);
  icon.FromBitmap(bitmap, clBtnFace);
  ASSERT_NE(gdi.Icon(icon.Handle()), nullptr);
  EXPECT_EQ(gdi.Icon(icon.Handle())->Transparent, (std::vector<bool>{false, true}));
  icon.FromBitmap(bitmap, clNone);
  EXPECT_EQ(gdi.Icon(icon.Handle())->Transparent, (std::vector<bool>{false, false}));
  TIcon copy(gdi);
  copy.Assign(icon);
  EXPECT_EQ(gdi.OpenCount(TKind::Icon), 2u);
}

TEST(SimGdi, MulDivRoundsHalvesAwayFromZero) {
  struct TCase {
    int A, B, C, Expected;
  };
  for (TCase t : {TCase{1, 25, 2, 13},
                  {-1, 25, 2, -13},
                  {3, 10, 4, 8},
                  {24, -128, 24, -128},
                  {5, 128, 24, 27},
                  {7, 1, 0, -1}})
    EXPECT_EQ(MulDiv(t.A, t.B, t.C), t.Expected) << t.A << "*" << t.B << "/" << t.C;
}
