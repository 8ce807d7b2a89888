// A fault of the library inside a paint, on the real system and with the product's own
// runtime pieces: a windowless control whose every paint asks a text for a position past its
// end. The fault is no drawing failure of the program's, so the paint must not swallow it: it
// reaches the application's report, a stop box captioned with the title ("Kelvane"), as it
// does in the native build. Prints how the fault is classed, then runs until it is ended.
//
//   paintfault     "name value" lines: fault_is_program_exception (expected 0),
//                  fault_is_std_exception (expected 1), fault_message
#include <cstdio>
#include <string>

#include "framework/Forms.h"
#include "framework/GraphicControl.h"
#include "platform/Exception.h"
#include "platform/win32/Win32Platform.h"

namespace {
class TNoPorts : public IPortBus {
 public:
  std::uint8_t In(std::uint16_t) override { return 0; }
  void Out(std::uint16_t, std::uint8_t) override {}
};

// The second character of a one-character reading: a layout slip the library's range check
// catches.
std::size_t SecondCharacterLength(const std::string& reading) { return reading.substr(3).size(); }

class TFaultyReading : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    // Every paint faults: a second paint would show a second report.
    SecondCharacterLength("47");
    Canvas().Brush().SetColor(clWhite);
    Canvas().FillRect({0, 0, Width(), Height()});
  }
};
}  // namespace

int main() {
  int programException = 0, stdException = 0;
  std::string message;
  try {
    SecondCharacterLength("47");
  } catch (const Exception& e) {
    programException = 1;
    message = e.what();
  } catch (const std::exception& e) {
    stdException = 1;
    message = e.what();
  }
  std::printf("fault_is_program_exception %d\n", programException);
  std::printf("fault_is_std_exception %d\n", stdException);
  std::printf("fault_message %s\n", message.c_str());
  std::fflush(stdout);

  TNoPorts ports;
  TWin32Platform win32(&ports);
  TApplication application(win32.Platform());
  application.SetTitle("Kelvane");
  auto* form = application.CreateForm<TForm>();
  form->SetCaption(" Paint fault");
  form->SetClientWidth(120);
  form->SetClientHeight(60);
  auto* reading = NewComponent<TFaultyReading>(form);
  reading->SetBounds(10, 10, 40, 25);
  reading->SetParent(form);
  application.Run();
  return 0;
}
