#pragma once
// A parent window on the simulated machine with windowless widgets on it; a paint goes
// through the real paint path and leaves its pixels on the window's surface.
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "platform/sim/SimPlatform.h"

struct TWidgetRig {
  TSimPlatform Sim;
  TWinControl Parent{nullptr, &Sim.Platform()};
  HWnd Window = HWnd::None;

  explicit TWidgetRig(int width = 60, int height = 40) {
    Parent.SetBounds(0, 0, width, height);
    Window = Parent.Handle();
  }
  // Placed first, then put on the window: there is no old place to give back.
  template <class T>
  T& Add(int left, int top, int width, int height) {
    auto* control = NewComponent<T>(&Parent);
    control->SetBounds(left, top, width, height);
    control->SetParent(&Parent);
    return *control;
  }
  // The window's surface in one colour, as a parent's background would leave it; what was
  // waiting to be repainted counts as painted.
  void Ground(TColorRef color) {
    TRect client = Sim.Windows.GetClientRect(Window);
    Sim.Gdi.BeginWindowPaint(Window, client);
    Sim.Gdi.EndWindowPaint(Window);
    Sim.Windows.Validate(Window);
    for (TColorRef& p : Sim.Gdi.WindowSurface(Window)->Pixels) p = color;
  }
  void Paint() { Sim.Windows.SendMessage(Window, WM_PAINT, 0, 0); }
  TColorRef At(int x, int y) const { return Sim.Gdi.WindowSurface(Window)->At(x, y); }
  bool RepaintRequested() const { return Sim.Windows.Find(Window)->Dirty; }
  // One character per pixel of the rectangle, chosen by `legend` (colour -> character);
  // '?' for a colour it does not list.
  template <class F>
  std::vector<std::string> Picture(TRect r, F legend) const {
    std::vector<std::string> rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
      std::string row;
      for (int x = r.Left; x < r.Right; ++x) row += legend(x, y, At(x, y));
      rows.push_back(row);
    }
    return rows;
  }
  // Bounding box of the pixels of one colour, or an empty rectangle.
  TRect Extent(TRect r, TColorRef color) const {
    TRect box{r.Right, r.Bottom, r.Left, r.Top};
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (At(x, y) == color) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box.Right > box.Left ? box : TRect{};
  }
};
