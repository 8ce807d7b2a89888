#include "tray/TextTrayIcon.h"

#include <algorithm>

#include "framework/Strings.h"

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
  // Asked at every rendering: the shell's scale can change at any time.
  FIconSize = Platform().Shell.NotifyIconSize();
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

bool TTextTrayIcon::FollowIconSize() {
  if (Platform().Shell.NotifyIconSize() == FIconSize) return false;
  RebuildTextIcon();
  return true;
}

void TTextTrayIcon::ShellMetricsChanged() { FollowIconSize(); }

// A new scale is announced like a restart of the shell, which keeps its entries then: the
// picture at the new size is the change that finds the entry still there.
void TTextTrayIcon::ShellRestarted() {
  if (FollowIconSize() && EntryInStep()) return;
  TTrayIcon::ShellRestarted();
}

int TTextTrayIcon::Scaled(int value) const { return MulDiv(value, FIconSize, kIconSize); }

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

// Drawn straight into TextBitmap, which keeps its bitmap from one rendering to the next: a
// temporary picture made, copied and freed at every refresh costs more than the drawing
// itself, and every pixel is drawn again anyway. At a scale the whole design is scaled, so the
// shell has nothing to stretch; the frame is rounded down, so it stays one crisp pixel at 150 %.
void TTextTrayIcon::RenderText() {
  TBitmap& picture = *FTextBitmap;
  const int size = FIconSize;
  // Centring is done over one pixel less than the side, with a division that truncates
  // toward zero: the text sits half a pixel left of and above the picture's middle.
  const int span = size - 1;
  const int offsetX = Scaled(FOptions->OffsetX()), offsetY = Scaled(FOptions->OffsetY());
  FFillColour = TextBackground();
  TCanvas& canvas = picture.Canvas();
  // The brush keeps the fill colour, so the text cells are drawn on the same colour.
  canvas.Brush().SetColor(FFillColour);
  picture.SetSize(size, size);
  canvas.FillRect({0, 0, size, size});
  canvas.Font().Assign(*FFont);
  if (size != kIconSize) {
    canvas.Font().SetHeight(Scaled(FFont->Height()));
    // ClearType's coloured edges would be the shell's to blend: plain grey smoothing.
    canvas.Font().SetQuality(ANTIALIASED_QUALITY);
  }

  // Drawn as UTF-16: the degree sign's ANSI byte is another character, or half of one, on
  // the double-byte code pages.
  std::size_t firstBreak = FText.find('\r');
  if (firstBreak == std::string::npos) {
    std::u16string text = Utf16FromUtf8(FText);
    TPoint extent = canvas.TextExtent(text);
    canvas.TextOut((span - extent.X) / 2 + offsetX, (span - extent.Y) / 2 + offsetY, text);
  } else {
    std::vector<std::string> lines = SplitTextLines(FText);
    int count = static_cast<int>(lines.size());
    int lineHeight = canvas.TextHeight(Utf16FromUtf8(FText.substr(firstBreak))) +
                     Scaled(FOptions->LineDistance());
    int top = (span - count * lineHeight) / 2 + offsetY;
    for (int i = 0; i < count; ++i) {
      std::u16string line = Utf16FromUtf8(lines[static_cast<std::size_t>(i)]);
      int x = (span - canvas.TextWidth(line)) / 2 + offsetX;
      canvas.TextOut(x, top + i * lineHeight, line);
    }
  }

  if (FBorder) {
    canvas.Brush().SetColor(FBorderColor);
    for (int inset = 0; inset < std::max(1, size / kIconSize); ++inset)
      canvas.FrameRect({inset, inset, size - inset, size - inset});
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
  combined.SetSize(FIconSize, FIconSize);
  TCanvas& canvas = combined.Canvas();
  canvas.FillRect({0, 0, FIconSize, FIconSize});
  gdi.DrawIcon(canvas.Handle(), 0, 0, FBackgroundIcon->Handle());
  FTextBitmap->SetTransparent(true);
  FTextBitmap->SetTransparentMode(tmFixed);
  FTextBitmap->SetTransparentColor(FFillColour);
  canvas.Draw(0, 0, *FTextBitmap);
  FTextBitmap->SetTransparent(false);
  MakeTrayIcon(combined, icon, maskColor);
}
