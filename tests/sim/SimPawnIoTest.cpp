// The simulated LpcIO module's rules, which the program's PawnIO path is tested against.
#include <gtest/gtest.h>

#include "platform/sim/SimPawnIo.h"
#include "platform/sim/SimPlatform.h"

namespace {
struct TModule {
  TSimPlatform Sim;
  HPawnIo Handle = HPawnIo::None;
  TModule() {
    Sim.Chip.SetReachable({});
    Sim.PawnIo.Open(Handle);
    Sim.PawnIo.Load(Handle, TSimPawnIo::SignedModule);
  }
  THResult Run(const char* name, std::vector<std::uint64_t> in, std::size_t outCount = 0) {
    std::uint64_t out[2] = {};
    std::size_t returned = 0;
    return Sim.PawnIo.Execute(Handle, name, in.data(), in.size(), out, outCount, returned);
  }
};
}  // namespace

TEST(SimPawnIo, CellCountsPortsAndRanges) {
  struct TCase {
    const char* Name;
    std::vector<std::uint64_t> In;
    std::size_t Out;
    bool InConfiguration;  // entered, and the ranges sought
    THResult Result;
    std::uint8_t ChipId = 0x52;
  };
  const TCase cases[] = {
      {"ioctl_pio_inb", {0x2E, 0}, 1, false, E_INVALIDARG},  // one cell too many
      {"ioctl_pio_inb", {0x2F}, 0, false, E_INVALIDARG},     // no cell for the byte
      {"ioctl_select_slot", {}, 0, false, E_INVALIDARG},
      {"ioctl_pio_inb", {0x2F}, 1, false, S_OK},
      {"ioctl_pio_inb", {0x25D}, 1, false, S_OK},
      {"ioctl_pio_inb", {0x296}, 1, false, E_ACCESSDENIED},  // no range found yet
      {"ioctl_pio_inb", {0x296}, 1, true, S_OK},
      {"ioctl_pio_outb", {0x3F2, 0x14}, 0, true, S_OK},
      {"ioctl_pio_outb", {0x3F8, 0x14}, 0, true, E_ACCESSDENIED},
      {"ioctl_pio_inb", {0x4E}, 1, true, E_ACCESSDENIED},  // the other slot's index port
      {"ioctl_pio_inb", {0xCFC}, 1, true, E_ACCESSDENIED},
      {"ioctl_find_bars", {}, 0, false, kPawnIoNotFound},       // outside configuration mode
      {"ioctl_find_bars", {}, 0, true, kPawnIoNotFound, 0xFF},  // no valid chip ID
      {"ioctl_pio_inb", {0x296}, 1, true, E_ACCESSDENIED, 0xFF},
      {"ioctl_superio_inb", {0x20}, 1, true, S_OK},
      {"ioctl_read_msr", {0x10}, 1, false, kPawnIoNotFound},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Name << " " << (c.In.empty() ? 0 : c.In[0]));
    TModule module;
    module.Sim.PawnIo.SuperIo.ChipId = c.ChipId;
    if (c.InConfiguration) {
      module.Sim.PawnIo.SuperIo.Devices[0x03] = {0xCF8, 0};  // a range over PCI's ports
      module.Run("ioctl_pio_outb", {0x2E, 0x87});
      module.Run("ioctl_pio_outb", {0x2E, 0x87});
      module.Run("ioctl_find_bars", {});
    }
    EXPECT_EQ(module.Run(c.Name, c.In, c.Out), c.Result);
  }
}
