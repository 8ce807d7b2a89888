#pragma once
// The registry, shaped like advapi32: every call returns the system's status code.
class IRegistry {
 public:
  virtual ~IRegistry() = default;
};
