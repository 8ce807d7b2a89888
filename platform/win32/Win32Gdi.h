#pragma once
// gdi32/user32 drawing behind the boundary; handles pass through unchanged.
#include "platform/Gdi.h"

class TWin32Gdi : public IGdi {
 public:
  // Drawing objects, icons and image lists made through this layer and not yet freed: Wine
  // keeps no per-process count of them, so the program's balance is checked with this.
  long LiveObjects() const { return FLiveObjects; }

  HDc CreateMemoryDC() override;
  bool DeleteDC(HDc dc) override;
  int GetBitsPerPixel(HDc dc) override;
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

 private:
  // The tally of objects made through this layer and not yet freed.
  template <class THandleKind>
  THandleKind Made(THandleKind handle) {
    if (handle != THandleKind::None) ++FLiveObjects;
    return handle;
  }
  bool Freed(bool done);
  long FLiveObjects = 0;
};
