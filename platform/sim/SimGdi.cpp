#include "platform/sim/SimGdi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/sim/SimText.h"

// Sections: tables | objects and contexts | lines | fills and pixels | blocks | text | icons

namespace {

// ---- tables ------------------------------------------------------------------

// Classic Windows colours (0x00BBGGRR).
constexpr std::array<TColorRef, COLOR_COUNT> kClassicColors = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x404040, 0xC0C0C0, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xD08410, 0xB5B5B5, 0x800000, 0xC0C0C0};

// Cosmetic pen dash patterns (on, off, ...), as the system's raster draws them.
struct TDash {
  int Count;
  int Lengths[6];
};
constexpr TDash kDashes[] = {
    {0, {}},                  // PS_SOLID
    {2, {18, 6}},             // PS_DASH
    {2, {3, 3}},              // PS_DOT
    {4, {9, 6, 3, 6}},        // PS_DASHDOT
    {6, {9, 3, 3, 3, 3, 3}},  // PS_DASHDOTDOT
};

// 8 x 8 hatch patterns, bit 0x80 is the leftmost pixel.
constexpr std::uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

// The built-in font: 5 x 7 glyphs, one string per row, by character.
struct TGlyph {
  char32_t Code;
  const char* Rows[7];
};
constexpr TGlyph kGlyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."}},
    {0xB0, {".##..", "#..#.", "#..#.", ".##..", ".....", ".....", "....."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    // Anything else: a hollow box, so unknown characters still show where they are.
    {0, {"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#####"}},
};

const TGlyph& GlyphOf(char32_t code) {
  for (const TGlyph& g : kGlyphs)
    if (g.Code == code) return g;
  return kGlyphs[std::size(kGlyphs) - 1];
}

}  // namespace

TSimGdi::TObject TSimGdi::Make(TKind kind) {
  TObject object;
  object.Kind = kind;
  return object;
}

namespace {
bool SameRgb(TColorRef a, TColorRef b) { return (a & 0xFFFFFF) == (b & 0xFFFFFF); }

TRect Intersect(const TRect& a, const TRect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
}

}  // namespace

// ---- objects and contexts ------------------------------------------------------

TSimGdi::TSimGdi() : SysColors(kClassicColors) {
  TObject pen = Make(TKind::Pen);
  pen.Stock = true;
  FStockPen = SimHandle<HGdiObj>(NewObject(pen));
  TObject brush = Make(TKind::Brush);
  brush.Stock = true;
  brush.Color = 0xFFFFFF;
  FStockBrush = SimHandle<HGdiObj>(NewObject(brush));
  TObject font = Make(TKind::Font);
  font.Stock = true;
  font.Font.Face = "System";
  FStockFont = SimHandle<HGdiObj>(NewObject(font));
  TObject bitmap = Make(TKind::Bitmap);
  bitmap.Stock = true;
  bitmap.Image = {1, 1, {0}};
  FStockBitmap = SimHandle<HGdiObj>(NewObject(bitmap));
}

TSimId TSimGdi::NewObject(TObject object) {
  if (!object.Stock) ++Stats.Made[static_cast<int>(object.Kind)];
  TSimId id = FNextHandle;
  FNextHandle += 4;
  FObjects.emplace(id, std::move(object));
  return id;
}

TSimGdi::TObject* TSimGdi::Find(TSimId id, TKind kind) {
  auto it = FObjects.find(id);
  return it != FObjects.end() && it->second.Kind == kind ? &it->second : nullptr;
}

TSimGdi::TDc* TSimGdi::FindDc(HDc dc) {
  auto it = FDcs.find(dc);
  return it == FDcs.end() ? nullptr : &it->second;
}

TSimGdi::TImage* TSimGdi::SurfaceOf(TDc& dc) {
  if (dc.Window != HWnd::None) {
    auto it = FSurfaces.find(dc.Window);
    return it == FSurfaces.end() ? nullptr : &it->second;
  }
  TObject* bitmap = Find(SimId(dc.State.Bitmap), TKind::Bitmap);
  return bitmap ? &bitmap->Image : nullptr;
}

std::size_t TSimGdi::OpenCount(TKind kind) const {
  if (kind == TKind::DC) return FDcs.size();
  return static_cast<std::size_t>(std::count_if(FObjects.begin(), FObjects.end(), [&](auto& o) {
    return o.second.Kind == kind && !o.second.Stock;
  }));
}

std::size_t TSimGdi::OpenCount() const {
  std::size_t n = 0;
  for (TKind k : {TKind::DC, TKind::Pen, TKind::Brush, TKind::Font, TKind::Bitmap, TKind::Icon,
                  TKind::ImageList})
    n += OpenCount(k);
  return n;
}

HDc TSimGdi::CreateMemoryDC() {
  HDc handle = SimHandle<HDc>(FNextHandle);
  FNextHandle += 4;
  TDc& dc = FDcs[handle];
  dc.State.Pen = FStockPen;
  dc.State.Brush = FStockBrush;
  dc.State.Font = FStockFont;
  dc.State.Bitmap = FStockBitmap;
  for (HGdiObj object : {FStockPen, FStockBrush, FStockFont, FStockBitmap})
    ++FObjects[SimId(object)].Selections;
  return handle;
}

bool TSimGdi::DeleteDC(HDc handle) {
  TDc* dc = FindDc(handle);
  if (!dc || dc->Window != HWnd::None) return false;
  TState state = dc->State;
  FDcs.erase(handle);
  for (HGdiObj object : {state.Pen, state.Brush, state.Font, state.Bitmap}) Deselect(object);
  return true;
}

HDc TSimGdi::BeginWindowPaint(HWnd window, const TRect& client, const std::vector<TRect>& region) {
  TImage& surface = FSurfaces[window];
  if (surface.Width != client.Width() || surface.Height != client.Height()) {
    surface.Width = std::max(0, client.Width());
    surface.Height = std::max(0, client.Height());
    surface.Pixels.assign(static_cast<std::size_t>(surface.Width) * surface.Height,
                          NewSurfaceColor);
  }
  EndWindowPaint(window);  // a paint left open is closed first
  HDc handle = CreateMemoryDC();
  TDc& dc = FDcs[handle];
  --FObjects[SimId(FStockBitmap)].Selections;
  dc.State.Bitmap = HGdiObj::None;
  dc.Window = window;
  dc.Region = region;
  FPaintDcs[window] = handle;
  return handle;
}

void TSimGdi::EndWindowPaint(HWnd window) {
  auto it = FPaintDcs.find(window);
  if (it == FPaintDcs.end()) return;
  if (TDc* dc = FindDc(it->second)) {
    TState state = dc->State;
    FDcs.erase(it->second);
    for (HGdiObj object : {state.Pen, state.Brush, state.Font}) Deselect(object);
  }
  FPaintDcs.erase(it);
}

const TSimGdi::TImage* TSimGdi::WindowSurface(HWnd window) const {
  auto it = FSurfaces.find(window);
  return it == FSurfaces.end() ? nullptr : &it->second;
}

TSimGdi::TImage* TSimGdi::WindowSurface(HWnd window) {
  auto it = FSurfaces.find(window);
  return it == FSurfaces.end() ? nullptr : &it->second;
}

TPoint TSimGdi::SetViewportOrg(HDc handle, TPoint origin) {
  TDc* dc = FindDc(handle);
  if (!dc) return {};
  TPoint old = dc->State.Origin;
  dc->State.Origin = origin;
  return old;
}

TPoint TSimGdi::GetViewportOrg(HDc handle) {
  TDc* dc = FindDc(handle);
  return dc ? dc->State.Origin : TPoint{};
}

void TSimGdi::IntersectClipRect(HDc handle, const TRect& rect) {
  TDc* dc = FindDc(handle);
  if (!dc) return;
  TRect device{rect.Left + dc->State.Origin.X, rect.Top + dc->State.Origin.Y,
               rect.Right + dc->State.Origin.X, rect.Bottom + dc->State.Origin.Y};
  dc->State.Clip = dc->State.Clip ? Intersect(*dc->State.Clip, device) : device;
}

int TSimGdi::SaveDC(HDc handle) {
  TDc* dc = FindDc(handle);
  if (!dc) return 0;
  dc->Saved.push_back(dc->State);
  return static_cast<int>(dc->Saved.size());
}

bool TSimGdi::RestoreDC(HDc handle, int saved) {
  TDc* dc = FindDc(handle);
  if (!dc) return false;
  if (saved < 0) saved = static_cast<int>(dc->Saved.size()) + 1 + saved;
  if (saved < 1 || saved > static_cast<int>(dc->Saved.size())) return false;
  TState state = dc->Saved[saved - 1];
  dc->Saved.resize(saved - 1);
  // Objects deleted since the save cannot come back; keep the current ones then.
  auto restore = [&](HGdiObj& slot, HGdiObj object) {
    if (FObjects.count(SimId(object))) Select(*dc, slot, object);
  };
  restore(dc->State.Pen, state.Pen);
  restore(dc->State.Brush, state.Brush);
  restore(dc->State.Font, state.Font);
  if (dc->Window == HWnd::None) restore(dc->State.Bitmap, state.Bitmap);
  dc->State.Origin = state.Origin;
  dc->State.Clip = state.Clip;
  dc->State.Text = state.Text;
  dc->State.Bk = state.Bk;
  dc->State.BkMode = state.BkMode;
  return true;
}

HGdiObj TSimGdi::CreatePen(int style, int width, TColorRef color) {
  TObject pen = Make(TKind::Pen);
  pen.Style = style;
  pen.Width = std::max(0, width);
  pen.Color = color & 0xFFFFFF;
  return SimHandle<HGdiObj>(NewObject(pen));
}

HGdiObj TSimGdi::CreateSolidBrush(TColorRef color) {
  TObject brush = Make(TKind::Brush);
  brush.Color = color & 0xFFFFFF;
  return SimHandle<HGdiObj>(NewObject(brush));
}

HGdiObj TSimGdi::CreateHatchBrush(int hatch, TColorRef color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return HGdiObj::None;
  TObject brush = Make(TKind::Brush);
  brush.Color = color & 0xFFFFFF;
  brush.Hatch = hatch;
  return SimHandle<HGdiObj>(NewObject(brush));
}

HGdiObj TSimGdi::CreateFont(const TFontParams& params) {
  TObject font = Make(TKind::Font);
  font.Font = params;
  return SimHandle<HGdiObj>(NewObject(font));
}

HGdiObj TSimGdi::CreateBitmap(int width, int height) {
  if (width <= 0 || height <= 0) return HGdiObj::None;
  TObject bitmap = Make(TKind::Bitmap);
  bitmap.Image.Width = width;
  bitmap.Image.Height = height;
  bitmap.Image.Pixels.assign(static_cast<std::size_t>(width) * height, 0);
  return SimHandle<HGdiObj>(NewObject(bitmap));
}

void TSimGdi::Select(TDc& dc, HGdiObj& slot, HGdiObj object) {
  HGdiObj old = slot;
  slot = object;
  ++FObjects[SimId(object)].Selections;
  Deselect(old);
}

void TSimGdi::Deselect(HGdiObj object) {
  auto it = FObjects.find(SimId(object));
  if (it == FObjects.end()) return;
  if (--it->second.Selections <= 0 && it->second.Deleted) FObjects.erase(it);
}

HGdiObj TSimGdi::SelectObject(HDc handle, HGdiObj object) {
  TDc* dc = FindDc(handle);
  auto it = FObjects.find(SimId(object));
  if (!dc || it == FObjects.end()) return HGdiObj::None;
  HGdiObj* slot = nullptr;
  switch (it->second.Kind) {
    case TKind::Pen:
      slot = &dc->State.Pen;
      break;
    case TKind::Brush:
      slot = &dc->State.Brush;
      break;
    case TKind::Font:
      slot = &dc->State.Font;
      break;
    case TKind::Bitmap:
      // A bitmap lives in one memory context at a time; a window context has none.
      if (dc->Window != HWnd::None) return HGdiObj::None;
      if (it->second.Selections > 0 && !it->second.Stock && dc->State.Bitmap != object)
        return HGdiObj::None;
      slot = &dc->State.Bitmap;
      break;
    default:
      return HGdiObj::None;
  }
  HGdiObj old = *slot;
  Select(*dc, *slot, object);
  return old;
}

bool TSimGdi::DeleteObject(HGdiObj object) {
  auto it = FObjects.find(SimId(object));
  if (it == FObjects.end() || it->second.Kind == TKind::Icon || it->second.Kind == TKind::ImageList)
    return false;
  if (it->second.Stock) return true;  // the system ignores it
  if (it->second.Deleted) return false;
  if (it->second.Selections > 0)
    it->second.Deleted = true;
  else
    FObjects.erase(it);
  return true;
}

TPenInfo TSimGdi::GetCurrentPen(HDc handle) {
  TDc* dc = FindDc(handle);
  if (!dc) return {};
  const TObject& pen = FObjects[SimId(dc->State.Pen)];
  return {pen.Style, pen.Width};
}

TPoint TSimGdi::GetBitmapSize(HGdiObj bitmap) {
  TObject* b = Find(SimId(bitmap), TKind::Bitmap);
  return b ? TPoint{b->Image.Width, b->Image.Height} : TPoint{};
}

bool TSimGdi::SetBitmapPixels(HGdiObj bitmap, const std::vector<TColorRef>& pixels) {
  TObject* b = Find(SimId(bitmap), TKind::Bitmap);
  if (!b || pixels.size() != b->Image.Pixels.size()) return false;
  for (std::size_t i = 0; i < pixels.size(); ++i) b->Image.Pixels[i] = pixels[i] & 0xFFFFFF;
  return true;
}

std::vector<TColorRef> TSimGdi::GetBitmapPixels(HGdiObj bitmap) {
  TObject* b = Find(SimId(bitmap), TKind::Bitmap);
  return b ? b->Image.Pixels : std::vector<TColorRef>{};
}

const TSimGdi::TImage* TSimGdi::Bitmap(HGdiObj bitmap) const {
  auto it = FObjects.find(SimId(bitmap));
  return it != FObjects.end() && it->second.Kind == TKind::Bitmap ? &it->second.Image : nullptr;
}

HGdiObj TSimGdi::LoadBitmapResource(const std::string& name) {
  auto it = BitmapResources.find(name);
  if (it == BitmapResources.end()) return HGdiObj::None;
  TObject bitmap = Make(TKind::Bitmap);
  bitmap.Image = it->second;
  return SimHandle<HGdiObj>(NewObject(bitmap));
}

TColorRef TSimGdi::GetSysColor(int index) {
  return index >= 0 && index < COLOR_COUNT ? SysColors[index] : 0;
}

// ---- fills and pixels ----------------------------------------------------------

void TSimGdi::Plot(TDc& dc, TImage& surface, int dx, int dy, TColorRef color) {
  if (dx < 0 || dy < 0 || dx >= surface.Width || dy >= surface.Height) return;
  if (dc.State.Clip) {
    const TRect& c = *dc.State.Clip;
    if (dx < c.Left || dy < c.Top || dx >= c.Right || dy >= c.Bottom) return;
  }
  if (!dc.Region.empty() && std::none_of(dc.Region.begin(), dc.Region.end(), [&](const TRect& r) {
        return dx >= r.Left && dy >= r.Top && dx < r.Right && dy < r.Bottom;
      }))
    return;
  surface.Pixels[static_cast<std::size_t>(dy) * surface.Width + dx] = color & 0xFFFFFF;
}

void TSimGdi::PaintBrushPixel(TDc& dc, TImage& surface, int dx, int dy, const TObject& brush) {
  if (brush.Hatch < 0) return Plot(dc, surface, dx, dy, brush.Color);
  // Hatches are aligned to the device, so adjoining fills continue the pattern.
  std::uint8_t row = kHatches[brush.Hatch][((dy % 8) + 8) % 8];
  bool on = (row & (0x80 >> (((dx % 8) + 8) % 8))) != 0;
  if (on)
    Plot(dc, surface, dx, dy, brush.Color);
  else if (dc.State.BkMode == OPAQUE)
    Plot(dc, surface, dx, dy, dc.State.Bk);
}

bool TSimGdi::FillRect(HDc handle, const TRect& rect, HGdiObj brushHandle) {
  TDc* dc = FindDc(handle);
  TObject* brush = Find(SimId(brushHandle), TKind::Brush);
  if (!dc || !brush) return false;
  TImage* surface = SurfaceOf(*dc);
  if (!surface) return false;
  ++Stats.FillRects;
  for (int y = rect.Top; y < rect.Bottom; ++y)
    for (int x = rect.Left; x < rect.Right; ++x)
      PaintBrushPixel(*dc, *surface, x + dc->State.Origin.X, y + dc->State.Origin.Y, *brush);
  return true;
}

bool TSimGdi::FrameRect(HDc handle, const TRect& rect, HGdiObj brushHandle) {
  TDc* dc = FindDc(handle);
  TObject* brush = Find(SimId(brushHandle), TKind::Brush);
  if (!dc || !brush) return false;
  TImage* surface = SurfaceOf(*dc);
  if (!surface || rect.Right <= rect.Left || rect.Bottom <= rect.Top) return false;
  ++Stats.FillRects;
  TPoint o = dc->State.Origin;
  for (int x = rect.Left; x < rect.Right; ++x) {
    PaintBrushPixel(*dc, *surface, x + o.X, rect.Top + o.Y, *brush);
    PaintBrushPixel(*dc, *surface, x + o.X, rect.Bottom - 1 + o.Y, *brush);
  }
  for (int y = rect.Top; y < rect.Bottom; ++y) {
    PaintBrushPixel(*dc, *surface, rect.Left + o.X, y + o.Y, *brush);
    PaintBrushPixel(*dc, *surface, rect.Right - 1 + o.X, y + o.Y, *brush);
  }
  return true;
}

TColorRef TSimGdi::SetPixel(HDc handle, int x, int y, TColorRef color) {
  TDc* dc = FindDc(handle);
  if (!dc) return 0xFFFFFFFF;
  TImage* surface = SurfaceOf(*dc);
  if (!surface) return 0xFFFFFFFF;
  ++Stats.Pixels;
  Plot(*dc, *surface, x + dc->State.Origin.X, y + dc->State.Origin.Y, color);
  return color & 0xFFFFFF;
}

TColorRef TSimGdi::GetPixel(HDc handle, int x, int y) {
  TDc* dc = FindDc(handle);
  if (!dc) return 0xFFFFFFFF;
  TImage* surface = SurfaceOf(*dc);
  if (!surface) return 0xFFFFFFFF;
  int dx = x + dc->State.Origin.X, dy = y + dc->State.Origin.Y;
  if (dx < 0 || dy < 0 || dx >= surface->Width || dy >= surface->Height) return 0xFFFFFFFF;
  if (dc->State.Clip) {
    const TRect& c = *dc->State.Clip;
    if (dx < c.Left || dy < c.Top || dx >= c.Right || dy >= c.Bottom) return 0xFFFFFFFF;
  }
  return surface->At(dx, dy);
}

// ---- lines -----------------------------------------------------------------------

TPoint TSimGdi::MoveTo(HDc handle, int x, int y) {
  TDc* dc = FindDc(handle);
  if (!dc) return {};
  TPoint old = dc->Position;
  dc->Position = {x, y};
  return old;
}

bool TSimGdi::LineTo(HDc handle, int x, int y) {
  TDc* dc = FindDc(handle);
  if (!dc) return false;
  TImage* surface = SurfaceOf(*dc);
  TPoint from = dc->Position;
  dc->Position = {x, y};
  if (!surface) return false;
  ++Stats.Lines;
  const TObject& pen = FObjects[SimId(dc->State.Pen)];
  if (pen.Style == PS_NULL) return true;
  TPoint o = dc->State.Origin;
  int x0 = from.X + o.X, y0 = from.Y + o.Y, x1 = x + o.X, y1 = y + o.Y;
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  bool wide = pen.Width > 1;

  // Cosmetic styled pens: the pattern restarts with every line.
  const TDash* dash = nullptr;
  if (!wide && pen.Style >= PS_DASH && pen.Style <= PS_DASHDOTDOT) dash = &kDashes[pen.Style];
  int dashIndex = 0, dashLeft = dash ? dash->Lengths[0] : 0;

  // Wide pens: a disc of the pen's diameter at every point, end points included (round ends).
  int w = pen.Width;
  double centre = (w % 2 == 0) ? 0.5 : 0.0;
  double radius2 = (w / 2.0) * (w / 2.0);
  auto stamp = [&](int px, int py) {
    int low = -(w / 2);
    for (int oy = low; oy < low + w; ++oy)
      for (int ox = low; ox < low + w; ++ox) {
        double fx = ox + centre, fy = oy + centre;
        if (fx * fx + fy * fy <= radius2 + 0.25) Plot(*dc, *surface, px + ox, py + oy, pen.Color);
      }
  };

  for (;;) {
    bool last = x0 == x1 && y0 == y1;
    if (wide) {
      stamp(x0, y0);
    } else if (last) {
      break;
    } else if (dash) {
      bool on = dashIndex % 2 == 0;
      if (on)
        Plot(*dc, *surface, x0, y0, pen.Color);
      else if (dc->State.BkMode == OPAQUE)
        Plot(*dc, *surface, x0, y0, dc->State.Bk);
      if (--dashLeft == 0) {
        dashIndex = (dashIndex + 1) % dash->Count;
        dashLeft = dash->Lengths[dashIndex];
      }
    } else {
      Plot(*dc, *surface, x0, y0, pen.Color);
    }
    if (last) break;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  return true;
}

// ---- blocks ----------------------------------------------------------------------

void TSimGdi::Blit(HDc dst, int x, int y, int width, int height, HDc src, int srcX, int srcY,
                   std::optional<TColorRef> transparent) {
  TDc* d = FindDc(dst);
  TDc* s = FindDc(src);
  if (!d || !s) return;
  TImage* dstSurface = SurfaceOf(*d);
  TImage* srcSurface = SurfaceOf(*s);
  if (!dstSurface || !srcSurface) return;
  ++Stats.Blits;
  // Read the whole block first: source and destination may be the same surface.
  std::vector<std::optional<TColorRef>> block(static_cast<std::size_t>(std::max(0, width)) *
                                              std::max(0, height));
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      int sx = srcX + i + s->State.Origin.X, sy = srcY + j + s->State.Origin.Y;
      if (sx < 0 || sy < 0 || sx >= srcSurface->Width || sy >= srcSurface->Height) continue;
      TColorRef c = srcSurface->At(sx, sy);
      if (transparent && SameRgb(c, *transparent)) continue;
      block[static_cast<std::size_t>(j) * width + i] = c;
    }
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i)
      if (auto c = block[static_cast<std::size_t>(j) * width + i])
        Plot(*d, *dstSurface, x + i + d->State.Origin.X, y + j + d->State.Origin.Y, *c);
}

bool TSimGdi::BitBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX, int srcY) {
  if (!FindDc(dst) || !FindDc(src)) return false;
  Blit(dst, x, y, width, height, src, srcX, srcY, std::nullopt);
  return true;
}

bool TSimGdi::TransparentBlt(HDc dst, int x, int y, int width, int height, HDc src, int srcX,
                             int srcY, TColorRef transparent) {
  if (!FindDc(dst) || !FindDc(src)) return false;
  Blit(dst, x, y, width, height, src, srcX, srcY, transparent);
  return true;
}

// ---- text ------------------------------------------------------------------------

TColorRef TSimGdi::SetTextColor(HDc handle, TColorRef color) {
  return ExchangeState(handle, &TState::Text, color & 0xFFFFFF);
}

TColorRef TSimGdi::SetBkColor(HDc handle, TColorRef color) {
  return ExchangeState(handle, &TState::Bk, color & 0xFFFFFF);
}

int TSimGdi::SetBkMode(HDc handle, int mode) {
  return ExchangeState(handle, &TState::BkMode, mode);
}

TPoint TSimGdi::GetTextExtent(HDc handle, const std::string& text) {
  return CharsExtent(handle, SimDecodeAnsi(text, AnsiCodePage).size());
}

bool TSimGdi::TextOut(HDc handle, int x, int y, const std::string& text) {
  return DrawChars(handle, x, y, SimDecodeAnsi(text, AnsiCodePage));
}

TPoint TSimGdi::GetTextExtentW(HDc handle, const std::u16string& text) {
  return CharsExtent(handle, SimDecodeUtf16(text).size());
}

bool TSimGdi::TextOutW(HDc handle, int x, int y, const std::u16string& text) {
  return DrawChars(handle, x, y, SimDecodeUtf16(text));
}

TPoint TSimGdi::CharsExtent(HDc handle, std::size_t characters) {
  TDc* dc = FindDc(handle);
  if (!dc) return {};
  const TFontParams& font = FObjects[SimId(dc->State.Font)].Font;
  int advance = GlyphBox(font).X + 1 + (font.Bold ? 1 : 0);
  int height = font.Height == 0 ? kStockFontHeight : std::abs(font.Height);
  return {advance * static_cast<int>(characters), height};
}

// The glyphs are drawn 5 x 7 up to a character height of 13; taller fonts scale them with
// the height (11 is the 5 x 7 design's), each pixel to its nearest source pixel.
TPoint TSimGdi::GlyphBox(const TFontParams& font) {
  int height = std::abs(font.Height);
  if (height <= kStockFontHeight) return {kGlyphWidth, kGlyphHeight};
  auto scaled = [height](int side) { return (side * height * 2 + 11) / 22; };
  return {scaled(kGlyphWidth), scaled(kGlyphHeight)};
}

bool TSimGdi::DrawChars(HDc handle, int x, int y, const std::u32string& text) {
  TDc* dc = FindDc(handle);
  if (!dc) return false;
  TImage* surface = SurfaceOf(*dc);
  if (!surface) return false;
  ++Stats.Texts;
  const TFontParams& font = FObjects[SimId(dc->State.Font)].Font;
  TPoint extent = CharsExtent(handle, text.size());
  TPoint box = GlyphBox(font);
  int advance = box.X + 1 + (font.Bold ? 1 : 0);
  TPoint o = dc->State.Origin;
  if (dc->State.BkMode == OPAQUE)
    for (int j = 0; j < extent.Y; ++j)
      for (int i = 0; i < extent.X; ++i)
        Plot(*dc, *surface, x + i + o.X, y + j + o.Y, dc->State.Bk);
  int top = std::max(0, (extent.Y - box.Y) / 2);
  for (std::size_t n = 0; n < text.size(); ++n) {
    const TGlyph& glyph = GlyphOf(text[n]);
    int left = x + static_cast<int>(n) * advance;
    for (int row = 0; row < box.Y; ++row)
      for (int col = 0; col < box.X; ++col) {
        if (glyph.Rows[row * kGlyphHeight / box.Y][col * kGlyphWidth / box.X] != '#') continue;
        Plot(*dc, *surface, left + col + o.X, y + top + row + o.Y, dc->State.Text);
        if (font.Bold)
          Plot(*dc, *surface, left + col + 1 + o.X, y + top + row + o.Y, dc->State.Text);
      }
    if (font.Underline)
      for (int col = 0; col < advance; ++col)
        Plot(*dc, *surface, left + col + o.X, y + top + box.Y + 1 + o.Y, dc->State.Text);
  }
  return true;
}

// ---- icons -----------------------------------------------------------------------

HIcon TSimGdi::CreateIconFromBitmap(HGdiObj bitmap, bool useMask, TColorRef maskColor) {
  TObject* b = Find(SimId(bitmap), TKind::Bitmap);
  if (!b) return HIcon::None;
  TObject icon = Make(TKind::Icon);
  icon.IconImage.Image = b->Image;
  icon.IconImage.Transparent.resize(b->Image.Pixels.size());
  // As the system's, the icon's picture is black under its mask (drawing relies on it).
  for (std::size_t i = 0; i < b->Image.Pixels.size(); ++i) {
    bool masked = useMask && SameRgb(b->Image.Pixels[i], maskColor);
    icon.IconImage.Transparent[i] = masked;
    if (masked) icon.IconImage.Image.Pixels[i] = 0;
  }
  return SimHandle<HIcon>(NewObject(std::move(icon)));
}

HIcon TSimGdi::CopyIcon(HIcon icon) {
  TObject* i = Find(SimId(icon), TKind::Icon);
  if (!i) return HIcon::None;
  TObject copy = *i;
  copy.Selections = 0;
  return SimHandle<HIcon>(NewObject(std::move(copy)));
}

bool TSimGdi::DestroyIcon(HIcon icon) {
  if (!Find(SimId(icon), TKind::Icon)) return false;
  FObjects.erase(SimId(icon));
  return true;
}

bool TSimGdi::DrawIcon(HDc handle, int x, int y, HIcon icon) {
  TDc* dc = FindDc(handle);
  TObject* i = Find(SimId(icon), TKind::Icon);
  if (!dc || !i) return false;
  TImage* surface = SurfaceOf(*dc);
  if (!surface) return false;
  const TIconImage& image = i->IconImage;
  for (int row = 0; row < image.Image.Height; ++row)
    for (int col = 0; col < image.Image.Width; ++col) {
      std::size_t k = static_cast<std::size_t>(row) * image.Image.Width + col;
      if (!image.Transparent[k])
        Plot(*dc, *surface, x + col + dc->State.Origin.X, y + row + dc->State.Origin.Y,
             image.Image.Pixels[k]);
    }
  return true;
}

TPoint TSimGdi::GetIconSize(HIcon icon) {
  TObject* i = Find(SimId(icon), TKind::Icon);
  return i ? TPoint{i->IconImage.Image.Width, i->IconImage.Image.Height} : TPoint{};
}

bool TSimGdi::GetIconImage(HIcon icon, std::vector<TColorRef>& pixels,
                           std::vector<bool>& transparent) {
  const TIconImage* image = Icon(icon);
  pixels = image ? image->Image.Pixels : std::vector<TColorRef>{};
  transparent = image ? image->Transparent : std::vector<bool>{};
  return image != nullptr;
}

const TSimGdi::TIconImage* TSimGdi::Icon(HIcon icon) const {
  auto it = FObjects.find(SimId(icon));
  return it != FObjects.end() && it->second.Kind == TKind::Icon ? &it->second.IconImage : nullptr;
}

// ---- image lists ---------------------------------------------------------------

HImageList TSimGdi::ImageListCreate(int width, int height) {
  if (width <= 0 || height <= 0) return HImageList::None;
  TObject list = Make(TKind::ImageList);
  list.Image = {width, height, {}};
  return SimHandle<HImageList>(NewObject(std::move(list)));
}

int TSimGdi::ImageListAddMasked(HImageList list, HGdiObj bitmap, bool useMask,
                                TColorRef maskColor) {
  TObject* l = Find(SimId(list), TKind::ImageList);
  TObject* b = Find(SimId(bitmap), TKind::Bitmap);
  if (!l || !b) return -1;
  TIconImage image;
  image.Image = {l->Image.Width, l->Image.Height, {}};
  image.Image.Pixels.assign(static_cast<std::size_t>(l->Image.Width) * l->Image.Height, 0);
  image.Transparent.assign(image.Image.Pixels.size(), false);
  for (int y = 0; y < l->Image.Height && y < b->Image.Height; ++y)
    for (int x = 0; x < l->Image.Width && x < b->Image.Width; ++x) {
      std::size_t k = static_cast<std::size_t>(y) * l->Image.Width + x;
      image.Transparent[k] = useMask && SameRgb(b->Image.At(x, y), maskColor);
      // As the system's does, the list leaves the masked pixels black, in its image and in
      // the source bitmap.
      if (image.Transparent[k])
        b->Image.Pixels[static_cast<std::size_t>(y) * b->Image.Width + x] = 0;
      image.Image.Pixels[k] = b->Image.At(x, y);
    }
  l->Images.push_back(std::move(image));
  return static_cast<int>(l->Images.size()) - 1;
}

HIcon TSimGdi::ImageListGetIcon(HImageList list, int index) {
  TObject* l = Find(SimId(list), TKind::ImageList);
  if (!l || index < 0 || index >= static_cast<int>(l->Images.size())) return HIcon::None;
  TObject icon = Make(TKind::Icon);
  icon.IconImage = l->Images[static_cast<std::size_t>(index)];
  return SimHandle<HIcon>(NewObject(std::move(icon)));
}

bool TSimGdi::ImageListDestroy(HImageList list) {
  if (!Find(SimId(list), TKind::ImageList)) return false;
  FObjects.erase(SimId(list));
  return true;
}
