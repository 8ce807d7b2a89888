#include "storage/StorageText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::size_t FindText(const std::string& text, const std::string& what) {
  if (what.size() > text.size()) return std::string::npos;
  for (std::size_t i = 0; i + what.size() <= text.size(); ++i) {
    bool match = true;
    for (std::size_t j = 0; match && j < what.size(); ++j)
      match = std::toupper(static_cast<unsigned char>(text[i + j])) ==
              std::toupper(static_cast<unsigned char>(what[j]));
    if (match) return i;
  }
  return std::string::npos;
}

bool ParseInt64(const std::string& text, std::int64_t& value) {
  std::size_t i = 0;
  std::size_t end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned base = 10;
  if (end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= end) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
  for (; i < end; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned digit;
    if (std::isdigit(c))
      digit = c - '0';
    else if (base == 16 && std::isxdigit(c))
      digit = static_cast<unsigned>(std::toupper(c) - 'A' + 10);
    else
      return false;
    if (magnitude > (limit - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  value =
      negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

bool ParseFloat(const std::string& text, char separator, long double& value) {
  std::string plain;
  for (char c : text) {
    if (c == separator)
      plain += '.';
    else if (c == '.' && separator != '.')
      return false;
    else
      plain += c;
  }
  std::size_t start = 0;
  while (start < plain.size() && IsBlank(plain[start])) ++start;
  while (!plain.empty() && IsBlank(plain.back())) plain.pop_back();
  if (start >= plain.size()) return false;
  const char* begin = plain.c_str() + start;
  char* stop = nullptr;
  double parsed = std::strtod(begin, &stop);
  if (stop == begin || *stop != '\0') return false;
  value = parsed;
  return true;
}

std::string FormatFloat(long double value, char separator) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", static_cast<double>(value));
  std::string text = buffer;
  for (char& c : text)
    if (c == '.') c = separator;
  return text;
}

std::string Trim(const std::string& s) {
  std::size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  std::size_t end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}
