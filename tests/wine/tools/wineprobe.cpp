// A small inspection program the end-to-end tests run beside the product under Wine. It
// looks at the product's windows and process from outside and prints plain "key value"
// lines, or acts on them (close request, shell restart broadcast).
//
//   wineprobe window CLASS           style, exstyle, visible, rects, caption, foreground
//   wineprobe close CLASS            posts WM_CLOSE to the window
//   wineprobe endsession CLASS       sends WM_QUERYENDSESSION then WM_ENDSESSION
//   wineprobe resume CLASS           sends what a wake from sleep sends (WM_POWERBROADCAST)
//   wineprobe forcedend CLASS        a forced shutdown: WM_ENDSESSION alone to every top-level
//                                    window of the owner process, CLASS's last, then the
//                                    process is ended at once
//   wineprobe taskbarcreated         broadcasts the shell's "TaskbarCreated"
//   wineprobe msgbox CAPTION         the text of a message box as the user reads it, in UTF-8
//   wineprobe tooltip                the text of every tooltip shown now, in UTF-8
//   wineprobe answer CAPTION         presses the OK button of a message box
//   wineprobe process CLASS          GDI and USER objects and CPU time of the owner process
//   wineprobe appwindows PID         visible top-level windows with a taskbar button
//   wineprobe syscolors              the system colour table, "index 0xBBGGRR" lines
//   wineprobe manifest EXE           the executable's application manifest (RT_MANIFEST 1)
//   wineprobe load DLL               loads the library by its full path (and lets it go)
//   wineprobe pawnio                 PawnIO's device through the program's own client: the
//                                    answer to each request, "request 0xHRESULT" lines
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32PawnIo.h"

namespace {
HWND FindByClass(const char* cls) { return FindWindowA(cls, nullptr); }

int Window(const char* cls) {
  HWND w = FindByClass(cls);
  if (!w) return 1;
  RECT wr, cr;
  GetWindowRect(w, &wr);
  GetClientRect(w, &cr);
  POINT origin = {0, 0};
  ClientToScreen(w, &origin);
  char caption[256] = {};
  GetWindowTextA(w, caption, sizeof caption);
  std::printf("handle %p\n", static_cast<void*>(w));
  std::printf("style 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)));
  std::printf("exstyle 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)));
  std::printf("visible %d\n", IsWindowVisible(w) ? 1 : 0);
  std::printf("window %ld %ld %ld %ld\n", wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top);
  std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, cr.right, cr.bottom);
  std::printf("caption [%s]\n", caption);
  std::printf("foreground %d\n", GetForegroundWindow() == w ? 1 : 0);
  std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return 0;
}

std::string Utf8(const wchar_t* text, int length) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

int MessageBoxText(const char* caption) {
  HWND box = FindWindowA("#32770", caption);
  if (!box) return 1;
  wchar_t text[512] = {};
  // The box's text is its static control with the identifier 0xFFFF.
  int length = GetDlgItemTextW(box, 0xFFFF, text, 512);
  std::printf("%s\n", Utf8(text, length).c_str());
  return 0;
}

// The tip of a tray entry is a top-level tooltip window of the shell's process, shown while
// the pointer rests on the entry; its text is asked for as another program would.
BOOL CALLBACK PrintTooltip(HWND w, LPARAM) {
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::strcmp(cls, "tooltips_class32") != 0 || !IsWindowVisible(w)) return TRUE;
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           2000, &length) ||
      length == 0)
    return TRUE;
  std::printf("%s\n", Utf8(text, static_cast<int>(length)).c_str());
  return TRUE;
}

int Process(const char* cls) {
  HWND w = FindByClass(cls);
  if (!w) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return 2;
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  auto ms = [](FILETIME t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
  };
  std::printf("pid %lu\n", static_cast<unsigned long>(pid));
  std::printf("gdi %lu\n", static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)));
  std::printf("user %lu\n", static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)));
  std::printf("cpu_ms %llu\n", ms(kernel) + ms(user));
  CloseHandle(process);
  return 0;
}

// Read as the loader reads it: the resource of type RT_MANIFEST with the identifier 1.
int Manifest(const char* path) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 2;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  if (loaded) std::fwrite(LockResource(loaded), 1, SizeofResource(module, resource), stdout);
  FreeLibrary(module);
  return loaded ? 0 : 1;
}

BOOL CALLBACK ListAppWindow(HWND w, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != static_cast<DWORD>(pid) || !IsWindowVisible(w)) return TRUE;
  LONG ex = GetWindowLongA(w, GWL_EXSTYLE);
  // The taskbar shows unowned visible windows that are not tool windows, and app windows.
  bool button = (ex & WS_EX_APPWINDOW) || (!GetWindow(w, GW_OWNER) && !(ex & WS_EX_TOOLWINDOW));
  if (!button) return TRUE;
  char caption[256] = {};
  GetWindowTextA(w, caption, sizeof caption);
  std::printf("taskbar [%s]\n", caption);
  return TRUE;
}
struct TProcessWindows {
  DWORD Process;
  HWND Last;
  int Sent;
};

BOOL CALLBACK SendEndSession(HWND w, LPARAM data) {
  auto& windows = *reinterpret_cast<TProcessWindows*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != windows.Process || w == windows.Last) return TRUE;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 5000, &ignored);
  ++windows.Sent;
  return TRUE;
}

int ForcedEnd(const char* cls) {
  HWND main = FindByClass(cls);
  if (!main) return 1;
  TProcessWindows windows{0, main, 0};
  GetWindowThreadProcessId(main, &windows.Process);
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, windows.Process);
  if (!process) return 2;
  EnumWindows(SendEndSession, reinterpret_cast<LPARAM>(&windows));
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 5000, &ignored);
  bool ended = TerminateProcess(process, 0) != 0;
  CloseHandle(process);
  std::printf("endsession sent to %d windows\n", windows.Sent + 1);
  return ended ? 0 : 3;
}
}  // namespace

// The requests whose answers driver.cpp and vm.cpp fix, in an order that reaches each.
int PawnIoAnswers() {
  TWin32PawnIo device;
  HPawnIo handle = HPawnIo::None;
  auto say = [](const char* request, THResult result) {
    std::printf("%s 0x%08lX\n", request, static_cast<unsigned long>(result));
  };
  say("open", device.Open(handle));
  if (handle == HPawnIo::None) return 1;
  std::uint64_t cell = 0, out = 0;
  std::size_t returned = 0;
  std::uint32_t version = 0;
  say("version", device.Version(handle, version));
  std::printf("version-value 0x%08lX\n", static_cast<unsigned long>(version));
  say("execute-before-load",
      device.Execute(handle, "ioctl_select_slot", &cell, 1, nullptr, 0, returned));
  const char module[] = "LpcIO stand-in, signed";
  say("load", device.Load(handle, std::vector<std::uint8_t>(module, module + sizeof module - 1)));
  say("second-load", device.Load(handle, {'x'}));
  say("no-prefix", device.Execute(handle, "select_slot", &cell, 1, nullptr, 0, returned));
  say("unknown", device.Execute(handle, "ioctl_read_msr", &cell, 1, &out, 1, returned));
  say("select", device.Execute(handle, "ioctl_select_slot", &cell, 1, nullptr, 0, returned));
  cell = 0x2E;
  say("inb", device.Execute(handle, "ioctl_pio_inb", &cell, 1, &out, 1, returned));
  std::printf("inb-returned %zu\n", returned);
  say("close", device.Close(handle));
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 64;
  std::string verb = argv[1];
  if (verb == "window" && argc > 2) return Window(argv[2]);
  if (verb == "close" && argc > 2) {
    HWND w = FindByClass(argv[2]);
    return w && PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (verb == "resume" && argc > 2) {
    HWND w = FindByClass(argv[2]);
    return w && SendMessageA(w, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0) ? 0 : 1;
  }
  if (verb == "endsession" && argc > 2) {
    HWND w = FindByClass(argv[2]);
    if (!w) return 1;
    LRESULT ok = SendMessageA(w, WM_QUERYENDSESSION, 0, 0);
    SendMessageA(w, WM_ENDSESSION, ok != 0, 0);
    std::printf("queryendsession %ld\n", static_cast<long>(ok));
    return 0;
  }
  if (verb == "forcedend" && argc > 2) return ForcedEnd(argv[2]);
  if (verb == "taskbarcreated") {
    UINT message = RegisterWindowMessageA("TaskbarCreated");
    return PostMessageA(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
  }
  if (verb == "syscolors") {
    for (int i = 0; i <= COLOR_MENUBAR; ++i)
      std::printf("%d 0x%06lx\n", i, static_cast<unsigned long>(GetSysColor(i)));
    return 0;
  }
  if (verb == "msgbox" && argc > 2) return MessageBoxText(argv[2]);
  if (verb == "load" && argc > 2) {
    HMODULE library = LoadLibraryA(argv[2]);
    return library && FreeLibrary(library) ? 0 : 1;
  }
  if (verb == "tooltip") return EnumWindows(PrintTooltip, 0) ? 0 : 1;
  if (verb == "answer" && argc > 2) {
    HWND box = FindWindowA("#32770", argv[2]);
    return box && PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)))
               ? 0
               : 1;
  }
  if (verb == "pawnio") return PawnIoAnswers();
  if (verb == "process" && argc > 2) return Process(argv[2]);
  if (verb == "manifest" && argc > 2) return Manifest(argv[2]);
  if (verb == "appwindows" && argc > 2) {
    EnumWindows(ListAppWindow, static_cast<LPARAM>(std::strtoul(argv[2], nullptr, 10)));
    return 0;
  }
  return 64;
}
