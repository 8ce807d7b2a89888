#pragma once
// Colours, pens, brushes, fonts, the canvas over a device context, bitmaps and icons.
//
// Ownership of platform handles is in the types: TGdiObject and TMemoryDC delete what they
// hold; TSelection selects an object into a context and, on every path out of its scope,
// selects the previous object back before deleting its own. A canvas keeps its pen, brush
// and font selected between calls through three such guards and gives the context back
// clean when it is detached.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Gdi.h"

// ---- colours -------------------------------------------------------------------
// 0x00BBGGRR for a direct colour; 0xFF0000nn names system colour nn.
using TColor = std::uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor SystemColor(int index) { return 0xFF000000u | static_cast<TColor>(index); }
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);

inline constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0xFF000000u; }
// A system colour resolved through the platform's table; any other value unchanged.
TColorRef ColorToRGB(TColor color, IGdi& gdi);

// a * b / c rounded to the nearest integer with halves away from zero; -1 when c is 0 or
// the result does not fit (the system's MulDiv).
int MulDiv(int a, int b, int c);

// ---- handle owners ---------------------------------------------------------------

// Deletes a pen, brush, font or bitmap it holds.
class TGdiObject {
 public:
  TGdiObject() = default;
  TGdiObject(IGdi& gdi, HGdiObj handle) : FGdi(&gdi), FHandle(handle) {}
  TGdiObject(TGdiObject&& other) noexcept { *this = std::move(other); }
  TGdiObject& operator=(TGdiObject&& other) noexcept;
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject() { Reset(); }
  HGdiObj Get() const { return FHandle; }
  HGdiObj Release();
  void Reset();

 private:
  IGdi* FGdi = nullptr;
  HGdiObj FHandle = HGdiObj::None;
};

// A memory device context, deleted with its owner.
class TMemoryDC {
 public:
  explicit TMemoryDC(IGdi& gdi) : FGdi(gdi), FHandle(gdi.CreateMemoryDC()) {}
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  ~TMemoryDC() {
    if (FHandle != HDc::None) FGdi.DeleteDC(FHandle);
  }
  HDc Get() const { return FHandle; }

 private:
  IGdi& FGdi;
  HDc FHandle;
};

// Selects an object into a context for a scope. On release the object it displaced is
// selected again and, when owned, the object is deleted.
class TSelection {
 public:
  TSelection() = default;
  TSelection(IGdi& gdi, HDc dc, HGdiObj object, bool owned = true);
  TSelection(TSelection&& other) noexcept { *this = std::move(other); }
  TSelection& operator=(TSelection&& other) noexcept;
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  ~TSelection() { Release(); }
  // Selects another owned object in place of the current one, which is deleted; the object
  // to put back at the end stays the one displaced first.
  void Replace(HGdiObj object);
  void Release();
  HGdiObj Object() const { return FObject; }
  explicit operator bool() const { return FDc != HDc::None; }

 private:
  IGdi* FGdi = nullptr;
  HDc FDc = HDc::None;
  HGdiObj FObject = HGdiObj::None;
  HGdiObj FOld = HGdiObj::None;
  bool FOwned = false;
};

// ---- pen, brush, font --------------------------------------------------------------

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
// Font styles as a set of bits.
using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 0x01;
inline constexpr TFontStyles fsItalic = 0x02;
inline constexpr TFontStyles fsUnderline = 0x04;
inline constexpr TFontStyles fsStrikeOut = 0x08;

class TPen {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  void SetWidth(int value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
};

class TBrush {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);
  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TFont {
 public:
  // The framework's default font.
  static constexpr const char* kDefaultName = "MS Sans Serif";
  static constexpr int kDefaultHeight = -11;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& value);
  int Height() const { return FHeight; }
  void SetHeight(int value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Charset() const { return FCharset; }
  void SetCharset(int value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  // How the system smooths the text (DEFAULT_QUALITY: as the user's setting says).
  int Quality() const { return FQuality; }
  void SetQuality(int value);
  // Copies every attribute; one notification when anything differed.
  void Assign(const TFont& source);
  TFontParams Params() const;
  // Called after every real change of an attribute, each on its own.
  std::function<void(TFont&)> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange(*this);
  }
  std::string FName = kDefaultName;
  int FHeight = kDefaultHeight;
  TColor FColor = clWindowText;
  int FCharset = DEFAULT_CHARSET;
  TFontStyles FStyle = 0;
  int FQuality = DEFAULT_QUALITY;
};

class TBitmap;

// ---- canvas ------------------------------------------------------------------------

class TCanvas {
 public:
  explicit TCanvas(IGdi& gdi);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas();

  IGdi& Gdi() const { return FGdi; }
  // The context with the canvas's pen and brush selected. The font goes in with the first
  // text drawn or measured: selecting one into a window's context costs more under Wine than
  // a whole paint of the widgets that draw no text.
  HDc Handle();
  // Attaches the canvas to a context it does not own (None detaches); the previous context
  // gets its own objects back.
  void SetHandle(HDc dc);
  bool HandleAllocated() const { return FDc != HDc::None; }

  TPen& Pen() { return FPen; }
  TBrush& Brush() { return FBrush; }
  TFont& Font() { return FFont; }

  TColorRef ToRGB(TColor color) const { return ColorToRGB(color, FGdi); }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void SetPixel(int x, int y, TColor color);
  TColorRef Pixel(int x, int y);
  // Fills with the brush, right and bottom edges excluded; a clear brush fills nothing.
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  // Text with its top-left at (x, y) in the font's colour; cells in the brush colour unless
  // the brush is clear.
  // ANSI text is read in the system's code page; UTF-16 text reads the same on every one.
  void TextOut(int x, int y, const std::string& text);
  void TextOut(int x, int y, const std::u16string& text);
  TPoint TextExtent(const std::string& text);
  TPoint TextExtent(const std::u16string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).X; }
  int TextWidth(const std::u16string& text) { return TextExtent(text).X; }
  int TextHeight(const std::string& text) { return TextExtent(text).Y; }
  int TextHeight(const std::u16string& text) { return TextExtent(text).Y; }
  // Draws a bitmap at (x, y); a transparent bitmap leaves out its transparent colour.
  void Draw(int x, int y, TBitmap& bitmap);
  // Copies a block of another canvas to (x, y) unchanged.
  void CopyFrom(int x, int y, TCanvas& source, const TRect& sourceRect);

 protected:
  // A canvas that makes its own context (a bitmap's) creates it here, or readies the one it
  // keeps; called before every use of the context.
  virtual void CreateHandle() {}
  // Puts back the context's own objects and forgets the context.
  void ReleaseContext();
  void SetOwnHandle(HDc dc) { FDc = dc; }

 private:
  void RequirePen();
  void RequireBrush();
  void RequireFont();
  HDc RequireDc();

  IGdi& FGdi;
  HDc FDc = HDc::None;
  TPen FPen;
  TBrush FBrush;
  TFont FFont;
  TSelection FPenSelection, FBrushSelection, FFontSelection;
  bool FPenValid = false, FBrushValid = false, FFontValid = false;
};

// ---- bitmap -----------------------------------------------------------------------

enum TTransparentMode { tmAuto, tmFixed };

// A memory bitmap of the screen's format with its own canvas. The picture is in the canvas's
// context only while drawing: asking for Handle() takes it out, so the bitmap can be selected
// elsewhere. The context itself, with its pen, brush and font, stays for the next drawing
// (making it and its font again costs more than a tray picture's whole rendering) until
// FreeContext.
class TBitmap {
 public:
  explicit TBitmap(IGdi& gdi);
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;
  ~TBitmap();

  IGdi& Gdi() const { return FGdi; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  // New size; the picture is lost and the bitmap filled with the canvas brush colour.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }
  TCanvas& Canvas();
  HGdiObj Handle();
  // Closes the canvas's context until the canvas is next used.
  void FreeContext();
  // Drops the picture (zero size).
  void Clear();
  // Copies another bitmap's picture and transparency settings.
  void Assign(TBitmap& source);
  // Loads a bitmap resource of the executable; false when there is none of that name.
  bool LoadFromResource(const std::string& name);
  // Rows from the top, 0x00BBGGRR.
  void LoadFromPixels(int width, int height, const std::vector<TColorRef>& pixels);
  std::vector<TColorRef> Pixels();

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; }
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value) { FTransparentMode = value; }
  // tmAuto: the bottom-left pixel; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);

 private:
  class TBitmapCanvas;
  void Adopt(HGdiObj bitmap);

  IGdi& FGdi;
  TGdiObject FBitmap;
  int FWidth = 0;
  int FHeight = 0;
  bool FTransparent = false;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clNone;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

// ---- icon -------------------------------------------------------------------------

class TIcon {
 public:
  explicit TIcon(IGdi& gdi) : FGdi(gdi) {}
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;
  ~TIcon() {
    if (FHandle != HIcon::None) FGdi.DestroyIcon(FHandle);
  }
  HIcon Handle() const { return FHandle; }
  // Takes ownership of an icon handle.
  void SetHandle(HIcon icon);
  bool Empty() const { return FHandle == HIcon::None; }
  void Clear();
  // Copies another icon's image.
  void Assign(const TIcon& source);
  // The bitmap's picture; pixels of exactly `maskColor` (a system colour resolved) are
  // transparent unless it is clNone, which makes the icon opaque.
  void FromBitmap(TBitmap& bitmap, TColor maskColor);
  // Called after every assignment of an image (the same one included), not on destruction.
  std::function<void(TIcon&)> OnChange;

 private:
  IGdi& FGdi;
  HIcon FHandle = HIcon::None;
};
