#pragma once
// Windowless controls that paint themselves with a canvas onto their parent's paint context.
#include <memory>

#include "framework/Controls.h"
#include "framework/Graphics.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TMouseEvent = TEvent<TMouseButton, TShiftState, int, int>;

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner, TPlatform* platform = nullptr);
  ~TGraphicControl() override;

  // Attached to a device context only while Paint runs.
  TCanvas& Canvas();

  // The canvas is pointed at `dc` with its origin moved to the control's top-left and its
  // drawing clipped to the control; every object it selects is given back afterwards, and
  // a drawing failure inside Paint (an Exception) is swallowed: painting never reports.
  void PaintWindowless(HDc dc, TPoint origin) override;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // A left button released over the control after being pressed on it is a click.
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseMove;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TCanvas> FCanvas;
  bool FPressed = false;
};
