#pragma once
// The one root of the program's own exception classes.
#include <exception>
#include <string>
#include <utility>

// The message is held here rather than in a library error class: those keep it in a second
// string implementation of their own, which the executable would carry only for them.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }
  std::string Message() const { return FMessage; }

 private:
  std::string FMessage;
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
