#include "widgets/Options.h"

#include <algorithm>

void TPointClass::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TPointClass*>(&source);
  if (!s) return TOptions::Assign(source);
  FX = s->FX;
  FY = s->FY;
  Changed();
}

// ---- bevel -------------------------------------------------------------------------

void TBevelOptions::CopyBevel(const TBevelOptions& s) {
  FInner = s.FInner;
  FOuter = s.FOuter;
  FSides = s.FSides;
  FBold = s.FBold;
}

void TBevelOptions::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TBevelOptions*>(&source);
  if (!s) return TOptions::Assign(source);
  CopyBevel(*s);
  Changed();
}

void TExtBevelOptions::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TExtBevelOptions*>(&source);
  if (!s) return TBevelOptions::Assign(source);
  CopyBevel(*s);
  FActive = s->FActive;
  FBevelPenStyle = s->FBevelPenStyle;
  FBevelPenWidth = s->FBevelPenWidth;
  FInteriorOffset = s->FInteriorOffset;
  Changed();
}

// ---- colours and gradient ------------------------------------------------------------

TTwainColors::TTwainColors(IGdi* gdi) : FGdi(gdi) {}

TColorRef TTwainColors::Resolve(TColor color) const {
  return FGdi ? ColorToRGB(color, *FGdi) : color;
}

void TTwainColors::SetFromColor(TColor value) {
  if (FFromColor == value) return;
  FFromColor = value;
  FRGBFrom = Resolve(value);
  Changed();
}

void TTwainColors::SetToColor(TColor value) {
  if (FToColor == value) return;
  FToColor = value;
  FRGBTo = Resolve(value);
  Changed();
}

void TTwainColors::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TTwainColors*>(&source);
  if (!s) return TOptions::Assign(source);
  // Through the setters, so each colour that changes notifies on its own.
  SetFromColor(s->FFromColor);
  SetToColor(s->FToColor);
  Changed();
}

void TCustomGradient::SetSteps(int value) { Set(FSteps, std::clamp(value, 1, 255)); }

void TCustomGradient::SetPercentFilling(int value) {
  Set(FPercentFilling, std::clamp(value, 0, 100));
}

void TCustomGradient::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TCustomGradient*>(&source);
  if (!s) return TTwainColors::Assign(source);
  FActive = s->FActive;
  FBufferedDraw = s->FBufferedDraw;
  FOrientation = s->FOrientation;
  FSteps = s->FSteps;
  FPercentFilling = s->FPercentFilling;
  FBrushStyle = s->FBrushStyle;
  SetFromColor(s->FromColor());
  SetToColor(s->ToColor());
  Changed();
}

// ---- alignment and illumination ---------------------------------------------------------

void T2DAlign::CopyAlign(const T2DAlign& s) {
  FHorizontal = s.FHorizontal;
  FVertical = s.FVertical;
}

void T2DAlign::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const T2DAlign*>(&source);
  if (!s) return TOptions::Assign(source);
  CopyAlign(*s);
  Changed();
}

void TIllumination::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TIllumination*>(&source);
  if (!s) return T2DAlign::Assign(source);
  CopyAlign(*s);
  FShadowDepth = s->FShadowDepth;
  Changed();
}

// ---- caption styles and colours ---------------------------------------------------------

void TLabelTextStyles::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TLabelTextStyles*>(&source);
  if (!s) return TOptions::Assign(source);
  FPassive = s->FPassive;
  FActive = s->FActive;
  FDisabled = s->FDisabled;
  Changed();
}

void TCustomTextColors::CopyTextColors(const TCustomTextColors& s) {
  FText = s.FText;
  FTextDisabled = s.FTextDisabled;
  FDelineate = s.FDelineate;
  FShadow = s.FShadow;
  FHighlight = s.FHighlight;
  FBackground = s.FBackground;
}

void TCustomLabelColors::Assign(const TPersistent& source) {
  auto* s = dynamic_cast<const TCustomLabelColors*>(&source);
  if (!s) return TCustomTextColors::Assign(source);
  CopyTextColors(*s);
  FTextActive = s->FTextActive;
  FDelineateActive = s->FDelineateActive;
  FAutoHighlight = s->FAutoHighlight;
  FAutoShadow = s->FAutoShadow;
  FColorHighlightShift = s->FColorHighlightShift;
  FColorShadowShift = s->FColorShadowShift;
  FBackgroundActive = s->FBackgroundActive;
  Changed();
}
