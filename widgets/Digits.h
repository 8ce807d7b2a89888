#pragma once
// Seven-segment numerals drawn with thin pen lines straight onto the parent's surface.
// The interior is refilled only when the row moves (text length, decimal point, layout
// settings); a value of unchanged length is drawn over the old one.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/GraphicControl.h"
#include "widgets/Options.h"
#include "widgets/Painting.h"

enum TSpecialSymbol { ssyNone, ssyColon, ssySlash, ssyBackslash };

class TDigits : public TGraphicControl {
 public:
  explicit TDigits(TComponent* owner, TPlatform* platform = nullptr);
  ~TDigits() override;

  // Bits: 0x01 top, 0x02 middle, 0x04 bottom, 0x08 upper-left, 0x10 upper-right,
  // 0x20 lower-left, 0x40 lower-right; 0x80 the decimal point. Codes 0-9, 10 blank, 11 point.
  static constexpr std::array<std::uint8_t, 12> SegmentMasks = {0x7D, 0x50, 0x37, 0x57, 0x5A, 0x4F,
                                                                0x6F, 0x51, 0x7F, 0x5F, 0x00, 0x80};

  double Value() const { return FValue; }
  void SetValue(double value);
  TPointClass& DigitSize() { return *FDigitSize; }
  TColor ActiveColor() const { return FActiveColor; }
  void SetActiveColor(TColor value);
  TColor PassiveColor() const { return FPassiveColor; }
  void SetPassiveColor(TColor value);
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor value);
  std::uint16_t Positions() const { return FPositions; }
  void SetPositions(std::uint16_t value);
  std::uint16_t PenWidth() const { return FPenWidth; }
  void SetPenWidth(std::uint16_t value);
  std::uint16_t Gap() const { return FGap; }
  void SetGap(std::uint16_t value);
  std::uint16_t Interspace() const { return FInterspace; }
  void SetInterspace(std::uint16_t value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // Unless transparent, a paint draws its whole area itself (gradient, fill or segments over
  // the old ones), so nothing is erased under it before.
  bool Opaque() const override { return !FTransparent; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  std::uint16_t InteriorOffset() const { return FInteriorOffset; }
  void SetInteriorOffset(std::uint16_t value);
  int InsertSpecialSymbolAt() const { return FInsertSpecialSymbolAt; }
  void SetInsertSpecialSymbolAt(int value);
  TPenStyle PenStyle() const { return FPenStyle; }
  void SetPenStyle(TPenStyle value);
  TSpecialSymbol SpecialSymbol() const { return FSpecialSymbol; }
  void SetSpecialSymbol(TSpecialSymbol value);
  TExtBevelOptions& Bevel() { return *FBevel; }
  TGradient& Gradient() { return *FGradient; }
  int DigitCount() const { return FDigitCount; }
  void SetDigitCount(int value);

  void SetBounds(int left, int top, int width, int height) override;

  // The text the row shows (value, "0" padding, leading blanks).
  std::string DisplayText() const;
  // Unpublished state, for inspection.
  bool RefreshBackground() const { return FRefreshBackground; }
  int LastTextLength() const { return FLastTextLength; }
  int LastPointPosition() const { return FLastPointPosition; }

 protected:
  void Paint() override;

 private:
  // Stores a changed value, sets the refill flag as given and asks for a repaint.
  template <class T>
  void Update(T& field, const T& value, bool refresh) {
    if (field == value) return;
    field = value;
    FRefreshBackground = refresh;
    Invalidate();
  }
  void OptionsChanged(TObject* sender) { Invalidate(); }
  TRect PaintInterior();
  int RowWidth(const std::string& text) const;
  int DrawCharacter(const std::string& text, int i, int x, int y, bool drawPassive);

  double FValue = 0;
  std::unique_ptr<TPointClass> FDigitSize;
  TColor FActiveColor = 0xFFFFFF;
  TColor FPassiveColor = 0x202020;
  TColor FBackgroundColor = 0x000000;
  std::uint16_t FPositions = 0;
  std::uint16_t FPenWidth = 1;
  std::uint16_t FGap = 1;
  std::uint16_t FInterspace = 3;
  bool FTransparent = false;
  TAlignment FAlignment = taCenter;
  std::uint16_t FInteriorOffset = 0;
  int FInsertSpecialSymbolAt = -1;
  TPenStyle FPenStyle = psSolid;
  TSpecialSymbol FSpecialSymbol = ssyNone;
  std::unique_ptr<TExtBevelOptions> FBevel;
  std::unique_ptr<TGradient> FGradient;
  TGradientCache FGradientCache;
  int FDigitCount = -1;

  int FLastTextLength = 0;
  int FLastPointPosition = 0;
  bool FRefreshBackground = true;
};

// The value in the general format with 15 significant digits and the given decimal
// separator: "45", "0.5", "1E16", "1E-6".
std::string FormatGeneral(double value, char separator);
