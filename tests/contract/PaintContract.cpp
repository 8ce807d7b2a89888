// The update region: what invalidation adds to it, when the background is erased, and when
// a window is painted at all.
#include "tests/contract/ContractPlatform.h"

namespace {
IWindowing& Windows() { return ContractPlatform().Windows; }

// A window that paints through BeginPaint and EndPaint and notes each paint's bounds and the
// background erases, telling the ones that came from inside BeginPaint.
struct TPainted {
  explicit TPainted(TRect bounds = Bounds(220, 220, 64, 48))
      : Rec(Windows()), Window(Windows(), (Install(), PlainWindow(&Rec, bounds))) {}

  // Shows the window without activating it and lets its first paint pass.
  void ShowAndSettle() {
    Windows().ShowWindow(Window, SW_SHOWNA);
    PumpUntil([&] { return !Paints.empty(); }, 1000);
    PumpFor(50);
    Clear();
  }
  void Clear() {
    Paints.clear();
    Erases = 0;
    ErasesInBeginPaint = 0;
    EraseDcMatched = true;
  }

  // Before the window, which may be sent messages while it is made.
  std::vector<TRect> Paints;
  int Erases = 0;
  int ErasesInBeginPaint = 0;
  bool EraseDcMatched = true;
  TRecorder Rec;
  TTestWindow Window;

 private:
  void Install() {
    Rec.Handle = [this](HWnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t) {
      if (m == WM_ERASEBKGND) {
        ++Erases;
        if (FInBeginPaint) {
          ++ErasesInBeginPaint;
          FEraseDc = static_cast<HDc>(wp);
        }
        return std::optional<std::intptr_t>(1);
      }
      if (m != WM_PAINT) return std::optional<std::intptr_t>();
      TRect area;
      FInBeginPaint = true;
      FEraseDc = HDc::None;
      int before = ErasesInBeginPaint;
      HDc dc = Windows().BeginPaint(w, area);
      FInBeginPaint = false;
      if (ErasesInBeginPaint != before && FEraseDc != dc) EraseDcMatched = false;
      Paints.push_back(area);
      Windows().EndPaint(w);
      return std::optional<std::intptr_t>(0);
    };
  }
  bool FInBeginPaint = false;
  HDc FEraseDc = HDc::None;
};
}  // namespace

TEST(Painting, EraseAskedByAnyInvalidationErasesTheWholeRegionInsideBeginPaint) {
  TPainted p;
  p.ShowAndSettle();
  TRect left = Bounds(2, 2, 10, 10);
  TRect right = Bounds(40, 30, 8, 6);
  Windows().InvalidateRect(p.Window, &left, false);
  Windows().InvalidateRect(p.Window, &right, true);
  PumpFor(100);
  ASSERT_EQ(p.Paints.size(), 1u) << "one paint for both";
  EXPECT_EQ(p.Paints[0], (TRect{2, 2, 48, 36})) << "the bounds of the region";
  EXPECT_EQ(p.Erases, 1);
  EXPECT_EQ(p.ErasesInBeginPaint, 1);
  EXPECT_TRUE(p.EraseDcMatched) << "the erase draws on the paint's own context";
}

TEST(Painting, EraseAskedFirstIsKeptThroughLaterInvalidationsWithout) {
  TPainted p;
  p.ShowAndSettle();
  TRect first = Bounds(0, 0, 4, 4);
  Windows().InvalidateRect(p.Window, &first, true);
  Windows().InvalidateRect(p.Window, nullptr, false);
  PumpFor(100);
  ASSERT_EQ(p.Paints.size(), 1u);
  EXPECT_EQ(p.Paints[0], Bounds(0, 0, 64, 48)) << "null is the whole client area";
  EXPECT_EQ(p.ErasesInBeginPaint, 1);
}

TEST(Painting, NoEraseWhenNoInvalidationAskedForIt) {
  TPainted p;
  p.ShowAndSettle();
  TRect a = Bounds(5, 5, 6, 6);
  TRect b = Bounds(20, 8, 4, 20);
  Windows().InvalidateRect(p.Window, &a, false);
  Windows().InvalidateRect(p.Window, &b, false);
  PumpFor(100);
  ASSERT_EQ(p.Paints.size(), 1u);
  EXPECT_EQ(p.Paints[0], (TRect{5, 5, 24, 28}));
  EXPECT_EQ(p.Erases, 0);
}

TEST(Painting, RegionIsClippedToTheClientAreaAndNothingOutsideItPaints) {
  TPainted p;
  p.ShowAndSettle();
  TRect outside = Bounds(100, 100, 10, 10);
  Windows().InvalidateRect(p.Window, &outside, true);
  PumpFor(100);
  EXPECT_TRUE(p.Paints.empty());
  EXPECT_EQ(p.Erases, 0);
  TRect across = Bounds(50, 40, 30, 30);
  Windows().InvalidateRect(p.Window, &across, false);
  PumpFor(100);
  ASSERT_EQ(p.Paints.size(), 1u);
  EXPECT_EQ(p.Paints[0], (TRect{50, 40, 64, 48}));
}

// A window painted before its paint message comes, through BeginPaint and EndPaint outside
// it, has nothing left to paint.
TEST(Painting, WindowPaintedAheadOfItsMessageGetsNone) {
  TPainted p;
  p.ShowAndSettle();
  Windows().InvalidateRect(p.Window, nullptr, true);
  TRect area;
  HDc dc = Windows().BeginPaint(p.Window, area);
  EXPECT_NE(dc, HDc::None);
  EXPECT_EQ(area, Bounds(0, 0, 64, 48));
  Windows().EndPaint(p.Window);
  EXPECT_EQ(p.Erases, 1) << "the erase still comes, from that BeginPaint";
  p.Clear();
  PumpFor(100);
  EXPECT_TRUE(p.Paints.empty());
  EXPECT_EQ(p.Erases, 0);
}

// A paint left to the default procedure is a BeginPaint and EndPaint: it erases when asked
// and validates, so the paint is not repeated.
TEST(Painting, DefaultPaintErasesAsAskedAndValidates) {
  TRecorder rec(Windows());
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(240, 240, 32, 32)));
  Windows().ShowWindow(window, SW_SHOWNA);
  PumpFor(100);
  rec.Seen.clear();
  Windows().InvalidateRect(window, nullptr, false);
  PumpFor(200);
  EXPECT_EQ(rec.Count(WM_PAINT), 1u);
  EXPECT_EQ(rec.Count(WM_ERASEBKGND), 0u);
  rec.Seen.clear();
  Windows().InvalidateRect(window, nullptr, true);
  PumpFor(200);
  EXPECT_EQ(rec.Count(WM_PAINT), 1u);
  EXPECT_EQ(rec.Count(WM_ERASEBKGND), 1u);
}

TEST(Painting, HiddenWindowIsPaintedOnlyOnceShownAndThenWholeOverItsBackground) {
  TPainted p;
  TRect corner = Bounds(0, 0, 8, 8);
  Windows().InvalidateRect(p.Window, &corner, false);
  PumpFor(100);
  EXPECT_TRUE(p.Paints.empty()) << "not while hidden";
  Windows().ShowWindow(p.Window, SW_SHOWNA);
  PumpUntil([&] { return !p.Paints.empty(); }, 1000);
  PumpFor(50);
  ASSERT_EQ(p.Paints.size(), 1u);
  EXPECT_EQ(p.Paints[0], Bounds(0, 0, 64, 48));
  EXPECT_GE(p.Erases, 1) << "its background is erased before it paints";
}

// Without an erase the old picture stays outside the update region: the paint's context is
// clipped to it, whatever the window draws.
TEST(Painting, PaintContextIsClippedToTheUpdateRegion) {
  IGdi& gdi = ContractPlatform().Gdi;
  TRecorder rec(Windows());
  TColorRef fill = 0x0000FF;
  std::vector<TColorRef> read;
  rec.Handle = [&](HWnd w, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    if (m == WM_ERASEBKGND) return std::optional<std::intptr_t>(1);
    if (m != WM_PAINT) return std::optional<std::intptr_t>();
    TRect area;
    HDc dc = Windows().BeginPaint(w, area);
    HGdiObj brush = gdi.CreateSolidBrush(fill);
    gdi.FillRect(dc, {0, 0, 40, 20}, brush);
    gdi.DeleteObject(brush);
    read = {gdi.GetPixel(dc, 5, 5), gdi.GetPixel(dc, 30, 15)};
    Windows().EndPaint(w);
    return std::optional<std::intptr_t>(0);
  };
  TTestWindow window(Windows(), PlainWindow(&rec, Bounds(260, 260, 40, 20)));
  Windows().ShowWindow(window, SW_SHOWNA);
  PumpUntil([&] { return !read.empty(); }, 1000);
  PumpFor(50);
  ASSERT_EQ(read, (std::vector<TColorRef>{0x0000FF, 0x0000FF}));
  fill = 0x00FF00;
  TRect corner = Bounds(0, 0, 10, 10);
  Windows().InvalidateRect(window, &corner, false);
  PumpFor(100);
  fill = 0xFF0000;
  read.clear();
  // Looked at through a paint that draws nothing over it.
  rec.Handle = [&](HWnd w, std::uint32_t m, std::uintptr_t, std::intptr_t) {
    if (m != WM_PAINT) return std::optional<std::intptr_t>();
    TRect area;
    HDc dc = Windows().BeginPaint(w, area);
    read = {gdi.GetPixel(dc, 5, 5), gdi.GetPixel(dc, 30, 15)};
    Windows().EndPaint(w);
    return std::optional<std::intptr_t>(0);
  };
  Windows().InvalidateRect(window, nullptr, false);
  PumpUntil([&] { return !read.empty(); }, 1000);
  EXPECT_EQ(read, (std::vector<TColorRef>{0x00FF00, 0x0000FF}));
}

// The default erase fills the program's own window classes with the button face and leaves
// the utility window, which has no background, alone.
TEST(Painting, DefaultEraseFillsOnlyClassesWithABackground) {
  IGdi& gdi = ContractPlatform().Gdi;
  struct TSeen {
    std::optional<std::intptr_t> Answer;
    TColorRef Pixel = 0;
  };
  auto watch = [&](TRecorder& rec, TSeen& seen) {
    rec.Handle = [&rec, &seen, &gdi](HWnd w, std::uint32_t m, std::uintptr_t wp,
                                     std::intptr_t lp) -> std::optional<std::intptr_t> {
      if (m == WM_PAINT) {
        TRect area;
        rec.Windows.BeginPaint(w, area);
        rec.Windows.EndPaint(w);
        return 0;
      }
      if (m != WM_ERASEBKGND || seen.Answer) return {};
      seen.Answer = rec.Windows.DefWindowProc(w, m, wp, lp);
      seen.Pixel = gdi.GetPixel(static_cast<HDc>(wp), 3, 3);
      return seen.Answer;
    };
  };
  TRecorder frameRec(Windows()), plainRec(Windows());
  TSeen frame, plain;
  watch(frameRec, frame);
  watch(plainRec, plain);
  TTestWindow frameWindow(Windows(), FrameWindow(&frameRec, Bounds(280, 200, 160, 120)));
  TTestWindow plainWindow(Windows(), PlainWindow(&plainRec, Bounds(280, 340, 40, 20)));
  Windows().ShowWindow(frameWindow, SW_SHOWNA);
  Windows().ShowWindow(plainWindow, SW_SHOWNA);
  PumpUntil([&] { return frame.Answer && plain.Answer; }, 1000);
  ASSERT_TRUE(frame.Answer && plain.Answer);
  EXPECT_NE(*frame.Answer, 0) << "erased";
  EXPECT_EQ(frame.Pixel, gdi.GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(*plain.Answer, 0) << "nothing to erase with";
}
