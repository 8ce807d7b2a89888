#include "platform/sim/SimPlatform.h"

TSimPlatform::TSimPlatform() : FPlatform{Chip, System, Windows, Gdi, Registry, Shell} {
  Chip.SetReachable([this] { return System.PortsReachable(); });
  Windows.OnBeginPaint = [this](HWnd window, const TRect& client,
                                const std::vector<TRect>& region) {
    return Gdi.BeginWindowPaint(window, client, region);
  };
  Windows.OnEraseBackground = [this](HWnd, THandle dc, const TRect& client) {
    THandle brush = Gdi.CreateSolidBrush(Gdi.GetSysColor(COLOR_BTNFACE));
    Gdi.FillRect(dc, client, brush);
    Gdi.DeleteObject(brush);
  };
  Windows.OnEndPaint = [this](HWnd window) { Gdi.EndWindowPaint(window); };
}
