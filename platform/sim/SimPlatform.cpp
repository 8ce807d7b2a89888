#include "platform/sim/SimPlatform.h"

TSimPlatform::TSimPlatform() : FPlatform{Chip, System, Windows, Gdi, Registry, Shell} {
  Chip.SetReachable([this] { return System.PortsReachable(); });
  PawnIo.Elevated = [this] { return System.Administrator(); };
  PawnIo.LockHeld = [this] { return System.MutexOwned("Global\\Access_ISABUS.HTP.Method"); };
  Windows.OnBeginPaint = [this](HWnd window, const TRect& client,
                                const std::vector<TRect>& region) {
    return Gdi.BeginWindowPaint(window, client, region);
  };
  Windows.OnEraseBackground = [this](HWnd, HDc dc, const TRect& client) {
    HGdiObj brush = Gdi.CreateSolidBrush(Gdi.GetSysColor(COLOR_BTNFACE));
    Gdi.FillRect(dc, client, brush);
    Gdi.DeleteObject(brush);
  };
  Windows.OnEndPaint = [this](HWnd window) { Gdi.EndWindowPaint(window); };
}
