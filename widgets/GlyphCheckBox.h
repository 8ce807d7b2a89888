#pragma once
// The lamp check box (the painting arrives with the widgets).
#include "framework/Controls.h"

class TGlyphCheckBox : public TControl {
 public:
  explicit TGlyphCheckBox(TComponent* owner, TPlatform* platform = nullptr)
      : TControl(owner, platform) {}
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) {
    if (FChecked == value) return;
    FChecked = value;
    Invalidate();
  }

 private:
  bool FChecked = false;
};
