#include "platform/sim/SimPlatform.h"

TSimPlatform::TSimPlatform() : FPlatform{Chip, System, Windows, Gdi, Registry, Shell} {
  Chip.SetReachable([this] { return System.PortsReachable(); });
  Windows.OnBeginPaint = [this](HWnd window, const TRect& client) {
    return Gdi.BeginWindowPaint(window, client);
  };
  Windows.OnEndPaint = [this](HWnd window) { Gdi.EndWindowPaint(window); };
}
