#include "tray/Utf16.h"

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      result.push_back(lead);
      ++i;
      continue;
    }
    // Lead bytes 0xC2..0xF4 start sequences of two to four bytes; the rest start none.
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 1;
    char32_t c = lead & (0x7F >> length);
    std::size_t end = i + 1;
    for (; end < i + length && end < text.size(); ++end) {
      auto next = static_cast<unsigned char>(text[end]);
      if ((next & 0xC0) != 0x80) break;
      c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    bool whole = length > 1 && end == i + length;
    if (!whole || c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      result.push_back(0xFFFD);
    } else if (c >= 0x10000) {
      result.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(c));
    }
    i = end;
  }
  return result;
}
