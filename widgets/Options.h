#pragma once
// The small setting groups the display widgets own. Every setter stores and notifies only on
// a real change; Assign from the same kind copies every field and notifies once at the end.
//
// Sections: shared types | TPointClass | bevel | colours and gradient | alignment and
// illumination | caption styles and colours
#include <cstdint>

#include "framework/Graphics.h"
#include "framework/Persistent.h"

// ---- shared types ------------------------------------------------------------------

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TSide { fsdLeft, fsdTop, fsdRight, fsdBottom };
// A set of sides, one bit per TSide.
using TSides = std::uint8_t;
inline constexpr TSides SideBit(TSide side) { return static_cast<TSides>(1u << side); }
inline constexpr TSides kAllSides = 0x0F;
inline constexpr bool HasSide(TSides sides, TSide side) { return (sides & SideBit(side)) != 0; }

enum TGradientDir {
  fgdHorizontal,
  fgdVertical,
  fgdLeftBias,
  fgdRightBias,
  fgdRectangle,
  fgdHorzConvergent,
  fgdVertConvergent
};
enum THorAlign { fhaLeft, fhaCenter, fhaRight };
enum TVertAlign { fvaTop, fvaCenter, fvaBottom };
enum TTextStyle { fstNone, fstRaised, fstRecessed, fstPushed, fstShadow, fstVolumetric };

// Base of the option objects: one change notification, sent with the object as sender.
class TOptions : public TPersistent {
 public:
  TNotifyEvent OnChanged;
  virtual void Changed() { OnChanged(this); }

 protected:
  // Stores `value` and notifies when it differs from `field`.
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
};

// ---- TPointClass -------------------------------------------------------------------

class TPointClass : public TOptions {
 public:
  std::string ClassName() const override { return "TPointClass"; }
  int X() const { return FX; }
  void SetX(int value) { Set(FX, value); }
  int Y() const { return FY; }
  void SetY(int value) { Set(FY, value); }
  void Assign(const TPersistent& source) override;

 private:
  int FX = 0;
  int FY = 0;
};

// ---- bevel -------------------------------------------------------------------------

class TBevelOptions : public TOptions {
 public:
  std::string ClassName() const override { return "TBevelOptions"; }
  TBevelCut Inner() const { return FInner; }
  void SetInner(TBevelCut value) { Set(FInner, value); }
  TBevelCut Outer() const { return FOuter; }
  void SetOuter(TBevelCut value) { Set(FOuter, value); }
  TSides Sides() const { return FSides; }
  void SetSides(TSides value) { Set(FSides, static_cast<TSides>(value & kAllSides)); }
  bool Bold() const { return FBold; }
  void SetBold(bool value) { Set(FBold, value); }
  void Assign(const TPersistent& source) override;

 protected:
  void CopyBevel(const TBevelOptions& source);

 private:
  TBevelCut FInner = bvNone;
  TBevelCut FOuter = bvNone;
  TSides FSides = kAllSides;
  bool FBold = false;
};

class TExtBevelOptions : public TBevelOptions {
 public:
  std::string ClassName() const override { return "TExtBevelOptions"; }
  bool Active() const { return FActive; }
  void SetActive(bool value) { Set(FActive, value); }
  TPenStyle BevelPenStyle() const { return FBevelPenStyle; }
  void SetBevelPenStyle(TPenStyle value) { Set(FBevelPenStyle, value); }
  std::uint16_t BevelPenWidth() const { return FBevelPenWidth; }
  void SetBevelPenWidth(std::uint16_t value) { Set(FBevelPenWidth, value); }
  std::uint16_t InteriorOffset() const { return FInteriorOffset; }
  void SetInteriorOffset(std::uint16_t value) { Set(FInteriorOffset, value); }
  void Assign(const TPersistent& source) override;

 private:
  bool FActive = true;
  TPenStyle FBevelPenStyle = psSolid;
  std::uint16_t FBevelPenWidth = 1;
  std::uint16_t FInteriorOffset = 0;
};

// ---- colours and gradient ------------------------------------------------------------

// Two colours, with their direct values kept beside them for drawing.
class TTwainColors : public TOptions {
 public:
  // `gdi` resolves system colours; without one they are kept as they are.
  explicit TTwainColors(IGdi* gdi = nullptr);
  std::string ClassName() const override { return "TTwainColors"; }
  TColor FromColor() const { return FFromColor; }
  void SetFromColor(TColor value);
  TColor ToColor() const { return FToColor; }
  void SetToColor(TColor value);
  TColorRef RGBFrom() const { return FRGBFrom; }
  TColorRef RGBTo() const { return FRGBTo; }
  void Assign(const TPersistent& source) override;

 protected:
  TColorRef Resolve(TColor color) const;

 private:
  IGdi* FGdi;
  TColor FFromColor = 0x808080;
  TColor FToColor = 0x000000;
  TColorRef FRGBFrom = 0x808080;
  TColorRef FRGBTo = 0x000000;
};

class TCustomGradient : public TTwainColors {
 public:
  using TTwainColors::TTwainColors;
  std::string ClassName() const override { return "TCustomGradient"; }
  bool Active() const { return FActive; }
  void SetActive(bool value) { Set(FActive, value); }
  bool BufferedDraw() const { return FBufferedDraw; }
  void SetBufferedDraw(bool value) { Set(FBufferedDraw, value); }
  TGradientDir Orientation() const { return FOrientation; }
  void SetOrientation(TGradientDir value) { Set(FOrientation, value); }
  int Steps() const { return FSteps; }
  // Kept within 1..255.
  void SetSteps(int value);
  int PercentFilling() const { return FPercentFilling; }
  // Kept within 0..100.
  void SetPercentFilling(int value);
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TBrushStyle value) { Set(FBrushStyle, value); }
  void Assign(const TPersistent& source) override;

 private:
  bool FActive = false;
  bool FBufferedDraw = false;
  TGradientDir FOrientation = fgdHorizontal;
  int FSteps = 255;
  int FPercentFilling = 100;
  TBrushStyle FBrushStyle = bsSolid;
};

class TGradient : public TCustomGradient {
 public:
  using TCustomGradient::TCustomGradient;
  std::string ClassName() const override { return "TGradient"; }
};

// ---- alignment and illumination ---------------------------------------------------------

class T2DAlign : public TOptions {
 public:
  std::string ClassName() const override { return "T2DAlign"; }
  THorAlign Horizontal() const { return FHorizontal; }
  void SetHorizontal(THorAlign value) { Set(FHorizontal, value); }
  TVertAlign Vertical() const { return FVertical; }
  void SetVertical(TVertAlign value) { Set(FVertical, value); }
  void Assign(const TPersistent& source) override;

 protected:
  void CopyAlign(const T2DAlign& source);

 private:
  THorAlign FHorizontal = fhaLeft;
  TVertAlign FVertical = fvaTop;
};

class TIllumination : public T2DAlign {
 public:
  std::string ClassName() const override { return "TIllumination"; }
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int value) { Set(FShadowDepth, value); }
  void Assign(const TPersistent& source) override;

 private:
  int FShadowDepth = 2;
};

// ---- caption styles and colours ---------------------------------------------------------

class TLabelTextStyles : public TOptions {
 public:
  std::string ClassName() const override { return "TLabelTextStyles"; }
  TTextStyle Passive() const { return FPassive; }
  void SetPassive(TTextStyle value) { Set(FPassive, value); }
  TTextStyle Active() const { return FActive; }
  void SetActive(TTextStyle value) { Set(FActive, value); }
  TTextStyle Disabled() const { return FDisabled; }
  void SetDisabled(TTextStyle value) { Set(FDisabled, value); }
  void Assign(const TPersistent& source) override;

 private:
  TTextStyle FPassive = fstRaised;
  TTextStyle FActive = fstRaised;
  TTextStyle FDisabled = fstPushed;
};

class TCustomTextColors : public TOptions {
 public:
  std::string ClassName() const override { return "TCustomTextColors"; }
  TColor Text() const { return FText; }
  void SetText(TColor value) { Set(FText, value); }
  TColor TextDisabled() const { return FTextDisabled; }
  void SetTextDisabled(TColor value) { Set(FTextDisabled, value); }
  TColor Delineate() const { return FDelineate; }
  void SetDelineate(TColor value) { Set(FDelineate, value); }
  TColor Shadow() const { return FShadow; }
  void SetShadow(TColor value) { Set(FShadow, value); }
  TColor Highlight() const { return FHighlight; }
  void SetHighlight(TColor value) { Set(FHighlight, value); }
  TColor Background() const { return FBackground; }
  void SetBackground(TColor value) { Set(FBackground, value); }

 protected:
  void CopyTextColors(const TCustomTextColors& source);

 private:
  TColor FText = clBlack;
  TColor FTextDisabled = clGray;
  TColor FDelineate = clWhite;
  TColor FShadow = clBtnShadow;
  TColor FHighlight = clBtnHighlight;
  TColor FBackground = clBtnFace;
};

class TCustomLabelColors : public TCustomTextColors {
 public:
  std::string ClassName() const override { return "TCustomLabelColors"; }
  TColor TextActive() const { return FTextActive; }
  void SetTextActive(TColor value) { Set(FTextActive, value); }
  TColor DelineateActive() const { return FDelineateActive; }
  void SetDelineateActive(TColor value) { Set(FDelineateActive, value); }
  bool AutoHighlight() const { return FAutoHighlight; }
  void SetAutoHighlight(bool value) { Set(FAutoHighlight, value); }
  bool AutoShadow() const { return FAutoShadow; }
  void SetAutoShadow(bool value) { Set(FAutoShadow, value); }
  int ColorHighlightShift() const { return FColorHighlightShift; }
  void SetColorHighlightShift(int value) { Set(FColorHighlightShift, value); }
  int ColorShadowShift() const { return FColorShadowShift; }
  void SetColorShadowShift(int value) { Set(FColorShadowShift, value); }
  TColor BackgroundActive() const { return FBackgroundActive; }
  void SetBackgroundActive(TColor value) { Set(FBackgroundActive, value); }
  void Assign(const TPersistent& source) override;

 private:
  TColor FTextActive = clBlack;
  TColor FDelineateActive = clWhite;
  bool FAutoHighlight = false;
  bool FAutoShadow = false;
  int FColorHighlightShift = 40;
  int FColorShadowShift = 60;
  TColor FBackgroundActive = clBtnFace;
};

class TLabelColors : public TCustomLabelColors {
 public:
  std::string ClassName() const override { return "TLabelColors"; }
};
