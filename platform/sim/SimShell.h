#pragma once
// The notification area of the simulated machine. Every request is logged with a copy of its
// record; entries are kept by (window, identity) with the system's answers: a second add of
// an entry, and a change or removal of one that is not there, are refused. The shell can be
// absent, refuse everything, or restart (forgetting its entries and announcing itself to
// every top-level window with the registered "TaskbarCreated" message).
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/Shell.h"
#include "platform/Windowing.h"
#include "platform/sim/SimHandles.h"

class TSimShell : public IShell {
 public:
  bool NotifyIcon(std::uint32_t message, const TNotifyIconData& data) override;
  TFileVersion ComCtlVersion() override { return CommonControlsVersion; }

  // ---- the machine ---------------------------------------------------------
  // No shell is running: every request fails.
  bool Absent = false;
  // The shell is there but refuses every request.
  bool Refusing = false;
  // A busy shell (as at log-on): refuses this many adds, counting down, before it takes one.
  int RefuseAdds = 0;
  // A busy shell times out this many changes, counting down: it keeps the entry as it was
  // and reports failure.
  int TimeOutModifies = 0;
  TFileVersion CommonControlsVersion{5, 82};

  // Forgets every entry, as a restarted shell has none, and broadcasts "TaskbarCreated".
  void Restart(IWindowing& windows);
  // What the shell does when the user acts on an entry: posts the entry's callback message
  // with its identity and the pointer message (WM_LBUTTONDOWN, ...) to the entry's window.
  // False when there is no such entry.
  bool PostPointerMessage(IWindowing& windows, HWnd window, std::uint32_t id,
                          std::uint32_t pointerMessage);
  // The same for the only entry there is (false unless there is exactly one).
  bool PostPointerMessage(IWindowing& windows, std::uint32_t pointerMessage);

  // ---- inspection ----------------------------------------------------------
  struct TRequest {
    std::uint32_t Message = 0;
    TNotifyIconData Data;
    bool Accepted = false;
  };
  std::vector<TRequest> Requests;
  // Keeps no requests when off (long runs).
  bool Logging = true;
  // The entries shown now, as last added or changed.
  std::map<std::pair<std::uint32_t, std::uint32_t>, TNotifyIconData> Entries;
  const TNotifyIconData* Entry(HWnd window, std::uint32_t id) const;
};
