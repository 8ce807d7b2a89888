// The setup's plugin: its decisions about folders and the driver file it hands over, made by
// the program's own rule (hw/LoadPlace) on the real system. Each entry takes its arguments
// from the script's stack, first argument on top, and leaves one answer there:
//
//   KelvaneSetup::InstallFolder folder default(0|1) earlier(0|1) desktopSid make(0|1)
//   KelvaneSetup::DriverSource  path desktopSid
//   KelvaneSetup::FolderWay     folder
//   KelvaneSetup::DriverImage   imagePath           (the full path, or "" for another form)
//   KelvaneSetup::CloseKelvane  desktopSid          ("none", "closed" or "running")
//   KelvaneSetup::KelvaneRuns   desktopSid          ("1" or "0")
//
// A verdict is the clause the script shows after the folder: empty when the place passed.
#include <string>

#include "NsisStack.h"
#include "hw/KelvaneProcess.h"
#include "hw/LoadPlace.h"
#include "platform/Owned.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Windowing.h"
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

KELVANE_ENTRY(InstallFolder) {
  TStack stack(stringSize, stackTop);
  std::string folder = stack.Pop();
  bool isDefault = stack.Pop() == "1";
  bool earlier = stack.Pop() == "1";
  std::string desktopSid = stack.Pop();
  bool make = stack.Pop() == "1";
  TWin32System system;
  std::vector<std::string> accounts = SetupAccounts(system, desktopSid);
  stack.Push(PlaceRefusal(make ? MakeInstallFolder(system, folder, isDefault, earlier, accounts)
                               : CheckInstallFolder(system, folder, isDefault, earlier, accounts)));
}

KELVANE_ENTRY(DriverSource) {
  TStack stack(stringSize, stackTop);
  std::string path = stack.Pop();
  std::string desktopSid = stack.Pop();
  TWin32System system;
  stack.Push(PlaceRefusal(CheckLoadPlace(system, path, SetupAccounts(system, desktopSid)).Verdict));
}

KELVANE_ENTRY(FolderWay) {
  TStack stack(stringSize, stackTop);
  std::string folder = stack.Pop();
  TWin32System system;
  stack.Push(PlaceRefusal(CheckFolderWay(system, folder)));
}

KELVANE_ENTRY(DriverImage) {
  TStack stack(stringSize, stackTop);
  std::string imagePath = stack.Pop();
  TWin32System system;
  stack.Push(DriverImagePath(imagePath, system.WindowsFolder()));
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
