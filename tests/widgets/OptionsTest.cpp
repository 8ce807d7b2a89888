// Option objects: change notification and copying (what their defaults paint, the widgets'
// pictures show).
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
