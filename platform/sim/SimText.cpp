#include "platform/sim/SimText.h"

namespace {
constexpr char32_t kReplacement = 0xFFFD;

// 0x80..0x9F of code page 1252.
constexpr char16_t k1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
// 0x80..0xBF of code page 1251; 0xC0..0xFF are U+0410..U+044F.
constexpr char16_t k1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

bool LeadByte(unsigned char b, int codePage) {
  switch (codePage) {
    case 932:
      return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
      return b >= 0x81 && b <= 0xFE;
  }
  return false;
}

char32_t SingleByte(unsigned char b, int codePage) {
  if (b < 0x80) return b;
  switch (codePage) {
    case 1251:
      return b >= 0xC0 ? char32_t{0x0410} + (b - 0xC0) : k1251High[b - 0x80];
    case 932:
      return b >= 0xA1 && b <= 0xDF ? char32_t{0xFF61} + (b - 0xA1) : kReplacement;
    case 936:
    case 949:
    case 950:
      return kReplacement;
  }
  return b >= 0xA0 ? char32_t{b} : char32_t{k1252High[b - 0x80]};
}
}  // namespace

std::u32string SimDecodeAnsi(std::string_view text, int codePage) {
  std::u32string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto b = static_cast<unsigned char>(text[i]);
    if (LeadByte(b, codePage)) {
      ++i;  // the trail byte, or the end of a text cut after its lead byte
      result.push_back(kReplacement);
    } else {
      result.push_back(SingleByte(b, codePage));
    }
  }
  return result;
}

std::u32string SimDecodeUtf16(std::u16string_view text) {
  std::u32string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t u = text[i];
    bool high = u >= 0xD800 && u <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      result.push_back(0x10000 + ((u - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else {
      result.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
  }
  return result;
}

std::string SimUtf8(std::u16string_view text) {
  std::string result;
  for (char32_t c : SimDecodeUtf16(text.substr(0, text.find(u'\0')))) {
    if (c < 0x80) {
      result += static_cast<char>(c);
    } else if (c < 0x800) {
      result += static_cast<char>(0xC0 | (c >> 6));
      result += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      result += static_cast<char>(0xE0 | (c >> 12));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      result += static_cast<char>(0xF0 | (c >> 18));
      result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}
