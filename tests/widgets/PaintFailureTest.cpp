// Painting never reports its own failures (what was drawn stays), but a fault that is no
// drawing failure (out of memory, a broken invariant) reaches the application's report.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "framework/Forms.h"
#include "framework/GraphicControl.h"
#include "platform/Exception.h"
#include "tests/widgets/WidgetRig.h"

namespace {
constexpr TColorRef kInk = 0x0000FF;

// Draws one pixel, then fails the way it is told to.
class TFailingControl : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  std::function<void()> Fail;

 protected:
  void Paint() override {
    Canvas().SetPixel(0, 0, static_cast<TColor>(kInk));
    if (Fail) Fail();
  }
};

struct TFailureCase {
  const char* Name;
  std::function<void()> Fail;
  const char* Reported;  // null: nothing reported
};
}  // namespace

TEST(PaintFailure, OwnFailuresAreSwallowedFaultsAreReported) {
  const TFailureCase cases[] = {
      {"none", nullptr, nullptr},
      {"conversion", [] { throw EConvertError("bad digit"); }, nullptr},
      {"refused port", [] { throw EPrivilegedInstruction(); }, nullptr},
      {"no memory", [] { throw std::bad_alloc(); }, "std::bad_alloc."},
      {"broken invariant", [] { throw std::logic_error("segment table"); }, "segment table."},
  };
  for (const TFailureCase& c : cases) {
    TWidgetRig rig(20, 20);
    TApplication application(rig.Sim.Platform());
    application.SetTitle("Kelvane");
    auto& control = rig.Add<TFailingControl>(2, 3, 5, 5);
    control.Fail = c.Fail;
    rig.Ground(0);
    rig.Paint();
    EXPECT_EQ(rig.At(2, 3), kInk) << c.Name;  // drawn before the failure: stays
    if (c.Reported) {
      ASSERT_EQ(rig.Sim.System.Boxes.size(), 1u) << c.Name;
      EXPECT_EQ(rig.Sim.System.Boxes[0].Text, c.Reported) << c.Name;
    } else {
      EXPECT_TRUE(rig.Sim.System.Boxes.empty()) << c.Name;
    }
    // Whatever happened, the paint was ended and every object given back.
    EXPECT_EQ(rig.Sim.Gdi.OpenCount(), 0u) << c.Name;
  }
}
