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
