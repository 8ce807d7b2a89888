#include "hw/PortAccess.h"

#include <iterator>

namespace {
// When the tip names a cause, besides a refused access.
enum class TSaid {
  Refused,  // only then
  Skipped,  // also in place of the bus's cause when the lock kept a refresh out
  FanLine,  // also while the fan line cannot be written
  Always,   // also while the readings come
};

struct TCause {
  TReadingFault Fault;
  const char* Line;
  TSaid Said = TSaid::Refused;
};

// Plain words a user can act on, at most 60 characters each: the tip's other lines take 67 at
// the most.
constexpr TCause kCauses[] = {
    {TReadingFault::PortsRefused, "Ports refused: giveio not running (run as administrator)"},
    {TReadingFault::Wow64, "No readings on 64-bit Windows: use the 64-bit Kelvane"},
    {TReadingFault::BusHeld, "No readings: the sensor bus is held by another monitor"},
    {TReadingFault::BusNameTaken, "No readings: another object has the bus lock's name"},
    {TReadingFault::BusLockFailed, "No readings: the sensor bus lock cannot be opened"},
    {TReadingFault::BusSquatted, "No readings: bus lock kept 30 s; chip found without it",
     TSaid::Skipped},
    {TReadingFault::DriverUnprotected, "Other users can replace giveio.sys: use Kelvane's setup"},
    {TReadingFault::RegistrationUnprotected,
     "Registered driver lies where other users can replace it"},
    {TReadingFault::DeviceRefused, "giveio runs but refused our open (run as administrator)"},
    {TReadingFault::PathUnusable, "The path of Kelvane's folder cannot be used: move Kelvane"},
    {TReadingFault::DeviceUnprotected,
     "Port driver open to all users: could not protect its device", TSaid::Always},
    {TReadingFault::DriverStopped, "Port driver stopped: could not protect its device",
     TSaid::Always},
    {TReadingFault::PawnIoMissing, "PawnIO is not installed: install it for readings"},
    {TReadingFault::PawnIoOld, "PawnIO is older than 2.0: update it"},
    {TReadingFault::PawnIoDenied, "PawnIO refused its device: run as administrator"},
    {TReadingFault::PawnIoNoDriver, "PawnIO driver not running: restart Windows or reinstall it"},
    {TReadingFault::ModuleMissing, "LpcIO.bin is missing beside kelvane.exe"},
    {TReadingFault::ModuleRefused, "PawnIO refused LpcIO.bin: use the signed module"},
    {TReadingFault::ModuleOld, "LpcIO.bin is too old: get PawnIO.Modules 0.2.10 or later"},
    {TReadingFault::BesideUnprotected, "LpcIO.bin ignored, others may change it: built-in used",
     TSaid::Always},
    {TReadingFault::BesideRefused, "LpcIO.bin ignored, PawnIO refused it: built-in used",
     TSaid::Always},
    {TReadingFault::BesideOld, "LpcIO.bin ignored, too old: the built-in module used",
     TSaid::Always},
    {TReadingFault::NoChip, "No known monitor chip at 0x290 on this board"},
    {TReadingFault::FanLineUnreachable, "The fan line cannot be reached on this board",
     TSaid::FanLine},
    {TReadingFault::FloppyDisabled, "No fan line: floppy controller disabled in firmware setup",
     TSaid::FanLine},
    {TReadingFault::FloppyMoved, "No fan line: floppy controller not at 3F0 in firmware setup",
     TSaid::FanLine},
};
static_assert(std::size(kCauses) == static_cast<std::size_t>(TReadingFault::Last),
              "every cause has its words");

const TCause* Cause(TReadingFault fault) {
  for (const TCause& cause : kCauses)
    if (cause.Fault == fault) return &cause;
  return nullptr;
}
}  // namespace

const char* FaultLine(TReadingFault fault) {
  const TCause* cause = Cause(fault);
  return cause ? cause->Line : nullptr;
}

TReadingFault TipFault(TReadingFault fault, const TSensorReadings& readings, bool fanWritten) {
  const TCause* cause = Cause(fault);
  TSaid said = cause ? cause->Said : TSaid::Refused;
  if (readings.Skipped()) return said == TSaid::Skipped ? fault : BusFault(readings.Bus);
  if (readings.Refused || said == TSaid::Always || (said == TSaid::FanLine && !fanWritten))
    return fault;
  return TReadingFault::None;
}

TReadingFault BusFault(TBusAccess access) {
  switch (access) {
    case TBusAccess::NameTaken:
      return TReadingFault::BusNameTaken;
    case TBusAccess::Failed:
      return TReadingFault::BusLockFailed;
    case TBusAccess::Busy:
    case TBusAccess::Refused:
      return TReadingFault::BusHeld;
    case TBusAccess::Held:
      break;
  }
  return TReadingFault::None;
}
