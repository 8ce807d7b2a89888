#include "app/WindowLooks.h"

#include "widgets/Digits.h"
#include "widgets/GlyphCheckBox.h"

void ApplyDigitsLook(TDigits& digits) {
  digits.DigitSize().SetX(5);
  digits.DigitSize().SetY(11);
  digits.SetActiveColor(clLime);
  digits.Bevel().SetInner(bvLowered);
  digits.Bevel().SetOuter(bvNone);
  digits.Bevel().SetBold(false);
  digits.Gradient().SetActive(true);
  digits.Gradient().SetOrientation(fgdHorizontal);
}

void ApplyLampLook(TGlyphCheckBox& box) {
  box.GlyphShift().SetX(0);
  box.GlyphShift().SetY(0);
  box.SetOptions(fcoIgnoreMouse | fcoFastDraw);
  box.Gradient().SetActive(false);
  box.Gradient().SetOrientation(fgdHorizontal);
}
