// What the cases share: recording procedures, windows and surfaces that clean up after
// themselves, and a message loop that runs for a while on either side.
#include <algorithm>

#include "tests/contract/ContractPlatform.h"

std::intptr_t TRecorder::WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
  Seen.push_back({window, message, wParam, lParam});
  VisibleAt.push_back(Windows.IsWindowVisible(window));
  if (Handle)
    if (auto result = Handle(window, message, wParam, lParam)) return *result;
  return Windows.DefWindowProc(window, message, wParam, lParam);
}

std::vector<TMsg> TRecorder::Only(std::initializer_list<std::uint32_t> messages) const {
  std::vector<TMsg> result;
  for (const TMsg& m : Seen)
    if (std::find(messages.begin(), messages.end(), m.Message) != messages.end())
      result.push_back(m);
  return result;
}

std::size_t TRecorder::Count(std::uint32_t message) const {
  return static_cast<std::size_t>(
      std::count_if(Seen.begin(), Seen.end(), [&](const TMsg& m) { return m.Message == message; }));
}

TTestWindow::TTestWindow(IWindowing& windows, const TWindowParams& params)
    : FWindows(windows), FHandle(windows.CreateWindow(params)) {}

TTestWindow::~TTestWindow() {
  if (FHandle != HWnd::None && FWindows.IsWindow(FHandle)) FWindows.DestroyWindow(FHandle);
}

TWindowParams PlainWindow(IWindowProc* proc, TRect bounds) {
  TWindowParams params;
  params.Class = TWindowClass::Utility;
  params.Caption = "contract";
  params.Bounds = bounds;
  params.Style = WS_POPUP;
  params.Proc = proc;
  return params;
}

TWindowParams ChildWindow(TWindowClass windowClass, HWnd parent, TRect bounds, IWindowProc* proc) {
  TWindowParams params = PlainWindow(proc, bounds);
  params.Class = windowClass;
  params.Style = WS_CHILD | WS_VISIBLE;
  params.Parent = parent;
  return params;
}

TWindowParams FrameWindow(IWindowProc* proc, TRect bounds) {
  TWindowParams params;
  params.Class = TWindowClass::Frame;
  params.Caption = "contract frame";
  params.Bounds = bounds;
  params.Style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
  params.Proc = proc;
  return params;
}

bool PumpUntil(const std::function<bool()>& done, std::uint32_t milliseconds) {
  TPlatform& p = ContractPlatform();
  std::uint32_t start = p.System.TickCount();
  TMsg msg;
  for (;;) {
    while (p.Windows.PeekMessage(msg)) {
      p.Windows.TranslateMessage(msg);
      p.Windows.DispatchMessage(msg);
    }
    if (done && done()) return true;
    if (p.System.TickCount() - start >= milliseconds) return false;
    p.System.Sleep(5);
  }
}

void PumpFor(std::uint32_t milliseconds) { PumpUntil(nullptr, milliseconds); }

TSurface::TSurface(int width, int height, TColorRef fill)
    : FGdi(ContractPlatform().Gdi),
      FDc(FGdi.CreateMemoryDC()),
      FBitmap(FGdi.CreateBitmap(width, height)),
      FWidth(width),
      FHeight(height) {
  FOld = FGdi.SelectObject(FDc, FBitmap);
  Fill(fill);
}

TSurface::~TSurface() {
  FGdi.SelectObject(FDc, FOld);
  FGdi.DeleteDC(FDc);
  FGdi.DeleteObject(FBitmap);
}

void TSurface::Fill(TColorRef color) {
  HGdiObj brush = FGdi.CreateSolidBrush(color);
  FGdi.FillRect(FDc, {0, 0, FWidth, FHeight}, brush);
  FGdi.DeleteObject(brush);
}

std::vector<std::string> TSurface::Picture(TColorRef ink, TRect area) const {
  std::vector<std::string> rows;
  for (int y = area.Top; y < area.Bottom; ++y) {
    std::string row;
    for (int x = area.Left; x < area.Right; ++x) row += FGdi.GetPixel(FDc, x, y) == ink ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}
