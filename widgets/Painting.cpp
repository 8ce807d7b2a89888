#include "widgets/Painting.h"

#include <algorithm>
#include <cmath>
#include <vector>

// Sections: bevel | gradient | bitmaps | colours

// ---- bevel -------------------------------------------------------------------------

namespace {

// Puts back the pen that was selected when it was made.
class TPenRestore {
 public:
  TPenRestore(IGdi& gdi, HDc dc, HGdiObj first) : FGdi(gdi), FDc(dc) {
    FOld = gdi.SelectObject(dc, first);
  }
  TPenRestore(const TPenRestore&) = delete;
  TPenRestore& operator=(const TPenRestore&) = delete;
  ~TPenRestore() {
    if (FOld != HGdiObj::None) FGdi.SelectObject(FDc, FOld);
  }

 private:
  IGdi& FGdi;
  HDc FDc;
  HGdiObj FOld = HGdiObj::None;
};

struct TBevelPens {
  HGdiObj Dark, Highlight, Shadow;
};

// One cut drawn on `r`; every line moves the matching edge of `result` one pixel inward.
void DrawCut(IGdi& gdi, HDc dc, const TBevelPens& pens, TRect r, TSides sides, TBevelCut cut,
             bool bold, TRect& result) {
  if (cut == bvNone) return;
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  auto line = [&](HGdiObj pen, int x0, int y0, int x1, int y1) {
    gdi.SelectObject(dc, pen);
    gdi.MoveTo(dc, x0, y0);
    gdi.LineTo(dc, x1, y1);
  };
  bool left = HasSide(sides, fsdLeft), top = HasSide(sides, fsdTop);
  bool right = HasSide(sides, fsdRight), bottom = HasSide(sides, fsdBottom);

  switch (cut) {
    case bvLowered:
      if (left) {
        if (bold) {
          line(pens.Dark, L, T, L, B);
          line(pens.Shadow, L + 1, T + 1, L + 1, bottom ? B : B + 1);
          result.Left += 2;
        } else {
          line(pens.Shadow, L, T, L, B);
          result.Left += 1;
        }
      }
      if (top) {
        if (bold) {
          line(pens.Dark, L, T, R, T);
          line(pens.Shadow, L + 1, T + 1, R, T + 1);
          result.Top += 2;
        } else {
          line(pens.Shadow, L, T, R, T);
          result.Top += 1;
        }
      }
      if (right) {
        line(pens.Highlight, R, T, R, B);
        result.Right -= 1;
      }
      if (bottom) {
        line(pens.Highlight, L, B, R + 1, B);
        result.Bottom -= 1;
      }
      break;
    case bvRaised:
      if (left) {
        line(pens.Highlight, L, T, L, B + 1);
        result.Left += 1;
      }
      if (top) {
        line(pens.Highlight, L, T, R, T);
        result.Top += 1;
      }
      if (right) {
        if (bold) {
          line(pens.Dark, R, T, R, B + 1);
          line(pens.Shadow, R - 1, T + 1, R - 1, B + 1);
          result.Right -= 2;
        } else {
          line(pens.Shadow, R, T, R, B + 1);
          result.Right -= 1;
        }
      }
      if (bottom) {
        if (bold) {
          line(pens.Dark, L, B, R, B);
          line(pens.Shadow, left ? L + 1 : L, B - 1, R, B - 1);
          result.Bottom -= 2;
        } else {
          line(pens.Shadow, L, B, R, B);
          result.Bottom -= 1;
        }
      }
      break;
    case bvSpace:
      if (left) {
        line(pens.Shadow, L, T, L, B);
        result.Left += 1;
      }
      if (top) {
        line(pens.Shadow, L, T, R, T);
        result.Top += 1;
      }
      if (right) {
        line(pens.Shadow, R, T, R, B);
        result.Right -= 1;
      }
      if (bottom) {
        line(pens.Shadow, L, B, R + 1, B);
        result.Bottom -= 1;
      }
      break;
    case bvNone:
      break;
  }
}

}  // namespace

TRect DrawBevelBox(IGdi& gdi, HDc dc, TRect rect, TSides sides, TBevelCut inner, TBevelCut outer,
                   bool bold, TColor fillColor, bool noFill) {
  TRect result = rect;
  if (outer != bvNone || inner != bvNone) {
    TPenInfo current = gdi.GetCurrentPen(dc);
    int width = current.Width == 0 ? 1 : current.Width;
    TGdiObject dark(gdi, gdi.CreatePen(current.Style, width, gdi.GetSysColor(COLOR_3DDKSHADOW)));
    TGdiObject highlight(gdi,
                         gdi.CreatePen(current.Style, width, gdi.GetSysColor(COLOR_BTNHIGHLIGHT)));
    TGdiObject shadow(gdi, gdi.CreatePen(current.Style, width, gdi.GetSysColor(COLOR_BTNSHADOW)));
    TBevelPens pens{dark.Get(), highlight.Get(), shadow.Get()};
    // Declared after the pens: the old pen goes back in before they are deleted.
    TPenRestore restore(gdi, dc, pens.Shadow);
    DrawCut(gdi, dc, pens, rect, sides, outer, bold, result);
    DrawCut(gdi, dc, pens, result, sides, inner, bold, result);
  }
  if (!noFill) {
    TGdiObject brush(gdi, gdi.CreateSolidBrush(ColorToRGB(fillColor, gdi)));
    gdi.FillRect(dc, {result.Left, result.Top, result.Right + 1, result.Bottom + 1}, brush.Get());
  }
  return result;
}

// ---- gradient ----------------------------------------------------------------------

namespace {

struct TBands {
  TColorRef From, To;
  TGradientDir Orientation;
  int Steps;
  int PercentFilling;
  TBrushStyle BrushStyle;
  int PenWidth;
  TPenStyle PenStyle;
};

// c(From) + round(i * (c(To) - c(From)) / (n - 1)), halves away from zero, per channel.
TColorRef BandColor(TColorRef from, TColorRef to, int i, int n) {
  if (n <= 1) return from & 0xFFFFFF;
  TColorRef result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int a = static_cast<int>((from >> shift) & 0xFF);
    int b = static_cast<int>((to >> shift) & 0xFF);
    int channel = a + static_cast<int>(std::lround(static_cast<double>(i) * (b - a) / (n - 1)));
    result |= static_cast<TColorRef>(std::clamp(channel, 0, 255)) << shift;
  }
  return result;
}

HGdiObj BandBrush(IGdi& gdi, TBrushStyle style, TColorRef color) {
  if (style == bsSolid || style == bsClear) return gdi.CreateSolidBrush(color);
  return gdi.CreateHatchBrush(style - bsHorizontal, color);
}

// One plain orientation (horizontal, vertical, biases, rectangle) on `r`.
void FillBands(IGdi& gdi, HDc dc, TRect r, const TBands& g) {
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  const int W = r.Width(), H = r.Height();
  int n = 0;
  switch (g.Orientation) {
    case fgdHorizontal:
      n = std::min(g.Steps, H);
      break;
    case fgdVertical:
      n = std::min(g.Steps, W);
      break;
    case fgdLeftBias:
    case fgdRightBias:
      n = std::min(g.Steps, W + H);
      break;
    case fgdRectangle:
      n = std::min(g.Steps, std::min(H / 2, W / 2));
      break;
    default:
      return;
  }
  if (n <= 0) return;

  int penWidth = g.PenWidth == 0 ? 1 : g.PenWidth;
  TPoint p{L, T}, q{L, T};
  if (g.Orientation == fgdRightBias) p = q = {R, T};

  for (int i = 0; i < n; ++i) {
    TColorRef color = BandColor(g.From, g.To, i, n);
    switch (g.Orientation) {
      case fgdHorizontal: {
        TGdiObject brush(gdi, BandBrush(gdi, g.BrushStyle, color));
        gdi.FillRect(dc, {L, T + MulDiv(i, H, n), R, T + MulDiv(i + 1, H, n)}, brush.Get());
        break;
      }
      case fgdVertical: {
        TGdiObject brush(gdi, BandBrush(gdi, g.BrushStyle, color));
        gdi.FillRect(dc, {L + MulDiv(i, W, n), T, L + MulDiv(i + 1, W, n), B}, brush.Get());
        break;
      }
      case fgdRectangle: {
        TGdiObject brush(gdi, BandBrush(gdi, g.BrushStyle, color));
        int dx = MulDiv(i, W / 2, n), dy = MulDiv(i, H / 2, n);
        gdi.FillRect(dc, {L + dx, T + dy, R - dx, B - dy}, brush.Get());
        break;
      }
      case fgdLeftBias:
      case fgdRightBias: {
        int style = g.PenStyle == psClear ? PS_NULL : static_cast<int>(g.PenStyle);
        TGdiObject pen(gdi, gdi.CreatePen(style, penWidth, color));
        TSelection selected(gdi, dc, pen.Release());
        int lines = MulDiv(i + 1, W + H, n) - MulDiv(i, W + H, n);
        for (int k = 0; k < lines; ++k) {
          if (g.Orientation == fgdLeftBias) {
            if (p.Y < B)
              p.Y += penWidth;
            else
              p.X += penWidth;
            if (q.X < R)
              q.X += penWidth;
            else
              q.Y += penWidth;
          } else {
            if (p.X > L)
              p.X -= penWidth;
            else
              p.Y += penWidth;
            if (q.Y < B)
              q.Y += penWidth;
            else
              q.X -= penWidth;
          }
          gdi.MoveTo(dc, p.X, p.Y);
          gdi.LineTo(dc, q.X, q.Y);
        }
        break;
      }
      default:
        break;
    }
    if (i * 100.0 / n > g.PercentFilling) break;
  }
}

// The convergent orientations are two plain halves, the second with the colours swapped.
void FillAny(IGdi& gdi, HDc dc, TRect r, TBands g) {
  if (g.Orientation == fgdHorzConvergent || g.Orientation == fgdVertConvergent) {
    bool horizontal = g.Orientation == fgdHorzConvergent;
    TRect first = r, second = r;
    if (horizontal) {
      first.Bottom = r.Bottom - r.Height() / 2;
      second.Top = r.Top + r.Height() / 2;
    } else {
      first.Right = r.Right - r.Width() / 2;
      second.Left = r.Left + r.Width() / 2;
    }
    g.Orientation = horizontal ? fgdHorizontal : fgdVertical;
    FillBands(gdi, dc, first, g);
    std::swap(g.From, g.To);
    FillBands(gdi, dc, second, g);
    return;
  }
  FillBands(gdi, dc, r, g);
}

TBands BandsOf(const TCustomGradient& gradient, int penWidth, TPenStyle penStyle) {
  return {gradient.RGBFrom(),
          gradient.RGBTo(),
          gradient.Orientation(),
          gradient.Steps(),
          gradient.PercentFilling(),
          gradient.BrushStyle(),
          penWidth,
          penStyle};
}

}  // namespace

void FillGradient(const TCustomGradient& gradient, IGdi& gdi, HDc dc, TRect rect, int penWidth,
                  TPenStyle penStyle) {
  if (!gradient.Active() || gradient.Steps() == 1) return;
  if (gdi.GetBitsPerPixel(dc) < 16) return;
  TBands g = BandsOf(gradient, penWidth, penStyle);
  if (!gradient.BufferedDraw()) return FillAny(gdi, dc, rect, g);

  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  TMemoryDC buffer(gdi);
  TGdiObject bitmap(gdi, gdi.CreateBitmap(rect.Width(), rect.Height()));
  {
    TSelection selected(gdi, buffer.Get(), bitmap.Get(), false);
    // What the bands leave uncovered shows what was there before.
    gdi.BitBlt(buffer.Get(), 0, 0, rect.Width(), rect.Height(), dc, rect.Left, rect.Top);
    FillAny(gdi, buffer.Get(), {0, 0, rect.Width(), rect.Height()}, g);
    gdi.BitBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), buffer.Get(), 0, 0);
  }
}

void TGradientCache::Fill(const TCustomGradient& gradient, IGdi& gdi, HDc dc, TRect rect,
                          int penWidth, TPenStyle penStyle) {
  // Rectangles of solid colour, every band drawn: the first rows, columns or frame of each
  // band meet the next, so the bands cover the whole rectangle. Biased bands are lines.
  TGradientDir o = gradient.Orientation();
  bool covers = o == fgdHorizontal || o == fgdVertical || o == fgdRectangle ||
                o == fgdHorzConvergent || o == fgdVertConvergent;
  bool opaque = covers && gradient.Active() && gradient.Steps() > 1 &&
                gradient.BrushStyle() == bsSolid && gradient.PercentFilling() >= 100 &&
                rect.Width() > 0 && rect.Height() > 0;
  if (!opaque) return FillGradient(gradient, gdi, dc, rect, penWidth, penStyle);
  TKey key{rect.Width(), rect.Height(), gradient.RGBFrom(), gradient.RGBTo(), o, gradient.Steps()};
  if (!FPicture || key != FKey) {
    // The display's depth is asked when the picture is drawn, not at each copy: under Wine
    // the question costs three requests to the server. Under 16 bits there is no gradient.
    if (gdi.GetBitsPerPixel(dc) < 16) return;
    FPicture = std::make_unique<TBitmap>(gdi);
    FPicture->SetSize(key.Width, key.Height);
    FillAny(gdi, FPicture->Canvas().Handle(), {0, 0, key.Width, key.Height},
            BandsOf(gradient, penWidth, penStyle));
    FKey = key;
  }
  gdi.BitBlt(dc, rect.Left, rect.Top, key.Width, key.Height, FPicture->Canvas().Handle(), 0, 0);
}

// ---- bitmaps ------------------------------------------------------------------------

void DrawBitmapExt(IGdi& gdi, HDc dc, TBitmap& bitmap, TRect rect, TColor disabledMaskColor,
                   TColor transparentColor, bool transparent, TDrawState state, TDrawMode mode,
                   int yOffset, int xOffset) {
  if (bitmap.Width() == 0 || bitmap.Height() == 0) return;
  const int w = bitmap.Width(), h = bitmap.Height();
  TColorRef key = ColorToRGB(transparentColor, gdi) & 0xFFFFFF;

  // The work bitmap: the transparent colour with the picture copied over it.
  TBitmap work(gdi);
  work.Canvas().Brush().SetColor(transparentColor);
  work.SetSize(w, h);
  work.Canvas().CopyFrom(0, 0, bitmap.Canvas(), {0, 0, w, h});
  if (state == ddsDisabled) {
    std::vector<TColorRef> pixels = work.Pixels();
    TColorRef mask = ColorToRGB(disabledMaskColor, gdi) & 0xFFFFFF;
    for (TColorRef& p : pixels)
      if ((p & 0xFFFFFF) != key) p = mask;
    work.LoadFromPixels(w, h, pixels);
  }
  if (mode == dmStretch && (rect.Width() != w || rect.Height() != h) && rect.Width() > 0 &&
      rect.Height() > 0) {
    std::vector<TColorRef> source = work.Pixels(), scaled;
    scaled.reserve(static_cast<std::size_t>(rect.Width()) * rect.Height());
    for (int y = 0; y < rect.Height(); ++y)
      for (int x = 0; x < rect.Width(); ++x)
        scaled.push_back(
            source[static_cast<std::size_t>(y * h / rect.Height()) * w + x * w / rect.Width()]);
    work.LoadFromPixels(rect.Width(), rect.Height(), scaled);
  }

  HDc src = work.Canvas().Handle();
  auto blit = [&](int x, int y) {
    if (transparent)
      gdi.TransparentBlt(dc, x, y, work.Width(), work.Height(), src, 0, 0, key);
    else
      gdi.BitBlt(dc, x, y, work.Width(), work.Height(), src, 0, 0);
  };
  if (mode == dmTile) {
    for (int y = rect.Top + yOffset; y < rect.Bottom; y += h)
      for (int x = rect.Left + xOffset; x < rect.Right; x += w) blit(x, y);
  } else {
    blit(rect.Left + xOffset, rect.Top + yOffset);
  }
}

std::unique_ptr<TBitmap> ChangeBitmapColor(TBitmap& bitmap, TColor oldColor, TColor newColor) {
  IGdi& gdi = bitmap.Gdi();
  auto result = std::make_unique<TBitmap>(gdi);
  result->Canvas().Brush().SetColor(newColor);
  result->SetSize(bitmap.Width(), bitmap.Height());
  if (result->Empty()) return result;
  gdi.TransparentBlt(result->Canvas().Handle(), 0, 0, bitmap.Width(), bitmap.Height(),
                     bitmap.Canvas().Handle(), 0, 0, ColorToRGB(oldColor, gdi));
  return result;
}

// ---- colours ------------------------------------------------------------------------

void DeriveShadowHighlight(IGdi& gdi, TColor base, TCustomLabelColors& colors) {
  TColorRef rgb = ColorToRGB(base, gdi);
  auto shifted = [rgb](int delta) {
    TColor result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      int channel = static_cast<int>((rgb >> shift) & 0xFF) + delta;
      result |= static_cast<TColor>(std::clamp(channel, 0, 255)) << shift;
    }
    return result;
  };
  if (colors.AutoShadow()) colors.SetShadow(shifted(-colors.ColorShadowShift()));
  if (colors.AutoHighlight()) colors.SetHighlight(shifted(colors.ColorHighlightShift()));
}
