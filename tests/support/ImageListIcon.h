#pragma once
// An icon made of a picture through an image list, the system's own way of giving a bitmap
// a mask: the reference the tray icon's directly made image and mask are compared with, in
// the native tests and under Wine.
#include "framework/Graphics.h"

inline HIcon ImageListIcon(IGdi& gdi, TBitmap& bitmap, TColor maskColor) {
  HImageList list = gdi.ImageListCreate(bitmap.Width(), bitmap.Height());
  int index = gdi.ImageListAddMasked(list, bitmap.Handle(), maskColor != clNone,
                                     ColorToRGB(maskColor, gdi));
  HIcon icon = index == 0 ? gdi.ImageListGetIcon(list, 0) : HIcon::None;
  gdi.ImageListDestroy(list);
  return icon;
}

// Whether two icons have the same image and the same mask.
inline bool SameIconImage(IGdi& gdi, HIcon a, HIcon b) {
  std::vector<TColorRef> pixelsA, pixelsB;
  std::vector<bool> maskA, maskB;
  return gdi.GetIconImage(a, pixelsA, maskA) && gdi.GetIconImage(b, pixelsB, maskB) &&
         pixelsA == pixelsB && maskA == maskB;
}
