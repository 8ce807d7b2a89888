#pragma once
// Painting routines shared by the display widgets. They work on a device context, create
// their pens and brushes per call and release them before returning (only TGradientCache
// keeps a picture, for its widget's life); they report nothing.
#include <memory>

#include "framework/Graphics.h"
#include "widgets/Options.h"

enum TDrawState { ddsNormal, ddsDisabled };
enum TDrawMode { dmNormal, dmStretch, dmTile };

// Draws the outer, then the inner cut of a bevel with the pen style and width selected in
// `dc`, and gives the rectangle left inside; unless `noFill`, fills that rectangle (one pixel
// wider to the right and bottom) with `fillColor`.
TRect DrawBevelBox(IGdi& gdi, HDc dc, TRect rect, TSides sides, TBevelCut inner, TBevelCut outer,
                   bool bold, TColor fillColor, bool noFill);

// Fills `rect` with the gradient's bands; line-drawn orientations use the given pen.
void FillGradient(const TCustomGradient& gradient, IGdi& gdi, HDc dc, TRect rect, int penWidth,
                  TPenStyle penStyle);

// FillGradient for a widget that paints the same gradient again and again. Solid bands that
// cover the whole rectangle (what was beneath never shows) are drawn once into a picture of
// their own and copied from it while the rectangle's size and the gradient's colours, steps
// and orientation stay; any other gradient is drawn each time.
class TGradientCache {
 public:
  void Fill(const TCustomGradient& gradient, IGdi& gdi, HDc dc, TRect rect, int penWidth,
            TPenStyle penStyle);

 private:
  struct TKey {
    int Width, Height;
    TColorRef From, To;
    TGradientDir Orientation;
    int Steps;
    friend bool operator==(const TKey&, const TKey&) = default;
  };
  TKey FKey{};
  std::unique_ptr<TBitmap> FPicture;
};

// Draws a bitmap at the rectangle's top-left plus the offsets, leaving out
// `transparentColor` when `transparent`. dmStretch fills the rectangle, dmTile repeats the
// bitmap over it; ddsDisabled draws every shown pixel in `disabledMaskColor`.
void DrawBitmapExt(IGdi& gdi, HDc dc, TBitmap& bitmap, TRect rect, TColor disabledMaskColor,
                   TColor transparentColor, bool transparent, TDrawState state, TDrawMode mode,
                   int yOffset, int xOffset);

// A copy of `bitmap` in which every pixel of `oldColor` shows `newColor`.
std::unique_ptr<TBitmap> ChangeBitmapColor(TBitmap& bitmap, TColor oldColor, TColor newColor);

// Derives Shadow (AutoShadow) and Highlight (AutoHighlight) of `colors` from `base`.
void DeriveShadowHighlight(IGdi& gdi, TColor base, TCustomLabelColors& colors);
