#pragma once
// Device contexts, pens, brushes, fonts, bitmaps, icons and the system colour table, shaped
// like gdi32/user32. Colours here are direct 0x00BBGGRR values; system colours are resolved
// above this boundary. Numbers (styles, hatches, colour indices) are the system's values.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

using TColorRef = std::uint32_t;

// ---- pens and brushes ------------------------------------------------------
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;

inline constexpr int HS_HORIZONTAL = 0;
inline constexpr int HS_VERTICAL = 1;
inline constexpr int HS_FDIAGONAL = 2;
inline constexpr int HS_BDIAGONAL = 3;
inline constexpr int HS_CROSS = 4;
inline constexpr int HS_DIAGCROSS = 5;

// ---- background modes ------------------------------------------------------
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// ---- system colour indices -------------------------------------------------
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
inline constexpr int COLOR_COUNT = 31;

// ---- fonts -----------------------------------------------------------------
inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int ANSI_CHARSET = 0;
inline constexpr int DEFAULT_QUALITY = 0;
inline constexpr int ANTIALIASED_QUALITY = 4;  // grey smoothing, never ClearType's colours

struct TFontParams {
  std::string Face;
  int Height = 0;  // negative: character height in pixels, as the system takes it
  int Charset = DEFAULT_CHARSET;
  int Quality = DEFAULT_QUALITY;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  friend bool operator==(const TFontParams&, const TFontParams&) = default;
};

struct TPenInfo {
  int Style = PS_SOLID;
  int Width = 1;
};

class IGdi {
 public:
  virtual ~IGdi() = default;

  // ---- device contexts -----------------------------------------------------
  // A memory device context compatible with the screen.
  virtual HDc CreateMemoryDC() = 0;
  virtual bool DeleteDC(HDc dc) = 0;
  // Bits per pixel of the device behind the context (0: the screen).
  virtual int GetBitsPerPixel(HDc dc) = 0;
  // Logical-to-device offset: drawing at (x, y) lands at (x + origin.X, y + origin.Y).
  virtual TPoint SetViewportOrg(HDc dc, TPoint origin) = 0;
  virtual TPoint GetViewportOrg(HDc dc) = 0;
  // Limits drawing to the intersection of the current clip area and `rect` (logical).
  virtual void IntersectClipRect(HDc dc, const TRect& rect) = 0;
  // Saves origin, clip area, colours and selected objects; RestoreDC puts back the last save.
  virtual int SaveDC(HDc dc) = 0;
  virtual bool RestoreDC(HDc dc, int saved) = 0;

  // ---- objects -------------------------------------------------------------
  virtual HGdiObj CreatePen(int style, int width, TColorRef color) = 0;
  virtual HGdiObj CreateSolidBrush(TColorRef color) = 0;
  virtual HGdiObj CreateHatchBrush(int hatch, TColorRef color) = 0;
  virtual HGdiObj CreateFont(const TFontParams& params) = 0;
  // A bitmap of the screen's format (never a monochrome one), contents undefined.
  virtual HGdiObj CreateBitmap(int width, int height) = 0;
  // Selects a pen, brush, font or bitmap; gives the object it replaced (None on failure).
  virtual HGdiObj SelectObject(HDc dc, HGdiObj object) = 0;
  // Fails (false) for an object still selected into a context.
  virtual bool DeleteObject(HGdiObj object) = 0;
  // Style and width of the pen selected into the context.
  virtual TPenInfo GetCurrentPen(HDc dc) = 0;

  // ---- bitmaps -------------------------------------------------------------
  virtual TPoint GetBitmapSize(HGdiObj bitmap) = 0;
  // Whole-bitmap pixel access, rows from the top, 0x00BBGGRR.
  virtual bool SetBitmapPixels(HGdiObj bitmap, const std::vector<TColorRef>& pixels) = 0;
  virtual std::vector<TColorRef> GetBitmapPixels(HGdiObj bitmap) = 0;
  // A bitmap resource of the executable; None when there is none of that name.
  virtual HGdiObj LoadBitmapResource(const std::string& name) = 0;

  // ---- drawing -------------------------------------------------------------
  virtual TPoint MoveTo(HDc dc, int x, int y) = 0;
  // Draws with the selected pen from the current position; the end point is not painted.
  virtual bool LineTo(HDc dc, int x, int y) = 0;
  virtual TColorRef SetPixel(HDc dc, int x, int y, TColorRef color) = 0;
  // 0xFFFFFFFF outside the surface or the clip area.
  virtual TColorRef GetPixel(HDc dc, int x, int y) = 0;
  // Right and bottom edges are not painted.
  virtual bool FillRect(HDc dc, const TRect& rect, HGdiObj brush) = 0;
  // A one-pixel frame just inside the rectangle.
  virtual bool FrameRect(HDc dc, const TRect& rect, HGdiObj brush) = 0;
  // Plain copy of a block.
  virtual bool BitBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX,
                      int srcY) = 0;
  // Copy that leaves out the source pixels of `transparent`.
  virtual bool TransparentBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX,
                              int srcY, TColorRef transparent) = 0;

  // ---- text ----------------------------------------------------------------
  virtual TColorRef SetTextColor(HDc dc, TColorRef color) = 0;
  virtual TColorRef SetBkColor(HDc dc, TColorRef color) = 0;
  virtual int SetBkMode(HDc dc, int mode) = 0;
  // Size in pixels of the text in the selected font. The text is bytes of the system's ANSI
  // code page, which decides the characters (0xB0 is a degree sign on 1252, half of a
  // two-byte character on 936).
  virtual TPoint GetTextExtent(HDc dc, const std::string& text) = 0;
  // Top-left of the text at (x, y); the cells get the background colour in OPAQUE mode.
  virtual bool TextOut(HDc dc, int x, int y, const std::string& text) = 0;
  // The same for UTF-16 text, whose characters do not depend on the code page.
  virtual TPoint GetTextExtentW(HDc dc, const std::u16string& text) = 0;
  virtual bool TextOutW(HDc dc, int x, int y, const std::u16string& text) = 0;

  // ---- icons ---------------------------------------------------------------
  // An icon of the bitmap's size and image: pixels of exactly `maskColor` become
  // transparent when `useMask` is set, otherwise the icon is opaque everywhere.
  virtual HIcon CreateIconFromBitmap(HGdiObj bitmap, bool useMask, TColorRef maskColor) = 0;
  virtual HIcon CopyIcon(HIcon icon) = 0;
  virtual bool DestroyIcon(HIcon icon) = 0;
  virtual bool DrawIcon(HDc dc, int x, int y, HIcon icon) = 0;
  virtual TPoint GetIconSize(HIcon icon) = 0;
  // An icon's image, rows from the top, and its mask (true: transparent); empty on failure.
  virtual bool GetIconImage(HIcon icon, std::vector<TColorRef>& pixels,
                            std::vector<bool>& transparent) = 0;

  // ---- image lists ---------------------------------------------------------
  // A list of images of one size, each with a mask, in the screen's format.
  virtual HImageList ImageListCreate(int width, int height) = 0;
  // Adds the top-left block of the bitmap; with `useMask` its pixels of exactly `maskColor`
  // become transparent, otherwise none. Gives the new image's index, -1 on failure.
  virtual int ImageListAddMasked(HImageList list, HGdiObj bitmap, bool useMask,
                                 TColorRef maskColor) = 0;
  // A new icon made of one image of the list and its mask.
  virtual HIcon ImageListGetIcon(HImageList list, int index) = 0;
  virtual bool ImageListDestroy(HImageList list) = 0;

  // ---- system colours ------------------------------------------------------
  virtual TColorRef GetSysColor(int index) = 0;
};
