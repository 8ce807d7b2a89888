// The simulated PawnIO device and LpcIO module, which the program's PawnIO path is tested
// against. Their answers are those of PawnIO's published sources (2.x: src/driver.cpp's
// dispatch_irp, src/vm.cpp's vm_execute_function, include/pawnio_um.h's control codes; 1.0's
// VM without microsleep) and of PawnIO.Modules' LpcIO.p (0.2.10, and 0.1.5 for the old names):
// the driver's status as the system turns it into an error, which PawnIOLib.cpp's
// nt_to_hresult gives too.
#include <gtest/gtest.h>

#include "platform/sim/SimPawnIo.h"
#include "platform/sim/SimPlatform.h"

namespace {
struct TModule {
  TSimPlatform Sim;
  HPawnIo Handle = HPawnIo::None;
  explicit TModule(bool selectSlot = true,
                   const std::vector<std::uint8_t>& module = TSimPawnIo::SignedModule) {
    Sim.Chip.SetReachable({});
    Sim.PawnIo.Open(Handle);
    Sim.PawnIo.Load(Handle, module);
    if (selectSlot) Run("ioctl_select_slot", {0});
  }
  THResult Run(const char* name, std::vector<std::uint64_t> in, std::size_t outCount = 0) {
    std::uint64_t out[4] = {};
    std::size_t returned = 0;
    return Sim.PawnIo.Execute(Handle, name, in.data(), in.size(), out, outCount, returned);
  }
  void EnterAndFindBars() {
    Run("ioctl_pio_outb", {0x2E, 0x87});
    Run("ioctl_pio_outb", {0x2E, 0x87});
    Run("ioctl_find_bars", {});
  }
};

// One cell in, none out.
THResult RunOn(TSimPawnIo& pawnIo, HPawnIo handle, const char* name) {
  std::uint64_t slot = 0;
  std::size_t returned = 0;
  return pawnIo.Execute(handle, name, &slot, 1, nullptr, 0, returned);
}
}  // namespace

TEST(SimPawnIo, CellCountsPortsAndRanges) {
  struct TCase {
    const char* Name;
    std::vector<std::uint64_t> In;
    std::size_t Out;
    bool InConfiguration;  // entered, and the ranges sought
    THResult Result;
    std::uint8_t ChipId = 0x52;
    bool SlotSelected = true;
  };
  const TCase cases[] = {
      {"ioctl_pio_inb", {0x2E, 0}, 1, false, E_INVALIDARG},  // one cell too many
      {"ioctl_pio_inb", {0x2F}, 0, false, E_INVALIDARG},     // no cell for the byte
      {"ioctl_select_slot", {}, 0, false, E_INVALIDARG},
      {"ioctl_select_slot", {1}, 3, false, S_OK},  // a count of 0 is not checked
      {"ioctl_find_bars", {7, 7}, 2, true, S_OK},  // nor are undeclared ones
      {"ioctl_pio_inb", {0x2F}, 1, false, S_OK},
      {"ioctl_pio_inb", {0x25D}, 1, false, S_OK},
      {"ioctl_pio_inb", {0x296}, 1, false, E_ACCESSDENIED},  // no range found yet
      {"ioctl_pio_inb", {0x296}, 1, true, S_OK},
      {"ioctl_pio_inb", {0x10296}, 1, true, S_OK},  // the port's low 16 bits
      {"ioctl_pio_outb", {0x3F2, 0x14}, 0, true, S_OK},
      {"ioctl_pio_outb", {0x3F8, 0x14}, 0, true, E_ACCESSDENIED},
      {"ioctl_pio_inb", {0x4E}, 1, true, E_ACCESSDENIED},  // the other slot's index port
      {"ioctl_pio_inb", {0xCFC}, 1, true, E_ACCESSDENIED},
      {"ioctl_find_bars", {}, 0, false, kPawnIoNotFound},       // outside configuration mode
      {"ioctl_find_bars", {}, 0, true, kPawnIoNotFound, 0xFF},  // no valid chip ID
      {"ioctl_pio_inb", {0x296}, 1, true, E_ACCESSDENIED, 0xFF},
      {"ioctl_superio_inb", {0x20}, 1, true, S_OK},
      {"ioctl_read_msr", {0x10}, 1, false, kPawnIoNoSuchName},
      {"read_msr", {0x10}, 1, false, E_INVALIDARG},  // the driver runs only ioctl_ functions
      {"ioctl_pio_inb", {0x2F}, 1, false, kPawnIoNotReady, 0x52, false},
      {"ioctl_find_bars", {}, 0, false, kPawnIoNotReady, 0x52, false},
      {"ioctl_superio_inb", {0x20}, 1, false, kPawnIoNotReady, 0x52, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Name << " " << (c.In.empty() ? 0 : c.In[0]));
    TModule module(c.SlotSelected);
    module.Sim.PawnIo.SuperIo.ChipId = c.ChipId;
    module.Sim.PawnIo.SuperIo.Devices[0x03] = {0xCF8, 0};  // a range over PCI's ports
    if (c.InConfiguration) module.EnterAndFindBars();
    EXPECT_EQ(module.Run(c.Name, c.In, c.Out), c.Result);
  }
}

// Bases are kept as read, only one that ends in 5 taken to its boundary; a port is granted
// when port & 0xFFF8 is a kept base; a chip whose select register does not read back gives
// none.
TEST(SimPawnIo, BasesKeptAsRead) {
  TModule module;
  auto& devices = module.Sim.PawnIo.SuperIo.Devices;
  devices[0x05] = {0x2A5, 0x80};  // the second below the fixed range: not kept
  devices[0x06] = {0x2B1, 0};
  module.EnterAndFindBars();
  EXPECT_EQ(module.Sim.PawnIo.Ranges(), (std::set<std::uint16_t>{0x290, 0x2A0, 0x2B1, 0x3F0}));
  EXPECT_EQ(module.Run("ioctl_pio_inb", {0x2A7}, 1), S_OK);
  EXPECT_EQ(module.Run("ioctl_pio_inb", {0x2B1}, 1), E_ACCESSDENIED);

  TModule blind;
  blind.Sim.PawnIo.SuperIo.SelectReadsBack = false;
  blind.EnterAndFindBars();
  EXPECT_TRUE(blind.Sim.PawnIo.Ranges().empty());
}

// The device's answers to its three control codes, before and after a module.
TEST(SimPawnIo, DeviceAnswers) {
  using TCall = THResult (*)(TSimPawnIo&, HPawnIo);
  struct TCase {
    const char* What;
    bool Module;  // the signed one loaded on the handle first
    TCall Call;
    THResult Result;
  };
  const TCase cases[] = {
      {"execute before a load: STATUS_INVALID_PARAMETER", false,
       [](TSimPawnIo& p, HPawnIo h) { return RunOn(p, h, "ioctl_select_slot"); }, E_INVALIDARG},
      {"a name without ioctl_", true,
       [](TSimPawnIo& p, HPawnIo h) { return RunOn(p, h, "select_slot"); }, E_INVALIDARG},
      {"a name of 32 characters", true,
       [](TSimPawnIo& p, HPawnIo h) { return RunOn(p, h, "ioctl_select_slot_and_some_more_"); },
       E_INVALIDARG},
      {"an unknown function: STATUS_OBJECT_NAME_NOT_FOUND", true,
       [](TSimPawnIo& p, HPawnIo h) { return RunOn(p, h, "ioctl_read_msr"); }, kPawnIoNoSuchName},
      {"a second load: STATUS_ALREADY_INITIALIZED", true,
       [](TSimPawnIo& p, HPawnIo h) { return p.Load(h, TSimPawnIo::SignedModule); },
       kPawnIoAlreadyLoaded},
      {"a module whose signature fails", false,
       [](TSimPawnIo& p, HPawnIo h) {
         return p.Load(h, {'L', 'p', 'c'});
       },
       static_cast<THResult>(0x80096010)},
      {"1.0's VM, which lacks natives of LpcIO: STATUS_UNSUCCESSFUL", false,
       [](TSimPawnIo& p, HPawnIo h) {
         p.FirstRelease = true;
         return p.Load(h, TSimPawnIo::SignedModule);
       },
       kPawnIoUnsuccessful},
      {"the version, 2.1 and later", false,
       [](TSimPawnIo& p, HPawnIo h) {
         std::uint32_t version = 0;
         THResult result = p.Version(h, version);
         return version == 0x00020200 ? result : E_FAIL;
       },
       S_OK},
      {"the version from 2.0: STATUS_NOT_IMPLEMENTED", false,
       [](TSimPawnIo& p, HPawnIo h) {
         std::uint32_t version = 0;
         p.DriverVersion = 0;
         return p.Version(h, version);
       },
       kPawnIoUnknownCode},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TModule module(false);
    HPawnIo handle = HPawnIo::None;
    ASSERT_EQ(module.Sim.PawnIo.Open(handle), S_OK);
    if (c.Module) {
      ASSERT_EQ(module.Sim.PawnIo.Load(handle, TSimPawnIo::SignedModule), S_OK);
    }
    EXPECT_EQ(c.Call(module.Sim.PawnIo, handle), c.Result);
  }

  TModule module;
  HPawnIo bare = HPawnIo::None;
  module.Sim.PawnIo.DriverRunning = false;
  EXPECT_EQ(module.Sim.PawnIo.Open(bare), kPawnIoNoSuchName);
  module.Sim.PawnIo.DriverRunning = true;
  module.Sim.PawnIo.Elevated = [] { return false; };
  EXPECT_EQ(module.Sim.PawnIo.Open(bare), E_ACCESSDENIED);

  // LpcIO 0.1.0 to 0.1.5: none of this program's functions.
  TModule old(false, TSimPawnIo::OldSignedModule);
  EXPECT_EQ(old.Run("ioctl_select_slot", {0}), kPawnIoNoSuchName);
  EXPECT_EQ(old.Run("ioctl_pio_inb", {0x2F}, 1), kPawnIoNoSuchName);
  EXPECT_EQ(old.Run("ioctl_pio_read", {0x2F}, 1), kPawnIoNotReady);
}
