#pragma once
// The shell's notification area and the common-controls version.
class IShell {
 public:
  virtual ~IShell() = default;
};
