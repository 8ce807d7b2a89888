// The setup's plugin: every decision of the setup, made on the real system by the setup layer
// (setup/SetupSteps.h) and the program's own rules. Each entry takes its arguments from the
// script's stack, first argument on top, and leaves its answers there, the first on top:
//
//   KelvaneSetup::Users                 (desktopName, desktopSid, setupName)
//   KelvaneSetup::DefaultFolder program64(0|1)
//   KelvaneSetup::InstallFolder folder earlier(0|1) desktopSid make(0|1)
//   KelvaneSetup::DriverSource  path desktopSid
//   KelvaneSetup::RemoveDriver  folder
//   KelvaneSetup::RemoveInstall folder
//   KelvaneSetup::PawnIo
//   KelvaneSetup::PawnIoSetup   exitCode
//   KelvaneSetup::CloseKelvane  desktopSid          ("none", "closed" or "running")
//   KelvaneSetup::KelvaneRuns   desktopSid          ("1" or "0")
//
// A folder's or a file's verdict is the clause the script shows after its name: empty when the
// place passed. Every other answer the script shows is a whole sentence (empty: nothing to say).
#include <string>

#include "NsisStack.h"
#include "hw/KelvaneProcess.h"
#include "hw/LoadPlace.h"
#include "platform/Owned.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Windowing.h"
#include "setup/SetupSteps.h"
#include "setup/SetupText.h"

namespace {
// The next window of Kelvane's main class after `after` whose process is a Kelvane of the
// desktop user or of the setup's own account, with that process opened in `process`. Any
// program may make a window of the class: one whose process cannot be told is passed over.
HWND NextKelvaneWindow(TWin32System& system, const std::string& desktopSid, HWND after,
                       TOwnedKernelObject& process) {
  while ((after = FindWindowExA(nullptr, after, Win32ClassName(TWindowClass::Frame), nullptr))) {
    DWORD id = 0;
    GetWindowThreadProcessId(after, &id);
    process.Reset(id != 0 ? system.OpenProcess(id) : THandle::None);
    if (IsKelvaneProcess(system, process.Get(), desktopSid) ||
        IsKelvaneProcess(system, process.Get()))
      return after;
  }
  process.Reset();
  return nullptr;
}
}  // namespace

KELVANE_ENTRY(Users) {
  TStack stack(stringSize, stackTop);
  TWin32System system;
  TWin32SetupSystem setup;
  TSetupUsers users = FindSetupUsers(system, setup);
  stack.Push(users.SetupName);
  stack.Push(users.DesktopSid);
  stack.Push(users.DesktopName);
}

KELVANE_ENTRY(DefaultFolder) {
  TStack stack(stringSize, stackTop);
  bool program64 = stack.Pop() == "1";
  TWin32SetupSystem setup;
  TWin32Registry registry;
  stack.Push(DefaultInstallFolder(setup, registry, program64));
}

KELVANE_ENTRY(InstallFolder) {
  TStack stack(stringSize, stackTop);
  std::string folder = stack.Pop();
  bool earlier = stack.Pop() == "1";
  std::string desktopSid = stack.Pop();
  bool make = stack.Pop() == "1";
  TWin32System system;
  TWin32SetupSystem setup;
  TWin32Registry registry;
  stack.Push(PlaceRefusal(
      InstallFolderVerdict(system, setup, registry, folder, earlier, desktopSid, make)));
}

KELVANE_ENTRY(DriverSource) {
  TStack stack(stringSize, stackTop);
  std::string path = stack.Pop();
  std::string desktopSid = stack.Pop();
  TWin32System system;
  stack.Push(PlaceRefusal(CheckLoadPlace(system, path, SetupAccounts(system, desktopSid)).Verdict));
}

KELVANE_ENTRY(RemoveDriver) {
  TStack stack(stringSize, stackTop);
  std::string folder = stack.Pop();
  TWin32System system;
  TWin32SetupSystem setup;
  stack.Push(RemoveOwnDriverService(system, setup, folder));
}

KELVANE_ENTRY(RemoveInstall) {
  TStack stack(stringSize, stackTop);
  std::string folder = stack.Pop();
  TWin32System system;
  TWin32SetupSystem setup;
  stack.Push(RemoveInstallFolder(system, setup, folder));
}

KELVANE_ENTRY(PawnIo) {
  TStack stack(stringSize, stackTop);
  TWin32Registry registry;
  stack.Push(PawnIoMissing(registry));
}

KELVANE_ENTRY(PawnIoSetup) {
  TStack stack(stringSize, stackTop);
  stack.Push(PawnIoSetupEnded(stack.Pop()));
}

// Asks each running Kelvane to close, as at log-off, and waits for its process (the one opened
// when its window was told, whatever its identifier becomes) to end.
KELVANE_ENTRY(CloseKelvane) {
  TStack stack(stringSize, stackTop);
  std::string desktopSid = stack.Pop();
  TWin32System system;
  TOwnedKernelObject process(system);
  const char* answer = "none";
  while (HWND window = NextKelvaneWindow(system, desktopSid, nullptr, process)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!system.WaitForProcessExit(process.Get(), kCloseWaitMs)) {
      answer = "running";
      break;
    }
    answer = "closed";
  }
  stack.Push(answer);
}

KELVANE_ENTRY(KelvaneRuns) {
  TStack stack(stringSize, stackTop);
  std::string desktopSid = stack.Pop();
  TWin32System system;
  TOwnedKernelObject process(system);
  stack.Push(NextKelvaneWindow(system, desktopSid, nullptr, process) ? "1" : "0");
}
