// The LpcIO module a release embeds in the 64-bit program, and a LpcIO.bin beside the
// executable, which comes first.
#include <gtest/gtest.h>

#include "hw/LpcModule.h"
#include "tests/support/SimFixture.h"

TEST(LpcModule, TheFileBesideComesFirstThenTheEmbeddedOne) {
  const std::vector<std::uint8_t> unsigned_ = {'o', 'l', 'd'};
  const std::vector<std::uint8_t>& signed_ = TSimPawnIo::SignedModule;
  struct TCase {
    const std::vector<std::uint8_t>* Beside;
    const std::vector<std::uint8_t>* Embedded;
    const char* Line;  // the tip's last line; null: readings
  } cases[] = {
      {nullptr, &signed_, nullptr},
      {&signed_, &unsigned_, nullptr},
      {&unsigned_, &signed_, "PawnIO refused LpcIO.bin: use the signed module"},
      {nullptr, nullptr, "LpcIO.bin is missing beside kelvane.exe"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Line ? c.Line : "readings");
    TSimProgram program;
    program.UsePawnIo();
    program.Sim.System.RemoveFile(program.ModulePath());
    if (c.Beside) program.Sim.System.AddFile(program.ModulePath(), *c.Beside);
    if (c.Embedded) program.Sim.System.Resources[kLpcModuleResource] = *c.Embedded;
    program.Start();
    program.RunFor(5000);
    std::string tip = program.EntryTip();
    if (c.Line)
      EXPECT_EQ(tip.substr(tip.rfind('\n') + 1), c.Line);
    else
      EXPECT_EQ(tip.substr(0, 5), "CPU: ") << tip;
    EXPECT_TRUE(program.Sim.System.Boxes.empty());
  }
}
