#include "tests/support/SimFixture.h"

#include <stdexcept>

#include "framework/Strings.h"

TSimProgram::TSimProgram() {
  auto giveIo = std::make_unique<TGiveIo>(Sim.System, Sim.Platform().Ports);
  FGiveIo = giveIo.get();
  FPorts = std::move(giveIo);
  Sim.System.AddFile(DriverPath());
  Sim.Chip.SetTemperatures(45, 30);
}

TSimProgram::~TSimProgram() { Free(); }

std::string TSimProgram::DriverPath() const {
  return ExtractFilePath(Sim.System.ExePath) + "giveio.sys";
}

std::string TSimProgram::ModulePath() const {
  return ExtractFilePath(Sim.System.ExePath) + "LpcIO.bin";
}

void TSimProgram::UsePawnIo() {
  Sim.Registry.SetString(HKEY_LOCAL_MACHINE, kPawnIoUninstallKey, "InstallLocation",
                         "C:\\Program Files\\PawnIO");
  Sim.System.AddFile(ModulePath(), TSimPawnIo::SignedModule);
  Sim.Chip.SetReachable({});  // the module reaches the ports from the kernel
  FGiveIo = nullptr;
  FPorts = std::make_unique<TPawnIoAccess>(Sim.PawnIo, Sim.System, Sim.Registry, Sim.System);
}

TForm1& TSimProgram::Start() {
  FProgram = std::make_unique<TProgram>(Sim.Platform(), *FPorts);
  if (!FProgram->Start()) throw std::logic_error("another program runs on this machine");
  Form = FProgram->Form();
  return *Form;
}

void TSimProgram::Free() {
  FProgram.reset();
  Form = nullptr;
}

void TSimProgram::Close() {
  Sim.Windows.PostMessage(Form->Handle(), WM_CLOSE, 0, 0);
  Sim.RunFor(0);
  Free();
}

std::vector<std::uint8_t> TSimProgram::FanWrites() const {
  std::vector<std::uint8_t> writes;
  for (const TPortAccess& a : Sim.Chip.Log())
    if (a.Port == TSimChip::FanPort && a.Write && !a.Faulted) writes.push_back(a.Value);
  return writes;
}

std::string TSimProgram::EntryTip() const {
  if (Sim.Shell.Entries.size() != 1) return "(no entry)";
  return TSimShell::TipText(Sim.Shell.Entries.begin()->second);
}
