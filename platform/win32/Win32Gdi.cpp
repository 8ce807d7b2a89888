#include "platform/win32/Win32Gdi.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Geometry.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Libraries.h"

namespace {
// 32-bit top-down DIB rows hold 0x00RRGGBB; colour references are 0x00BBGGRR.
TColorRef SwapRedBlue(std::uint32_t c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A monochrome mask of `src`'s block: 1 where the source shows `color`.
HBITMAP MaskOf(HDC src, int srcX, int srcY, int width, int height, COLORREF color) {
  HBITMAP mask = ::CreateBitmap(width, height, 1, 1, nullptr);
  HDC maskDc = ::CreateCompatibleDC(src);
  HGDIOBJ old = ::SelectObject(maskDc, mask);
  COLORREF oldBk = ::SetBkColor(src, color);
  ::BitBlt(maskDc, 0, 0, width, height, src, srcX, srcY, SRCCOPY);
  ::SetBkColor(src, oldBk);
  ::SelectObject(maskDc, old);
  ::DeleteDC(maskDc);
  return mask;
}
}  // namespace

bool TWin32Gdi::Freed(bool done) {
  if (done) --FLiveObjects;
  return done;
}

HDc TWin32Gdi::CreateMemoryDC() { return Made(FromWin32<HDc>(::CreateCompatibleDC(nullptr))); }
bool TWin32Gdi::DeleteDC(HDc dc) { return Freed(::DeleteDC(ToWin32(dc)) != 0); }

int TWin32Gdi::GetBitsPerPixel(HDc dc) {
  if (dc != HDc::None) return ::GetDeviceCaps(ToWin32(dc), BITSPIXEL);
  HDC screen = ::GetDC(nullptr);
  int bits = ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(nullptr, screen);
  return bits;
}

TPoint TWin32Gdi::SetViewportOrg(HDc dc, TPoint origin) {
  POINT old{};
  ::SetViewportOrgEx(ToWin32(dc), origin.X, origin.Y, &old);
  return FromPoint(old);
}

TPoint TWin32Gdi::GetViewportOrg(HDc dc) {
  POINT p{};
  ::GetViewportOrgEx(ToWin32(dc), &p);
  return FromPoint(p);
}

void TWin32Gdi::IntersectClipRect(HDc dc, const TRect& r) {
  ::IntersectClipRect(ToWin32(dc), r.Left, r.Top, r.Right, r.Bottom);
}

int TWin32Gdi::SaveDC(HDc dc) { return ::SaveDC(ToWin32(dc)); }
bool TWin32Gdi::RestoreDC(HDc dc, int saved) { return ::RestoreDC(ToWin32(dc), saved) != 0; }

HGdiObj TWin32Gdi::CreatePen(int style, int width, TColorRef color) {
  return Made(FromWin32<HGdiObj>(::CreatePen(style, width, color & 0xFFFFFF)));
}

HGdiObj TWin32Gdi::CreateSolidBrush(TColorRef color) {
  return Made(FromWin32<HGdiObj>(::CreateSolidBrush(color & 0xFFFFFF)));
}

HGdiObj TWin32Gdi::CreateHatchBrush(int hatch, TColorRef color) {
  return Made(FromWin32<HGdiObj>(::CreateHatchBrush(hatch, color & 0xFFFFFF)));
}

HGdiObj TWin32Gdi::CreateFont(const TFontParams& p) {
  return Made(FromWin32<HGdiObj>(::CreateFontA(
      p.Height, 0, 0, 0, p.Bold ? FW_BOLD : FW_NORMAL, p.Italic, p.Underline, p.StrikeOut,
      static_cast<DWORD>(p.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      static_cast<DWORD>(p.Quality), DEFAULT_PITCH, p.Face.c_str())));
}

HGdiObj TWin32Gdi::CreateBitmap(int width, int height) {
  // From the screen's context: one compatible with a memory context would be monochrome.
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  ::ReleaseDC(nullptr, screen);
  return Made(FromWin32<HGdiObj>(bitmap));
}

HGdiObj TWin32Gdi::SelectObject(HDc dc, HGdiObj object) {
  HGDIOBJ old = ::SelectObject(ToWin32(dc), ToWin32(object));
  return old == HGDI_ERROR ? HGdiObj::None : FromWin32<HGdiObj>(old);
}

bool TWin32Gdi::DeleteObject(HGdiObj object) { return Freed(::DeleteObject(ToWin32(object)) != 0); }

TPenInfo TWin32Gdi::GetCurrentPen(HDc dc) {
  LOGPEN pen{};
  if (!::GetObjectA(::GetCurrentObject(ToWin32(dc), OBJ_PEN), sizeof pen, &pen)) return {};
  return {static_cast<int>(pen.lopnStyle), static_cast<int>(pen.lopnWidth.x)};
}

TPoint TWin32Gdi::GetBitmapSize(HGdiObj bitmap) {
  BITMAP info{};
  if (!::GetObjectA(ToWin32(bitmap), sizeof info, &info)) return {};
  return {static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight)};
}

bool TWin32Gdi::SetBitmapPixels(HGdiObj bitmap, const std::vector<TColorRef>& pixels) {
  TPoint size = GetBitmapSize(bitmap);
  if (pixels.size() != static_cast<std::size_t>(size.X) * size.Y) return false;
  std::vector<std::uint32_t> rows(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) rows[i] = SwapRedBlue(pixels[i]);
  BITMAPINFO info = TopDown32(size.X, size.Y);
  HDC screen = ::GetDC(nullptr);
  int done = ::SetDIBits(screen, static_cast<HBITMAP>(ToWin32(bitmap)), 0, size.Y, rows.data(),
                         &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return done == size.Y;
}

std::vector<TColorRef> TWin32Gdi::GetBitmapPixels(HGdiObj bitmap) {
  TPoint size = GetBitmapSize(bitmap);
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(size.X) * size.Y);
  if (rows.empty()) return {};
  BITMAPINFO info = TopDown32(size.X, size.Y);
  HDC screen = ::GetDC(nullptr);
  int done = ::GetDIBits(screen, static_cast<HBITMAP>(ToWin32(bitmap)), 0, size.Y, rows.data(),
                         &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (done != size.Y) return {};
  std::vector<TColorRef> pixels(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) pixels[i] = SwapRedBlue(rows[i] & 0xFFFFFF);
  return pixels;
}

HGdiObj TWin32Gdi::LoadBitmapResource(const std::string& name) {
  return Made(FromWin32<HGdiObj>(::LoadImageA(::GetModuleHandleA(nullptr), name.c_str(),
                                              IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

TPoint TWin32Gdi::MoveTo(HDc dc, int x, int y) {
  POINT old{};
  ::MoveToEx(ToWin32(dc), x, y, &old);
  return FromPoint(old);
}

bool TWin32Gdi::LineTo(HDc dc, int x, int y) { return ::LineTo(ToWin32(dc), x, y) != 0; }

TColorRef TWin32Gdi::SetPixel(HDc dc, int x, int y, TColorRef color) {
  return ::SetPixel(ToWin32(dc), x, y, color & 0xFFFFFF);
}

TColorRef TWin32Gdi::GetPixel(HDc dc, int x, int y) { return ::GetPixel(ToWin32(dc), x, y); }

bool TWin32Gdi::FillRect(HDc dc, const TRect& r, HGdiObj brush) {
  RECT rect = ToRect(r);
  return ::FillRect(ToWin32(dc), &rect, static_cast<HBRUSH>(ToWin32(brush))) != 0;
}

bool TWin32Gdi::FrameRect(HDc dc, const TRect& r, HGdiObj brush) {
  RECT rect = ToRect(r);
  return ::FrameRect(ToWin32(dc), &rect, static_cast<HBRUSH>(ToWin32(brush))) != 0;
}

bool TWin32Gdi::BitBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX, int srcY) {
  return ::BitBlt(ToWin32(dst), x, y, width, height, ToWin32(src), srcX, srcY, SRCCOPY) != 0;
}

bool TWin32Gdi::TransparentBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX,
                               int srcY, TColorRef transparent) {
  if (width <= 0 || height <= 0) return false;
  HDC d = ToWin32(dst), s = ToWin32(src);
  HBITMAP mask = MaskOf(s, srcX, srcY, width, height, transparent & 0xFFFFFF);
  // Composed off screen, then copied once: dst' = ((dst ^ src) & mask) ^ src.
  HDC work = ::CreateCompatibleDC(d);
  // From the screen: a memory context's own bitmap may be monochrome.
  HDC screen = ::GetDC(nullptr);
  HBITMAP workBitmap = ::CreateCompatibleBitmap(screen, width, height);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ oldWork = ::SelectObject(work, workBitmap);
  HDC maskDc = ::CreateCompatibleDC(d);
  HGDIOBJ oldMask = ::SelectObject(maskDc, mask);
  ::BitBlt(work, 0, 0, width, height, d, x, y, SRCCOPY);
  ::BitBlt(work, 0, 0, width, height, s, srcX, srcY, SRCINVERT);
  COLORREF oldText = ::SetTextColor(work, RGB(0, 0, 0));
  COLORREF oldBk = ::SetBkColor(work, RGB(255, 255, 255));
  ::BitBlt(work, 0, 0, width, height, maskDc, 0, 0, SRCAND);
  ::SetTextColor(work, oldText);
  ::SetBkColor(work, oldBk);
  ::BitBlt(work, 0, 0, width, height, s, srcX, srcY, SRCINVERT);
  bool done = ::BitBlt(d, x, y, width, height, work, 0, 0, SRCCOPY) != 0;
  ::SelectObject(maskDc, oldMask);
  ::DeleteDC(maskDc);
  ::SelectObject(work, oldWork);
  ::DeleteDC(work);
  ::DeleteObject(workBitmap);
  ::DeleteObject(mask);
  return done;
}

TColorRef TWin32Gdi::SetTextColor(HDc dc, TColorRef color) {
  return ::SetTextColor(ToWin32(dc), color & 0xFFFFFF);
}

TColorRef TWin32Gdi::SetBkColor(HDc dc, TColorRef color) {
  return ::SetBkColor(ToWin32(dc), color & 0xFFFFFF);
}

int TWin32Gdi::SetBkMode(HDc dc, int mode) { return ::SetBkMode(ToWin32(dc), mode); }

TPoint TWin32Gdi::GetTextExtent(HDc dc, const std::string& text) {
  SIZE size{};
  ::GetTextExtentPoint32A(ToWin32(dc), text.data(), static_cast<int>(text.size()), &size);
  return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

bool TWin32Gdi::TextOut(HDc dc, int x, int y, const std::string& text) {
  return ::TextOutA(ToWin32(dc), x, y, text.data(), static_cast<int>(text.size())) != 0;
}

// WCHAR and char16_t are both UTF-16 units: the text goes as it is.
TPoint TWin32Gdi::GetTextExtentW(HDc dc, const std::u16string& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(ToWin32(dc), reinterpret_cast<const WCHAR*>(text.data()),
                          static_cast<int>(text.size()), &size);
  return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

bool TWin32Gdi::TextOutW(HDc dc, int x, int y, const std::u16string& text) {
  return ::TextOutW(ToWin32(dc), x, y, reinterpret_cast<const WCHAR*>(text.data()),
                    static_cast<int>(text.size())) != 0;
}

HIcon TWin32Gdi::CreateIconFromBitmap(HGdiObj bitmap, bool useMask, TColorRef maskColor) {
  TPoint size = GetBitmapSize(bitmap);
  if (size.X <= 0 || size.Y <= 0) return HIcon::None;
  if (!useMask) {
    // Opaque: an all-clear mask and the picture itself, which the icon copies.
    std::vector<std::uint8_t> clear(static_cast<std::size_t>((size.X + 15) / 16 * 2) * size.Y);
    HBITMAP mask = ::CreateBitmap(size.X, size.Y, 1, 1, clear.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = static_cast<HBITMAP>(ToWin32(bitmap));
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(mask);
    return Made(FromWin32<HIcon>(icon));
  }
  HDC screen = ::GetDC(nullptr);
  HDC src = ::CreateCompatibleDC(screen);
  HGDIOBJ oldSrc = ::SelectObject(src, ToWin32(bitmap));
  HBITMAP mask = MaskOf(src, 0, 0, size.X, size.Y, maskColor & 0xFFFFFF);
  // The colour image must be black where the mask is set, or the screen shows through XORed.
  HBITMAP color = ::CreateCompatibleBitmap(screen, size.X, size.Y);
  HDC colorDc = ::CreateCompatibleDC(screen);
  HGDIOBJ oldColor = ::SelectObject(colorDc, color);
  ::BitBlt(colorDc, 0, 0, size.X, size.Y, src, 0, 0, SRCCOPY);
  HDC maskDc = ::CreateCompatibleDC(screen);
  HGDIOBJ oldMask = ::SelectObject(maskDc, mask);
  ::SetTextColor(colorDc, RGB(0, 0, 0));
  ::SetBkColor(colorDc, RGB(255, 255, 255));
  ::BitBlt(colorDc, 0, 0, size.X, size.Y, maskDc, 0, 0, 0x00220326);  // dst AND NOT mask
  ::SelectObject(maskDc, oldMask);
  ::DeleteDC(maskDc);
  ::SelectObject(colorDc, oldColor);
  ::DeleteDC(colorDc);
  ::SelectObject(src, oldSrc);
  ::DeleteDC(src);
  ::ReleaseDC(nullptr, screen);

  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = color;
  HICON icon = ::CreateIconIndirect(&info);
  ::DeleteObject(mask);
  ::DeleteObject(color);
  return Made(FromWin32<HIcon>(icon));
}

HIcon TWin32Gdi::CopyIcon(HIcon icon) { return Made(FromWin32<HIcon>(::CopyIcon(ToWin32(icon)))); }

bool TWin32Gdi::DestroyIcon(HIcon icon) { return Freed(::DestroyIcon(ToWin32(icon)) != 0); }

bool TWin32Gdi::DrawIcon(HDc dc, int x, int y, HIcon icon) {
  return ::DrawIconEx(ToWin32(dc), x, y, ToWin32(icon), 0, 0, 0, nullptr, DI_NORMAL) != 0;
}

TPoint TWin32Gdi::GetIconSize(HIcon icon) {
  ICONINFO info{};
  if (!::GetIconInfo(ToWin32(icon), &info)) return {};
  BITMAP mask{};
  ::GetObjectA(info.hbmMask, sizeof mask, &mask);
  TPoint size{static_cast<int>(mask.bmWidth), static_cast<int>(mask.bmHeight)};
  if (!info.hbmColor) size.Y /= 2;  // a monochrome icon stacks AND and XOR masks
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return size;
}

bool TWin32Gdi::GetIconImage(HIcon icon, std::vector<TColorRef>& pixels,
                             std::vector<bool>& transparent) {
  pixels.clear();
  transparent.clear();
  ICONINFO info{};
  if (!::GetIconInfo(ToWin32(icon), &info)) return false;
  if (info.hbmColor) {
    pixels = GetBitmapPixels(FromWin32<HGdiObj>(info.hbmColor));
    // A set mask bit reads back white through the 32-bit rows.
    for (TColorRef bit : GetBitmapPixels(FromWin32<HGdiObj>(info.hbmMask)))
      transparent.push_back(bit != 0);
    ::DeleteObject(info.hbmColor);
  }
  ::DeleteObject(info.hbmMask);
  return !pixels.empty() && pixels.size() == transparent.size();
}

TColorRef TWin32Gdi::GetSysColor(int index) { return ::GetSysColor(index); }

// ---- image lists ---------------------------------------------------------------

HImageList TWin32Gdi::ImageListCreate(int width, int height) {
  return Made(FromWin32<HImageList>(
      System32::ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, 1, 1)));
}

int TWin32Gdi::ImageListAddMasked(HImageList list, HGdiObj bitmap, bool useMask,
                                  TColorRef maskColor) {
  auto* images = ToWin32(list);
  auto* picture = static_cast<HBITMAP>(ToWin32(bitmap));
  // Without a mask colour the image goes in with an empty mask: opaque everywhere.
  if (!useMask) return System32::ImageList_Add(images, picture, nullptr);
  return System32::ImageList_AddMasked(images, picture, maskColor & 0xFFFFFF);
}

HIcon TWin32Gdi::ImageListGetIcon(HImageList list, int index) {
  return Made(FromWin32<HIcon>(System32::ImageList_GetIcon(ToWin32(list), index, ILD_NORMAL)));
}

bool TWin32Gdi::ImageListDestroy(HImageList list) {
  return Freed(System32::ImageList_Destroy(ToWin32(list)) != FALSE);
}
