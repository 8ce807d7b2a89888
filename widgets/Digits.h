#pragma once
// Seven-segment numerals (the painting arrives with the widgets).
#include "framework/Controls.h"

class TDigits : public TControl {
 public:
  explicit TDigits(TComponent* owner, TPlatform* platform = nullptr) : TControl(owner, platform) {}
  double Value() const { return FValue; }
  void SetValue(double value) {
    if (FValue == value) return;
    FValue = value;
    Invalidate();
  }

 private:
  double FValue = 0;
};
