#pragma once
// The simulated platform: one deterministic machine in-process, with a virtual clock.
// A test builds one, hands Platform() to the program, drives it and inspects every part.
#include "platform/Platform.h"
#include "platform/sim/SimChip.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimGdi.h"
#include "platform/sim/SimPawnIo.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimSystem.h"
#include "platform/sim/SimWindowing.h"

class TSimPlatform {
 public:
  TSimPlatform();
  TSimPlatform(const TSimPlatform&) = delete;
  TSimPlatform& operator=(const TSimPlatform&) = delete;

  TSimClock Clock;
  TSimWindowing Windows{Clock};
  TSimSystem System{Clock, Windows};
  TSimChip Chip{[this] { return Clock.Now(); }};
  TSimGdi Gdi;
  TSimRegistry Registry;
  TSimShell Shell;
  // PawnIO with its LpcIO module, over the same chip: for a program linked with it.
  TSimPawnIo PawnIo{Chip};

  TPlatform& Platform() { return FPlatform; }
  const TPlatform& Platform() const { return FPlatform; }
  // The machine's ANSI code page (1252 unless set): how the ANSI calls read text bytes.
  void SetAnsiCodePage(int codePage) { Gdi.AnsiCodePage = codePage; }
  int AnsiCodePage() const { return Gdi.AnsiCodePage; }
  // Pumps messages and timers until the virtual clock has advanced by `milliseconds`.
  void RunFor(std::uint32_t milliseconds) { Windows.RunFor(milliseconds); }

 private:
  TPlatform FPlatform;
};
