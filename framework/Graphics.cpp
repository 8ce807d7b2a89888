#include "framework/Graphics.h"

#include <utility>

TColorRef ColorToRGB(TColor color, IGdi& gdi) {
  return IsSystemColor(color) ? gdi.GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(a) * b;
  bool negative = (product < 0) != (c < 0);
  std::int64_t num = product < 0 ? -product : product;
  std::int64_t den = c < 0 ? -static_cast<std::int64_t>(c) : c;
  std::int64_t q = (num + den / 2) / den;
  if (negative) q = -q;
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<int>(q);
}

// ---- handle owners ---------------------------------------------------------------

TGdiObject& TGdiObject::operator=(TGdiObject&& other) noexcept {
  if (this != &other) {
    Reset();
    FGdi = other.FGdi;
    FHandle = std::exchange(other.FHandle, HGdiObj::None);
  }
  return *this;
}

HGdiObj TGdiObject::Release() { return std::exchange(FHandle, HGdiObj::None); }

void TGdiObject::Reset() {
  if (FHandle != HGdiObj::None && FGdi) FGdi->DeleteObject(FHandle);
  FHandle = HGdiObj::None;
}

TSelection::TSelection(IGdi& gdi, HDc dc, HGdiObj object, bool owned)
    : FGdi(&gdi), FDc(dc), FObject(object), FOwned(owned) {
  FOld = gdi.SelectObject(dc, object);
}

TSelection& TSelection::operator=(TSelection&& other) noexcept {
  if (this != &other) {
    Release();
    FGdi = other.FGdi;
    FDc = std::exchange(other.FDc, HDc::None);
    FObject = std::exchange(other.FObject, HGdiObj::None);
    FOld = std::exchange(other.FOld, HGdiObj::None);
    FOwned = other.FOwned;
  }
  return *this;
}

void TSelection::Replace(HGdiObj object) {
  if (FDc == HDc::None) return;
  FGdi->SelectObject(FDc, object);
  if (FOwned && FObject != HGdiObj::None) FGdi->DeleteObject(FObject);
  FObject = object;
  FOwned = true;
}

void TSelection::Release() {
  if (FDc == HDc::None) return;
  if (FOld != HGdiObj::None) FGdi->SelectObject(FDc, FOld);
  if (FOwned && FObject != HGdiObj::None) FGdi->DeleteObject(FObject);
  FDc = HDc::None;
  FObject = HGdiObj::None;
  FOld = HGdiObj::None;
}

// ---- pen, brush, font --------------------------------------------------------------

void TPen::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  Changed();
}

void TPen::SetWidth(int value) {
  if (FWidth == value) return;
  FWidth = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  Changed();
}

void TBrush::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  Changed();
}

void TFont::SetName(const std::string& value) {
  if (FName == value) return;
  FName = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (FHeight == value) return;
  FHeight = value;
  Changed();
}

void TFont::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  Changed();
}

void TFont::SetCharset(int value) {
  if (FCharset == value) return;
  FCharset = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  if (FStyle == value) return;
  FStyle = value;
  Changed();
}

void TFont::SetQuality(int value) {
  if (FQuality == value) return;
  FQuality = value;
  Changed();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  bool differs = FName != source.FName || FHeight != source.FHeight || FColor != source.FColor ||
                 FCharset != source.FCharset || FStyle != source.FStyle ||
                 FQuality != source.FQuality;
  FQuality = source.FQuality;
  FName = source.FName;
  FHeight = source.FHeight;
  FColor = source.FColor;
  FCharset = source.FCharset;
  FStyle = source.FStyle;
  if (differs) Changed();
}

TFontParams TFont::Params() const {
  TFontParams p;
  p.Face = FName;
  p.Height = FHeight;
  p.Charset = FCharset;
  p.Quality = FQuality;
  p.Bold = (FStyle & fsBold) != 0;
  p.Italic = (FStyle & fsItalic) != 0;
  p.Underline = (FStyle & fsUnderline) != 0;
  p.StrikeOut = (FStyle & fsStrikeOut) != 0;
  return p;
}

// ---- canvas ------------------------------------------------------------------------

TCanvas::TCanvas(IGdi& gdi) : FGdi(gdi) {
  FPen.OnChange = [this] { FPenValid = false; };
  FBrush.OnChange = [this] { FBrushValid = false; };
  FFont.OnChange = [this](TFont&) { FFontValid = false; };
}

TCanvas::~TCanvas() { ReleaseContext(); }

void TCanvas::ReleaseContext() {
  FPenSelection.Release();
  FBrushSelection.Release();
  FFontSelection.Release();
  FPenValid = FBrushValid = FFontValid = false;
  FDc = HDc::None;
}

void TCanvas::SetHandle(HDc dc) {
  if (dc == FDc) return;
  ReleaseContext();
  FDc = dc;
}

HDc TCanvas::RequireDc() {
  CreateHandle();
  return FDc;
}

HDc TCanvas::Handle() {
  RequirePen();
  RequireBrush();
  return FDc;
}

void TCanvas::RequirePen() {
  HDc dc = RequireDc();
  if (dc == HDc::None || FPenValid) return;
  int style = FPen.Style() == psClear ? PS_NULL : static_cast<int>(FPen.Style());
  HGdiObj pen = FGdi.CreatePen(style, FPen.Width(), ToRGB(FPen.Color()));
  if (FPenSelection)
    FPenSelection.Replace(pen);
  else
    FPenSelection = TSelection(FGdi, dc, pen);
  FPenValid = true;
}

void TCanvas::RequireBrush() {
  HDc dc = RequireDc();
  if (dc == HDc::None || FBrushValid) return;
  FBrushValid = true;
  if (FBrush.Style() == bsClear) {
    FGdi.SetBkMode(dc, TRANSPARENT);
    return;
  }
  HGdiObj brush = FBrush.Style() == bsSolid
                      ? FGdi.CreateSolidBrush(ToRGB(FBrush.Color()))
                      : FGdi.CreateHatchBrush(FBrush.Style() - bsHorizontal, ToRGB(FBrush.Color()));
  if (FBrushSelection)
    FBrushSelection.Replace(brush);
  else
    FBrushSelection = TSelection(FGdi, dc, brush);
  // A solid brush also gives text cells their background; hatches leave their gaps alone.
  if (FBrush.Style() == bsSolid) {
    FGdi.SetBkColor(dc, ToRGB(FBrush.Color()));
    FGdi.SetBkMode(dc, OPAQUE);
  } else {
    FGdi.SetBkMode(dc, TRANSPARENT);
  }
}

void TCanvas::RequireFont() {
  HDc dc = RequireDc();
  if (dc == HDc::None || FFontValid) return;
  HGdiObj font = FGdi.CreateFont(FFont.Params());
  if (FFontSelection)
    FFontSelection.Replace(font);
  else
    FFontSelection = TSelection(FGdi, dc, font);
  FFontValid = true;
}

void TCanvas::MoveTo(int x, int y) {
  if (HDc dc = RequireDc(); dc != HDc::None) FGdi.MoveTo(dc, x, y);
}

void TCanvas::LineTo(int x, int y) {
  RequirePen();
  if (FDc != HDc::None) FGdi.LineTo(FDc, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (HDc dc = RequireDc(); dc != HDc::None) FGdi.SetPixel(dc, x, y, ToRGB(color));
}

TColorRef TCanvas::Pixel(int x, int y) {
  HDc dc = RequireDc();
  return dc != HDc::None ? FGdi.GetPixel(dc, x, y) : 0xFFFFFFFF;
}

void TCanvas::FillRect(const TRect& rect) {
  RequireBrush();
  if (FDc != HDc::None && FBrush.Style() != bsClear)
    FGdi.FillRect(FDc, rect, FBrushSelection.Object());
}

void TCanvas::FrameRect(const TRect& rect) {
  RequireBrush();
  if (FDc != HDc::None && FBrush.Style() != bsClear)
    FGdi.FrameRect(FDc, rect, FBrushSelection.Object());
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  RequireFont();
  RequireBrush();
  if (FDc == HDc::None) return;
  FGdi.SetTextColor(FDc, ToRGB(FFont.Color()));
  FGdi.TextOut(FDc, x, y, text);
}

void TCanvas::TextOut(int x, int y, const std::u16string& text) {
  RequireFont();
  RequireBrush();
  if (FDc == HDc::None) return;
  FGdi.SetTextColor(FDc, ToRGB(FFont.Color()));
  FGdi.TextOutW(FDc, x, y, text);
}

TPoint TCanvas::TextExtent(const std::string& text) {
  RequireFont();
  return FDc != HDc::None ? FGdi.GetTextExtent(FDc, text) : TPoint{};
}

TPoint TCanvas::TextExtent(const std::u16string& text) {
  RequireFont();
  return FDc != HDc::None ? FGdi.GetTextExtentW(FDc, text) : TPoint{};
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  HDc dc = RequireDc();
  if (dc == HDc::None) return;
  TColor transparent = bitmap.Transparent() ? bitmap.TransparentColor() : clNone;
  TCanvas& source = bitmap.Canvas();
  HDc src = source.RequireDc();
  if (transparent != clNone)
    FGdi.TransparentBlt(dc, x, y, bitmap.Width(), bitmap.Height(), src, 0, 0, ToRGB(transparent));
  else
    FGdi.BitBlt(dc, x, y, bitmap.Width(), bitmap.Height(), src, 0, 0);
}

void TCanvas::CopyFrom(int x, int y, TCanvas& source, const TRect& r) {
  HDc dc = RequireDc();
  HDc src = source.RequireDc();
  if (dc != HDc::None && src != HDc::None)
    FGdi.BitBlt(dc, x, y, r.Width(), r.Height(), src, r.Left, r.Top);
}

// ---- bitmap -----------------------------------------------------------------------

// The bitmap's own canvas: a memory context with the bitmap selected, made on demand.
class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap& owner) : TCanvas(owner.FGdi), FOwner(owner) {}
  ~TBitmapCanvas() override { FreeContext(); }
  void FreeContext() {
    if (!HandleAllocated()) return;
    ReleaseContext();
    FBitmapSelection.Release();
    FDc.reset();
  }
  // The picture goes out of the context, which keeps its other objects.
  void ReleasePicture() { FBitmapSelection.Release(); }

 protected:
  void CreateHandle() override {
    if (FOwner.Empty() || FBitmapSelection) return;
    if (!FDc) {
      FDc = std::make_unique<TMemoryDC>(Gdi());
      SetOwnHandle(FDc->Get());
    }
    FBitmapSelection = TSelection(Gdi(), FDc->Get(), FOwner.FBitmap.Get(), false);
  }

 private:
  TBitmap& FOwner;
  std::unique_ptr<TMemoryDC> FDc;
  TSelection FBitmapSelection;
};

TBitmap::TBitmap(IGdi& gdi) : FGdi(gdi), FCanvas(std::make_unique<TBitmapCanvas>(*this)) {}

TBitmap::~TBitmap() { FCanvas->FreeContext(); }

TCanvas& TBitmap::Canvas() { return *FCanvas; }

HGdiObj TBitmap::Handle() {
  FCanvas->ReleasePicture();
  return FBitmap.Get();
}

void TBitmap::FreeContext() { FCanvas->FreeContext(); }

void TBitmap::Adopt(HGdiObj bitmap) {
  FCanvas->FreeContext();
  FBitmap = TGdiObject(FGdi, bitmap);
  TPoint size = bitmap != HGdiObj::None ? FGdi.GetBitmapSize(bitmap) : TPoint{};
  FWidth = size.X;
  FHeight = size.Y;
}

void TBitmap::SetSize(int width, int height) {
  if (width == FWidth && height == FHeight) return;
  if (width <= 0 || height <= 0) return Clear();
  Adopt(FGdi.CreateBitmap(width, height));
  if (FBitmap.Get() == HGdiObj::None) return Clear();
  FCanvas->FillRect({0, 0, width, height});
  FCanvas->FreeContext();
}

void TBitmap::Clear() { Adopt(HGdiObj::None); }

void TBitmap::Assign(TBitmap& source) {
  if (&source == this) return;
  FTransparent = source.FTransparent;
  FTransparentMode = source.FTransparentMode;
  FTransparentColor = source.FTransparentColor;
  if (source.Empty()) return Clear();
  Adopt(FGdi.CreateBitmap(source.Width(), source.Height()));
  if (FBitmap.Get() == HGdiObj::None) return Clear();
  FCanvas->CopyFrom(0, 0, source.Canvas(), {0, 0, FWidth, FHeight});
  FCanvas->FreeContext();
  source.FreeContext();
}

bool TBitmap::LoadFromResource(const std::string& name) {
  HGdiObj bitmap = FGdi.LoadBitmapResource(name);
  if (bitmap == HGdiObj::None) return false;
  Adopt(bitmap);
  return true;
}

void TBitmap::LoadFromPixels(int width, int height, const std::vector<TColorRef>& pixels) {
  Adopt(width > 0 && height > 0 ? FGdi.CreateBitmap(width, height) : HGdiObj::None);
  if (FBitmap.Get() != HGdiObj::None) FGdi.SetBitmapPixels(FBitmap.Get(), pixels);
}

std::vector<TColorRef> TBitmap::Pixels() {
  HGdiObj bitmap = Handle();
  return bitmap != HGdiObj::None ? FGdi.GetBitmapPixels(bitmap) : std::vector<TColorRef>{};
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clNone;
  bool open = FCanvas->HandleAllocated();
  TColor color = FCanvas->Pixel(0, FHeight - 1) & 0xFFFFFF;
  if (!open) FCanvas->FreeContext();
  return color;
}

void TBitmap::SetTransparentColor(TColor value) {
  FTransparentColor = value;
  FTransparentMode = value == clNone ? tmAuto : tmFixed;
}

// ---- icon -------------------------------------------------------------------------

void TIcon::SetHandle(HIcon icon) {
  if (icon != FHandle) {
    if (FHandle != HIcon::None) FGdi.DestroyIcon(FHandle);
    FHandle = icon;
  }
  if (OnChange) OnChange(*this);
}

void TIcon::Clear() { SetHandle(HIcon::None); }

void TIcon::Assign(const TIcon& source) {
  if (&source == this) return;
  SetHandle(source.FHandle != HIcon::None ? FGdi.CopyIcon(source.FHandle) : HIcon::None);
}

void TIcon::FromBitmap(TBitmap& bitmap, TColor maskColor) {
  HGdiObj handle = bitmap.Handle();
  SetHandle(handle != HGdiObj::None ? FGdi.CreateIconFromBitmap(handle, maskColor != clNone,
                                                                ColorToRGB(maskColor, FGdi))
                                    : HIcon::None);
}
