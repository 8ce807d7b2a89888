#pragma once
// The real platform. The port bus is the processor's port instructions unless a test tool
// hands in another.
#include <memory>

#include "platform/Platform.h"
#include "platform/win32/Win32Gdi.h"
#include "platform/win32/Win32Ports.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Windowing.h"

// The process's first act: libraries loaded later by name come from the system folder alone,
// not from the executable's folder or the current one. Where the system has no such setting
// (Windows XP, Vista and 7 without their update), nothing changes; Kelvane itself loads every
// library by its full path anyway.
void SearchSystemFolderOnly();

class TWin32Platform {
 public:
  // `ports` null: the processor's own port instructions.
  explicit TWin32Platform(IPortBus* ports = nullptr);
  TWin32Platform(const TWin32Platform&) = delete;
  TWin32Platform& operator=(const TWin32Platform&) = delete;

  TPlatform& Platform() { return FPlatform; }
  const TWin32Gdi& Gdi() const { return FGdi; }

 private:
  std::unique_ptr<TWin32Ports> FRealPorts;
  TWin32System FSystem;
  TWin32Windowing FWindows;
  TWin32Gdi FGdi;
  TWin32Registry FRegistry;
  TWin32Shell FShell;
  TPlatform FPlatform;
};
