#pragma once
// A tray entry whose image is text: the text is drawn with its font into a square picture of
// the size the shell shows (16 x 16, the design's size, unless the taskbar is scaled), optionally
// framed, made into an icon and handed to the entry, which pushes it to the shell.
#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"
#include "tray/OffsetOptions.h"
#include "tray/TrayIcon.h"

class TTextTrayIcon : public TTrayIcon {
 public:
  // The design's size: fonts, offsets and the frame are given for it, and scaled with the
  // picture.
  static constexpr int kIconSize = 16;

  explicit TTextTrayIcon(TComponent* owner, TPlatform* platform = nullptr);
  ~TTextTrayIcon() override;

  // ---- published properties -------------------------------------------------
  // UTF-8. Every assignment renders and pushes again, the current value included: the text
  // is the live temperature and the shell gets it at every refresh.
  const std::string& Text() const { return FText; }
  void SetText(const std::string& value);
  // Attribute changes of the font render too, each on its own.
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool Border() const { return FBorder; }
  void SetBorder(bool value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TOffsetOptions& Options() { return *FOptions; }
  TIcon& BackgroundIcon() { return *FBackgroundIcon; }
  void SetBackgroundIcon(const TIcon* value);

  // The last rendering, and the background colour it used (then the mask colour).
  TBitmap& TextBitmap() { return *FTextBitmap; }
  TColor FillColour() const { return FFillColour; }

  // Renders the text and hands the new icon to the entry.
  void RebuildTextIcon();
  // Renders again if the shell's icon size is no longer the last rendering's; true if it did.
  bool FollowIconSize();
  // The lines of a text: each carriage return ends one and is dropped; what follows the
  // last one (possibly nothing) is the last line.
  static std::vector<std::string> SplitTextLines(const std::string& text);

 protected:
  // Draws the current text into TextBitmap.
  virtual void RenderText();
  // The bitmap as an icon; pixels of exactly `maskColor` are transparent unless it is
  // clNone, which gives an opaque icon.
  void MakeTrayIcon(TBitmap& bitmap, TIcon& icon, TColor maskColor);
  void ShellMetricsChanged() override;
  void ShellRestarted() override;

 private:
  // The background colour of a rendering: the inverse of the font colour when there is
  // no background or it would hide the text.
  TColor TextBackground() const;
  void MakeIconOverBackground(TIcon& icon);
  void OptionsChange(TObject*) { RebuildTextIcon(); }
  // A length of the design at the picture's size.
  int Scaled(int value) const;

  std::string FText;
  std::unique_ptr<TIcon> FBackgroundIcon;
  std::unique_ptr<TBitmap> FTextBitmap;
  std::unique_ptr<TFont> FFont;
  TColor FColor = clBtnFace;
  bool FBorder = false;
  TColor FBorderColor = clBlack;
  std::unique_ptr<TOffsetOptions> FOptions;
  TColor FFillColour = clNone;
  int FIconSize = kIconSize;
};
