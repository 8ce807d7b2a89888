// The lamp check box as the main window uses it: picture, state, mouse and group rules.
#include <gtest/gtest.h>

#include "app/WindowLooks.h"
#include "tests/widgets/WidgetRig.h"
#include "widgets/GlyphCheckBox.h"
#include "widgets/Lamps.h"

namespace {
using TKind = TSimGdi::TKind;
// A face colour unlike the lamps' silver ground, as under some desktop themes.
constexpr TColorRef kFace = 0xF5F5F5;

struct TLampRig : TWidgetRig {
  TGlyphCheckBox& Box = Add<TGlyphCheckBox>(0, 0, 13, 17);
  TLampRig() {
    Sim.Gdi.SysColors[COLOR_BTNFACE] = kFace;
    ApplyLampLook(Box);
    Ground(kFace);
  }
  // The 13 x 17 area as the lamp table would show it at (x0, 3): silver becomes the face.
  std::vector<TColorRef> Expected(TLampKind kind, int x0) const {
    std::vector<TColorRef> expected(13 * 17, kFace);
    std::vector<std::uint8_t> indices = LampIndices(kind);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        std::uint8_t index = indices[static_cast<std::size_t>(y * 10 + x)];
        expected[static_cast<std::size_t>((y + 3) * 13 + x + x0)] =
            index == 7 ? kFace : kLampPalette[index];
      }
    return expected;
  }
  std::vector<TColorRef> Shown() const {
    std::vector<TColorRef> shown;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 13; ++x) shown.push_back(At(x, y));
    return shown;
  }
  void Click(int x, int y) {
    auto at = static_cast<std::intptr_t>(
        MakeLong(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)));
    Sim.Windows.SendMessage(Window, WM_LBUTTONDOWN, 0, at);
    Sim.Windows.SendMessage(Window, WM_LBUTTONUP, 0, at);
  }
};
}  // namespace

TEST(GlyphCheckBox, LampPicturesAreTheTables) {
  // A few pixels straight from the pictures: glint, body, rim, ground.
  std::vector<TColorRef> on = LampPixels(TLampKind::On);
  EXPECT_EQ(on[3 * 10 + 3], 0xFFFFFFu);  // "802FFA2A07": white glint
  EXPECT_EQ(on[3 * 10 + 5], 0x00FF00u);  // lime
  EXPECT_EQ(on[3 * 10 + 2], 0x008000u);  // green
  EXPECT_EQ(on[9 * 10 + 0], 0xC0C0C0u);  // silver bottom-left: the transparent colour
  std::vector<TColorRef> off = LampPixels(TLampKind::Off);
  EXPECT_EQ(off[3 * 10 + 5], 0x0000FFu);  // "801FF91907": red
  EXPECT_EQ(off[3 * 10 + 2], 0x000080u);  // maroon
  EXPECT_EQ(LampPixels(TLampKind::Disabled)[2 * 10 + 4], 0x808080u);
}

TEST(GlyphCheckBox, ShowsTheLampForItsStateOnTheFace) {
  struct TCase {
    bool Checked;
    bool Enabled;
    TLampKind Lamp;
  };
  for (TCase t : {TCase{false, true, TLampKind::Off},
                  {true, true, TLampKind::On},
                  {true, false, TLampKind::Disabled},
                  {false, false, TLampKind::Disabled}}) {
    TLampRig rig;
    rig.Box.SetChecked(t.Checked);
    rig.Box.SetEnabled(t.Enabled);
    rig.Paint();
    EXPECT_EQ(rig.Shown(), rig.Expected(t.Lamp, 0)) << t.Checked << t.Enabled;
  }
}

TEST(GlyphCheckBox, FaceColouredPixelsShowTheParent) {
  TLampRig rig;
  rig.Ground(0x123456);
  rig.Paint();
  EXPECT_EQ(rig.At(12, 0), 0x123456u);  // buffer ground
  EXPECT_EQ(rig.At(0, 3), 0x123456u);   // the lamp's silver ground
  EXPECT_EQ(rig.At(2, 3), 0x808080u);   // rim
}

TEST(GlyphCheckBox, LeftJustifiedGlyphSitsAtTheRightEdgeWithoutShift) {
  TLampRig rig;
  rig.Box.BeginLoading();  // as the window description sets it
  rig.Box.SetAlignment(taLeftJustify);
  rig.Box.GlyphShift().SetX(2);
  rig.Box.EndLoading();
  rig.Paint();
  EXPECT_EQ(rig.Shown(), rig.Expected(TLampKind::Off, 3));
}

TEST(GlyphCheckBox, GlyphShiftMovesARightJustifiedGlyph) {
  TLampRig rig;
  rig.Paint();
  rig.Box.GlyphShift().SetX(2);
  // A shift changed at run time repaints the caption only; the glyph moves at the next paint.
  rig.Paint();
  EXPECT_EQ(rig.Shown(), rig.Expected(TLampKind::Off, 0));
  rig.Ground(kFace);  // the parent's background under the invalidated box
  rig.Paint();
  EXPECT_EQ(rig.Shown(), rig.Expected(TLampKind::Off, 2));
}

TEST(GlyphCheckBox, MouseIsIgnoredOnlyWhenAskedTo) {
  TLampRig rig;
  rig.Paint();
  rig.Click(5, 8);
  EXPECT_FALSE(rig.Box.Checked());
  rig.Box.SetOptions(fcoFastDraw);
  rig.Click(5, 8);
  EXPECT_TRUE(rig.Box.Checked());
  rig.Click(5, 8);
  EXPECT_FALSE(rig.Box.Checked());
}

TEST(GlyphCheckBox, SameStateRequestsNoRepaint) {
  TLampRig rig;
  rig.Paint();
  rig.Box.SetChecked(false);
  EXPECT_FALSE(rig.RepaintRequested());
  rig.Box.SetChecked(true);
  EXPECT_TRUE(rig.RepaintRequested());
}

TEST(GlyphCheckBox, GroupIndexMakesARadioGroup) {
  TLampRig rig;
  TGlyphCheckBox& second = rig.Add<TGlyphCheckBox>(20, 0, 13, 17);
  TGlyphCheckBox& other = rig.Add<TGlyphCheckBox>(40, 0, 13, 17);
  rig.Box.SetGroupIndex(1);
  second.SetGroupIndex(1);
  other.SetGroupIndex(2);
  other.SetChecked(true);
  rig.Box.SetChecked(true);
  second.SetChecked(true);
  EXPECT_FALSE(rig.Box.Checked());
  EXPECT_TRUE(second.Checked());
  EXPECT_TRUE(other.Checked());
  second.SetChecked(false);  // leaving the group is only by checking another
  EXPECT_TRUE(second.Checked());
}

TEST(GlyphCheckBox, CustomGlyphs) {
  TLampRig rig;
  TBitmap picture(rig.Sim.Gdi);
  picture.LoadFromPixels(4, 4, std::vector<TColorRef>(16, 0x0000FF));
  rig.Box.SetGlyphDisabled(picture);
  EXPECT_EQ(rig.Box.GlyphKind(), fgkDefault);
  rig.Box.SetGlyphOn(picture);
  EXPECT_EQ(rig.Box.GlyphKind(), fgkCustom);
  EXPECT_EQ(rig.Box.GlyphOn().Width(), 4);
  rig.Box.SetGlyphKind(fgkDefault);
  EXPECT_EQ(rig.Box.GlyphOn().Width(), 10);
}

TEST(GlyphCheckBox, AnEmptyGlyphDrawsOnlyTheBackground) {
  TLampRig rig;
  TBitmap empty(rig.Sim.Gdi);
  rig.Box.SetGlyphOff(empty);
  rig.Paint();
  EXPECT_EQ(rig.Shown(), std::vector<TColorRef>(13 * 17, kFace));
}

TEST(GlyphCheckBox, ResourcesOfTheExecutableWinOverTheTable) {
  TSimPlatform sim;
  sim.Gdi.BitmapResources["LampON"] = {10, 10, std::vector<TColorRef>(100, 0x0000FF)};
  TComponent root(nullptr, &sim.Platform());
  auto* box = NewComponent<TGlyphCheckBox>(&root);
  EXPECT_EQ(box->GlyphOn().Pixels(), std::vector<TColorRef>(100, 0x0000FF));
  EXPECT_EQ(box->GlyphOff().Pixels(), LampPixels(TLampKind::Off));
}

TEST(GlyphCheckBox, PaintKeepsOnlyItsBitmaps) {
  TLampRig rig;
  rig.Paint();
  rig.Box.SetChecked(true);
  rig.Paint();
  EXPECT_EQ(rig.Sim.Gdi.OpenCount(TKind::DC), 0u);
  EXPECT_EQ(rig.Sim.Gdi.OpenCount(TKind::Pen), 0u);
  EXPECT_EQ(rig.Sim.Gdi.OpenCount(TKind::Brush), 0u);
  EXPECT_EQ(rig.Sim.Gdi.OpenCount(TKind::Bitmap), 4u);  // three lamps and the buffer
}

TEST(GlyphCheckBox, AfterPaintIsCalled) {
  TLampRig rig;
  int calls = 0;
  rig.Box.AfterPaint = TNotifyEvent([&](TObject*) { ++calls; });
  rig.Paint();
  EXPECT_EQ(calls, 1);
}
