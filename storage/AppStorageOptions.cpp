#include "storage/AppStorageOptions.h"

#include <cctype>

namespace {
std::string Trim(const std::string& s) {
  std::size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  std::size_t end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

std::string FirstItem(const std::string& list) { return Trim(list.substr(0, list.find(','))); }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool InList(const std::string& list, const std::string& text) {
  std::string upperList = Upper(list);
  std::string upperText = Upper(text);
  std::size_t start = 0;
  while (start <= upperList.size()) {
    std::size_t end = upperList.find_first_of(", ", start);
    std::string item = upperList.substr(start, end == std::string::npos ? end : end - start);
    if (!item.empty() && item == upperText) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}
}  // namespace

void TCustomAppStorageOptions::SetBooleanStringTrueValues(const std::string& value) {
  FBooleanStringTrueValues = value;
  if (FirstItem(value).empty()) FBooleanAsString = false;
}

void TCustomAppStorageOptions::SetBooleanStringFalseValues(const std::string& value) {
  FBooleanStringFalseValues = value;
  if (FirstItem(value).empty()) FBooleanAsString = false;
}

void TCustomAppStorageOptions::SetBooleanAsString(bool value) {
  FBooleanAsString = value && !DefaultTrueString().empty() && !DefaultFalseString().empty();
}

std::string TCustomAppStorageOptions::DefaultTrueString() const {
  return FirstItem(FBooleanStringTrueValues);
}

std::string TCustomAppStorageOptions::DefaultFalseString() const {
  return FirstItem(FBooleanStringFalseValues);
}

bool TCustomAppStorageOptions::IsValueTrueString(const std::string& text) const {
  return InList(FBooleanStringTrueValues, text);
}

bool TCustomAppStorageOptions::IsValueFalseString(const std::string& text) const {
  return InList(FBooleanStringFalseValues, text);
}
