#include "platform/win32/Win32Platform.h"

namespace {
IPortBus& Choose(IPortBus* given, std::unique_ptr<TWin32Ports>& real) {
  if (given) return *given;
  real = std::make_unique<TWin32Ports>();
  return *real;
}
}  // namespace

TWin32Platform::TWin32Platform(IPortBus* ports)
    : FPlatform{Choose(ports, FRealPorts), FSystem, FWindows, FGdi, FRegistry, FShell} {}
