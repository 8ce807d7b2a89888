// Writes app/res/mainicon.ico: the application icon, a spanner lying from upper left to lower
// right with light-blue ends and a red handle on a transparent ground, as a 256-colour and a
// 32-bit 16x16 image. Run by hand when the picture changes; the result is committed.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

namespace {
constexpr int kSize = 16;
struct TRgb {
  std::uint8_t R, G, B;
};
// Palette indices: 0 transparent ground, then the spanner's colours.
constexpr TRgb kColours[] = {
    {0, 0, 0}, {120, 190, 255}, {30, 90, 170}, {225, 35, 35}, {135, 0, 0},
};

int PixelAt(int x, int y) {
  double px = x + 0.5, py = y + 0.5;
  // The handle: a thick stroke along the diagonal between the two ends.
  double along = (px + py) / 2.0;
  double across = std::abs(px - py) / std::sqrt(2.0);
  if (along >= 5.0 && along <= 11.0 && across <= 1.45) return across > 0.75 ? 4 : 3;
  // The ends: rings with their jaws open towards the corners.
  struct {
    double X, Y;
    int Sign;
  } ends[] = {{4.0, 4.0, -1}, {12.0, 12.0, 1}};
  for (auto e : ends) {
    double dx = px - e.X, dy = py - e.Y;
    double r = std::hypot(dx, dy);
    bool jaw = dx * e.Sign > 0 && dy * e.Sign > 0 && std::abs(dx - dy) < 1.6;
    if (r <= 3.7 && r >= 1.2 && !jaw) return r > 2.9 ? 2 : 1;
  }
  return 0;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// One icon image: header, colours, bottom-up colour rows, bottom-up 1-bit mask rows.
std::vector<std::uint8_t> Image(int bits) {
  std::vector<std::uint8_t> out;
  int rowBytes = bits == 8 ? 16 : 64;
  int maskRowBytes = 4;
  Put32(out, 40);
  Put32(out, kSize);
  Put32(out, kSize * 2);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, 0);
  Put32(out, static_cast<unsigned>((rowBytes + maskRowBytes) * kSize));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, bits == 8 ? 256 : 0);
  Put32(out, 0);
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      TRgb c = i < 5 ? kColours[i] : TRgb{0, 0, 0};
      out.insert(out.end(), {c.B, c.G, c.R, 0});
    }
  }
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; ++x) {
      int index = PixelAt(x, y);
      if (bits == 8) {
        out.push_back(static_cast<std::uint8_t>(index));
      } else {
        TRgb c = kColours[index];
        out.insert(out.end(), {c.B, c.G, c.R, static_cast<std::uint8_t>(index ? 255 : 0)});
      }
    }
  }
  for (int y = kSize - 1; y >= 0; --y) {
    unsigned mask = 0;
    for (int x = 0; x < kSize; ++x)
      if (PixelAt(x, y) == 0) mask |= 0x8000u >> x;
    out.insert(out.end(), {static_cast<std::uint8_t>(mask >> 8),
                           static_cast<std::uint8_t>(mask & 0xFF), 0, 0});
  }
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "app/res/mainicon.ico";
  std::vector<std::uint8_t> images[] = {Image(8), Image(32)};
  std::vector<std::uint8_t> file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, 2);
  unsigned offset = 6 + 16 * 2;
  for (int i = 0; i < 2; ++i) {
    file.insert(file.end(), {kSize, kSize, 0, 0});
    Put16(file, 1);
    Put16(file, i == 0 ? 8 : 32);
    Put32(file, static_cast<unsigned>(images[i].size()));
    Put32(file, offset);
    offset += static_cast<unsigned>(images[i].size());
  }
  for (auto& image : images) file.insert(file.end(), image.begin(), image.end());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) std::cout << ".bBrR"[PixelAt(x, y)];
    std::cout << '\n';
  }
}
