#pragma once
// Where the bytes of PawnIO's LpcIO module come from. A release may be built with the signed
// module inside the 64-bit kelvane.exe; a LpcIO.bin beside the executable is tried first, so a
// newer module needs no new build, but it never takes the embedded one away: it is tried only
// where no other user can change it, and one PawnIO refuses, or one too old, gives way.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/System.h"

// The file beside the executable, and the data resource the build embeds (cmake/
// KelvaneModule.cmake names it too).
inline constexpr char kLpcModuleFile[] = "LpcIO.bin";
inline constexpr char kLpcModuleResource[] = "LPCIO";

enum class TLpcModuleSource { None, Beside, Embedded };

struct TLpcModule {
  TLpcModuleSource Source = TLpcModuleSource::None;
  std::vector<std::uint8_t> Bytes;
  // The executable carries a module, which stands in for a file beside that cannot be used.
  bool Embedded = false;
  // A file beside was passed over: its place does not pass the load-place rule.
  bool BesideUnprotected = false;
};

// The module to load: the file beside the executable unless `skipBeside`, else the embedded
// one; Source None when there is neither. With no embedded module the file beside is read
// wherever it lies, as the only module there is (PawnIO checks its signature either way).
TLpcModule ReadLpcModule(ISystem& system, IFiles& files, bool skipBeside);
