#pragma once
// An open registry key, closed when the holder goes out of scope, on every path out.
// Predefined keys are never closed: the system hands them out shared.
#include <utility>

#include "platform/Registry.h"

class TRegKeyHandle {
 public:
  TRegKeyHandle(IRegistry& registry, HKey key) : FRegistry(&registry), FKey(key) {}
  TRegKeyHandle(const TRegKeyHandle&) = delete;
  TRegKeyHandle& operator=(const TRegKeyHandle&) = delete;
  TRegKeyHandle(TRegKeyHandle&& other) noexcept
      : FRegistry(other.FRegistry), FKey(std::exchange(other.FKey, 0)) {}
  ~TRegKeyHandle() {
    if (FKey && !IsPredefinedKey(FKey)) FRegistry->RegCloseKey(FKey);
  }
  HKey Get() const { return FKey; }

 private:
  IRegistry* FRegistry;
  HKey FKey;
};
