#pragma once
// Files read whole: the one file the program reads, the module it hands to a driver, and data
// the build put inside the executable.
#include <cstdint>
#include <string>
#include <vector>

class IFiles {
 public:
  virtual ~IFiles() = default;
  // False when the file cannot be opened or read. The path is UTF-8.
  virtual bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) = 0;
  // The executable's own data resource (RCDATA) of that name; false when it carries none.
  virtual bool ReadResource(const std::string& name, std::vector<std::uint8_t>& bytes) = 0;
};
