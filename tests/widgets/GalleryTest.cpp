// The gallery shows each widget exactly as it paints alone on a window.
#include <gtest/gtest.h>

#include "app/WindowLooks.h"
#include "tests/gallery/WidgetGallery.h"
#include "tests/widgets/WidgetRig.h"
#include "widgets/Digits.h"
#include "widgets/GlyphCheckBox.h"

TEST(WidgetGallery, MatchesTheWidgetsPaintedOnAWindow) {
  TWidgetRig rig(kGalleryWidth, kGalleryHeight);
  rig.Ground(0xC0C0C0);
  const double values[] = {51, 7, 120, 45};
  for (int i = 0; i < 4; ++i) {
    TRect r = GalleryDigitsBounds(i);
    auto& digits = rig.Add<TDigits>(r.Left, r.Top, r.Width(), r.Height());
    ApplyDigitsLook(digits);
    digits.SetValue(values[i]);
  }
  TRect lampBounds = GalleryLampBounds();
  auto& lamp = rig.Add<TGlyphCheckBox>(lampBounds.Left, lampBounds.Top, lampBounds.Width(),
                                       lampBounds.Height());
  ApplyLampLook(lamp);
  lamp.SetChecked(true);
  rig.Paint();

  TSimPlatform sim;
  std::vector<TColorRef> gallery = RenderWidgetGallery(sim.Platform(), {51, 7, 120, 45, true});
  ASSERT_EQ(gallery.size(), static_cast<std::size_t>(kGalleryWidth * kGalleryHeight));
  for (int y = 0; y < kGalleryHeight; ++y)
    for (int x = 0; x < kGalleryWidth; ++x)
      ASSERT_EQ(gallery[static_cast<std::size_t>(y * kGalleryWidth + x)], rig.At(x, y))
          << x << "," << y;
  EXPECT_EQ(sim.Gdi.OpenCount(), 0u);
}
