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
// height in pixels (13 for the stock font).
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Gdi.h"

class TSimGdi : public IGdi {
 public:
  TSimGdi();

  // ---- IGdi ----------------------------------------------------------------
  THandle CreateMemoryDC() override;
  bool DeleteDC(THandle dc) override;
  int GetBitsPerPixel(THandle dc) override { return BitsPerPixel; }
  TPoint SetViewportOrg(THandle dc, TPoint origin) override;
  TPoint GetViewportOrg(THandle dc) override;
  void IntersectClipRect(THandle dc, const TRect& rect) override;
  int SaveDC(THandle dc) override;
  bool RestoreDC(THandle dc, int saved) override;
  THandle CreatePen(int style, int width, TColorRef color) override;
  THandle CreateSolidBrush(TColorRef color) override;
  THandle CreateHatchBrush(int hatch, TColorRef color) override;
  THandle CreateFont(const TFontParams& params) override;
  THandle CreateBitmap(int width, int height) override;
  THandle SelectObject(THandle dc, THandle object) override;
  bool DeleteObject(THandle object) override;
  TPenInfo GetCurrentPen(THandle dc) override;
  TPoint GetBitmapSize(THandle bitmap) override;
  bool SetBitmapPixels(THandle bitmap, const std::vector<TColorRef>& pixels) override;
  std::vector<TColorRef> GetBitmapPixels(THandle bitmap) override;
  THandle LoadBitmapResource(const std::string& name) override;
  TPoint MoveTo(THandle dc, int x, int y) override;
  bool LineTo(THandle dc, int x, int y) override;
  TColorRef SetPixel(THandle dc, int x, int y, TColorRef color) override;
  TColorRef GetPixel(THandle dc, int x, int y) override;
  bool FillRect(THandle dc, const TRect& rect, THandle brush) override;
  bool FrameRect(THandle dc, const TRect& rect, THandle brush) override;
  bool BitBlt(THandle dst, int x, int y, int width, int height, THandle src, int srcX,
              int srcY) override;
  bool TransparentBlt(THandle dst, int x, int y, int width, int height, THandle src, int srcX,
                      int srcY, TColorRef transparent) override;
  TColorRef SetTextColor(THandle dc, TColorRef color) override;
  TColorRef SetBkColor(THandle dc, TColorRef color) override;
  int SetBkMode(THandle dc, int mode) override;
  TPoint GetTextExtent(THandle dc, const std::string& text) override;
  bool TextOut(THandle dc, int x, int y, const std::string& text) override;
  THandle CreateIconFromBitmap(THandle bitmap, bool useMask, TColorRef maskColor) override;
  THandle CopyIcon(THandle icon) override;
  bool DestroyIcon(THandle icon) override;
  bool DrawIcon(THandle dc, int x, int y, THandle icon) override;
  TPoint GetIconSize(THandle icon) override;
  bool GetIconImage(THandle icon, std::vector<TColorRef>& pixels,
                    std::vector<bool>& transparent) override;
  THandle ImageListCreate(int width, int height) override;
  int ImageListAddMasked(THandle list, THandle bitmap, bool useMask, TColorRef maskColor) override;
  THandle ImageListGetIcon(THandle list, int index) override;
  bool ImageListDestroy(THandle list) override;
  TColorRef GetSysColor(int index) override;

  // ---- the machine ---------------------------------------------------------
  int BitsPerPixel = 32;
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

  // ---- window surfaces (wired to the windowing's paint hooks) --------------
  // The context draws only inside `region` (client coordinates; empty: the whole client).
  THandle BeginWindowPaint(HWnd window, const TRect& client, const std::vector<TRect>& region = {});
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
  const TIconImage* Icon(THandle icon) const;
  const TImage* Bitmap(THandle bitmap) const;
  // How many primitive calls reached the raster.
  struct TStats {
    int FillRects = 0;
    int Lines = 0;
    int Pixels = 0;
    int Blits = 0;
    int Texts = 0;
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
    THandle Pen = 0;
    THandle Brush = 0;
    THandle Font = 0;
    THandle Bitmap = 0;
    TColorRef Text = 0;
    TColorRef Bk = 0x00FFFFFF;
    int BkMode = OPAQUE;
  };
  struct TDc {
    HWnd Window = 0;  // 0: a memory context
    // A window paint's update region, device coordinates; empty: no limit. Not part of the
    // saved state: the program's own clipping only narrows it.
    std::vector<TRect> Region;
    TState State;
    std::vector<TState> Saved;
    TPoint Position;
  };

  static TObject Make(TKind kind);
  THandle NewObject(TObject object);
  TObject* Find(THandle handle, TKind kind);
  TDc* FindDc(THandle dc);
  // Replaces one text setting of a context and returns the old one (0 for an unknown handle).
  template <class T>
  T ExchangeState(THandle dc, T TState::*setting, T value) {
    TDc* found = FindDc(dc);
    return found ? std::exchange(found->State.*setting, value) : T{};
  }
  TImage* SurfaceOf(TDc& dc);
  void Select(TDc& dc, THandle& slot, THandle object);
  // One selection of the object fewer; frees it if it was deleted meanwhile.
  void Deselect(THandle object);
  // Device-space plotting with the surface and clip limits.
  void Plot(TDc& dc, TImage& surface, int dx, int dy, TColorRef color);
  void PaintBrushPixel(TDc& dc, TImage& surface, int dx, int dy, const TObject& brush);
  void Blit(THandle dst, int x, int y, int width, int height, THandle src, int srcX, int srcY,
            std::optional<TColorRef> transparent);

  std::map<THandle, TObject> FObjects;
  std::map<THandle, TDc> FDcs;
  std::map<HWnd, TImage> FSurfaces;
  std::map<HWnd, THandle> FPaintDcs;
  THandle FNextHandle = 0x2000;
  THandle FStockPen = 0;
  THandle FStockBrush = 0;
  THandle FStockFont = 0;
  THandle FStockBitmap = 0;
};
