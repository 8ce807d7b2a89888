#pragma once
// The one root of the program's own exception classes.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A port access the system refused (the processor's privileged-instruction fault).
class EPrivilegedInstruction : public Exception {
 public:
  EPrivilegedInstruction() : Exception("Privileged instruction") {}
};
