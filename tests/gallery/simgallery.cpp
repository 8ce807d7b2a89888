// Paints the main window's five display widgets on the simulated raster and writes the
// picture as a binary PPM: the other half of the comparison with the real system's drawing.
// The system colours are read from a file of "index 0xBBGGRR" lines (as the inspection
// program prints them under Wine), so both sides paint with the same colours.
//
//   simgallery OUT.ppm COLOURS [CPU MOTHERBOARD BOOSTON BOOSTOFF BOOSTED LAMPENABLED]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/sim/SimPlatform.h"
#include "tests/gallery/WidgetGallery.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: simgallery OUT.ppm COLOURS [cpu mb on off boosted enabled]\n");
    return 2;
  }
  TSimPlatform sim;
  std::ifstream colours(argv[2]);
  int index = 0;
  std::string value;
  while (colours >> index >> value)
    if (index >= 0 && index < COLOR_COUNT)
      sim.Gdi.SysColors[static_cast<std::size_t>(index)] =
          static_cast<TColorRef>(std::strtoul(value.c_str(), nullptr, 16));
  TGalleryValues values;
  if (argc >= 9) values = GalleryValuesFromWords(argv + 3);
  std::vector<TColorRef> pixels = RenderWidgetGallery(sim.Platform(), values);
  return WriteGalleryPpm(argv[1], pixels) ? 0 : 1;
}
