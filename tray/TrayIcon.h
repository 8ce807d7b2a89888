#pragma once
// One entry in the shell's notification area: its icon and hint, the shell's pointer
// notifications turned into events, the entry put back when the shell restarts, and the
// owner window brought to the front whenever it is shown.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "platform/Shell.h"

// The message the shell sends the tray message window for every entry.
inline constexpr std::uint32_t TrayCallbackMessage = 0x0800;

using TMouseEvent = TEvent<TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TShiftState, int, int>;
// Asked at the end of loading whether the main window is to be shown when the loop starts.
using TStartupEvent = TEvent<bool&>;

class TTrayIcon : public TComponent {
 public:
  explicit TTrayIcon(TComponent* owner, TPlatform* platform = nullptr);
  ~TTrayIcon() override;

  // ---- published properties -------------------------------------------------
  // These setters push to the shell on every assignment, the current value included.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(const TIcon* value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool value);
  // UTF-8; the tip carries its first 127 UTF-16 units.
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& value);
  // Takes the hint without a request of its own: it goes with the next update, so a caller
  // that changes the picture as well tells the shell once.
  void SetHintForNextUpdate(const std::string& value) { FHint = value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  // Without an icon list there is nothing to index: it stays 0.
  int IconIndex() const { return FIconIndex; }
  void SetIconIndex(int value);
  std::uint32_t CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(std::uint32_t value);
  // Cycling goes through an icon list; there is none, so switching it on shows nothing new.
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool value) { FCycleIcons = value; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TStartupEvent OnStartup;

  // ---- the shell entry --------------------------------------------------------
  // Each returns whether the shell accepted. A visible entry the shell refused, or lost (it
  // refused a change), is added again at the next update; every refused add is followed by a
  // change, in case the shell has the entry after all.
  virtual bool AddTrayEntry();
  virtual bool DeleteTrayEntry();
  virtual bool UpdateTrayEntry();
  const TNotifyIconData& EntryRecord() const { return FEntryRecord; }
  // A balloon from the entry with a title and a text (UTF-8; a warning's or an information's
  // sign), in a request of its own that changes nothing else of the entry; true when the shell
  // took it. A shell that cannot show balloons refuses it or ignores it: the entry stays as it
  // was either way.
  bool ShowBalloonHint(const std::string& title, const std::string& text, std::uint32_t flags);
  // The shell has the entry and took every change since.
  bool EntryInStep() const { return FEntryAdded; }

  // The version the shell took for the entry: NOTIFYICON_VERSION, or 0 where it refused it.
  std::uint32_t EntryVersion() const { return FEntryVersion; }

  // A notification from the shell (WM_LBUTTONDOWN, ..., NIN_KEYSELECT) for this entry.
  void HandleTrayMessage(std::uint32_t pointerMessage);

 protected:
  void Loaded() override;
  // Refreshes the image and the tip of the record before a request.
  void FillEntryRecord();

  virtual void DoClick() { OnClick(this); }
  virtual void DoDblClick() { OnDblClick(this); }
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseDown(this, button, shift, x, y);
  }
  virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseUp(this, button, shift, x, y);
  }
  virtual void DoMouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
  virtual void DoStartup();
  // The display or a system setting changed (the taskbar's scale among them).
  virtual void ShellMetricsChanged() {}
  // The shell announced itself: restarted, or rescaled with the entries kept. A change is
  // tried first, and the entry added again only if the shell refuses it.
  virtual void ShellRestarted();

 private:
  // Sits in place of the owner window's procedure.
  class TOwnerWindowHook : public IWindowProc {
   public:
    explicit TOwnerWindowHook(TTrayIcon& icon) : FIcon(icon) {}
    std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) override {
      return FIcon.OwnerWindowHook(window, message, wParam, lParam);
    }

   private:
    TTrayIcon& FIcon;
  };

  bool SendRequest(std::uint32_t message);
  void SetEntryVersion();
  void KeySelect();
  bool OwnerShown();
  TShiftState KeyShift();
  bool ApplicationHook(TMessage& message);
  std::intptr_t OwnerWindowHook(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);

  bool FEnabled = true;
  std::unique_ptr<TIcon> FIcon;
  bool FIconVisible = false;
  std::string FHint;
  bool FShowHint = true;
  int FIconIndex = 0;
  std::uint32_t FCycleInterval = 0;
  bool FCycleIcons = false;

  TNotifyIconData FEntryRecord;
  // The shell took the entry (or accepted a change to it) and has not refused one since.
  bool FEntryAdded = false;
  std::uint32_t FEntryVersion = 0;
  bool FLeftDownSeen = false;
  // The keyboard selection being handled, and when the last one ended (its tick count).
  bool FKeySelecting = false;
  std::optional<std::uint32_t> FKeySelectEnd;
  TPoint FLastPointer;

  int FApplicationHookId = 0;
  HWnd FOwnerWindow = HWnd::None;
  TWndProcRef FOldWndProc = 0;
  std::unique_ptr<TOwnerWindowHook> FOwnerHook;
};
