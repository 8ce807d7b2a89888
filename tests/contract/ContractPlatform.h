#pragma once
// One suite of cases against the platform boundary, built twice: natively against the
// simulated machine and with mingw-w64 against the real system. Each side implements the
// functions below once; the cases use nothing else.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Platform.h"

// The platform under test, and the file reader the product links with it.
TPlatform& ContractPlatform();
IFiles& ContractFiles();
// Drawing objects, contexts, icons and image lists made through the GDI layer and not yet
// freed, as that layer tallies them.
long ContractLiveGdiObjects();
// "simulated", "wine" or "windows".
std::string ContractSide();
bool RunningUnderWine();

// One assertion where Wine is known to differ from Windows, as conformance suites mark theirs
// "todo": everywhere else `condition` is checked as usual; under Wine `wineCondition`, what
// Wine is known to give instead, is checked in its place and the reason is noted (a property
// of the case, so the results file carries it too). A Wine that has been fixed, or that gives
// something else again, fails the case. The case's other assertions run everywhere.
#define WINE_DIFFERENCE(reason, condition, wineCondition)                                         \
  do {                                                                                            \
    if (!RunningUnderWine()) {                                                                    \
      EXPECT_TRUE(condition) << #condition;                                                       \
    } else {                                                                                      \
      EXPECT_FALSE(condition) << "marked as a Wine difference but holds under Wine: " #condition; \
      EXPECT_TRUE(wineCondition) << "Wine no longer gives what it was known to: " #wineCondition; \
      ::testing::Test::RecordProperty("wine_difference", reason);                                 \
    }                                                                                             \
  } while (false)

// The registry key and the service name the cases may create (the runner removes both).
inline constexpr char kScratchKey[] = "Software\\KelvaneContract";
inline constexpr char kScratchService[] = "KelvaneContract";

// ---- objects of another maker ------------------------------------------------------------

// Something another program would have made under a name; it ends with this object.
class TForeignObject {
 public:
  virtual ~TForeignObject() = default;
};
// A mutex whose maker gave nobody else any right to it (as a monitor running as a service may).
std::unique_ptr<TForeignObject> ContractRefusingMutex(const std::string& name);
// An object of another kind than a mutex (an event) with that name.
std::unique_ptr<TForeignObject> ContractOtherKindOfObject(const std::string& name);
// The rights the named mutex's access list grants everyone (all rights for a generic all),
// as another program reads them.
std::uint32_t ContractMutexRightsForEveryone(const std::string& name);

// ---- files the cases make ----------------------------------------------------------------

// A folder, or an empty file, made by this process as any program makes one (its list is what
// the folder it is made in passes on); false when it cannot be made. Paths are UTF-8 and may
// be longer than the classic limit. ContractRemove takes a file, or a folder once empty.
bool ContractMakeFolder(const std::string& path);
bool ContractMakeFile(const std::string& path);
void ContractRemove(const std::string& path);

// Another process of this account that runs until it is ended (at most half a minute).
class TForeignProcess {
 public:
  virtual ~TForeignProcess() = default;
  virtual std::uint32_t Id() const = 0;
};
std::unique_ptr<TForeignProcess> ContractOtherProcess();
// The argument that makes the contract's executable such a process.
inline constexpr char kContractChildArgument[] = "--contract-child";

// ---- windows used by the cases ---------------------------------------------------------

// A window procedure that records what reaches it and leaves the rest to the system.
class TRecorder : public IWindowProc {
 public:
  explicit TRecorder(IWindowing& windows) : Windows(windows) {}
  std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;
  // The recorded messages of these numbers, in order.
  std::vector<TMsg> Only(std::initializer_list<std::uint32_t> messages) const;
  std::size_t Count(std::uint32_t message) const;

  IWindowing& Windows;
  std::vector<TMsg> Seen;
  // Visibility of the window as each recorded message arrived.
  std::vector<bool> VisibleAt;
  // Called for every message first; a value stops the message there.
  std::function<std::optional<std::intptr_t>(HWnd, std::uint32_t, std::uintptr_t, std::intptr_t)>
      Handle;
};

// A window destroyed when the case ends, whatever happens in it.
class TTestWindow {
 public:
  TTestWindow(IWindowing& windows, const TWindowParams& params);
  ~TTestWindow();
  TTestWindow(const TTestWindow&) = delete;
  TTestWindow& operator=(const TTestWindow&) = delete;
  HWnd Handle() const { return FHandle; }
  operator HWnd() const { return FHandle; }

 private:
  IWindowing& FWindows;
  HWnd FHandle;
};

// A hidden top-level window without caption or borders; placed clear of the tray bar.
TWindowParams PlainWindow(IWindowProc* proc, TRect bounds = Bounds(200, 200, 120, 80));
// A visible child of the given class inside parent.
TWindowParams ChildWindow(TWindowClass windowClass, HWnd parent, TRect bounds,
                          IWindowProc* proc = nullptr);
// A captioned tool window, as the program's form.
TWindowParams FrameWindow(IWindowProc* proc, TRect bounds = Bounds(200, 200, 160, 120));

// Runs the message loop for about `milliseconds` (virtual time on the simulated machine).
void PumpFor(std::uint32_t milliseconds);
// Runs the loop until `done` holds or `milliseconds` have passed; gives `done`.
bool PumpUntil(const std::function<bool()>& done, std::uint32_t milliseconds);

// ---- drawing surfaces used by the cases --------------------------------------------------

// A memory context with a screen-format bitmap of its own, filled with one colour; both freed
// when the case ends.
class TSurface {
 public:
  TSurface(int width, int height, TColorRef fill = 0xFFFFFF);
  ~TSurface();
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;
  HDc Dc() const { return FDc; }
  HGdiObj Bitmap() const { return FBitmap; }
  void Fill(TColorRef color);
  // One character a pixel, row by row: '#' for `ink`, '.' for anything else.
  std::vector<std::string> Picture(TColorRef ink, TRect area) const;

 private:
  IGdi& FGdi;
  HDc FDc;
  HGdiObj FBitmap;
  HGdiObj FOld = HGdiObj::None;
  int FWidth;
  int FHeight;
};
