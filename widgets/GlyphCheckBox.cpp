#include "widgets/GlyphCheckBox.h"

#include <algorithm>

#include "widgets/Lamps.h"
#include "widgets/Painting.h"

namespace {
// The executable's lamp resource when it carries one, else the built-in table.
void LoadLamp(TBitmap& bitmap, TLampKind kind) {
  const TLampPicture& picture = LampPicture(kind);
  if (!bitmap.LoadFromResource(std::string(picture.Name)))
    bitmap.LoadFromPixels(kLampSize, kLampSize, LampPixels(kind));
  bitmap.SetTransparentMode(tmAuto);
  bitmap.SetTransparent(true);
}

TColor BottomLeft(TBitmap& bitmap) {
  return bitmap.Empty() ? clNone : bitmap.Canvas().Pixel(0, bitmap.Height() - 1) & 0xFFFFFF;
}
}  // namespace

TGlyphCheckBox::TGlyphCheckBox(TComponent* owner, TPlatform* platform)
    : TGraphicControl(owner, platform) {
  IGdi& gdi = Platform().Gdi;
  FGlyph = std::make_unique<TBitmap>(gdi);
  FGlyphOn = std::make_unique<TBitmap>(gdi);
  FGlyphOff = std::make_unique<TBitmap>(gdi);
  FGlyphDisabled = std::make_unique<TBitmap>(gdi);
  FBuffer = std::make_unique<TBitmap>(gdi);
  FBuffer->Canvas().Brush().SetColor(clBtnFace);
  FBuffer->Canvas().Brush().SetStyle(bsSolid);
  FGlyphShift = std::make_unique<TPointClass>();
  FTextStyles = std::make_unique<TLabelTextStyles>();
  FColors = std::make_unique<TLabelColors>();
  FGradient = std::make_unique<TGradient>(&gdi);
  FIllumination = std::make_unique<TIllumination>();
  FGlyphShift->OnChanged = {this, &TGlyphCheckBox::GlyphOptionsChanged};
  FGradient->OnChanged = {this, &TGlyphCheckBox::GlyphOptionsChanged};
  FTextStyles->OnChanged = {this, &TGlyphCheckBox::ColorOptionsChanged};
  FColors->OnChanged = {this, &TGlyphCheckBox::ColorOptionsChanged};
  FIllumination->OnChanged = {this, &TGlyphCheckBox::ColorOptionsChanged};
  FFont.OnChange = [this](TFont&) {
    if (!FPainting) Invalidate();
  };
  SetBounds(Left(), Top(), 80, 17);
  SetGlyphKind(fgkDefault);
}

TGlyphCheckBox::~TGlyphCheckBox() = default;

void TGlyphCheckBox::Loaded() { TGraphicControl::Loaded(); }

// ---- glyphs --------------------------------------------------------------------------

void TGlyphCheckBox::LoadDefaultGlyphs() {
  LoadLamp(*FGlyphOn, TLampKind::On);
  LoadLamp(*FGlyphOff, TLampKind::Off);
  LoadLamp(*FGlyphDisabled, TLampKind::Disabled);
}

void TGlyphCheckBox::SetGlyphKind(TGlyphKind value) {
  FGlyphKind = value;
  if (value == fgkCustom && Loading()) {
    // The description brings its own pictures.
    FGlyphOn->Clear();
    FGlyphOff->Clear();
    FGlyphDisabled->Clear();
    return;
  }
  FGlyphOn->Clear();
  FGlyphOff->Clear();
  FGlyphDisabled->Clear();
  LoadDefaultGlyphs();
  Invalidate();
}

void TGlyphCheckBox::SetGlyph(TBitmap& value) {
  FGlyph->Assign(value);
  FRedraw = true;
  Invalidate();
}

void TGlyphCheckBox::SetGlyphOn(TBitmap& value) {
  FGlyphOn->Assign(value);
  FGlyphKind = fgkCustom;
  Invalidate();
}

void TGlyphCheckBox::SetGlyphOff(TBitmap& value) {
  FGlyphOff->Assign(value);
  FGlyphKind = fgkCustom;
  Invalidate();
}

void TGlyphCheckBox::SetGlyphDisabled(TBitmap& value) {
  FGlyphDisabled->Assign(value);
  Invalidate();
}

// ---- properties ----------------------------------------------------------------------

void TGlyphCheckBox::SetChecked(bool value) {
  if (value == FChecked) return;
  FRedraw = true;
  if (FGroupIndex == 0) {
    FChecked = value;
  } else {
    if (!value) return;  // a radio group is left only by checking another member
    if (TComponent* owner = Owner()) {
      for (const auto& component : owner->Components()) {
        auto* other = dynamic_cast<TGlyphCheckBox*>(component.get());
        if (!other || other == this || other->FGroupIndex != FGroupIndex || !other->FChecked)
          continue;
        other->FChecked = false;
        other->FRedraw = true;
        other->Invalidate();
      }
    }
    FChecked = true;
  }
  Invalidate();
}

void TGlyphCheckBox::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TGlyphCheckBox::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  FRedraw = true;
  Invalidate();
}

void TGlyphCheckBox::SetOptions(TCheckBoxOptions value) {
  if (value == FOptions) return;
  FOptions = value;
  DeriveShadowHighlight(Platform().Gdi, ParentColor(), *FColors);
  Invalidate();
}

void TGlyphCheckBox::SetDisabledMaskColor(TColor value) {
  if (value == FDisabledMaskColor) return;
  FDisabledMaskColor = value;
  FRedraw = true;
  Invalidate();
}

void TGlyphCheckBox::SetInterspace(int value) {
  if (value == FInterspace) return;
  FInterspace = value;
  FRedraw = true;
  Invalidate();
}

void TGlyphCheckBox::SetCaption(const std::string& value) {
  if (value == FCaption) return;
  FCaption = value;
  Invalidate();
}

void TGlyphCheckBox::SetEnabled(bool value) {
  if (value == Enabled()) return;
  FRedraw = true;
  TGraphicControl::SetEnabled(value);
}

void TGlyphCheckBox::GlyphOptionsChanged(TObject*) {
  if (!Loading()) FCaptionOnly = true;
  Invalidate();
}

void TGlyphCheckBox::ColorOptionsChanged(TObject*) {
  DeriveShadowHighlight(Platform().Gdi, ParentColor(), *FColors);
  Invalidate();
}

// ---- mouse ---------------------------------------------------------------------------

void TGlyphCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOptions & fcoIgnoreMouse) return;
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button == TMouseButton::mbLeft && FFocusControl && FFocusControlMethod == fcmOnMouseDown &&
      FFocusControl->HandleAllocated())
    Platform().Windows.SetFocus(FFocusControl->Handle());
}

void TGlyphCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOptions & fcoIgnoreMouse) return;
  if (button == TMouseButton::mbLeft && Enabled()) {
    if (x >= 0 && y >= 0 && x < Width() && y < Height()) SetChecked(!FChecked);
    if (FFocusControl) {
      if (FOptions & fcoEnabledFocusControlWhileChecked) FFocusControl->SetEnabled(FChecked);
      if (FFocusControlMethod == fcmOnMouseUp && FFocusControl->HandleAllocated())
        Platform().Windows.SetFocus(FFocusControl->Handle());
    }
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TGlyphCheckBox::MouseEnter() {
  if ((FOptions & fcoIgnoreMouse) || !Enabled()) return;
  FMouseOver = true;
  OnMouseEnter(this);
  if (FFocusControl && FFocusControlMethod == fcmOnMouseEnter && FFocusControl->HandleAllocated())
    Platform().Windows.SetFocus(FFocusControl->Handle());
  bool differs =
      FTextStyles->Active() != FTextStyles->Passive() || FColors->TextActive() != FColors->Text() ||
      FColors->BackgroundActive() != FColors->Background() || (FOptions & fcoUnderlinedActive);
  if (differs) {
    FRedraw = true;
    Invalidate();
  }
}

void TGlyphCheckBox::MouseLeave() {
  if ((FOptions & fcoIgnoreMouse) || !Enabled()) return;
  FMouseOver = false;
  OnMouseLeave(this);
  FRedraw = true;
  Invalidate();
}

// ---- painting ------------------------------------------------------------------------

TBitmap& TGlyphCheckBox::ChosenGlyph() {
  if (!Enabled() && !FGlyphDisabled->Empty()) return *FGlyphDisabled;
  return FChecked ? *FGlyphOn : *FGlyphOff;
}

void TGlyphCheckBox::DrawCaption(TCanvas& canvas, int x, TColor textColor, TColor delineateColor,
                                 TTextStyle style) {
  if (FCaption.empty()) return;
  canvas.Font().Assign(FFont);
  canvas.Brush().SetStyle(bsClear);
  int y = std::max(0, (Height() - canvas.TextHeight(FCaption)) / 2);
  auto text = [&](int dx, int dy, TColor color) {
    canvas.Font().SetColor(color);
    canvas.TextOut(x + dx, y + dy, FCaption);
  };
  if (FOptions & fcoDelineatedText)
    for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) text(dx, dy, delineateColor);
  int depth = FIllumination->ShadowDepth();
  switch (style) {
    case fstRaised:
    case fstVolumetric:
      text(-1, -1, FColors->Highlight());
      text(1, 1, FColors->Shadow());
      break;
    case fstRecessed:
      text(-1, -1, FColors->Shadow());
      text(1, 1, FColors->Highlight());
      break;
    case fstPushed:
      text(1, 1, FColors->Highlight());
      textColor = FColors->Shadow();
      break;
    case fstShadow:
      text(depth, depth, FColors->Shadow());
      break;
    case fstNone:
      break;
  }
  text(0, 0, textColor);
  canvas.Brush().SetStyle(bsSolid);
}

void TGlyphCheckBox::Paint() {
  TCanvas& canvas = Canvas();
  if (!canvas.HandleAllocated()) return;
  IGdi& gdi = Platform().Gdi;
  FPainting = true;
  // The bitmaps' contexts are closed again when the paint ends, whichever way it ends.
  struct TEnd {
    TGlyphCheckBox& Box;
    ~TEnd() {
      Box.FPainting = Box.FCaptionOnly = false;
      for (TBitmap* b : {Box.FBuffer.get(), Box.FGlyph.get(), Box.FGlyphOn.get(),
                         Box.FGlyphOff.get(), Box.FGlyphDisabled.get()})
        b->FreeContext();
    }
  } end{*this};

  if (FOptions & fcoBoldChecked)
    FFont.SetStyle(
        static_cast<TFontStyles>(FChecked ? (FFont.Style() | fsBold) : (FFont.Style() & ~fsBold)));
  if (FOptions & fcoUnderlinedActive)
    FFont.SetStyle(static_cast<TFontStyles>(FMouseOver ? (FFont.Style() | fsUnderline)
                                                       : (FFont.Style() & ~fsUnderline)));

  TBitmap& glyph = ChosenGlyph();
  TTextStyle style = FTextStyles->Passive();
  TColor delineate = FColors->Delineate(), text = FColors->Text();
  if (FMouseOver) {
    style = FTextStyles->Active();
    delineate = FColors->DelineateActive();
    text = FColors->TextActive();
  } else if (!Enabled()) {
    style = FTextStyles->Disabled();
    text = FColors->TextDisabled();
  }
  TColor background = FMouseOver ? FColors->BackgroundActive() : FColors->Background();

  TBitmap& buffer = *FBuffer;
  buffer.SetSize(Width(), Height());
  if (buffer.Empty()) return;
  TCanvas& bc = buffer.Canvas();
  bool fast = (FOptions & fcoFastDraw) != 0;
  if (!FCaptionOnly) {
    bc.Brush().SetColor(background);
    bc.Brush().SetStyle(bsSolid);
    bc.FillRect(ClientRect());
    if (FTransparent && (!fast || FRedraw)) bc.CopyFrom(0, 0, canvas, ClientRect());
  }

  int captionX = FAlignment == taLeftJustify
                     ? FGlyph->Width()
                     : std::max({FGlyphOn->Width(), FGlyphOff->Width(), FGlyphDisabled->Width(),
                                 FGlyph->Width()}) +
                           FInterspace;
  DrawCaption(bc, captionX, text, delineate, style);

  if (!FCaptionOnly) {
    if (!fast || FRedraw) {
      if (!FGlyph->Empty()) {
        TColor key = BottomLeft(*FGlyph);
        int y = std::max(0, (Height() - FGlyph->Height()) / 2);
        if (FTransparent) {
          DrawBitmapExt(gdi, bc.Handle(), *FGlyph, {0, y, FGlyph->Width(), y + FGlyph->Height()},
                        FDisabledMaskColor, key, true, ddsNormal, dmNormal, 0, 0);
        } else {
          auto copy = ChangeBitmapColor(*FGlyph, key, clBtnFace);
          DrawBitmapExt(gdi, bc.Handle(), *copy, {0, y, copy->Width(), y + copy->Height()},
                        FDisabledMaskColor, key, false, ddsNormal, dmNormal, 0, 0);
        }
      }
      FRedraw = false;
    }
    if (!glyph.Empty()) {
      TColor key = BottomLeft(glyph);
      int x = FAlignment == taLeftJustify ? Width() - glyph.Width() : FGlyphShift->X();
      int y = std::max(0, (Height() - glyph.Height()) / 2) + FGlyphShift->Y();
      TRect at{x, y, x + glyph.Width(), y + glyph.Height()};
      if (FTransparent) {
        DrawBitmapExt(gdi, bc.Handle(), glyph, at, FDisabledMaskColor, key, true, ddsNormal,
                      dmNormal, 0, 0);
      } else {
        auto copy = ChangeBitmapColor(glyph, key, background);
        DrawBitmapExt(gdi, bc.Handle(), *copy, at, FDisabledMaskColor, key, false, ddsNormal,
                      dmNormal, 0, 0);
      }
    }
  }

  TColor key = BottomLeft(buffer);
  gdi.TransparentBlt(canvas.Handle(), 0, 0, Width(), Height(), bc.Handle(), 0, 0, key);
  AfterPaint(this);
}
