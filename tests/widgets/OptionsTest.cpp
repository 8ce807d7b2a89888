// Option objects: defaults, change notification and copying.
#include <gtest/gtest.h>

#include "platform/sim/SimGdi.h"
#include "widgets/Options.h"

namespace {
// Counts the notifications of an option object.
template <class T>
struct TCounted : T {
  int Notes = 0;
  template <class... A>
  explicit TCounted(A&&... a) : T(std::forward<A>(a)...) {
    this->OnChanged = TNotifyEvent([this](TObject* sender) {
      EXPECT_EQ(sender, this);
      ++Notes;
    });
  }
};
}  // namespace

TEST(Options, Defaults) {
  TSimGdi gdi;
  TExtBevelOptions bevel;
  EXPECT_EQ(bevel.Inner(), bvNone);
  EXPECT_EQ(bevel.Outer(), bvNone);
  EXPECT_EQ(bevel.Sides(), kAllSides);
  EXPECT_FALSE(bevel.Bold());
  EXPECT_TRUE(bevel.Active());
  EXPECT_EQ(bevel.BevelPenStyle(), psSolid);
  EXPECT_EQ(bevel.BevelPenWidth(), 1);
  EXPECT_EQ(bevel.InteriorOffset(), 0);
  TGradient gradient(&gdi);
  EXPECT_EQ(gradient.FromColor(), 0x808080u);
  EXPECT_EQ(gradient.ToColor(), 0u);
  EXPECT_FALSE(gradient.Active());
  EXPECT_FALSE(gradient.BufferedDraw());
  EXPECT_EQ(gradient.Orientation(), fgdHorizontal);
  EXPECT_EQ(gradient.Steps(), 255);
  EXPECT_EQ(gradient.PercentFilling(), 100);
  EXPECT_EQ(gradient.BrushStyle(), bsSolid);
  TIllumination illumination;
  EXPECT_EQ(illumination.Horizontal(), fhaLeft);
  EXPECT_EQ(illumination.Vertical(), fvaTop);
  EXPECT_EQ(illumination.ShadowDepth(), 2);
  TLabelTextStyles styles;
  EXPECT_EQ(styles.Passive(), fstRaised);
  EXPECT_EQ(styles.Active(), fstRaised);
  EXPECT_EQ(styles.Disabled(), fstPushed);
  TLabelColors colors;
  EXPECT_EQ(colors.Text(), 0u);
  EXPECT_EQ(colors.TextDisabled(), 0x808080u);
  EXPECT_EQ(colors.Delineate(), 0xFFFFFFu);
  EXPECT_EQ(colors.Shadow(), 0xFF000010u);
  EXPECT_EQ(colors.Highlight(), 0xFF000014u);
  EXPECT_EQ(colors.Background(), 0xFF00000Fu);
  EXPECT_EQ(colors.TextActive(), 0u);
  EXPECT_EQ(colors.DelineateActive(), 0xFFFFFFu);
  EXPECT_FALSE(colors.AutoHighlight());
  EXPECT_FALSE(colors.AutoShadow());
  EXPECT_EQ(colors.ColorHighlightShift(), 40);
  EXPECT_EQ(colors.ColorShadowShift(), 60);
  EXPECT_EQ(colors.BackgroundActive(), 0xFF00000Fu);
}

TEST(Options, NotifyOnlyOnARealChange) {
  TSimGdi gdi;
  TCounted<TGradient> g(&gdi);
  g.SetSteps(255);
  g.SetPercentFilling(100);
  g.SetFromColor(0x808080);
  EXPECT_EQ(g.Notes, 0);
  g.SetSteps(300);  // clamped to the value it has
  EXPECT_EQ(g.Notes, 0);
  g.SetSteps(10);
  g.SetPercentFilling(150);
  EXPECT_EQ(g.PercentFilling(), 100);
  g.SetActive(true);
  g.SetActive(true);
  EXPECT_EQ(g.Notes, 2);

  TCounted<TBevelOptions> b;
  b.SetSides(kAllSides);
  b.SetInner(bvLowered);
  b.SetInner(bvLowered);
  EXPECT_EQ(b.Notes, 1);
}

TEST(Options, TwainColorsKeepTheirDirectValues) {
  TSimGdi gdi;
  TGradient g(&gdi);
  g.SetFromColor(clBtnFace);
  EXPECT_EQ(g.FromColor(), clBtnFace);
  EXPECT_EQ(g.RGBFrom(), 0xC0C0C0u);
  g.SetToColor(0x123456);
  EXPECT_EQ(g.RGBTo(), 0x123456u);
}

TEST(Options, AssignCopiesEveryFieldAndNotifiesAtTheEnd) {
  TSimGdi gdi;
  TExtBevelOptions source;
  source.SetInner(bvRaised);
  source.SetBold(true);
  source.SetBevelPenWidth(3);
  TCounted<TExtBevelOptions> bevel;
  bevel.Assign(source);
  EXPECT_EQ(bevel.Inner(), bvRaised);
  EXPECT_TRUE(bevel.Bold());
  EXPECT_EQ(bevel.BevelPenWidth(), 3);
  EXPECT_EQ(bevel.Notes, 1);

  TGradient from(&gdi);
  from.SetFromColor(0x0000FF);
  from.SetToColor(0x00FF00);
  from.SetSteps(7);
  TCounted<TGradient> gradient(&gdi);
  gradient.Assign(from);
  EXPECT_EQ(gradient.Steps(), 7);
  EXPECT_EQ(gradient.RGBTo(), 0x00FF00u);
  EXPECT_EQ(gradient.Notes, 3);  // each colour through its setter, then once more

  TCounted<TPointClass> point;
  TPointClass other;
  other.SetX(5);
  point.Assign(other);
  EXPECT_EQ(point.X(), 5);
  EXPECT_EQ(point.Notes, 1);
}

TEST(Options, AssignFromAnotherKindFails) {
  TSimGdi gdi;
  TPointClass point;
  TGradient gradient(&gdi);
  try {
    point.Assign(gradient);
    FAIL() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TGradient to a TPointClass");
  }
  TBevelOptions bevel;
  TExtBevelOptions ext;
  ext.SetInner(bvSpace);
  bevel.Assign(ext);  // a subclass is fine
  EXPECT_EQ(bevel.Inner(), bvSpace);
}
