#pragma once
// The main window's five display widgets side by side, with the window's settings, painted
// into any device context: the same picture from the simulated raster and from the real
// system, for comparing the two pixel by pixel.
#include <string>
#include <vector>

#include "framework/Graphics.h"
#include "platform/Platform.h"

struct TGalleryValues {
  double CPU = 0;
  double Motherboard = 0;
  double BoostOn = 45;
  double BoostOff = 45;
  bool Boosted = false;
  bool LampEnabled = true;
};

// Layout: four 29 x 25 digits widgets at x = 0, 31, 62, 93 and the 13 x 17 lamp box at
// (124, 4), on a button-face ground.
inline constexpr int kGalleryWidth = 137;
inline constexpr int kGalleryHeight = 25;
TRect GalleryDigitsBounds(int index);
TRect GalleryLampBounds();

// The gallery painted into a fresh memory bitmap: kGalleryWidth x kGalleryHeight pixels,
// rows from the top, 0x00BBGGRR.
std::vector<TColorRef> RenderWidgetGallery(TPlatform& platform, const TGalleryValues& values);

// The values from six command-line words: cpu, motherboard, on, off, boosted, lamp enabled.
TGalleryValues GalleryValuesFromWords(char* const words[6]);

// Writes a rendering as a binary PPM file (for comparing the two rasters from outside).
bool WriteGalleryPpm(const std::string& path, const std::vector<TColorRef>& pixels);

// Fills the gallery's rectangle at `origin` with the button face and paints the widgets.
void PaintWidgetGallery(TPlatform& platform, HDc dc, const TGalleryValues& values,
                        TPoint origin = {});
