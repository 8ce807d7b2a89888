#pragma once
// The tray message window, shared by every tray icon of the process. The shell sends each
// entry's notifications here; the entry's identity in wParam leads back to its component.
// The first tray icon creates the handler, each holds one reference, the last one out
// destroys it with its window. The platform instance keeps it, so it is shared within one
// program and never outlives it.
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/Platform.h"

class TTrayIcon;

class TTrayIconHandler : public TProcessState::TShared, public IWindowProc {
 public:
  // Takes a reference, creating the handler and its window first if there is none.
  static TTrayIconHandler& Acquire(TPlatform& platform);
  // Gives a reference back; the last one destroys the handler.
  static void Release(TPlatform& platform);
  // The handler of the program on this platform, if there is one.
  static TTrayIconHandler* Instance(const TPlatform& platform);

  explicit TTrayIconHandler(TPlatform& platform);
  ~TTrayIconHandler() override;

  HWnd Handle() const { return FHandle; }
  int RefCount() const { return FRefCount; }
  // The number the platform gave "TaskbarCreated" for this run; 0 when the common controls
  // are too old to announce a shell restart.
  std::uint32_t ShellRestartMessage() const { return FShellRestartMessage; }

  // Identities unique within the process; 0 is never given out.
  std::uint32_t Register(TTrayIcon* icon);
  void Unregister(std::uint32_t id);

  std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;

 private:
  // The windows only: the handler may go while the platform is being taken down.
  IWindowing& FWindows;
  HWnd FHandle = HWnd::None;
  int FRefCount = 0;
  std::uint32_t FShellRestartMessage = 0;
  // By identifier; a handful at most.
  std::vector<std::pair<std::uint32_t, TTrayIcon*>> FIcons;
  std::uint32_t FNextId = 1;
};
