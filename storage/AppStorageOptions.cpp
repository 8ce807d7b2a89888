#include "storage/AppStorageOptions.h"

#include "framework/Strings.h"
#include "storage/StorageText.h"

namespace {
std::string FirstItem(const std::string& list) { return Trim(list.substr(0, list.find(','))); }

bool InList(const std::string& list, const std::string& text) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(", ", start);
    std::string item = list.substr(start, end == std::string::npos ? end : end - start);
    if (!item.empty() && SameText(item, text)) return true;
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
