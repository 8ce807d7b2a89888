#pragma once
// Where the bytes of PawnIO's LpcIO module come from. A release may be built with the signed
// module inside the 64-bit kelvane.exe; a LpcIO.bin beside the executable still comes first, so
// a newer module needs no new build.
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

// The module's bytes, from the file beside the executable, else from the executable itself;
// None when there is neither.
TLpcModuleSource ReadLpcModule(ISystem& system, IFiles& files, std::vector<std::uint8_t>& bytes);
