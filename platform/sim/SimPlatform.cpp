#include "platform/sim/SimPlatform.h"

TSimPlatform::TSimPlatform() : FPlatform{Chip, System, Windows, Gdi, Registry, Shell} {
  Chip.SetReachable([this] { return System.PortsReachable(); });
}
