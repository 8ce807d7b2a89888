#pragma once
// The one root of the program's own exception classes.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A value that does not convert to the kind asked for (a stored text that is no number, an
// object assigned from one of another kind).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A port access the system refused (the processor's privileged-instruction fault).
class EPrivilegedInstruction : public Exception {
 public:
  EPrivilegedInstruction() : Exception("Privileged instruction") {}
};
