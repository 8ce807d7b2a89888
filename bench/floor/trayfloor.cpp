// The floor of the tray refresh: the least a tray temperature program does every 5 s (draw
// the reading into a 16 x 16 bitmap, make an icon of it, hand it to the shell with a tooltip
// of the readings in the same update), written
// straight against Win32 so that a benchmark can set the program's own refresh beside it.
// It also has a small window showing two readings, repainting only them while it is shown; a
// click on its tray entry shows or hides it.
//
// A benchmark program, not part of the product: it talks to the system directly.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

namespace {
constexpr UINT kTrayMessage = WM_APP;
constexpr UINT_PTR kTimer = 1;
constexpr int kSize = 16;

struct TFloor {
  HWND Window = nullptr;
  NOTIFYICONDATAA Entry{};
  HDC Dc = nullptr;
  HBITMAP Picture = nullptr;
  HBITMAP Mask = nullptr;  // all zero: opaque everywhere
  HGDIOBJ Unselected = nullptr;
  HFONT Font = nullptr;
  HBRUSH Face = nullptr;
  HBRUSH Frame = nullptr;
  int Tick = 0;
  int Cpu = 0;
  int Board = 0;
  bool Boosted = false;
} floorState;

// One refresh: new readings, the icon drawn and handed over with the tooltip in one request,
// the changed text repainted.
void Refresh() {
  TFloor& f = floorState;
  ++f.Tick;
  f.Cpu = 40 + f.Tick % 30;
  f.Board = 25 + f.Tick % 7;
  f.Boosted = f.Cpu >= 60;
  char text[8];
  int length = wsprintfA(text, "%d\xB0", f.Cpu);
  RECT all{0, 0, kSize, kSize};
  FillRect(f.Dc, &all, f.Face);
  SIZE extent{};
  GetTextExtentPoint32A(f.Dc, text, length, &extent);
  TextOutA(f.Dc, (15 - extent.cx) / 2 + 2, (15 - extent.cy) / 2, text, length);
  FrameRect(f.Dc, &all, f.Frame);
  // The system reads the picture only while no context holds it.
  HGDIOBJ held = SelectObject(f.Dc, f.Unselected);
  ICONINFO info{TRUE, 0, 0, f.Mask, f.Picture};
  HICON icon = CreateIconIndirect(&info);
  SelectObject(f.Dc, held);
  HICON old = f.Entry.hIcon;
  f.Entry.hIcon = icon;
  wsprintfA(f.Entry.szTip, "CPU: %d\xB0\nMotherboard: %d\xB0\nFan boost: %s", f.Cpu, f.Board,
            f.Boosted ? "on" : "off");
  Shell_NotifyIconA(NIM_MODIFY, &f.Entry);
  if (old) DestroyIcon(old);
  if (IsWindowVisible(f.Window)) {
    RECT readings{100, 20, 140, 70};
    InvalidateRect(f.Window, &readings, TRUE);
  }
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  char text[8];
  int length = wsprintfA(text, "%d", floorState.Cpu);
  TextOutA(dc, 100, 20, text, length);
  length = wsprintfA(text, "%d", floorState.Board);
  TextOutA(dc, 100, 50, text, length);
  EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      Refresh();
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case kTrayMessage:
      if (lParam == WM_LBUTTONUP) ShowWindow(window, IsWindowVisible(window) ? SW_HIDE : SW_SHOW);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      Shell_NotifyIconA(NIM_DELETE, &floorState.Entry);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  TFloor& f = floorState;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "TrayFloor";
  RegisterClassA(&windowClass);
  f.Window = CreateWindowExA(WS_EX_TOOLWINDOW, "TrayFloor", " Floor", WS_CAPTION, 100, 100, 212,
                             296, nullptr, nullptr, instance, nullptr);

  HDC screen = GetDC(nullptr);
  f.Dc = CreateCompatibleDC(screen);
  f.Picture = CreateCompatibleBitmap(screen, kSize, kSize);
  ReleaseDC(nullptr, screen);
  f.Mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
  HDC maskDc = CreateCompatibleDC(f.Dc);
  HGDIOBJ oldMask = SelectObject(maskDc, f.Mask);
  PatBlt(maskDc, 0, 0, kSize, kSize, BLACKNESS);
  SelectObject(maskDc, oldMask);
  DeleteDC(maskDc);
  f.Unselected = SelectObject(f.Dc, f.Picture);
  f.Font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial Narrow");
  SelectObject(f.Dc, f.Font);
  f.Face = GetSysColorBrush(COLOR_BTNFACE);
  f.Frame = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  SetTextColor(f.Dc, RGB(0x80, 0, 0x80));
  SetBkColor(f.Dc, GetSysColor(COLOR_BTNFACE));

  f.Entry.cbSize = sizeof f.Entry;
  f.Entry.hWnd = f.Window;
  f.Entry.uID = 1;
  f.Entry.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  f.Entry.uCallbackMessage = kTrayMessage;
  Shell_NotifyIconA(NIM_ADD, &f.Entry);
  Refresh();
  SetTimer(f.Window, kTimer, 5000, nullptr);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
