#pragma once
// A whole program on the simulated platform: the machine, and the program started by the
// executable's own entry sequence.
#include <memory>

#include "app/Program.h"
#include "hw/PawnIoAccess.h"
#include "hw/giveio.h"
#include "platform/sim/SimPlatform.h"

inline constexpr char kPawnIoUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PawnIO";

class TSimProgram {
 public:
  // Prepares the machine: driver file beside the executable, fixed temperatures.
  TSimProgram();
  ~TSimProgram();

  // Runs the entry sequence up to the message loop (the window is created, hidden). The
  // program must be the first of the machine's.
  TForm1& Start();
  // Links the program with PawnIO, as the 64-bit product is: PawnIO installed by its setup
  // (2.2's: the uninstall entry), the signed LpcIO.bin beside the executable, an elevated
  // process. Before Start.
  void UsePawnIo();
  // The giveio access the program is linked with unless UsePawnIo was called.
  const TGiveIo& GiveIo() const { return *FGiveIo; }
  std::string ModulePath() const;
  // Pumps the loop for a while of virtual time.
  void RunFor(std::uint32_t milliseconds) { Sim.RunFor(milliseconds); }
  // Ends the program as a close request does, and frees the window.
  void Close();
  // Frees the program as the process's end does, whether the loop ended or not.
  void Free();
  TApplication* Application() const { return FProgram ? FProgram->Application() : nullptr; }

  std::string DriverPath() const;
  // The tip of the program's one tray entry as the shell has it, in UTF-8.
  std::string EntryTip() const;
  // The values written to the fan port so far.
  std::vector<std::uint8_t> FanWrites() const;

  TSimPlatform Sim;
  TForm1* Form = nullptr;

 private:
  TGiveIo* FGiveIo = nullptr;
  std::unique_ptr<IPortAccess> FPorts;
  std::unique_ptr<TProgram> FProgram;
};
