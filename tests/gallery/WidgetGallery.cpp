#include "tests/gallery/WidgetGallery.h"

#include <cstdio>
#include <cstdlib>

#include "app/WindowLooks.h"
#include "framework/Component.h"
#include "widgets/Digits.h"
#include "widgets/GlyphCheckBox.h"

TRect GalleryDigitsBounds(int index) { return Bounds(index * 31, 0, 29, 25); }
TRect GalleryLampBounds() { return Bounds(124, 4, 13, 17); }

void PaintWidgetGallery(TPlatform& platform, HDc dc, const TGalleryValues& values, TPoint origin) {
  IGdi& gdi = platform.Gdi;
  {
    TGdiObject face(gdi, gdi.CreateSolidBrush(ColorToRGB(clBtnFace, gdi)));
    gdi.FillRect(dc, Bounds(origin.X, origin.Y, kGalleryWidth, kGalleryHeight), face.Get());
  }
  TComponent root(nullptr, &platform);
  const double numbers[] = {values.CPU, values.Motherboard, values.BoostOn, values.BoostOff};
  for (int i = 0; i < 4; ++i) {
    auto* digits = NewComponent<TDigits>(&root);
    TRect r = GalleryDigitsBounds(i);
    digits->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    ApplyDigitsLook(*digits);
    digits->SetValue(numbers[i]);
    digits->PaintWindowless(dc, {origin.X + r.Left, origin.Y + r.Top});
  }
  auto* lamp = NewComponent<TGlyphCheckBox>(&root);
  TRect r = GalleryLampBounds();
  lamp->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  ApplyLampLook(*lamp);
  lamp->SetChecked(values.Boosted);
  lamp->SetEnabled(values.LampEnabled);
  lamp->PaintWindowless(dc, {origin.X + r.Left, origin.Y + r.Top});
}

std::vector<TColorRef> RenderWidgetGallery(TPlatform& platform, const TGalleryValues& values) {
  TBitmap bitmap(platform.Gdi);
  bitmap.SetSize(kGalleryWidth, kGalleryHeight);
  PaintWidgetGallery(platform, bitmap.Canvas().Handle(), values);
  return bitmap.Pixels();
}

TGalleryValues GalleryValuesFromWords(char* const words[6]) {
  TGalleryValues values;
  values.CPU = std::atof(words[0]);
  values.Motherboard = std::atof(words[1]);
  values.BoostOn = std::atof(words[2]);
  values.BoostOff = std::atof(words[3]);
  values.Boosted = std::atoi(words[4]) != 0;
  values.LampEnabled = std::atoi(words[5]) != 0;
  return values;
}

bool WriteGalleryPpm(const std::string& path, const std::vector<TColorRef>& pixels) {
  if (pixels.size() != static_cast<std::size_t>(kGalleryWidth) * kGalleryHeight) return false;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", kGalleryWidth, kGalleryHeight);
  for (TColorRef p : pixels) {
    unsigned char rgb[3] = {static_cast<unsigned char>(p & 0xFF),
                            static_cast<unsigned char>((p >> 8) & 0xFF),
                            static_cast<unsigned char>((p >> 16) & 0xFF)};
    std::fwrite(rgb, 1, 3, out);
  }
  return std::fclose(out) == 0;
}
