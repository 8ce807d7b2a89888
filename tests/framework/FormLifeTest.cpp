// A form's two-step life: OnCreate once its constructor has returned, OnDestroy before its
// destructor starts, whichever way the form is made and freed, without the form asking.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/Timer.h"
#include "platform/sim/SimPlatform.h"

namespace {
using TLog = std::vector<std::string>;

// A form that sets its handlers in its constructor, as a loaded form does, and notes what it
// can see from each of them.
class TLoggingForm : public TForm {
 public:
  explicit TLoggingForm(TComponent* owner) : TForm(owner), FLog(*Log) {
    NewComponent<TTimer>(this);
    OnCreate = {this, &TLoggingForm::FormCreate};
    OnDestroy = {this, &TLoggingForm::FormDestroy};
    FLog.push_back("constructed");
  }
  ~TLoggingForm() override { FLog.push_back("destructor"); }

  void FormCreate(TObject*) { FLog.push_back("create, main " + MainText()); }
  void FormDestroy(TObject*) {
    FLog.push_back("destroy, " + std::to_string(Components().size()) + " component");
  }

  // Where the next form made writes (CreateForm passes nothing on to the constructor).
  inline static TLog* Log = nullptr;

 private:
  std::string MainText() const {
    TApplication* application = TApplication::Of(Platform());
    return application && application->MainForm() == this ? "yes" : "no";
  }
  TLog& FLog;
};
}  // namespace

TEST(FormLife, TheMakingAndFreeingCodeRunsCreateAndDestroy) {
  struct TCase {
    const char* Name;
    std::function<void(TApplication&)> Make;
    const char* Create;
  };
  const TCase cases[] = {
      {"the application's first form, freed with the application",
       [](TApplication& application) { application.CreateForm<TLoggingForm>(); },
       "create, main yes"},
      {"a form owned by another form, freed with it",
       [](TApplication& application) {
         NewComponent<TLoggingForm>(application.CreateForm<TForm>());
       },
       "create, main no"},
  };
  for (const TCase& c : cases) {
    TSimPlatform sim;
    TLog log;
    TLoggingForm::Log = &log;
    auto application = std::make_unique<TApplication>(sim.Platform());
    c.Make(*application);
    EXPECT_EQ(log, (TLog{"constructed", c.Create})) << c.Name;
    application.reset();
    EXPECT_EQ(log, (TLog{"constructed", c.Create, "destroy, 1 component", "destructor"})) << c.Name;
  }
}
