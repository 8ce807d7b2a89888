#include "tray/TextTrayIcon.h"

#include "framework/Strings.h"

namespace {
// Centring is done over 15 pixels, not 16, with a division that truncates toward zero:
// the text sits half a pixel left of and above the picture's middle.
constexpr int kSpan = 15;
}  // namespace

TTextTrayIcon::TTextTrayIcon(TComponent* owner, TPlatform* platform) : TTrayIcon(owner, platform) {
  IGdi& gdi = Platform().Gdi;
  FBackgroundIcon = std::make_unique<TIcon>(gdi);
  FTextBitmap = std::make_unique<TBitmap>(gdi);
  FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TFont&) { RebuildTextIcon(); };
  FOptions = std::make_unique<TOffsetOptions>();
  FOptions->OnChange = {this, &TTextTrayIcon::OptionsChange};
}

// The font, options, bitmap and background icon go before the entry is removed.
TTextTrayIcon::~TTextTrayIcon() = default;

// ---- properties --------------------------------------------------------------

void TTextTrayIcon::SetText(const std::string& value) {
  FText = value;
  RebuildTextIcon();
}

void TTextTrayIcon::SetFont(const TFont& value) {
  FFont->Assign(value);
  RebuildTextIcon();
}

void TTextTrayIcon::SetColor(TColor value) {
  FColor = value;
  RebuildTextIcon();
}

void TTextTrayIcon::SetBorder(bool value) {
  FBorder = value;
  RebuildTextIcon();
}

void TTextTrayIcon::SetBorderColor(TColor value) {
  FBorderColor = value;
  RebuildTextIcon();
}

void TTextTrayIcon::SetBackgroundIcon(const TIcon* value) {
  if (value) {
    FBackgroundIcon->Assign(*value);
  } else {
    FBackgroundIcon->Clear();
  }
  RebuildTextIcon();
}

// ---- rendering ---------------------------------------------------------------

void TTextTrayIcon::RebuildTextIcon() {
  SetCycleIcons(false);
  RenderText();
  if (!FBackgroundIcon->Empty()) {
    TIcon icon(Platform().Gdi);
    MakeIconOverBackground(icon);
    SetIcon(&icon);
    return;
  }
  // Only a picture without a background colour of its own gets transparent pixels.
  if (FColor != clNone) FFillColour = clNone;
  // Made straight into the entry's icon, whose change pushes it: no copy to make and free.
  MakeTrayIcon(*FTextBitmap, *Icon(), FFillColour);
}

TColor TTextTrayIcon::TextBackground() const {
  if (FColor == clNone || FColor == FFont->Color())
    return ColorToRGB(FFont->Color(), Platform().Gdi) ^ 0xFFFFFF;
  return FColor;
}

std::vector<std::string> TTextTrayIcon::SplitTextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string rest = text;
  for (std::size_t cr = rest.find('\r'); cr != std::string::npos; cr = rest.find('\r')) {
    lines.push_back(rest.substr(0, cr));
    rest.erase(0, cr + 1);
  }
  lines.push_back(rest);
  return lines;
}

// Drawn straight into TextBitmap, which keeps its 16 x 16 bitmap from one rendering to the
// next: a temporary picture made, copied and freed at every refresh costs more than the
// drawing itself, and every pixel is drawn again anyway.
void TTextTrayIcon::RenderText() {
  TBitmap& picture = *FTextBitmap;
  FFillColour = TextBackground();
  TCanvas& canvas = picture.Canvas();
  // The brush keeps the fill colour, so the text cells are drawn on the same colour.
  canvas.Brush().SetColor(FFillColour);
  picture.SetSize(kIconSize, kIconSize);
  canvas.FillRect({0, 0, kIconSize, kIconSize});
  canvas.Font().Assign(*FFont);

  // Drawn as UTF-16: the degree sign's ANSI byte is another character, or half of one, on
  // the double-byte code pages.
  std::size_t firstBreak = FText.find('\r');
  if (firstBreak == std::string::npos) {
    std::u16string text = Utf16FromUtf8(FText);
    TPoint extent = canvas.TextExtent(text);
    int x = (kSpan - extent.X) / 2 + FOptions->OffsetX();
    int y = (kSpan - extent.Y) / 2 + FOptions->OffsetY();
    canvas.TextOut(x, y, text);
  } else {
    std::vector<std::string> lines = SplitTextLines(FText);
    int count = static_cast<int>(lines.size());
    int lineHeight =
        canvas.TextHeight(Utf16FromUtf8(FText.substr(firstBreak))) + FOptions->LineDistance();
    int top = (kSpan - count * lineHeight) / 2 + FOptions->OffsetY();
    for (int i = 0; i < count; ++i) {
      std::u16string line = Utf16FromUtf8(lines[static_cast<std::size_t>(i)]);
      int x = (kSpan - canvas.TextWidth(line)) / 2 + FOptions->OffsetX();
      canvas.TextOut(x, top + i * lineHeight, line);
    }
  }

  if (FBorder) {
    canvas.Brush().SetColor(FBorderColor);
    canvas.FrameRect({0, 0, kIconSize, kIconSize});
  }
}

// The image and mask an image list would give (the mask colour's pixels transparent and
// black in the image), made directly: a list made and freed at every refresh costs more
// than the rest of the rendering.
void TTextTrayIcon::MakeTrayIcon(TBitmap& bitmap, TIcon& icon, TColor maskColor) {
  icon.FromBitmap(bitmap, maskColor);
}

// The background icon shows through everywhere the rendering has its fill colour; the
// mask colour follows the same rule as the rendering's background.
void TTextTrayIcon::MakeIconOverBackground(TIcon& icon) {
  IGdi& gdi = Platform().Gdi;
  TColor maskColor = TextBackground();
  TBitmap combined(gdi);
  combined.Canvas().Brush().SetColor(maskColor);
  combined.SetSize(kIconSize, kIconSize);
  TCanvas& canvas = combined.Canvas();
  canvas.FillRect({0, 0, kIconSize, kIconSize});
  gdi.DrawIcon(canvas.Handle(), 0, 0, FBackgroundIcon->Handle());
  FTextBitmap->SetTransparent(true);
  FTextBitmap->SetTransparentMode(tmFixed);
  FTextBitmap->SetTransparentColor(FFillColour);
  canvas.Draw(0, 0, *FTextBitmap);
  FTextBitmap->SetTransparent(false);
  MakeTrayIcon(combined, icon, maskColor);
}
