// The text picture: placement, lines, frame, background and mask, and what each setter
// renders and pushes. The built-in font of the simulated machine draws a character it has
// no glyph for ('X') as a hollow 5 x 7 box in a 6-pixel cell, which makes positions exact.
#include <gtest/gtest.h>

#include "tests/support/ImageListIcon.h"
#include "tests/tray/TrayTestSupport.h"

namespace {
using TRig = TTrayRig<TTextTrayIcon>;

constexpr TColorRef kInk = 0x000000;
constexpr TColorRef kPaper = 0xFFFFFF;

// Hollow boxes with their top-left corners at the given places, cut to 16 x 16.
std::vector<TColorRef> Boxes(const std::vector<TPoint>& corners, TColorRef ink = kInk,
                             TColorRef paper = kPaper) {
  std::vector<TColorRef> pixels(256, paper);
  for (TPoint c : corners)
    for (int y = c.Y; y < c.Y + 7; ++y)
      for (int x = c.X; x < c.X + 5; ++x) {
        bool edge = y == c.Y || y == c.Y + 6 || x == c.X || x == c.X + 4;
        if (edge && x >= 0 && x < 16 && y >= 0 && y < 16) pixels[y * 16 + x] = ink;
      }
  return pixels;
}

// The picture as rows of characters, for readable differences: '#' ink, '.' paper.
std::string Art(const std::vector<TColorRef>& pixels, TColorRef ink = kInk) {
  std::string art;
  for (std::size_t k = 0; k < pixels.size(); ++k) {
    art += pixels[k] == ink ? '#' : pixels[k] == kPaper ? '.' : '?';
    if (k % 16 == 15) art += '\n';
  }
  return art;
}

// A row of n boxes starting at (x, y), one per character cell.
std::vector<TPoint> Row(int n, int x, int y) {
  std::vector<TPoint> corners;
  for (int i = 0; i < n; ++i) corners.push_back({x + 6 * i, y});
  return corners;
}

std::vector<TPoint> Join(std::vector<TPoint> a, const std::vector<TPoint>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Black 7-pixel text on white, no frame: what the placement tests draw with.
void PlainStyle(TTextTrayIcon& icon) {
  icon.SetColor(clWhite);
  icon.Font().SetColor(clBlack);
  icon.Font().SetHeight(-7);
}
}  // namespace

TEST(TextPlacement, SingleLinesAreCentredOver15PixelsTruncatingTowardZero) {
  struct TCase {
    std::string Text;
    int OffsetX, OffsetY;
    std::vector<TPoint> Corners;
  };
  const std::vector<TCase> cases = {
      {"XX", 0, 0, Row(2, 1, 4)},       // w 12: (15 - 12) / 2 = 1
      {"XX", 2, 0, Row(2, 3, 4)},       // the system's own offset
      {"XXX", 0, 0, Row(3, -1, 4)},     // w 18: (15 - 18) / 2 = -1, not -2
      {"XXX", 2, 0, Row(3, 1, 4)},      //
      {"X", -3, 5, Row(1, 1, 9)},       // w 6: 4 - 3; h 7: 4 + 5
      {"XXXX", 0, -6, Row(4, -4, -2)},  // w 24: -9 / 2 = -4; cut at the edges
      {"", 0, 0, {}},
  };
  for (const TCase& c : cases) {
    TRig rig;
    PlainStyle(*rig.Icon);
    rig.Icon->Options().SetOffsetX(c.OffsetX);
    rig.Icon->Options().SetOffsetY(c.OffsetY);
    rig.Icon->SetText(c.Text);
    EXPECT_EQ(Art(rig.Icon->TextBitmap().Pixels()), Art(Boxes(c.Corners)))
        << c.Text << " " << c.OffsetX << "," << c.OffsetY;
  }
}

TEST(TextPlacement, CarriageReturnsMakeLinesEachCentredOnItsOwnWidth) {
  struct TCase {
    const char* Name;
    std::string Text;
    int LineDistance;
    std::vector<TPoint> Corners;
  };
  const std::vector<TCase> cases = {
      // two lines of 7: top (15 - 14) / 2 = 0
      {"two lines", "XX\rXXX", 0, Join(Row(2, 1, 0), Row(3, -1, 7))},
      // the line feed stays and is drawn as a character of the second line
      {"line feed after the return", "XX\r\nX", 0, Join(Row(2, 1, 0), Row(2, 1, 7))},
      // a last empty line still counts: the block is two lines high
      {"ending in a return", "XX\r", 0, Row(2, 1, 0)},
      // lines 7 + 1 apart: top (15 - 16) / 2 = 0
      {"line distance", "X\rX", 1, Join(Row(1, 4, 0), Row(1, 4, 8))},
      // lines 7 - 1 apart: top (15 - 12) / 2 = 1; the second line's top row is the
      // first one's bottom row
      {"negative line distance", "X\rX", -1, Join(Row(1, 4, 1), Row(1, 4, 7))},
  };
  for (const TCase& c : cases) {
    TRig rig;
    PlainStyle(*rig.Icon);
    rig.Icon->Options().SetLineDistance(c.LineDistance);
    rig.Icon->SetText(c.Text);
    EXPECT_EQ(Art(rig.Icon->TextBitmap().Pixels()), Art(Boxes(c.Corners))) << c.Name;
  }
}

TEST(TextPlacement, SplitTextLines) {
  using L = std::vector<std::string>;
  EXPECT_EQ(TTextTrayIcon::SplitTextLines(""), L{""});
  EXPECT_EQ(TTextTrayIcon::SplitTextLines("45\xC2\xB0"), L{"45\xC2\xB0"});
  EXPECT_EQ(TTextTrayIcon::SplitTextLines("a\rb"), (L{"a", "b"}));
  EXPECT_EQ(TTextTrayIcon::SplitTextLines("a\r\nb"), (L{"a", "\nb"}));
  EXPECT_EQ(TTextTrayIcon::SplitTextLines("a\r"), (L{"a", ""}));
  EXPECT_EQ(TTextTrayIcon::SplitTextLines("\r\r"), (L{"", "", ""}));
  EXPECT_EQ(TTextTrayIcon::SplitTextLines("a\nb"), L{"a\nb"});
}

TEST(TextPicture, FrameCoversTextOnTheOutermostPixels) {
  TRig rig;
  PlainStyle(*rig.Icon);
  rig.Icon->SetBorderColor(clRed);
  rig.Icon->Options().SetOffsetY(-4);  // the text's top row on the picture's top row
  rig.Icon->SetBorder(true);
  rig.Icon->SetText("XXX");
  std::vector<TColorRef> expected = Boxes(Row(3, -1, 0));
  for (int i = 0; i < 16; ++i) {
    expected[i] = expected[15 * 16 + i] = 0x0000FF;
    expected[i * 16] = expected[i * 16 + 15] = 0x0000FF;
  }
  EXPECT_EQ(rig.Icon->TextBitmap().Pixels(), expected);
}

TEST(TextPicture, BackgroundAndMaskByColour) {
  constexpr TColorRef kButtonFace = 0xC0C0C0;  // the classic table of the simulated machine
  constexpr TColorRef kInverse = 0x800080 ^ 0xFFFFFF;
  struct TCase {
    const char* Name;
    TColor Color;
    TColor FontColor;
    TColorRef Background;
    bool Transparent;
  };
  const std::vector<TCase> cases = {
      {"button face", clBtnFace, clPurple, kButtonFace, false},
      {"the font's colour", clPurple, clPurple, kInverse, false},
      {"no colour", clNone, clPurple, kInverse, true},
      {"a system colour that resolves to the font's", clBtnFace, 0xC0C0C0, kButtonFace, false},
      {"the same system colour", clBtnFace, clBtnFace, kButtonFace ^ 0xFFFFFF, false},
  };
  for (const TCase& c : cases) {
    TRig rig;
    rig.Icon->Font().SetColor(c.FontColor);
    rig.Icon->Font().SetHeight(-7);
    rig.Icon->SetColor(c.Color);
    rig.Icon->SetText("XX");
    const auto* icon = rig.Sim.Gdi.Icon(rig.Icon->Icon()->Handle());
    ASSERT_NE(icon, nullptr) << c.Name;
    TColorRef ink = ColorToRGB(c.FontColor, rig.Sim.Gdi);
    std::vector<TColorRef> picture = Boxes(Row(2, 1, 4), ink, c.Background);
    EXPECT_EQ(rig.Icon->TextBitmap().Pixels(), picture) << c.Name;
    for (std::size_t k = 0; k < 256; ++k) {
      bool masked = c.Transparent && picture[k] == c.Background;
      ASSERT_EQ(icon->Transparent[k], masked) << c.Name << " pixel " << k;
      // The icon's picture is black under its mask.
      ASSERT_EQ(icon->Image.Pixels[k], masked ? 0 : picture[k]) << c.Name << " pixel " << k;
    }
    EXPECT_EQ(static_cast<HIcon>(rig.Sim.Shell.Requests.back().Data.hIcon),
              rig.Icon->Icon()->Handle());
  }
}

// The icon is made straight from the rendering; an image list given the same rendering and
// mask colour is the reference for its image and mask.
TEST(TextPicture, IconHasTheImageAndMaskAnImageListGives) {
  for (TColor ground : {clBtnFace, clPurple, clNone, clWhite}) {
    TRig rig;
    rig.Icon->Font().SetColor(clPurple);
    rig.Icon->SetBorder(true);
    rig.Icon->SetColor(ground);
    rig.Icon->SetText("47\xC2\xB0");
    HIcon reference = ImageListIcon(rig.Sim.Gdi, rig.Icon->TextBitmap(), rig.Icon->FillColour());
    EXPECT_TRUE(SameIconImage(rig.Sim.Gdi, rig.Icon->Icon()->Handle(), reference)) << ground;
    rig.Sim.Gdi.DestroyIcon(reference);
  }
}

TEST(TextPicture, TransparentPictureKeepsTheFrameOpaque) {
  TRig rig;
  rig.Icon->SetColor(clNone);
  rig.Icon->SetBorder(true);
  rig.Icon->SetText("");
  const auto* icon = rig.Sim.Gdi.Icon(rig.Icon->Icon()->Handle());
  ASSERT_NE(icon, nullptr);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      bool edge = x == 0 || y == 0 || x == 15 || y == 15;
      EXPECT_EQ(icon->Transparent[y * 16 + x], !edge) << x << "," << y;
    }
}

TEST(TextPicture, BackgroundIconShowsWhereTheRenderingHasItsFillColour) {
  TRig rig;
  PlainStyle(*rig.Icon);
  TBitmap stripes(rig.Sim.Gdi);
  std::vector<TColorRef> pixels(256);
  for (std::size_t k = 0; k < 256; ++k) pixels[k] = (k / 16) % 2 ? 0x00FF00 : 0xFF0000;
  stripes.LoadFromPixels(16, 16, pixels);
  TIcon background(rig.Sim.Gdi);
  background.FromBitmap(stripes, clNone);
  rig.Icon->SetBackgroundIcon(&background);
  rig.Icon->SetText("XX");
  const auto* icon = rig.Sim.Gdi.Icon(rig.Icon->Icon()->Handle());
  ASSERT_NE(icon, nullptr);
  std::vector<TColorRef> expected = Boxes(Row(2, 1, 4), kInk, 0x123456);
  for (std::size_t k = 0; k < 256; ++k)
    if (expected[k] != kInk) expected[k] = pixels[k];
  EXPECT_EQ(icon->Image.Pixels, expected);
}

// ---- what renders and pushes -------------------------------------------------------

TEST(TextRebuilds, EveryAssignmentRendersAndPushesOnlyRealOptionChangesDo) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  auto pushes = [&] { return rig.Sim.Shell.Requests.size(); };
  auto texts = [&] { return rig.Sim.Gdi.Stats.Texts; };
  struct TStep {
    const char* Name;
    std::function<void(TTextTrayIcon&)> Change;
    int Renders;
  };
  const std::vector<TStep> steps = {
      {"text", [](TTextTrayIcon& i) { i.SetText("45\xC2\xB0"); }, 1},
      {"the same text", [](TTextTrayIcon& i) { i.SetText("45\xC2\xB0"); }, 1},
      {"the same colour", [](TTextTrayIcon& i) { i.SetColor(i.Color()); }, 1},
      {"the same border", [](TTextTrayIcon& i) { i.SetBorder(false); }, 1},
      {"the same border colour", [](TTextTrayIcon& i) { i.SetBorderColor(clBlack); }, 1},
      {"OffsetX unchanged", [](TTextTrayIcon& i) { i.Options().SetOffsetX(0); }, 0},
      {"OffsetX", [](TTextTrayIcon& i) { i.Options().SetOffsetX(2); }, 1},
      {"OffsetY unchanged", [](TTextTrayIcon& i) { i.Options().SetOffsetY(0); }, 0},
      {"LineDistance", [](TTextTrayIcon& i) { i.Options().SetLineDistance(1); }, 1},
      {"font face", [](TTextTrayIcon& i) { i.Font().SetName("Arial Narrow"); }, 1},
      {"the same face", [](TTextTrayIcon& i) { i.Font().SetName("Arial Narrow"); }, 0},
      {"font height", [](TTextTrayIcon& i) { i.Font().SetHeight(-9); }, 1},
      {"font colour", [](TTextTrayIcon& i) { i.Font().SetColor(clPurple); }, 1},
      {"font charset", [](TTextTrayIcon& i) { i.Font().SetCharset(ANSI_CHARSET); }, 1},
      {"font style", [](TTextTrayIcon& i) { i.Font().SetStyle(fsBold); }, 1},
  };
  for (const TStep& step : steps) {
    std::size_t before = pushes();
    int textsBefore = texts();
    step.Change(*rig.Icon);
    EXPECT_EQ(pushes() - before, static_cast<std::size_t>(step.Renders)) << step.Name;
    EXPECT_EQ(texts() - textsBefore, step.Renders) << step.Name;
    if (step.Renders) {
      EXPECT_EQ(rig.Sim.Shell.Requests.back().Message, NIM_MODIFY) << step.Name;
      EXPECT_TRUE(rig.Sim.Shell.Requests.back().Accepted) << step.Name;
    }
  }
}

// A refresh repeats the drawing, not the making of the picture: after the first rendering
// no bitmap or image list is made, and the one new icon goes to the entry without a copy.
TEST(TextRebuilds, ARenderingMakesOneIconAndNoBitmapOrImageList) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  rig.Icon->SetBorder(true);
  rig.Icon->SetText("00\xC2\xB0");
  using K = TSimGdi::TKind;
  auto made = [&](K kind) { return rig.Sim.Gdi.Stats.Made[static_cast<int>(kind)]; };
  int bitmaps = made(K::Bitmap), lists = made(K::ImageList), icons = made(K::Icon);
  for (int i = 0; i < 10; ++i) rig.Icon->SetText(std::to_string(40 + i) + "\xC2\xB0");
  EXPECT_EQ(made(K::Bitmap) - bitmaps, 0);
  EXPECT_EQ(made(K::ImageList) - lists, 0);
  EXPECT_EQ(made(K::Icon) - icons, 10);
}

TEST(TextRebuilds, ConstructionRendersNothing) {
  TRig rig;
  EXPECT_TRUE(rig.Sim.Shell.Requests.empty());
  EXPECT_EQ(rig.Sim.Gdi.Stats.Texts, 0);
  EXPECT_EQ(rig.Icon->Color(), clBtnFace);
  EXPECT_EQ(rig.Icon->BorderColor(), clBlack);
  EXPECT_EQ(rig.Icon->Font().Name(), TFont::kDefaultName);
}

TEST(TextRebuilds, TenThousandRenderingsLeaveNoHandlesBehind) {
  TRig rig;
  rig.Icon->SetIconVisible(true);
  rig.Icon->SetBorder(true);
  rig.Icon->SetText("00\xC2\xB0");
  using K = TSimGdi::TKind;
  auto counts = [&] {
    std::vector<std::size_t> n;
    for (K kind : {K::DC, K::Pen, K::Brush, K::Font, K::Bitmap, K::Icon, K::ImageList})
      n.push_back(rig.Sim.Gdi.OpenCount(kind));
    return n;
  };
  auto before = counts();
  for (int i = 0; i < 10000; ++i) {
    rig.Icon->SetText(std::to_string(i % 100) + "\xC2\xB0");
    if (i % 1000 == 0) rig.Icon->SetColor(i % 2000 ? clNone : clBtnFace);
  }
  EXPECT_EQ(counts(), before);
}
