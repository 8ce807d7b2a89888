#include "framework/GraphicControl.h"

#include "platform/Exception.h"

TGraphicControl::TGraphicControl(TComponent* owner, TPlatform* platform)
    : TControl(owner, platform) {}

TGraphicControl::~TGraphicControl() = default;

TCanvas& TGraphicControl::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>(Platform().Gdi);
  return *FCanvas;
}

void TGraphicControl::PaintWindowless(HDc dc, TPoint origin) {
  if (dc == HDc::None) return;
  IGdi& gdi = Platform().Gdi;
  TCanvas& canvas = Canvas();
  int saved = gdi.SaveDC(dc);
  TPoint old = gdi.GetViewportOrg(dc);
  gdi.SetViewportOrg(dc, {old.X + origin.X, old.Y + origin.Y});
  gdi.IntersectClipRect(dc, ClientRect());
  // The canvas gives its objects back before the context's saved state returns.
  struct TDetach {
    TCanvas& Canvas;
    IGdi& Gdi;
    HDc Dc;
    int Saved;
    ~TDetach() {
      Canvas.SetHandle(HDc::None);
      Gdi.RestoreDC(Dc, Saved);
    }
  } detach{canvas, gdi, dc, saved};
  canvas.SetHandle(dc);
  // A drawing failure of the program's own kind leaves what was drawn; a fault (no memory,
  // a broken invariant) is not a drawing failure and goes on to the application's report.
  try {
    Paint();
  } catch (const Exception&) {
  }
}

void TGraphicControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) FPressed = true;
  OnMouseDown(this, button, shift, x, y);
}

void TGraphicControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool click = button == TMouseButton::mbLeft && FPressed;
  if (button == TMouseButton::mbLeft) FPressed = false;
  OnMouseUp(this, button, shift, x, y);
  if (click && x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}
