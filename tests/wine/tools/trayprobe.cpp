// Acts on another program's notification-area entry from outside, as a shell that loses
// entries would, for the end-to-end tests.
//
//   trayprobe forget CLASS ID   removes entry ID of every window of class CLASS from the
//                               shell; prints "forgotten N" (how many removals it took)
//   trayprobe balloon           the balloon the shell shows now: "title TEXT" and "text TEXT"
//                               lines in UTF-8, from the shell's own tooltip window
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/Win32Api.h"

namespace {
struct TForget {
  const char* Class;
  UINT Id;
  int Forgotten = 0;
};

BOOL CALLBACK ForgetEntry(HWND window, LPARAM param) {
  auto* forget = reinterpret_cast<TForget*>(param);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, forget->Class) != 0) return TRUE;
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = forget->Id;
  if (Shell_NotifyIconA(NIM_DELETE, &data)) ++forget->Forgotten;
  return TRUE;
}

std::string Utf8(const wchar_t* text) {
  char out[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out - 1, nullptr, nullptr);
  return out;
}

// The title lives only in the shell's process: asked for into memory lent there, in the layout
// of the shell's own bitness (Wine's shell is 64-bit in a 64-bit prefix).
std::string BalloonTitle(HWND balloon) {
  DWORD pid = 0;
  GetWindowThreadProcessId(balloon, &pid);
  HANDLE shell = OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE,
      pid);
  if (!shell) return "?";
  BOOL wow = FALSE, ownWow = FALSE;
  IsWow64Process(shell, &wow);
  IsWow64Process(GetCurrentProcess(), &ownWow);
  bool wide = sizeof(void*) == 8 || (ownWow && !wow);  // a 64-bit shell
  constexpr DWORD kChars = 128, kText = 64;
  auto* remote = static_cast<BYTE*>(
      VirtualAllocEx(shell, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::string title = "?";
  if (remote) {
    // dwSize, uTitleBitmap, cch, then the pointer (aligned to 8 in the 64-bit layout).
    DWORD record[6] = {wide ? 24u : 16u, 0, kChars, 0, 0, 0};
    auto text = static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(remote + kText));
    std::memcpy(&record[wide ? 4 : 3], &text, wide ? 8 : 4);
    wchar_t buffer[kChars] = {};
    if (WriteProcessMemory(shell, remote, record, sizeof record, nullptr) &&
        WriteProcessMemory(shell, remote + kText, buffer, sizeof buffer, nullptr)) {
      DWORD_PTR result = 0;
      SendMessageTimeoutW(balloon, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(remote),
                          SMTO_ABORTIFHUNG, 2000, &result);
      if (ReadProcessMemory(shell, remote + kText, buffer, sizeof buffer - 2, nullptr))
        title = Utf8(buffer);
    }
    VirtualFreeEx(shell, remote, 0, MEM_RELEASE);
  }
  CloseHandle(shell);
  return title;
}

BOOL CALLBACK PrintBalloon(HWND window, LPARAM found) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "tooltips_class32") != 0 || !IsWindowVisible(window) ||
      !(GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON))
    return TRUE;
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, &length);
  std::printf("title %s\ntext %s\n", BalloonTitle(window).c_str(), Utf8(text).c_str());
  ++*reinterpret_cast<int*>(found);
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "balloon") == 0) {
    int found = 0;
    EnumWindows(PrintBalloon, reinterpret_cast<LPARAM>(&found));
    return found > 0 ? 0 : 1;
  }
  if (argc < 4 || std::strcmp(argv[1], "forget") != 0) return 64;
  TForget forget{argv[2], static_cast<UINT>(std::strtoul(argv[3], nullptr, 10))};
  EnumWindows(ForgetEntry, reinterpret_cast<LPARAM>(&forget));
  std::printf("forgotten %d\n", forget.Forgotten);
  return forget.Forgotten > 0 ? 0 : 1;
}
