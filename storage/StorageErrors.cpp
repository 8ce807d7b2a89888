#include "storage/StorageErrors.h"

#include <cctype>
#include <vector>

std::string FormatText(const std::string& format, std::initializer_list<std::string> args) {
  std::vector<std::string> values(args);
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    if (format[i + 1] == 's') {
      if (next < values.size()) out += values[next];
      ++next;
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    std::size_t index = 0;
    while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])))
      index = index * 10 + static_cast<std::size_t>(format[j++] - '0');
    if (j > i + 1 && j + 1 < format.size() && format[j] == ':' && format[j + 1] == 's') {
      if (index < values.size()) out += values[index];
      next = index + 1;
      i = j + 1;
      continue;
    }
    out += format[i];
  }
  return out;
}
