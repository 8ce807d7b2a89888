#pragma once
// PawnIO's device with its LpcIO module, over a simulated Super I/O chip whose hardware
// monitor and floppy controller lead to the sensor chip and fan line of TSimChip. Answers as
// PawnIO 2.x and LpcIO 0.2.10 do (their published sources): the driver's statuses as the
// system turns them into errors; its version from 2.1 on; one module per handle; the module's
// cell counts where it declares them, nothing but a slot's selection before one is selected,
// port ranges found from the chip's logical devices, every other port refused, the PCI
// configuration ports always. An LpcIO before 0.1.6 has other names for its functions. Each
// call is recorded with whether the shared bus lock was held. Standalone (no other part of the
// simulated machine), so the Wine tests' stand-in driver can be built from it.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/PawnIo.h"
#include "platform/Ports.h"

// A Super I/O chip's configuration: entered by 0x87, 0x87 to its index port, left by 0xAA;
// register 0x07 selects a logical device, 0x20 is the chip's ID, 0x30 the selected device's
// activation (bit 0), 0x60/0x61 and 0x62/0x63 its base addresses. A device the chip lacks reads
// all zeros.
class TSimSuperIo {
 public:
  struct TDevice {
    std::uint16_t Base = 0;
    std::uint16_t Base2 = 0;
    // Active, as the chips of this family come; a firmware setup that disables a device may
    // clear only this.
    bool Active = true;
  };
  std::uint8_t ChipId = 0x52;
  // The floppy controller (0x00) owns the fan line's port; the hardware monitor is 0x0B.
  std::map<std::uint8_t, TDevice> Devices{{0x00, {0x3F0, 0}}, {0x0B, {0x290, 0}}};
  // Some chips' select register does not read back what was written.
  bool SelectReadsBack = true;

  void WriteIndex(std::uint8_t value);
  std::uint8_t ReadData();
  void WriteData(std::uint8_t value);
  bool ConfigMode() const { return FConfig; }
  std::uint8_t Register(std::uint8_t index) const;

 private:
  bool FConfig = false;
  int FKeys = 0;
  std::uint8_t FIndex = 0;
  std::uint8_t FSelected = 0;
};

struct TPawnIoCall {
  std::string Name;
  std::vector<std::uint64_t> In;
  THResult Result = S_OK;
  bool LockHeld = false;
};

class TSimPawnIo : public IPawnIo {
 public:
  // `chip`: the ports behind the monitor's and the floppy controller's ranges.
  explicit TSimPawnIo(IPortBus& chip) : FChip(chip) {}

  THResult Open(HPawnIo& handle) override;
  THResult Version(HPawnIo handle, std::uint32_t& version) override;
  THResult Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) override;
  THResult Execute(HPawnIo handle, const char* name, const std::uint64_t* in, std::size_t inCount,
                   std::uint64_t* out, std::size_t outCount, std::size_t& returned) override;
  THResult Close(HPawnIo handle) override;

  // ---- the machine -------------------------------------------------------
  // The driver's version as 2.1 and later answer it; 0: a driver of 2.0 or earlier, which
  // does not know the question.
  std::uint32_t DriverVersion = 0x00020200;
  // PawnIO 1.0's driver: its VM lacks natives LpcIO calls, and takes no module.
  bool FirstRelease = false;
  // Without its driver there is no device to open.
  bool DriverRunning = true;
  // The device is for SYSTEM and administrators; without this, every open is allowed.
  std::function<bool()> Elevated;
  // The modules the driver's signature check lets through: LpcIO as this program needs it,
  // and one of LpcIO 0.1.0 to 0.1.5.
  static const std::vector<std::uint8_t> SignedModule;
  static const std::vector<std::uint8_t> OldSignedModule;
  // The slot (0: 0x2E/0x2F, 1: 0x4E/0x4F) the chip answers on; the other is empty.
  int ChipSlot = 0;
  TSimSuperIo SuperIo;
  std::function<bool()> LockHeld;

  // ---- inspection --------------------------------------------------------
  std::vector<TPawnIoCall> Calls;
  int OpenHandles() const { return static_cast<int>(FOpen.size()); }
  // The bases the last ioctl_find_bars kept: a port is granted when port & 0xFFF8 is one.
  const std::set<std::uint16_t>& Ranges() const { return FRanges; }

 private:
  THResult Run(const std::string& name, const std::vector<std::uint64_t>& in,
               std::vector<std::uint64_t>& out);
  bool Allowed(std::uint16_t port) const;
  THResult FindBars();
  void KeepBase(std::uint16_t first, std::uint16_t second);
  std::uint8_t SuperIoIn(std::uint8_t reg);
  void SuperIoOut(std::uint8_t reg, std::uint8_t value);
  std::uint8_t PortIn(std::uint16_t port);
  void PortOut(std::uint16_t port, std::uint8_t value);
  std::uint16_t SlotIndexPort() const { return FSlot == 0 ? 0x2E : 0x4E; }
  bool ChipHere() const { return FSlot == ChipSlot; }
  bool Old(std::uintptr_t handle) const;

  IPortBus& FChip;
  std::set<std::uintptr_t> FOpen;
  // Each handle with a module: whether it is the old one.
  std::map<std::uintptr_t, bool> FModules;
  std::uintptr_t FNextHandle = 0x40;
  int FSlot = -1;  // none selected
  std::set<std::uint16_t> FRanges;
};
