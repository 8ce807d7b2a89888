#pragma once
// Where PawnIO is installed, as its setups record it: the program and the setup ask the same.
#include <string>

#include "platform/Registry.h"
#include "platform/System.h"

inline constexpr char kPawnIoLibraryFile[] = "PawnIOLib.dll";

// The folder PawnIO's setup installed to, with its "\\", as UTF-8; empty when none is found.
std::string PawnIoFolder(IRegistry& registry, ISystem& system);

// Whether PawnIO is installed.
bool PawnIoInstalled(IRegistry& registry, ISystem& system);
