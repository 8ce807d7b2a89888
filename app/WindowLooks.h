#pragma once
// The looks the main window gives its display widgets; the test gallery paints with them too.

class TDigits;
class TGlyphCheckBox;

// 5 x 11 numerals in lime, lowered bevel, grey-to-black horizontal gradient. The size
// (29 x 25) is set by the window.
void ApplyDigitsLook(TDigits& digits);
// No glyph shift, ignores the mouse, fast drawing, inactive horizontal gradient.
void ApplyLampLook(TGlyphCheckBox& box);
