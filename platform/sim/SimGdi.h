#pragma once
// A software raster with the system's drawing rules: a line leaves out its end point, a fill
// leaves out the right and bottom edges, wide pens are centred with round ends, styled
// cosmetic pens and hatched brushes paint their gaps in the background colour when the
// context is opaque. Objects are counted by kind so tests can catch leaks; deleting an object
// still selected into a context succeeds, but, as on the real system, it lives on until it is
// no longer selected anywhere.
//
// Each window gets a surface of its client size at its first paint; tests read its pixels.
// The built-in font has fixed metrics (see kCharAdvance and kGlyph*) so text placement is
// exact: every character is 6 pixels wide (7 in bold) and the text is as high as the font's
// height in pixels (13 for the stock font). ANSI text is read in the machine's code page, as
// the system's ...A calls read it: a byte that is a degree sign on 1252 is another character,
// or half of one, elsewhere. A character the font lacks is drawn as a hollow box.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Gdi.h"
#include "platform/sim/SimHandles.h"

class TSimGdi : public IGdi {
 public:
  TSimGdi();

  // ---- IGdi ----------------------------------------------------------------
  HDc CreateMemoryDC() override;
  bool DeleteDC(HDc dc) override;
  int GetBitsPerPixel(HDc) override {
    ++Stats.DepthQueries;
    return BitsPerPixel;
  }
  TPoint SetViewportOrg(HDc dc, TPoint origin) override;
  TPoint GetViewportOrg(HDc dc) override;
  void IntersectClipRect(HDc dc, const TRect& rect) override;
  int SaveDC(HDc dc) override;
  bool RestoreDC(HDc dc, int saved) override;
  HGdiObj CreatePen(int style, int width, TColorRef color) override;
  HGdiObj CreateSolidBrush(TColorRef color) override;
  HGdiObj CreateHatchBrush(int hatch, TColorRef color) override;
  HGdiObj CreateFont(const TFontParams& params) override;
  HGdiObj CreateBitmap(int width, int height) override;
  HGdiObj SelectObject(HDc dc, HGdiObj object) override;
  bool DeleteObject(HGdiObj object) override;
  TPenInfo GetCurrentPen(HDc dc) override;
  TPoint GetBitmapSize(HGdiObj bitmap) override;
  bool SetBitmapPixels(HGdiObj bitmap, const std::vector<TColorRef>& pixels) override;
  std::vector<TColorRef> GetBitmapPixels(HGdiObj bitmap) override;
  HGdiObj LoadBitmapResource(const std::string& name) override;
  TPoint MoveTo(HDc dc, int x, int y) override;
  bool LineTo(HDc dc, int x, int y) override;
  TColorRef SetPixel(HDc dc, int x, int y, TColorRef color) override;
  TColorRef GetPixel(HDc dc, int x, int y) override;
  bool FillRect(HDc dc, const TRect& rect, HGdiObj brush) override;
  bool FrameRect(HDc dc, const TRect& rect, HGdiObj brush) override;
  bool BitBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX, int srcY) override;
  bool TransparentBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX, int srcY,
                      TColorRef transparent) override;
  TColorRef SetTextColor(HDc dc, TColorRef color) override;
  TColorRef SetBkColor(HDc dc, TColorRef color) override;
  int SetBkMode(HDc dc, int mode) override;
  TPoint GetTextExtent(HDc dc, const std::string& text) override;
  bool TextOut(HDc dc, int x, int y, const std::string& text) override;
  TPoint GetTextExtentW(HDc dc, const std::u16string& text) override;
  bool TextOutW(HDc dc, int x, int y, const std::u16string& text) override;
  HIcon CreateIconFromBitmap(HGdiObj bitmap, bool useMask, TColorRef maskColor) override;
  HIcon CopyIcon(HIcon icon) override;
  bool DestroyIcon(HIcon icon) override;
  bool DrawIcon(HDc dc, int x, int y, HIcon icon) override;
  TPoint GetIconSize(HIcon icon) override;
  bool GetIconImage(HIcon icon, std::vector<TColorRef>& pixels,
                    std::vector<bool>& transparent) override;
  HImageList ImageListCreate(int width, int height) override;
  int ImageListAddMasked(HImageList list, HGdiObj bitmap, bool useMask,
                         TColorRef maskColor) override;
  HIcon ImageListGetIcon(HImageList list, int index) override;
  bool ImageListDestroy(HImageList list) override;
  TColorRef GetSysColor(int index) override;

  // ---- the machine ---------------------------------------------------------
  int BitsPerPixel = 32;
  // The code page ANSI text is read in (1252, 1251, or double-byte 932, 936, 949, 950).
  int AnsiCodePage = 1252;
  // Classic system colours by default; tests may change any entry.
  std::array<TColorRef, COLOR_COUNT> SysColors;
  // Bitmap resources of the simulated executable, by name.
  struct TImage {
    int Width = 0;
    int Height = 0;
    std::vector<TColorRef> Pixels;  // rows from the top
    TColorRef At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
  };
  std::map<std::string, TImage> BitmapResources;
  // Colour of a window surface before anything is painted on it.
  TColorRef NewSurfaceColor = 0x00FF00FF;

  static constexpr int kCharAdvance = 6;
  static constexpr int kGlyphWidth = 5;
  static constexpr int kGlyphHeight = 7;
  static constexpr int kStockFontHeight = 13;
  // Width and height of a glyph's drawn pixels in the font.
  static TPoint GlyphBox(const TFontParams& font);

  // ---- window surfaces (wired to the windowing's paint hooks) --------------
  // The context draws only inside `region` (client coordinates; empty: the whole client).
  HDc BeginWindowPaint(HWnd window, const TRect& client, const std::vector<TRect>& region = {});
  void EndWindowPaint(HWnd window);
  const TImage* WindowSurface(HWnd window) const;
  TImage* WindowSurface(HWnd window);

  // ---- inspection ----------------------------------------------------------
  enum class TKind { DC, Pen, Brush, Font, Bitmap, Icon, ImageList };
  std::size_t OpenCount(TKind kind) const;
  std::size_t OpenCount() const;  // every kind
  struct TIconImage {
    TImage Image;
    std::vector<bool> Transparent;  // per pixel
  };
  const TIconImage* Icon(HIcon icon) const;
  const TImage* Bitmap(HGdiObj bitmap) const;
  // How many primitive calls reached the raster.
  struct TStats {
    int FillRects = 0;
    int Lines = 0;
    int Pixels = 0;
    int Blits = 0;
    int Texts = 0;
    int DepthQueries = 0;
    int Made[7] = {};  // objects made, by TKind, stock objects excluded
  } Stats;

 private:
  struct TObject {
    TKind Kind = TKind::Pen;
    bool Stock = false;
    bool Deleted = false;  // deleted while selected: goes when the last selection does
    int Selections = 0;
    int Style = PS_SOLID;  // pen style
    int Width = 1;         // pen width
    int Hatch = -1;        // brush: -1 solid
    TColorRef Color = 0;
    TFontParams Font;
    TImage Image;  // bitmaps
    TIconImage IconImage;
    std::vector<TIconImage> Images;  // image lists
  };
  struct TState {
    TPoint Origin;
    std::optional<TRect> Clip;  // device coordinates
    HGdiObj Pen = HGdiObj::None;
    HGdiObj Brush = HGdiObj::None;
    HGdiObj Font = HGdiObj::None;
    HGdiObj Bitmap = HGdiObj::None;
    TColorRef Text = 0;
    TColorRef Bk = 0x00FFFFFF;
    int BkMode = OPAQUE;
  };
  struct TDc {
    HWnd Window = HWnd::None;  // None: a memory context
    // A window paint's update region, device coordinates; empty: no limit. Not part of the
    // saved state: the program's own clipping only narrows it.
    std::vector<TRect> Region;
    TState State;
    std::vector<TState> Saved;
    TPoint Position;
  };

  static TObject Make(TKind kind);
  TSimId NewObject(TObject object);
  TObject* Find(TSimId id, TKind kind);
  TDc* FindDc(HDc dc);
  // Replaces one text setting of a context and returns the old one (0 for an unknown handle).
  template <class T>
  T ExchangeState(HDc dc, T TState::*setting, T value) {
    TDc* found = FindDc(dc);
    return found ? std::exchange(found->State.*setting, value) : T{};
  }
  TImage* SurfaceOf(TDc& dc);
  void Select(TDc& dc, HGdiObj& slot, HGdiObj object);
  // One selection of the object fewer; frees it if it was deleted meanwhile.
  void Deselect(HGdiObj object);
  // Device-space plotting with the surface and clip limits.
  void Plot(TDc& dc, TImage& surface, int dx, int dy, TColorRef color);
  void PaintBrushPixel(TDc& dc, TImage& surface, int dx, int dy, const TObject& brush);
  // Text measured and drawn by characters, whichever call (ANSI or wide) brought it.
  TPoint CharsExtent(HDc dc, std::size_t characters);
  bool DrawChars(HDc dc, int x, int y, const std::u32string& text);
  void Blit(HDc dst, int x, int y, int width, int height, HDc src, int srcX, int srcY,
            std::optional<TColorRef> transparent);

  // Drawing objects, icons and image lists share one table; contexts take their numbers from
  // the same run.
  std::map<TSimId, TObject> FObjects;
  std::map<HDc, TDc> FDcs;
  std::map<HWnd, TImage> FSurfaces;
  std::map<HWnd, HDc> FPaintDcs;
  TSimId FNextHandle = 0x2000;
  HGdiObj FStockPen = HGdiObj::None;
  HGdiObj FStockBrush = HGdiObj::None;
  HGdiObj FStockFont = HGdiObj::None;
  HGdiObj FStockBitmap = HGdiObj::None;
};
