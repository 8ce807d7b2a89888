// Drawing: the raster's rules (line end points, fill edges, pens, hatches, clipping, origins),
// block and transparent copies, bitmaps, text cells, icons and image lists, system colours,
// and the balance of objects as the GDI layer counts them.
#include "tests/contract/ContractPlatform.h"

namespace {
IGdi& Gdi() { return ContractPlatform().Gdi; }
constexpr TColorRef kWhite = 0xFFFFFF;
constexpr TColorRef kInk = 0x0000C0;
constexpr TColorRef kPaper = 0x00E0E0;

// A pen selected for the duration of a case.
class TPenIn {
 public:
  TPenIn(HDc dc, int style, int width, TColorRef color)
      : FDc(dc), FPen(Gdi().CreatePen(style, width, color)), FOld(Gdi().SelectObject(dc, FPen)) {}
  ~TPenIn() {
    Gdi().SelectObject(FDc, FOld);
    Gdi().DeleteObject(FPen);
  }

 private:
  HDc FDc;
  HGdiObj FPen, FOld;
};

using TPicture = std::vector<std::string>;
}  // namespace

// ---- the device ---------------------------------------------------------------------------

TEST(Gdi, ScreenAndMemoryContextsShareOneTrueColourFormat) {
  int screen = Gdi().GetBitsPerPixel(HDc::None);
  EXPECT_GE(screen, 24);
  TSurface surface(4, 4);
  EXPECT_EQ(Gdi().GetBitsPerPixel(surface.Dc()), screen);
}

TEST(Gdi, SystemColoursTheProgramUsesExistAndAreDistinctWhereItMatters) {
  for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNTEXT,
                    COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_HIGHLIGHT,
                    COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT}) {
    EXPECT_EQ(Gdi().GetSysColor(index) & 0xFF000000u, 0u) << "index " << index;
  }
  EXPECT_NE(Gdi().GetSysColor(COLOR_BTNSHADOW), Gdi().GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_NE(Gdi().GetSysColor(COLOR_BTNFACE), Gdi().GetSysColor(COLOR_BTNSHADOW));
}

// ---- pixels and fills ---------------------------------------------------------------------

TEST(Gdi, PixelsRoundTripAndOutsideReadsAsInvalid) {
  TSurface s(8, 8);
  EXPECT_EQ(Gdi().SetPixel(s.Dc(), 3, 4, 0x123456), 0x123456u);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 3, 4), 0x123456u);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 4, 4), kWhite);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 8, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 0, -1), 0xFFFFFFFFu);
}

TEST(Gdi, FillLeavesOutRightAndBottomEdges) {
  TSurface s(6, 5);
  HGdiObj brush = Gdi().CreateSolidBrush(kInk);
  EXPECT_TRUE(Gdi().FillRect(s.Dc(), {1, 1, 4, 3}, brush));
  Gdi().DeleteObject(brush);
  EXPECT_EQ(s.Picture(kInk, {0, 0, 6, 5}), (TPicture{"......",  //
                                                     ".###..",  //
                                                     ".###..",  //
                                                     "......",  //
                                                     "......"}));
}

TEST(Gdi, FrameIsOnePixelJustInsideTheRectangle) {
  TSurface s(6, 5);
  HGdiObj brush = Gdi().CreateSolidBrush(kInk);
  EXPECT_TRUE(Gdi().FrameRect(s.Dc(), {1, 0, 5, 4}, brush));
  Gdi().DeleteObject(brush);
  EXPECT_EQ(s.Picture(kInk, {0, 0, 6, 5}), (TPicture{".####.",  //
                                                     ".#..#.",  //
                                                     ".#..#.",  //
                                                     ".####.",  //
                                                     "......"}));
}

TEST(Gdi, FrameOfAnEmptyRectangleDrawsNothing) {
  TSurface s(4, 4);
  HGdiObj brush = Gdi().CreateSolidBrush(kInk);
  EXPECT_FALSE(Gdi().FrameRect(s.Dc(), {2, 1, 2, 3}, brush));
  EXPECT_EQ(s.Picture(kInk, {0, 0, 4, 4}), TPicture(4, "...."));
  Gdi().DeleteObject(brush);
}

struct THatchCase {
  int Hatch;
  TPicture Rows;  // the 8 x 8 cell at the device origin
};

class GdiHatch : public testing::TestWithParam<THatchCase> {};

TEST_P(GdiHatch, PatternIsAlignedToTheDeviceAndGapsTakeTheBackground) {
  const THatchCase& c = GetParam();
  TSurface s(16, 16);
  Gdi().SetBkColor(s.Dc(), kPaper);
  Gdi().SetBkMode(s.Dc(), OPAQUE);
  HGdiObj brush = Gdi().CreateHatchBrush(c.Hatch, kInk);
  ASSERT_NE(brush, HGdiObj::None);
  Gdi().FillRect(s.Dc(), {0, 0, 16, 16}, brush);
  EXPECT_EQ(s.Picture(kInk, {0, 0, 8, 8}), c.Rows);
  EXPECT_EQ(s.Picture(kInk, {8, 8, 16, 16}), c.Rows) << "the next cell repeats it";
  EXPECT_EQ(s.Picture(kWhite, {0, 0, 8, 8}), TPicture(8, "........"))
      << "no white left: gaps are the background colour";
  Gdi().DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(
    Contract, GdiHatch,
    testing::Values(THatchCase{HS_HORIZONTAL,
                               {"........", "........", "........", "########", "........",
                                "........", "........", "........"}},
                    THatchCase{HS_VERTICAL,
                               {"....#...", "....#...", "....#...", "....#...", "....#...",
                                "....#...", "....#...", "....#..."}},
                    THatchCase{HS_CROSS,
                               {"....#...", "....#...", "....#...", "########", "....#...",
                                "....#...", "....#...", "....#..."}},
                    THatchCase{HS_DIAGCROSS,
                               {"#......#", ".#....#.", "..#..#..", "...##...", "...##...",
                                "..#..#..", ".#....#.", "#......#"}}));

// ---- lines --------------------------------------------------------------------------------

struct TLineCase {
  const char* Name;
  int Style;
  int Width;
  TPoint From, To;
  TPicture Rows;  // the first 8 x 5 pixels
};

class GdiLine : public testing::TestWithParam<TLineCase> {};

TEST_P(GdiLine, PaintsAsTheSystemDoes) {
  const TLineCase& c = GetParam();
  TSurface s(16, 8);
  Gdi().SetBkMode(s.Dc(), TRANSPARENT);
  TPenIn pen(s.Dc(), c.Style, c.Width, kInk);
  Gdi().MoveTo(s.Dc(), c.From.X, c.From.Y);
  EXPECT_TRUE(Gdi().LineTo(s.Dc(), c.To.X, c.To.Y));
  if (!c.Rows.empty()) {
    EXPECT_EQ(s.Picture(kInk, {0, 0, 8, 5}), c.Rows);
    return;
  }
  // A wide pen: three rows centred on the line, and round ends reaching past both end points
  // on the centre row. The exact shape of the ends is left to the widgets' pixel comparisons.
  EXPECT_EQ(s.Picture(kInk, {2, 0, 6, 5}), (TPicture{"....", "####", "####", "####", "...."}));
  EXPECT_EQ(s.Picture(kInk, {0, 2, 8, 3}), TPicture{".######."});
}

INSTANTIATE_TEST_SUITE_P(
    Contract, GdiLine,
    testing::Values(TLineCase{"HorizontalLeavesOutItsEnd",
                              PS_SOLID,
                              1,
                              {1, 1},
                              {5, 1},
                              {"........", ".####...", "........", "........", "........"}},
                    TLineCase{"LeftwardLeavesOutItsEnd",
                              PS_SOLID,
                              1,
                              {5, 1},
                              {1, 1},
                              {"........", "..####..", "........", "........", "........"}},
                    TLineCase{"VerticalLeavesOutItsEnd",
                              PS_SOLID,
                              1,
                              {2, 0},
                              {2, 4},
                              {"..#.....", "..#.....", "..#.....", "..#.....", "........"}},
                    TLineCase{"DiagonalLeavesOutItsEnd",
                              PS_SOLID,
                              1,
                              {0, 0},
                              {4, 4},
                              {"#.......", ".#......", "..#.....", "...#....", "........"}},
                    TLineCase{"ZeroWidthIsOnePixel",
                              PS_SOLID,
                              0,
                              {1, 2},
                              {6, 2},
                              {"........", "........", ".#####..", "........", "........"}},
                    TLineCase{"NullPenPaintsNothing",
                              PS_NULL,
                              1,
                              {0, 2},
                              {8, 2},
                              {"........", "........", "........", "........", "........"}},
                    TLineCase{"WidePenIsCentredAndCoversItsEnd", PS_SOLID, 3, {2, 2}, {5, 2}, {}}),
    [](const testing::TestParamInfo<TLineCase>& info) { return std::string(info.param.Name); });

TEST(Gdi, DottedPenPaintsGapsInTheBackgroundOnlyWhenOpaque) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    TSurface s(16, 3);
    Gdi().SetBkColor(s.Dc(), kPaper);
    Gdi().SetBkMode(s.Dc(), mode);
    TPenIn pen(s.Dc(), PS_DOT, 1, kInk);
    Gdi().MoveTo(s.Dc(), 0, 1);
    Gdi().LineTo(s.Dc(), 13, 1);
    EXPECT_EQ(s.Picture(kInk, {0, 1, 16, 2}), TPicture{"###...###...#..."}) << "mode " << mode;
    EXPECT_EQ(s.Picture(kPaper, {0, 1, 16, 2}),
              TPicture{mode == OPAQUE ? "...###...###...." : "................"})
        << "mode " << mode;
  }
}

TEST(Gdi, LineMovesTheCurrentPositionToItsEnd) {
  TSurface s(8, 8);
  TPenIn pen(s.Dc(), PS_SOLID, 1, kInk);
  EXPECT_EQ(Gdi().MoveTo(s.Dc(), 1, 1), (TPoint{0, 0})) << "a new context starts at 0,0";
  Gdi().LineTo(s.Dc(), 5, 1);
  EXPECT_EQ(Gdi().MoveTo(s.Dc(), 0, 0), (TPoint{5, 1}));
}

TEST(Gdi, CurrentPenReportsStyleAndWidth) {
  TSurface s(4, 4);
  {
    TPenIn pen(s.Dc(), PS_DASH, 1, kInk);
    EXPECT_EQ(Gdi().GetCurrentPen(s.Dc()).Style, PS_DASH);
    EXPECT_EQ(Gdi().GetCurrentPen(s.Dc()).Width, 1);
  }
  TPenIn wide(s.Dc(), PS_SOLID, 3, kInk);
  EXPECT_EQ(Gdi().GetCurrentPen(s.Dc()).Style, PS_SOLID);
  EXPECT_EQ(Gdi().GetCurrentPen(s.Dc()).Width, 3);
}

// ---- origins, clipping and saved states ---------------------------------------------------

TEST(Gdi, ViewportOriginShiftsDrawing) {
  TSurface s(8, 8);
  EXPECT_EQ(Gdi().SetViewportOrg(s.Dc(), {3, 2}), (TPoint{0, 0}));
  EXPECT_EQ(Gdi().GetViewportOrg(s.Dc()), (TPoint{3, 2}));
  Gdi().SetPixel(s.Dc(), 1, 1, kInk);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 1, 1), kInk);
  Gdi().SetViewportOrg(s.Dc(), {0, 0});
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 4, 3), kInk);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 1, 1), kWhite);
}

TEST(Gdi, ClipLimitsDrawing) {
  TSurface s(8, 8);
  int saved = Gdi().SaveDC(s.Dc());
  Gdi().IntersectClipRect(s.Dc(), {2, 2, 5, 5});
  HGdiObj brush = Gdi().CreateSolidBrush(kInk);
  Gdi().FillRect(s.Dc(), {0, 0, 8, 8}, brush);
  Gdi().DeleteObject(brush);
  Gdi().SetPixel(s.Dc(), 6, 2, kInk);
  Gdi().RestoreDC(s.Dc(), saved);                                 // read without the clip
  EXPECT_EQ(s.Picture(kInk, {0, 0, 8, 6}), (TPicture{"........",  //
                                                     "........",  //
                                                     "..###...",  //
                                                     "..###...",  //
                                                     "..###...",  //
                                                     "........"}));
}

TEST(Gdi, ReadsOutsideTheClipAreInvalid) {
  constexpr char kIgnoresClip[] =
      "GetPixel ignores the clip region of a memory context; Windows gives CLR_INVALID for a "
      "point outside it, as documented";
  TSurface s(8, 8);
  Gdi().IntersectClipRect(s.Dc(), {2, 2, 5, 5});
  // Wine reads the pixel the clip hides: the surface's white.
  const TColorRef outsideAbove = Gdi().GetPixel(s.Dc(), 1, 1);
  WINE_DIFFERENCE(kIgnoresClip, outsideAbove == 0xFFFFFFFFu, outsideAbove == kWhite);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 2, 2), kWhite);
  const TColorRef outsideBelow = Gdi().GetPixel(s.Dc(), 5, 5);
  WINE_DIFFERENCE(kIgnoresClip, outsideBelow == 0xFFFFFFFFu, outsideBelow == kWhite);
}

TEST(Gdi, ClipIsGivenInLogicalCoordinates) {
  TSurface s(8, 8);
  Gdi().SetViewportOrg(s.Dc(), {2, 0});
  Gdi().IntersectClipRect(s.Dc(), {0, 0, 2, 8});
  Gdi().SetViewportOrg(s.Dc(), {0, 0});
  HGdiObj brush = Gdi().CreateSolidBrush(kInk);
  Gdi().FillRect(s.Dc(), {0, 0, 8, 1}, brush);
  Gdi().DeleteObject(brush);
  EXPECT_EQ(s.Picture(kInk, {0, 0, 8, 1}), TPicture{"..##...."});
}

TEST(Gdi, RestoringASavedStateBringsBackOriginClipColoursAndPen) {
  TSurface s(8, 8);
  TPenIn pen(s.Dc(), PS_DASH, 1, kInk);
  Gdi().SetTextColor(s.Dc(), 0x010203);
  int saved = Gdi().SaveDC(s.Dc());
  EXPECT_GT(saved, 0);
  Gdi().SetViewportOrg(s.Dc(), {4, 4});
  Gdi().IntersectClipRect(s.Dc(), {0, 0, 1, 1});
  Gdi().SetTextColor(s.Dc(), 0x0A0B0C);
  HGdiObj other = Gdi().CreatePen(PS_SOLID, 2, kInk);
  HGdiObj before = Gdi().SelectObject(s.Dc(), other);
  EXPECT_NE(before, HGdiObj::None);
  EXPECT_TRUE(Gdi().RestoreDC(s.Dc(), -1));
  EXPECT_EQ(Gdi().GetViewportOrg(s.Dc()), (TPoint{0, 0}));
  EXPECT_EQ(Gdi().GetCurrentPen(s.Dc()).Style, PS_DASH);
  EXPECT_EQ(Gdi().SetTextColor(s.Dc(), 0), 0x010203u);
  Gdi().SetPixel(s.Dc(), 7, 7, kInk);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 7, 7), kInk) << "the clip went with the restore";
  EXPECT_TRUE(Gdi().DeleteObject(other)) << "no longer selected";
  EXPECT_FALSE(Gdi().RestoreDC(s.Dc(), -1)) << "nothing saved any more";
}

// ---- bitmaps and copies -------------------------------------------------------------------

TEST(Gdi, BitmapPixelsRoundTripRowsFromTheTop) {
  HGdiObj bitmap = Gdi().CreateBitmap(3, 2);
  ASSERT_NE(bitmap, HGdiObj::None);
  EXPECT_EQ(Gdi().GetBitmapSize(bitmap), (TPoint{3, 2}));
  std::vector<TColorRef> pixels{0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0x000000, 0xFFFFFF};
  EXPECT_TRUE(Gdi().SetBitmapPixels(bitmap, pixels));
  EXPECT_EQ(Gdi().GetBitmapPixels(bitmap), pixels);
  EXPECT_FALSE(Gdi().SetBitmapPixels(bitmap, {0x0000FF})) << "wrong count";
  HDc dc = Gdi().CreateMemoryDC();
  HGdiObj old = Gdi().SelectObject(dc, bitmap);
  EXPECT_EQ(Gdi().GetPixel(dc, 2, 0), 0xFF0000u);
  EXPECT_EQ(Gdi().GetPixel(dc, 0, 1), 0x123456u);
  Gdi().SelectObject(dc, old);
  Gdi().DeleteDC(dc);
  Gdi().DeleteObject(bitmap);
}

TEST(Gdi, MissingBitmapResourceIsNone) {
  EXPECT_EQ(Gdi().LoadBitmapResource("NoSuchPicture"), HGdiObj::None);
}

TEST(Gdi, BlockCopyCopiesExactlyTheBlock) {
  TSurface src(4, 4, kInk), dst(6, 6);
  Gdi().SetPixel(src.Dc(), 1, 1, kPaper);
  EXPECT_TRUE(Gdi().BitBlt(dst.Dc(), 2, 1, 3, 2, src.Dc(), 0, 0));
  EXPECT_EQ(dst.Picture(kInk, {0, 0, 6, 4}), (TPicture{"......",  //
                                                       "..###.",  //
                                                       "..#.#.",  //
                                                       "......"}));
  EXPECT_EQ(Gdi().GetPixel(dst.Dc(), 3, 2), kPaper);
}

TEST(Gdi, OverlappingCopyWithinOneSurfaceReadsBeforeWriting) {
  TSurface s(8, 1);
  for (int x = 0; x < 4; ++x) Gdi().SetPixel(s.Dc(), x, 0, 0x000010 * (x + 1));
  Gdi().BitBlt(s.Dc(), 1, 0, 4, 1, s.Dc(), 0, 0);
  std::vector<TColorRef> row;
  for (int x = 0; x < 6; ++x) row.push_back(Gdi().GetPixel(s.Dc(), x, 0));
  EXPECT_EQ(row, (std::vector<TColorRef>{0x10, 0x10, 0x20, 0x30, 0x40, kWhite}));
}

TEST(Gdi, TransparentCopyLeavesOutTheKeyColour) {
  TSurface src(3, 1, kInk), dst(3, 1, kWhite);
  Gdi().SetPixel(src.Dc(), 1, 0, 0xFF00FF);
  EXPECT_TRUE(Gdi().TransparentBlt(dst.Dc(), 0, 0, 3, 1, src.Dc(), 0, 0, 0xFF00FF));
  EXPECT_EQ(dst.Picture(kInk, {0, 0, 3, 1}), TPicture{"#.#"});
  EXPECT_EQ(Gdi().GetPixel(dst.Dc(), 1, 0), kWhite);
}

// ---- objects ------------------------------------------------------------------------------

TEST(Gdi, SelectGivesTheObjectReplaced) {
  TSurface s(4, 4);
  HGdiObj a = Gdi().CreateSolidBrush(kInk), b = Gdi().CreateSolidBrush(kPaper);
  HGdiObj stock = Gdi().SelectObject(s.Dc(), a);
  EXPECT_NE(stock, HGdiObj::None);
  EXPECT_EQ(Gdi().SelectObject(s.Dc(), b), a);
  EXPECT_EQ(Gdi().SelectObject(s.Dc(), stock), b);
  EXPECT_TRUE(Gdi().DeleteObject(a));
  EXPECT_TRUE(Gdi().DeleteObject(b));
}

TEST(Gdi, DeletingASelectedObjectWaitsUntilItIsDeselected) {
  long before = ContractLiveGdiObjects();
  TSurface s(8, 2);
  long withSurface = ContractLiveGdiObjects();
  HGdiObj pen = Gdi().CreatePen(PS_SOLID, 1, kInk);
  HGdiObj old = Gdi().SelectObject(s.Dc(), pen);
  EXPECT_TRUE(Gdi().DeleteObject(pen)) << "accepted while selected";
  Gdi().MoveTo(s.Dc(), 0, 0);
  Gdi().LineTo(s.Dc(), 4, 0);
  EXPECT_EQ(s.Picture(kInk, {0, 0, 8, 1}), TPicture{"####...."}) << "the pen still draws";
  Gdi().SelectObject(s.Dc(), old);
  EXPECT_EQ(ContractLiveGdiObjects(), withSurface) << "gone once deselected";
  EXPECT_GT(withSurface, before);
}

TEST(Gdi, BitmapLivesInOneMemoryContextAtATime) {
  HGdiObj bitmap = Gdi().CreateBitmap(2, 2);
  HDc first = Gdi().CreateMemoryDC(), second = Gdi().CreateMemoryDC();
  HGdiObj old = Gdi().SelectObject(first, bitmap);
  EXPECT_NE(old, HGdiObj::None);
  EXPECT_EQ(Gdi().SelectObject(second, bitmap), HGdiObj::None);
  Gdi().SelectObject(first, old);
  HGdiObj old2 = Gdi().SelectObject(second, bitmap);
  EXPECT_NE(old2, HGdiObj::None) << "free again";
  Gdi().SelectObject(second, old2);
  Gdi().DeleteDC(first);
  Gdi().DeleteDC(second);
  Gdi().DeleteObject(bitmap);
}

TEST(Gdi, LayerCountsEveryObjectUntilFreed) {
  long before = ContractLiveGdiObjects();
  HGdiObj pen = Gdi().CreatePen(PS_SOLID, 1, kInk);
  HGdiObj brush = Gdi().CreateSolidBrush(kInk);
  HGdiObj hatch = Gdi().CreateHatchBrush(HS_CROSS, kInk);
  HGdiObj font = Gdi().CreateFont({"Arial", -12});
  HGdiObj bitmap = Gdi().CreateBitmap(4, 4);
  HDc dc = Gdi().CreateMemoryDC();
  HIcon icon = Gdi().CreateIconFromBitmap(bitmap, false, 0);
  HImageList list = Gdi().ImageListCreate(4, 4);
  for (HGdiObj h : {pen, brush, hatch, font, bitmap}) ASSERT_NE(h, HGdiObj::None);
  ASSERT_NE(dc, HDc::None);
  ASSERT_NE(icon, HIcon::None);
  ASSERT_NE(list, HImageList::None);
  EXPECT_EQ(ContractLiveGdiObjects(), before + 8);

  EXPECT_TRUE(Gdi().DeleteObject(pen));
  EXPECT_TRUE(Gdi().DeleteObject(brush));
  EXPECT_TRUE(Gdi().DeleteObject(hatch));
  EXPECT_TRUE(Gdi().DeleteObject(font));
  EXPECT_TRUE(Gdi().DeleteObject(bitmap));
  EXPECT_TRUE(Gdi().DeleteDC(dc));
  EXPECT_TRUE(Gdi().DestroyIcon(icon));
  EXPECT_TRUE(Gdi().ImageListDestroy(list));
  EXPECT_EQ(ContractLiveGdiObjects(), before);
  EXPECT_FALSE(Gdi().DestroyIcon(icon)) << "already destroyed";
  EXPECT_EQ(ContractLiveGdiObjects(), before);
}

// ---- text ---------------------------------------------------------------------------------

TEST(Gdi, TextExtentGrowsWithTheTextAndKeepsItsHeight) {
  TSurface s(8, 8);
  HGdiObj font = Gdi().CreateFont({"Arial", -13});
  HGdiObj old = Gdi().SelectObject(s.Dc(), font);
  TPoint one = Gdi().GetTextExtent(s.Dc(), "0");
  TPoint three = Gdi().GetTextExtent(s.Dc(), "000");
  EXPECT_GT(one.X, 0);
  EXPECT_EQ(three.X, 3 * one.X) << "digits are of one width";
  EXPECT_EQ(three.Y, one.Y);
  EXPECT_GE(one.Y, 13) << "at least the character height asked for";
  EXPECT_EQ(Gdi().GetTextExtent(s.Dc(), "").X, 0);
  HGdiObj bold = Gdi().CreateFont({"Arial", -13, DEFAULT_CHARSET, true});
  Gdi().SelectObject(s.Dc(), bold);
  EXPECT_GE(Gdi().GetTextExtent(s.Dc(), "000").X, three.X) << "bold is no narrower";
  Gdi().SelectObject(s.Dc(), old);
  Gdi().DeleteObject(font);
  Gdi().DeleteObject(bold);
}

TEST(Gdi, OpaqueTextFillsItsCellsWithTheBackgroundAndTransparentTextDoesNot) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    TSurface s(40, 30);
    HGdiObj font = Gdi().CreateFont({"Arial", -13});
    HGdiObj old = Gdi().SelectObject(s.Dc(), font);
    Gdi().SetBkColor(s.Dc(), kPaper);
    Gdi().SetBkMode(s.Dc(), mode);
    TPoint extent = Gdi().GetTextExtent(s.Dc(), "  ");
    EXPECT_TRUE(Gdi().TextOut(s.Dc(), 2, 3, "  "));
    TColorRef inside = mode == OPAQUE ? kPaper : kWhite;
    EXPECT_EQ(Gdi().GetPixel(s.Dc(), 2, 3), inside) << "mode " << mode;
    EXPECT_EQ(Gdi().GetPixel(s.Dc(), 2 + extent.X - 1, 3 + extent.Y - 1), inside);
    EXPECT_EQ(Gdi().GetPixel(s.Dc(), 2 + extent.X, 3), kWhite) << "nothing right of the cells";
    EXPECT_EQ(Gdi().GetPixel(s.Dc(), 2, 3 + extent.Y), kWhite) << "nothing below the cells";
    EXPECT_EQ(Gdi().GetPixel(s.Dc(), 1, 3), kWhite);
    Gdi().SelectObject(s.Dc(), old);
    Gdi().DeleteObject(font);
  }
}

TEST(Gdi, TextIsDrawnInTheTextColour) {
  TSurface s(40, 30);
  HGdiObj font = Gdi().CreateFont({"Arial", -13});
  HGdiObj old = Gdi().SelectObject(s.Dc(), font);
  Gdi().SetTextColor(s.Dc(), kInk);
  Gdi().SetBkMode(s.Dc(), TRANSPARENT);
  Gdi().TextOut(s.Dc(), 1, 1, "8");
  int inked = 0;
  for (const std::string& row : s.Picture(kInk, {0, 0, 40, 30}))
    inked += static_cast<int>(std::count(row.begin(), row.end(), '#'));
  EXPECT_GT(inked, 5);
  Gdi().SelectObject(s.Dc(), old);
  Gdi().DeleteObject(font);
}

// ---- icons and image lists ----------------------------------------------------------------

namespace {
// A 3 x 2 bitmap: ink, key, ink / key, ink, paper.
HGdiObj KeyedBitmap() {
  HGdiObj bitmap = Gdi().CreateBitmap(3, 2);
  Gdi().SetBitmapPixels(bitmap, {kInk, 0xFF00FF, kInk, 0xFF00FF, kInk, kPaper});
  return bitmap;
}
}  // namespace

TEST(Gdi, MaskedIconDrawsAllButTheKeyColour) {
  HGdiObj bitmap = KeyedBitmap();
  HIcon icon = Gdi().CreateIconFromBitmap(bitmap, true, 0xFF00FF);
  ASSERT_NE(icon, HIcon::None);
  EXPECT_EQ(Gdi().GetIconSize(icon), (TPoint{3, 2}));
  TSurface s(5, 4);
  EXPECT_TRUE(Gdi().DrawIcon(s.Dc(), 1, 1, icon));
  EXPECT_EQ(s.Picture(kInk, {0, 0, 5, 4}), (TPicture{".....",  //
                                                     ".#.#.",  //
                                                     "..#..",  //
                                                     "....."}));
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 2, 1), kWhite) << "transparent";
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 3, 2), kPaper);
  Gdi().DestroyIcon(icon);
  Gdi().DeleteObject(bitmap);
}

TEST(Gdi, UnmaskedIconIsOpaqueEverywhere) {
  HGdiObj bitmap = KeyedBitmap();
  HIcon icon = Gdi().CreateIconFromBitmap(bitmap, false, 0xFF00FF);
  TSurface s(3, 2);
  Gdi().DrawIcon(s.Dc(), 0, 0, icon);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 1, 0), 0xFF00FFu);
  HIcon copy = Gdi().CopyIcon(icon);
  ASSERT_NE(copy, HIcon::None);
  EXPECT_NE(copy, icon);
  EXPECT_TRUE(Gdi().DestroyIcon(icon));
  EXPECT_EQ(Gdi().GetIconSize(copy), (TPoint{3, 2})) << "the copy outlives the original";
  EXPECT_TRUE(Gdi().DestroyIcon(copy));
  Gdi().DeleteObject(bitmap);
}

namespace {
// An icon made one of the program's ways from the keyed bitmap, and what reading it back gives.
struct TIconMaking {
  const char* Name;
  std::function<HIcon(HGdiObj bitmap)> Make;
  std::vector<TColorRef> Pixels;
  std::vector<bool> Transparent;
};

HIcon FromImageList(HGdiObj bitmap) {
  HImageList list = Gdi().ImageListCreate(3, 2);
  HIcon icon = Gdi().ImageListAddMasked(list, bitmap, true, 0xFF00FF) == 0
                   ? Gdi().ImageListGetIcon(list, 0)
                   : HIcon::None;
  Gdi().ImageListDestroy(list);
  return icon;
}

void PrintTo(const TIconMaking& making, std::ostream* out) { *out << making.Name; }

class GdiIconImage : public testing::TestWithParam<TIconMaking> {};
}  // namespace

// The picture comes back as made, rows from the top; masked pixels come back black, as the
// icon's picture must be there to draw.
TEST_P(GdiIconImage, ReadsBackThePictureAndMaskItWasMadeFrom) {
  HGdiObj bitmap = KeyedBitmap();
  HIcon icon = GetParam().Make(bitmap);
  ASSERT_NE(icon, HIcon::None);
  std::vector<TColorRef> pixels;
  std::vector<bool> transparent;
  EXPECT_TRUE(Gdi().GetIconImage(icon, pixels, transparent));
  EXPECT_EQ(pixels, GetParam().Pixels);
  EXPECT_EQ(transparent, GetParam().Transparent);
  Gdi().DestroyIcon(icon);
  Gdi().DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Makings, GdiIconImage,
    testing::Values(
        TIconMaking{"Opaque",
                    [](HGdiObj b) { return Gdi().CreateIconFromBitmap(b, false, 0xFF00FF); },
                    {kInk, 0xFF00FF, kInk, 0xFF00FF, kInk, kPaper},
                    {false, false, false, false, false, false}},
        TIconMaking{"Masked",
                    [](HGdiObj b) { return Gdi().CreateIconFromBitmap(b, true, 0xFF00FF); },
                    {kInk, 0, kInk, 0, kInk, kPaper},
                    {false, true, false, true, false, false}},
        TIconMaking{"ImageList",
                    FromImageList,
                    {kInk, 0, kInk, 0, kInk, kPaper},
                    {false, true, false, true, false, false}}),
    [](const testing::TestParamInfo<TIconMaking>& info) { return std::string(info.param.Name); });

TEST(Gdi, DestroyedIconHasNoImage) {
  HGdiObj bitmap = KeyedBitmap();
  HIcon icon = Gdi().CreateIconFromBitmap(bitmap, true, 0xFF00FF);
  ASSERT_NE(icon, HIcon::None);
  Gdi().DestroyIcon(icon);
  std::vector<TColorRef> pixels{1};
  std::vector<bool> transparent{true};
  EXPECT_FALSE(Gdi().GetIconImage(icon, pixels, transparent));
  EXPECT_TRUE(pixels.empty());
  EXPECT_TRUE(transparent.empty());
  Gdi().DeleteObject(bitmap);
}

TEST(Gdi, ImageListTakesTheTopLeftBlockAndGivesMaskedIcons) {
  HImageList list = Gdi().ImageListCreate(2, 2);
  ASSERT_NE(list, HImageList::None);
  HGdiObj bitmap = KeyedBitmap();
  EXPECT_EQ(Gdi().ImageListAddMasked(list, bitmap, true, 0xFF00FF), 0);
  EXPECT_EQ(Gdi().GetBitmapPixels(bitmap)[1], 0u) << "the masked pixels of the source go black";
  EXPECT_EQ(Gdi().ImageListAddMasked(list, bitmap, false, 0), 1);
  HIcon masked = Gdi().ImageListGetIcon(list, 0);
  HIcon opaque = Gdi().ImageListGetIcon(list, 1);
  ASSERT_NE(masked, HIcon::None);
  ASSERT_NE(opaque, HIcon::None);
  EXPECT_EQ(Gdi().GetIconSize(masked), (TPoint{2, 2}));
  TSurface s(4, 2);
  Gdi().DrawIcon(s.Dc(), 0, 0, masked);
  Gdi().DrawIcon(s.Dc(), 2, 0, opaque);
  EXPECT_EQ(s.Picture(kInk, {0, 0, 4, 2}), (TPicture{"#.#.", ".#.#"}));
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 1, 0), kWhite);
  EXPECT_EQ(Gdi().GetPixel(s.Dc(), 3, 0), 0u) << "opaque, and black since the first add";
  EXPECT_EQ(Gdi().ImageListGetIcon(list, 2), HIcon::None) << "no such image";
  Gdi().DestroyIcon(masked);
  Gdi().DestroyIcon(opaque);
  EXPECT_TRUE(Gdi().ImageListDestroy(list));
  Gdi().DeleteObject(bitmap);
}
