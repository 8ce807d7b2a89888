#pragma once
// A whole program on the simulated platform: the machine, the application and its window,
// started the way the executable starts.
#include <memory>

#include "app/Unit1.h"
#include "platform/sim/SimPlatform.h"

class TSimProgram {
 public:
  // Prepares the machine: driver file beside the executable, fixed temperatures.
  TSimProgram();
  ~TSimProgram();

  // Runs the entry sequence up to the message loop (the window is created, hidden).
  TForm1& Start();
  // Pumps the loop for a while of virtual time.
  void RunFor(std::uint32_t milliseconds) { Sim.RunFor(milliseconds); }
  // Ends the program as a close request does, and frees the window.
  void Close();

  std::string DriverPath() const;
  // The values written to the fan port so far.
  std::vector<std::uint8_t> FanWrites() const;

  TSimPlatform Sim;
  std::unique_ptr<TApplication> Application;
  TForm1* Form = nullptr;
};
