#include "framework/Strings.h"

#include <algorithm>
#include <cctype>

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

std::string ExtractFilePath(const std::string& path) {
  auto last = path.find_last_of("\\:");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string Cp1251ToUtf8(const std::string& text) {
  std::string utf8;
  for (unsigned char c : text) {
    char32_t code = c < 0x80    ? c
                    : c >= 0xC0 ? U'\u0410' + (c - 0xC0)  // А..я in alphabet order
                    : c == 0xA8 ? U'\u0401'               // Ё
                    : c == 0xB8 ? U'\u0451'               // ё
                                : U'?';
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

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

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD;  // a lone surrogate
    if (c < 0x80) {
      result.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      result.push_back(static_cast<char>(0xC0 | c >> 6));
      result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      result.push_back(static_cast<char>(0xE0 | c >> 12));
      result.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      result.push_back(static_cast<char>(0xF0 | c >> 18));
      result.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return result;
}
