// The tray icon as the real system makes it, inspected in-process: whether the icon handed
// to the shell has the image and mask an image list gives the same rendering, and whether a
// two-digit reading's degree sign lies whole inside the framed picture, and whether the
// picture drawn from UTF-16 equals the one the ANSI call draws on the prefix's code page
// (1252 under Wine). Also whether the library's own failures still arrive as exceptions with
// the trimmed runtime.
//
//   trayicon      prints "name value" lines
#include <cstdio>
#include <string>

#include "app/Unit1.h"
#include "platform/sim/SimChip.h"
#include "platform/win32/Win32Platform.h"
#include "tests/support/ImageListIcon.h"

namespace {
constexpr int kWide = 40;
}  // namespace

int main() {
  static TSimChip chip([] { return std::uint64_t{0}; });
  chip.SetLogging(false);
  TWin32Platform platform(&chip);
  TOpenPortAccess ports(chip);
  TApplication application(platform.Platform());
  application.SetShowMainForm(false);
  TForm1* form = application.CreateForm<TForm1>(ports);
  TTextTrayIcon& tray = *form->TextTrayIcon1;
  IGdi& gdi = platform.Platform().Gdi;

  // Every two-digit reading, on the system's opaque ground and on the two grounds with a mask.
  int same = 0, compared = 0;
  for (TColor ground : {tray.Color(), clNone, tray.Font().Color()}) {
    tray.SetColor(ground);
    for (int reading = 10; reading < 100; reading += 7) {
      tray.SetText(std::to_string(reading) + "\xC2\xB0");
      HIcon reference = ImageListIcon(gdi, tray.TextBitmap(), tray.FillColour());
      same += SameIconImage(gdi, tray.Icon()->Handle(), reference) ? 1 : 0;
      ++compared;
      if (reference != HIcon::None) gdi.DestroyIcon(reference);
    }
  }
  tray.SetColor(clBtnFace);
  std::printf("icons_compared %d\n", compared);
  std::printf("icons_same_as_image_list %d\n", same);

  // "47°" drawn as the icon draws it, on a picture wide enough that nothing is cut: the ink
  // right of the digits' cells is the degree sign's; it must end inside the icon's 16
  // columns. (The frame then covers the outermost column, as it covers any text there.)
  tray.SetText("47\xC2\xB0");
  TColorRef ground = ColorToRGB(tray.Color(), gdi);
  auto draw = [&](auto text, TPoint& extent, int& digits) {
    TBitmap picture(gdi);
    picture.Canvas().Brush().SetColor(tray.Color());
    picture.SetSize(kWide, TTextTrayIcon::kIconSize);
    TCanvas& canvas = picture.Canvas();
    canvas.Font().Assign(tray.Font());
    extent = canvas.TextExtent(text);
    digits = canvas.TextWidth(text.substr(0, 2));
    canvas.TextOut((15 - extent.X) / 2 + tray.Options().OffsetX(),
                   (15 - extent.Y) / 2 + tray.Options().OffsetY(), text);
    return picture.Pixels();
  };
  TPoint extent, ansiExtent;
  int digits = 0, ansiDigits = 0;
  std::vector<TColorRef> pixels = draw(std::u16string(u"47\u00B0"), extent, digits);
  std::vector<TColorRef> ansi = draw(std::string("47\xB0"), ansiExtent, ansiDigits);
  int x = (15 - extent.X) / 2 + tray.Options().OffsetX();
  int ink = 0, beyond = 0, underFrame = 0;
  for (std::size_t k = 0; k < pixels.size(); ++k) {
    int column = static_cast<int>(k % kWide);
    if (column < x + digits || pixels[k] == ground) continue;
    ++ink;
    if (column >= TTextTrayIcon::kIconSize) ++beyond;
    if (column == TTextTrayIcon::kIconSize - 1) ++underFrame;
  }
  std::printf("unicode_same_as_ansi %d\n", pixels == ansi && extent.X == ansiExtent.X ? 1 : 0);
  std::printf("text_width %d\n", extent.X);
  std::printf("text_left %d\n", x);
  std::printf("degree_ink %d\n", ink);
  std::printf("degree_ink_beyond_icon %d\n", beyond);
  std::printf("degree_ink_under_frame %d\n", underFrame);

  // A position past a string's end, from the library's thrower: caught as any exception is.
  std::string message;
  try {
    std::string text = "47";
    message = text.substr(3);
  } catch (const std::exception& e) {
    message = e.what();
  }
  std::printf("library_error_caught %d\n", message.find("substr") != std::string::npos);
  return 0;
}
