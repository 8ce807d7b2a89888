#pragma once
// Files read whole: the one file the program reads, the module it hands to a driver.
#include <cstdint>
#include <string>
#include <vector>

class IFiles {
 public:
  virtual ~IFiles() = default;
  // False when the file cannot be opened or read.
  virtual bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) = 0;
};
