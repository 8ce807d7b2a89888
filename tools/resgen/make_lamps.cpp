// Writes the three lamp glyphs as 4-bit bitmap files (lampon.bmp, lampoff.bmp,
// lampdisabled.bmp) from the lamp table, for the executable's "LampON", "LampOFF" and
// "LampDISABLED" bitmap resources. Run by hand when a picture changes; the results are
// committed.
//
//   make_lamps [DIRECTORY]      (default: app/res)
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "widgets/Lamps.h"

namespace {
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::vector<std::uint8_t> Bitmap(TLampKind kind) {
  constexpr std::uint32_t kRowBytes = ((kLampSize * 4 + 31) / 32) * 4;
  constexpr std::uint32_t kPixelOffset = 14 + 40 + 16 * 4;
  constexpr std::uint32_t kImageSize = kRowBytes * kLampSize;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, kPixelOffset + kImageSize);
  Put32(out, 0);
  Put32(out, kPixelOffset);
  Put32(out, 40);
  Put32(out, kLampSize);
  Put32(out, kLampSize);  // positive: rows from the bottom
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, 0);  // no compression
  Put32(out, kImageSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 16);
  Put32(out, 16);
  for (TColorRef c : kLampPalette) {  // blue, green, red, reserved
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  std::vector<std::uint8_t> indices = LampIndices(kind);
  for (int y = kLampSize - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(kRowBytes, 0);
    for (int x = 0; x < kLampSize; ++x) {
      std::uint8_t index = indices[static_cast<std::size_t>(y * kLampSize + x)];
      row[static_cast<std::size_t>(x / 2)] |= x % 2 == 0 ? index << 4 : index;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  std::string directory = argc > 1 ? argv[1] : "app/res";
  const struct {
    TLampKind Kind;
    const char* File;
  } lamps[] = {{TLampKind::On, "lampon.bmp"},
               {TLampKind::Off, "lampoff.bmp"},
               {TLampKind::Disabled, "lampdisabled.bmp"}};
  for (const auto& lamp : lamps) {
    std::string path = directory + "/" + lamp.File;
    std::vector<std::uint8_t> bytes = Bitmap(lamp.Kind);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      std::cerr << "cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
