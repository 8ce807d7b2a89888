#pragma once
// The notification area of the simulated machine. Every request is logged with a copy of its
// record; entries are kept by (window, identity) with the system's answers: a second add of
// an entry, and a change or removal of one that is not there, are refused. The shell can be
// absent, refuse everything, be busy (refuse adds, or time requests out and keep their
// effect), or restart: forget its entries and announce itself to every top-level window with
// the registered "TaskbarCreated" message, from its own process. The records are the wide
// ones; one of a size the wide call does not know is read as its first, short-tipped layout.
// An entry's version is kept with it until it is removed or the shell restarts; from version
// 3 on, the shell follows a left release with NIN_SELECT and a right release with
// WM_CONTEXTMENU, and a selection with the keyboard is NIN_KEYSELECT (twice for Enter).
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Shell.h"
#include "platform/sim/SimHandles.h"
#include "platform/sim/SimWindowing.h"

class TSimShell : public IShell {
 public:
  bool NotifyIcon(std::uint32_t message, const TNotifyIconData& data) override;
  TFileVersion ComCtlVersion() override { return CommonControlsVersion; }
  int NotifyIconSize() override;
  bool HidesNewEntries() override { return HidesNew; }

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
  // A busy shell times out this many adds, counting down: it takes the entry all the same
  // and reports failure.
  int TimeOutAdds = 0;
  // The shell's own process, which runs with the user's ordinary rights.
  std::uint32_t ProcessId = 0x5E11;
  TFileVersion CommonControlsVersion{5, 82};
  // The scale of the taskbar's monitor (96 is 100 %), and whether the system shows the
  // notification area's icons at it (Windows 10 1607 and later) or always at 16 x 16.
  int TaskbarDpi = 96;
  bool ScalesIcons = true;
  // The newest entry version the shell knows: 0 for one that predates versions (it refuses
  // NIM_SETVERSION), 4 for today's.
  std::uint32_t NewestVersion = 4;
  // Windows 10 and later put a new entry among the hidden icons; earlier ones show it.
  bool HidesNew = false;

  // Forgets every entry, as a restarted shell has none, and broadcasts "TaskbarCreated" from
  // the shell's process (so the elevation filter applies to it).
  void Restart(TSimWindowing& windows);
  // What the shell does when the user acts on an entry: posts the entry's callback message
  // with its identity and the pointer message (WM_LBUTTONDOWN, ...) to the entry's window.
  // False when there is no such entry.
  bool PostPointerMessage(IWindowing& windows, HWnd window, std::uint32_t id,
                          std::uint32_t pointerMessage);
  // The same for the only entry there is (false unless there is exactly one).
  bool PostPointerMessage(IWindowing& windows, std::uint32_t pointerMessage);
  // The user selects the only entry with the keyboard and presses Enter (or Space): from
  // version 3 NIN_KEYSELECT, twice for Enter; before, a right press and release.
  bool SelectWithKeyboard(IWindowing& windows, bool enter);

  // ---- inspection ----------------------------------------------------------
  struct TRequest {
    std::uint32_t Message = 0;
    TNotifyIconData Data;
    bool Accepted = false;
  };
  std::vector<TRequest> Requests;
  // Keeps no requests when off (long runs).
  bool Logging = true;
  // The entries shown now, as last added or changed; uVersion is the entry's version.
  std::map<std::pair<std::uint32_t, std::uint32_t>, TNotifyIconData> Entries;
  const TNotifyIconData* Entry(HWnd window, std::uint32_t id) const;
  // A record's tip as the shell shows it, in UTF-8.
  static std::string TipText(const TNotifyIconData& data);
  // A record's balloon as the shell shows it: title and text on two lines, in UTF-8.
  static std::string BalloonText(const TNotifyIconData& data);
};
