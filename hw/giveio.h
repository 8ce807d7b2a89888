#pragma once
// Port primitives and port-access enablement through the "giveio" kernel driver.
#include <cstdint>
#include <string>

#include "platform/Ports.h"
#include "platform/System.h"

// Set to "giveio" by each enablement on the NT path; service, display and device name.
extern std::string DriverName;

// One byte-wide port output / input. A refused access throws EPrivilegedInstruction.
void PortOut(IPortBus& ports, std::uint16_t port, std::uint8_t value);
std::uint8_t PortIn(IPortBus& ports, std::uint16_t port);

// 1 when ports are open to user programs without help (the 9x family), else 0.
int IsWin9x(ISystem& system);

// Registers, starts and opens the port driver where the system needs it. Safe to repeat;
// silent except for the missing-driver box. Leaves no handle open.
void EnablePortAccess(ISystem& system);

// The directory of a full path, up to and including the last "\" or ":".
std::string ExtractFilePath(const std::string& path);
