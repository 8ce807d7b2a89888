#pragma once
// A windowless check box that shows its state as a lamp picture, optionally followed by a
// caption. Everything is drawn into an off-screen buffer first and copied in one go, so the
// box never shows half a paint.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/GraphicControl.h"
#include "widgets/Options.h"

enum TGlyphKind { fgkCustom, fgkDefault };
enum TFocusControlMethod { fcmOnMouseEnter, fcmOnMouseDown, fcmOnMouseUp };

// Options as a set of bits.
using TCheckBoxOptions = std::uint8_t;
inline constexpr TCheckBoxOptions fcoActiveWhileControlFocused = 0x01;
inline constexpr TCheckBoxOptions fcoBoldChecked = 0x02;
inline constexpr TCheckBoxOptions fcoEnabledFocusControlWhileChecked = 0x04;
inline constexpr TCheckBoxOptions fcoIgnoreMouse = 0x08;
inline constexpr TCheckBoxOptions fcoDelineatedText = 0x10;
inline constexpr TCheckBoxOptions fcoFastDraw = 0x20;
inline constexpr TCheckBoxOptions fcoUnderlinedActive = 0x40;

class TGlyphCheckBox : public TGraphicControl {
 public:
  explicit TGlyphCheckBox(TComponent* owner, TPlatform* platform = nullptr);
  ~TGlyphCheckBox() override;

  // taRightJustify: glyph at the left, caption after it; taLeftJustify: glyph at the right.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TGlyphKind GlyphKind() const { return FGlyphKind; }
  void SetGlyphKind(TGlyphKind value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  TBitmap& Glyph() { return *FGlyph; }
  void SetGlyph(TBitmap& value);
  TBitmap& GlyphOn() { return *FGlyphOn; }
  void SetGlyphOn(TBitmap& value);
  TBitmap& GlyphOff() { return *FGlyphOff; }
  void SetGlyphOff(TBitmap& value);
  TBitmap& GlyphDisabled() { return *FGlyphDisabled; }
  void SetGlyphDisabled(TBitmap& value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value) { FGroupIndex = value; }
  TPointClass& GlyphShift() { return *FGlyphShift; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // The whole box comes from its buffer in one copy: nothing is erased under it.
  bool Opaque() const override { return true; }
  TLabelTextStyles& TextStyles() { return *FTextStyles; }
  TLabelColors& Colors() { return *FColors; }
  TCheckBoxOptions Options() const { return FOptions; }
  void SetOptions(TCheckBoxOptions value);
  TGradient& Gradient() { return *FGradient; }
  TIllumination& Illumination() { return *FIllumination; }
  TColor DisabledMaskColor() const { return FDisabledMaskColor; }
  void SetDisabledMaskColor(TColor value);
  int Interspace() const { return FInterspace; }
  void SetInterspace(int value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value) { FFocusControl = value; }
  TFocusControlMethod FocusControlMethod() const { return FFocusControlMethod; }
  void SetFocusControlMethod(TFocusControlMethod value) { FFocusControlMethod = value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);
  TFont& Font() { return FFont; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent AfterPaint;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // The pointer entering and leaving the box.
  void MouseEnter();
  void MouseLeave();

  void SetEnabled(bool value) override;

  // Unpublished state, for inspection.
  bool RedrawFlag() const { return FRedraw; }
  bool MouseOver() const { return FMouseOver; }

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  void LoadDefaultGlyphs();
  void GlyphOptionsChanged(TObject* sender);
  void ColorOptionsChanged(TObject* sender);
  // The colour the box stands on, for the derived shadow and highlight.
  TColor ParentColor() const { return clBtnFace; }
  TBitmap& ChosenGlyph();
  void DrawCaption(TCanvas& canvas, int x, TColor textColor, TColor delineateColor,
                   TTextStyle style);

  TAlignment FAlignment = taRightJustify;
  TGlyphKind FGlyphKind = fgkCustom;
  bool FChecked = false;
  std::unique_ptr<TBitmap> FGlyph, FGlyphOn, FGlyphOff, FGlyphDisabled;
  int FGroupIndex = 0;
  std::unique_ptr<TPointClass> FGlyphShift;
  bool FTransparent = false;
  std::unique_ptr<TLabelTextStyles> FTextStyles;
  std::unique_ptr<TLabelColors> FColors;
  TCheckBoxOptions FOptions = fcoFastDraw;
  std::unique_ptr<TGradient> FGradient;
  std::unique_ptr<TIllumination> FIllumination;
  TColor FDisabledMaskColor = clBlack;
  int FInterspace = 0;
  TWinControl* FFocusControl = nullptr;
  TFocusControlMethod FFocusControlMethod = fcmOnMouseDown;
  std::string FCaption;
  TFont FFont;

  std::unique_ptr<TBitmap> FBuffer;
  bool FRedraw = true;
  bool FMouseOver = false;
  bool FCaptionOnly = false;
  bool FPainting = false;
};
