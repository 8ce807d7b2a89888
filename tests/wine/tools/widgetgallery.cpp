// Paints the main window's five display widgets with the real system's drawing and writes
// the picture as a binary PPM, for comparison with the simulated raster's picture of the
// same values.
//
//   widgetgallery OUT.ppm [CPU MOTHERBOARD BOOSTON BOOSTOFF BOOSTED LAMPENABLED]
#include <cstdio>
#include <cstdlib>

#include "platform/win32/Win32Platform.h"
#include "tests/gallery/WidgetGallery.h"

namespace {
// The widgets never touch the ports; this keeps the tool off the real ones.
class TNoPorts : public IPortBus {
 public:
  std::uint8_t In(std::uint16_t) override { return 0; }
  void Out(std::uint16_t, std::uint8_t) override {}
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: widgetgallery OUT.ppm [cpu mb on off boosted enabled]\n");
    return 2;
  }
  TGalleryValues values;
  if (argc >= 8) values = GalleryValuesFromWords(argv + 2);
  TNoPorts ports;
  TWin32Platform platform(&ports);
  std::vector<TColorRef> pixels = RenderWidgetGallery(platform.Platform(), values);
  return WriteGalleryPpm(argv[1], pixels) ? 0 : 1;
}
