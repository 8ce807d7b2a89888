// The LpcIO module a release embeds in the 64-bit program, and a LpcIO.bin beside it: tried
// first, but never in the embedded module's way. PawnIO's signature check is the driver's: only
// the simulated machine can decide it.
#include <gtest/gtest.h>

#include "framework/Strings.h"
#include "hw/LpcModule.h"
#include "tests/support/SimFixture.h"

TEST(LpcModule, TheFileBesideIsTriedFirstAndNeverTakesTheEmbeddedOneAway) {
  const std::vector<std::uint8_t> good = TSimPawnIo::SignedModule,
                                  old = TSimPawnIo::OldSignedModule, bad = {'L', 'p', 'c'}, none;
  struct TCase {
    std::vector<std::uint8_t> Beside;
    bool BesideProtected;
    std::vector<std::uint8_t> Embedded;
    const char* Line;  // the tip's fourth line, after the readings; null: none
    bool Readings;
  };
  const TCase cases[] = {
      {none, true, good, nullptr, true},
      {good, true, bad, nullptr, true},  // the file beside is used when it may be
      {bad, true, good, "LpcIO.bin ignored, PawnIO refused it: built-in used", true},
      {old, true, good, "LpcIO.bin ignored, too old: the built-in module used", true},
      {old, false, good, "LpcIO.bin ignored, others may change it: built-in used", true},
      {none, false, good, nullptr, true},
      // Without an embedded module the file beside is the only one, wherever it lies.
      {good, false, none, nullptr, true},
      {bad, true, none, "PawnIO refused LpcIO.bin: use the signed module", false},
      {old, true, none, "LpcIO.bin is too old: get PawnIO.Modules 0.2.10 or later", false},
      {none, true, none, "LpcIO.bin is missing beside kelvane.exe", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.Line ? c.Line : "readings") << ", beside "
                                    << c.Beside.size() << " bytes, protected " << c.BesideProtected
                                    << ", embedded " << c.Embedded.size() << " bytes");
    TSimProgram program;
    program.UsePawnIo();
    program.Sim.System.RemoveFile(program.ModulePath());
    if (!c.Beside.empty()) program.Sim.System.AddFile(program.ModulePath(), c.Beside);
    if (!c.BesideProtected) {
      TAccessList writable = TSimSystem::ProtectedList;
      writable.Entries.push_back({true, 0x001301BF, "S-1-5-11", false});  // modify
      std::string folder = ExtractFilePath(program.ModulePath());
      program.Sim.System.SetAccessList(folder.substr(0, folder.size() - 1), writable);
    }
    if (!c.Embedded.empty()) program.Sim.System.Resources[kLpcModuleResource] = c.Embedded;
    program.Start();
    program.RunFor(10000);
    std::string tip = program.EntryTip();
    std::string readings = c.Readings ? "CPU: 45\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off"
                                      : "CPU: no reading\nMotherboard: no reading\n"
                                        "Fan boost: unknown";
    EXPECT_EQ(tip, readings + (c.Line ? std::string("\n") + c.Line : ""));
    if (c.Readings) {
      EXPECT_EQ(program.Sim.PawnIo.OpenHandles(), 1);
    }
  }
}
