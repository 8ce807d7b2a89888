#include "tray/TrayIconHandler.h"

#include <algorithm>

#include "framework/Forms.h"
#include "tray/TrayIcon.h"

namespace {
// The restart announcement came with common controls 4.71.
constexpr TFileVersion kRestartAnnounced{4, 71};
}  // namespace

TTrayIconHandler& TTrayIconHandler::Acquire(TPlatform& platform) {
  TTrayIconHandler* handler = platform.State.Find<TTrayIconHandler>();
  if (!handler) handler = &platform.State.Keep(std::make_unique<TTrayIconHandler>(platform));
  ++handler->FRefCount;
  return *handler;
}

void TTrayIconHandler::Release(TPlatform& platform) {
  TTrayIconHandler* handler = platform.State.Find<TTrayIconHandler>();
  if (!handler || --handler->FRefCount > 0) return;
  platform.State.Free<TTrayIconHandler>();
}

TTrayIconHandler* TTrayIconHandler::Instance(const TPlatform& platform) {
  return platform.State.Find<TTrayIconHandler>();
}

TTrayIconHandler::TTrayIconHandler(TPlatform& platform) : FWindows(platform.Windows) {
  if (platform.Shell.ComCtlVersion() >= kRestartAnnounced) {
    FShellRestartMessage = platform.Windows.RegisterWindowMessage("TaskbarCreated");
    // The shell runs with the user's ordinary rights: without this, an elevated copy never
    // hears that the shell restarted and stays out of the notification area.
    if (FShellRestartMessage != 0) platform.Windows.ChangeWindowMessageFilter(FShellRestartMessage);
  }
  TWindowParams params;
  params.Class = TWindowClass::Utility;
  params.Style = WS_POPUP;
  params.Proc = this;
  FHandle = platform.Windows.CreateWindow(params);
}

TTrayIconHandler::~TTrayIconHandler() {
  HWnd handle = FHandle;
  FHandle = HWnd::None;
  if (FWindows.IsWindow(handle)) FWindows.DestroyWindow(handle);
}

std::uint32_t TTrayIconHandler::Register(TTrayIcon* icon) {
  std::uint32_t id = FNextId++;
  if (FNextId == 0) FNextId = 1;
  Unregister(id);  // an identifier used again after the count wrapped
  FIcons.emplace_back(id, icon);
  return id;
}

void TTrayIconHandler::Unregister(std::uint32_t id) {
  std::erase_if(FIcons, [id](const auto& entry) { return entry.first == id; });
}

std::intptr_t TTrayIconHandler::WindowProc(HWnd window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case TrayCallbackMessage: {
      auto it = std::ranges::find(FIcons, static_cast<std::uint32_t>(wParam),
                                  &std::pair<std::uint32_t, TTrayIcon*>::first);
      if (it == FIcons.end()) return 0;
      // Handlers run inside this procedure; what escapes them goes to the default report.
      TPlatform& platform = it->second->Platform();
      try {
        it->second->HandleTrayMessage(static_cast<std::uint32_t>(lParam));
      } catch (const std::exception& e) {
        ReportException(platform, e);
      }
      return 0;
    }
    // The window lives as long as a tray icon does: a close or quit request, or the end of
    // the session, does not take it down, and the query before shutting down is agreed to.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return 1;
  }
  return FWindows.DefWindowProc(window, message, wParam, lParam);
}
