#include "widgets/Lamps.h"

namespace {
constexpr bool ValidPicture(const TLampPicture& picture) {
  for (std::string_view row : picture.Rows) {
    if (row.size() != kLampSize) return false;
    for (char c : row)
      if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}
static_assert(ValidPicture(kLampOn) && ValidPicture(kLampOff) && ValidPicture(kLampDisabled));
}  // namespace

std::vector<std::uint8_t> LampIndices(TLampKind kind) {
  std::vector<std::uint8_t> indices;
  indices.reserve(kLampSize * kLampSize);
  for (std::string_view row : LampPicture(kind).Rows)
    for (char c : row) indices.push_back(static_cast<std::uint8_t>(LampIndex(c)));
  return indices;
}

std::vector<TColorRef> LampPixels(TLampKind kind) {
  std::vector<TColorRef> pixels;
  pixels.reserve(kLampSize * kLampSize);
  for (std::uint8_t index : LampIndices(kind)) pixels.push_back(kLampPalette[index]);
  return pixels;
}
