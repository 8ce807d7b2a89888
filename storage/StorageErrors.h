#pragma once
// Failures of the settings store, and the formatting of their fixed texts.
#include <initializer_list>
#include <string>

#include "platform/Exception.h"

// A registry key or value that cannot be opened, read or written.
class ERegistryError : public Exception {
 public:
  using Exception::Exception;
};

// A key that cannot be created.
class EStorageError : public Exception {
 public:
  using Exception::Exception;
};

// Misuse of a storage: a bad path, an unusable sub-storage, a property type it cannot store.
class EAppStorageError : public Exception {
 public:
  using Exception::Exception;
};

// Fills "%s" in order and "%0:s", "%1:s" by index.
std::string FormatText(const std::string& format, std::initializer_list<std::string> args);
