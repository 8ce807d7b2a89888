#include "tests/support/SimFixture.h"

#include "framework/Strings.h"

TSimProgram::TSimProgram() {
  Sim.System.AddFile(DriverPath());
  Sim.Chip.SetTemperatures(45, 30);
}

TSimProgram::~TSimProgram() { Application.reset(); }

std::string TSimProgram::DriverPath() const {
  return ExtractFilePath(Sim.System.ExePath) + "giveio.sys";
}

TForm1& TSimProgram::Start() {
  Application = std::make_unique<TApplication>(Sim.Platform());
  Application->Initialize();
  Application->SetShowMainForm(false);
  Application->SetTitle("Kelvane");
  Form = Application->CreateForm<TForm1>();
  return *Form;
}

void TSimProgram::Close() {
  Sim.Windows.PostMessage(Form->Handle(), WM_CLOSE, 0, 0);
  Sim.RunFor(0);
  Application.reset();
  Form = nullptr;
}

std::vector<std::uint8_t> TSimProgram::FanWrites() const {
  std::vector<std::uint8_t> writes;
  for (const TPortAccess& a : Sim.Chip.Log())
    if (a.Port == TSimChip::FanPort && a.Write && !a.Faulted) writes.push_back(a.Value);
  return writes;
}
