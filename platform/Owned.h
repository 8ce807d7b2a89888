#pragma once
// One owner for a handle of the system: move-only, and it closes what it holds exactly once,
// on every path out. `TCloser` says how a handle of its kind is closed:
//   struct TCloser { using Service = ...; using Handle = ...; static void Close(Service&, Handle);
//   };
// A handle equal to Handle{} (None) is no handle and is never closed.
#include <utility>

#include "platform/Registry.h"
#include "platform/System.h"

template <class TCloser>
class TOwned {
 public:
  using Service = typename TCloser::Service;
  using Handle = typename TCloser::Handle;

  explicit TOwned(Service& service, Handle handle = Handle{})
      : FService(&service), FHandle(handle) {}
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;
  TOwned(TOwned&& other) noexcept
      : FService(other.FService), FHandle(std::exchange(other.FHandle, Handle{})) {}
  TOwned& operator=(TOwned&& other) noexcept {
    if (this != &other) {
      Reset();
      FService = other.FService;
      FHandle = std::exchange(other.FHandle, Handle{});
    }
    return *this;
  }
  ~TOwned() { Reset(); }

  Handle Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != Handle{}; }
  // Closes what is held, if anything, and holds `handle` instead.
  void Reset(Handle handle = Handle{}) {
    Handle old = std::exchange(FHandle, handle);
    if (old != Handle{}) TCloser::Close(*FService, old);
  }

 private:
  Service* FService;
  Handle FHandle;
};

// Mutexes and devices.
struct TKernelObjectCloser {
  using Service = ISystem;
  using Handle = THandle;
  static void Close(ISystem& system, THandle handle) { system.CloseHandle(handle); }
};
using TOwnedKernelObject = TOwned<TKernelObjectCloser>;

// The service manager and services.
struct TServiceHandleCloser {
  using Service = ISystem;
  using Handle = HService;
  static void Close(ISystem& system, HService handle) { system.CloseServiceHandle(handle); }
};
using TOwnedServiceHandle = TOwned<TServiceHandleCloser>;

// Registry keys. Predefined keys are never closed: the system hands them out shared.
struct TRegKeyCloser {
  using Service = IRegistry;
  using Handle = HKey;
  static void Close(IRegistry& registry, HKey key) {
    if (!IsPredefinedKey(key)) registry.RegCloseKey(key);
  }
};
using TOwnedRegKey = TOwned<TRegKeyCloser>;
