#include "widgets/Digits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "widgets/Painting.h"

namespace {
// A character the segments cannot show (a minus sign, an exponent letter) ends the paint.
class EBadDigit : public Exception {
 public:
  EBadDigit() : Exception("Not a digit") {}
};

bool IsPoint(char c) { return c == ',' || c == '.'; }
}  // namespace

std::string FormatGeneral(double value, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  // buffer: d.dddddddddddddde[+-]xx
  std::string digits;
  const char* p = buffer;
  for (; *p && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = value < 0 ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    text += digits[0];
    if (digits.size() > 1) text += separator + digits.substr(1);
    text += 'E';
    text += std::to_string(exponent);
  } else if (exponent >= 0) {
    std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      text += digits + std::string(whole - digits.size(), '0');
    } else {
      text += digits.substr(0, whole) + separator + digits.substr(whole);
    }
  } else {
    text += "0";
    text += separator;
    text += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return text;
}

TDigits::TDigits(TComponent* owner, TPlatform* platform)
    : TGraphicControl(owner, platform),
      FDigitSize(std::make_unique<TPointClass>()),
      FBevel(std::make_unique<TExtBevelOptions>()),
      FGradient(std::make_unique<TGradient>(&Platform().Gdi)) {
  FDigitSize->SetX(10);
  FDigitSize->SetY(21);
  FDigitSize->OnChanged = {this, &TDigits::OptionsChanged};
  FBevel->OnChanged = {this, &TDigits::OptionsChanged};
  FGradient->OnChanged = {this, &TDigits::OptionsChanged};
  SetBounds(Left(), Top(), 160, 28);
}

TDigits::~TDigits() = default;

// ---- properties ----------------------------------------------------------------------

void TDigits::SetValue(double value) {
  // An unordered comparison counts as equal, so a NaN is never taken.
  if (value == FValue || std::isnan(value) || std::isnan(FValue)) return;
  FValue = value;
  try {
    int length =
        static_cast<int>(FormatGeneral(value, Platform().System.DecimalSeparator()).size());
    FRefreshBackground = length != FLastTextLength;
    if (length != FLastTextLength) FLastTextLength = length;
    Invalidate();
  } catch (const Exception&) {
    // The value is kept whatever its text does.
  }
}

void TDigits::SetActiveColor(TColor value) { Update(FActiveColor, value, false); }
void TDigits::SetPassiveColor(TColor value) { Update(FPassiveColor, value, false); }
void TDigits::SetPenStyle(TPenStyle value) { Update(FPenStyle, value, false); }
void TDigits::SetBackgroundColor(TColor value) { Update(FBackgroundColor, value, true); }
void TDigits::SetPositions(std::uint16_t value) { Update(FPositions, value, true); }
void TDigits::SetPenWidth(std::uint16_t value) { Update(FPenWidth, value, true); }
void TDigits::SetGap(std::uint16_t value) { Update(FGap, value, true); }
void TDigits::SetInterspace(std::uint16_t value) { Update(FInterspace, value, true); }
void TDigits::SetTransparent(bool value) { Update(FTransparent, value, true); }
void TDigits::SetAlignment(TAlignment value) { Update(FAlignment, value, true); }
void TDigits::SetInteriorOffset(std::uint16_t value) { Update(FInteriorOffset, value, true); }
void TDigits::SetInsertSpecialSymbolAt(int value) { Update(FInsertSpecialSymbolAt, value, true); }
void TDigits::SetDigitCount(int value) { Update(FDigitCount, value, true); }

void TDigits::SetSpecialSymbol(TSpecialSymbol value) {
  if (FSpecialSymbol == value) return;
  FSpecialSymbol = value;
  if (value == ssyNone) FInsertSpecialSymbolAt = -1;
  FRefreshBackground = true;
  Invalidate();
}

void TDigits::SetBounds(int left, int top, int width, int height) {
  bool resized = width != Width() || height != Height();
  TGraphicControl::SetBounds(left, top, width, height);
  if (resized) FRefreshBackground = true;
}

// ---- text and layout -----------------------------------------------------------------

std::string TDigits::DisplayText() const {
  std::string text = FormatGeneral(FValue, Platform().System.DecimalSeparator());
  if (FDigitCount != -1 && static_cast<int>(text.size()) < FDigitCount)
    text.append(static_cast<std::size_t>(FDigitCount) - text.size(), '0');
  if (FPositions != 0 && text.size() < FPositions) text.insert(0, FPositions - text.size(), ' ');
  return text;
}

int TDigits::RowWidth(const std::string& text) const {
  int dx = FDigitSize->X();
  int width = 0;
  for (char c : text) width += IsPoint(c) ? FInterspace : dx + FInterspace;
  width += FInterspace;
  int length = static_cast<int>(text.size());
  if (FInsertSpecialSymbolAt >= 1 && FInsertSpecialSymbolAt <= length)
    width += FSpecialSymbol == ssyColon ? 3 * FInterspace : dx + FInterspace;
  return width;
}

// ---- painting ------------------------------------------------------------------------

TRect TDigits::PaintInterior() {
  TCanvas& canvas = Canvas();
  IGdi& gdi = canvas.Gdi();
  TRect interior = ClientRect();
  if (FGradient->Active()) {
    interior = {interior.Left + FInteriorOffset, interior.Top + FInteriorOffset,
                interior.Right - FInteriorOffset, interior.Bottom - FInteriorOffset};
    FGradientCache.Fill(*FGradient, gdi, canvas.Handle(), interior, FBevel->BevelPenWidth(),
                        FBevel->BevelPenStyle());
  }
  if (FBevel->Active()) {
    TRect r = ClientRect();
    r.Right -= 1;
    r.Bottom -= 1;
    canvas.Pen().SetWidth(FBevel->BevelPenWidth());
    canvas.Pen().SetStyle(FBevel->BevelPenStyle());
    interior = DrawBevelBox(gdi, canvas.Handle(), r, FBevel->Sides(), FBevel->Inner(),
                            FBevel->Outer(), FBevel->Bold(), clNone, true);
    interior.Right += 1;
    interior.Bottom += 1;
  }
  return interior;
}

void TDigits::Paint() {
  TCanvas& canvas = Canvas();
  if (!canvas.HandleAllocated()) return;
  try {
    TRect interior = PaintInterior();

    std::string text = DisplayText();
    int rowWidth = RowWidth(text);
    int interiorWidth = interior.Right - interior.Left;
    int x = FInterspace;
    if (FAlignment == taCenter)
      x = (interiorWidth - rowWidth) / 2 + FInterspace;
    else if (FAlignment == taRightJustify)
      x = interiorWidth - rowWidth + FInterspace;
    int y = (Height() - FDigitSize->Y()) / 2;

    for (std::size_t i = 0; i < text.size(); ++i)
      if (IsPoint(text[i])) {
        if (static_cast<int>(i) + 1 != FLastPointPosition) FRefreshBackground = true;
        break;
      }

    if (FRefreshBackground && !FTransparent && !FGradient->Active()) {
      canvas.Brush().SetColor(FBackgroundColor);
      canvas.Brush().SetStyle(bsSolid);
      canvas.FillRect(interior);
    }

    canvas.Pen().SetColor(FActiveColor);
    canvas.Pen().SetStyle(FPenStyle);
    canvas.Pen().SetWidth(FPenWidth);
    bool drawPassive = !FGradient->Active();
    for (int i = 1; i <= static_cast<int>(text.size()); ++i)
      x = DrawCharacter(text, i, x, y, drawPassive);
    FRefreshBackground = true;
  } catch (const Exception&) {
    // What was drawn before the failure stays.
  }
}

int TDigits::DrawCharacter(const std::string& text, int i, int x, int y, bool drawPassive) {
  TCanvas& canvas = Canvas();
  const int dx = FDigitSize->X(), dy = FDigitSize->Y();

  if (i == FInsertSpecialSymbolAt) {
    switch (FSpecialSymbol) {
      case ssyColon:
        x += FInterspace;
        canvas.SetPixel(x, y + dy / 3, FActiveColor);
        canvas.SetPixel(x, y + dy - dy / 3, FActiveColor);
        x += 2 * FInterspace;
        break;
      case ssySlash:
        canvas.Pen().SetColor(FActiveColor);
        canvas.MoveTo(x + dx, y + 1);
        canvas.LineTo(x, y + dy);
        x += dx + FInterspace;
        break;
      case ssyBackslash:
        canvas.Pen().SetColor(FActiveColor);
        canvas.MoveTo(x, y + 1);
        canvas.LineTo(x + dx, y + dy);
        x += dx + FInterspace;
        break;
      case ssyNone:
        break;
    }
  }

  const int w = canvas.Pen().Width();
  const int e = w == 1 ? 1 : 0;
  const int L = x, T = y, R = x + dx, B = y + dy;
  const int M = T + (dy - w) / 2;

  char c = text[static_cast<std::size_t>(i) - 1];
  int code;
  if (c == ' ')
    code = 10;
  else if (IsPoint(c))
    code = 11;
  else if (c >= '0' && c <= '9')
    code = c - '0';
  else
    throw EBadDigit();

  if (x > Width()) return x;

  std::uint8_t mask = SegmentMasks[static_cast<std::size_t>(code)];
  if (mask & 0x80) {
    FLastPointPosition = i;
    canvas.SetPixel(x, B, FActiveColor);
    return x + FInterspace;
  }

  struct TSegment {
    std::uint8_t Bit;
    int X0, Y0, X1, Y1;
  };
  const TSegment segments[] = {
      {0x01, L + FGap, T, R - FGap + e, T},     {0x02, L + FGap, M, R - FGap + e, M},
      {0x04, L + FGap, B, R - FGap + e, B},     {0x08, L, T + FGap, L, M - FGap + e},
      {0x10, R, T + FGap, R, M - FGap + e},     {0x20, L, B - FGap, L, M + w + FGap - e},
      {0x40, R, B - FGap, R, M + w + FGap - e},
  };
  for (const TSegment& s : segments) {
    if (mask & s.Bit)
      canvas.Pen().SetColor(FActiveColor);
    else if (drawPassive)
      canvas.Pen().SetColor(FPassiveColor);
    else
      continue;
    canvas.MoveTo(s.X0, s.Y0);
    canvas.LineTo(s.X1, s.Y1);
  }
  return x + dx + FInterspace;
}
