#pragma once
// gdi32/user32 drawing behind the boundary; handles pass through unchanged.
#include "platform/Gdi.h"

class TWin32Gdi : public IGdi {
 public:
  // Drawing objects, icons and image lists made through this layer and not yet freed: Wine
  // keeps no per-process count of them, so the program's balance is checked with this.
  long LiveObjects() const { return FLiveObjects; }

  THandle CreateMemoryDC() override;
  bool DeleteDC(THandle dc) override;
  int GetBitsPerPixel(THandle dc) override;
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

 private:
  THandle Made(THandle handle);
  bool Freed(bool done);
  long FLiveObjects = 0;
};
