// The LpcIO module a release embeds in the 64-bit program, and a LpcIO.bin beside it first.
#include <gtest/gtest.h>

#include "hw/LpcModule.h"
#include "tests/support/SimFixture.h"

TEST(LpcModule, TheFileBesideComesFirstThenTheEmbeddedOne) {
  const std::vector<std::uint8_t> good = TSimPawnIo::SignedModule, bad = {'o', 'l', 'd'}, none;
  const std::tuple<std::vector<std::uint8_t>, std::vector<std::uint8_t>, const char*> cases[] = {
      // beside, embedded, the tip's last line (null: readings)
      {none, good, nullptr},
      {good, bad, nullptr},
      {bad, good, "PawnIO refused LpcIO.bin: use the signed module"},
      {none, none, "LpcIO.bin is missing beside kelvane.exe"},
  };
  for (const auto& [beside, embedded, line] : cases) {
    SCOPED_TRACE(line ? line : "readings");
    TSimProgram program;
    program.UsePawnIo();
    program.Sim.System.RemoveFile(program.ModulePath());
    if (!beside.empty()) program.Sim.System.AddFile(program.ModulePath(), beside);
    if (!embedded.empty()) program.Sim.System.Resources[kLpcModuleResource] = embedded;
    program.Start();
    std::string tip = program.EntryTip();
    EXPECT_EQ(line ? tip.substr(tip.rfind('\n') + 1) : tip.substr(0, 5), line ? line : "CPU: ");
  }
}
