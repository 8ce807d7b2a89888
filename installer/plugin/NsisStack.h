#pragma once
// The setup script's stack, as a Unicode NSIS setup keeps it, and the form of an entry the
// script calls: the only part of the setup that knows NSIS. Each entry takes its arguments from
// the stack, first argument on top, and leaves its answer there.
#include <cstring>
#include <string>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Text.h"

// One entry of the script's stack, as the setup (a Unicode one) keeps it.
struct TStackEntry {
  TStackEntry* Next;
  wchar_t Text[1];
};

class TStack {
 public:
  TStack(int stringSize, TStackEntry** top) : FSize(stringSize), FTop(top) {}

  std::string Pop() {
    if (!FTop || !*FTop) return {};
    TStackEntry* entry = *FTop;
    std::string text = Utf8(entry->Text, std::wcslen(entry->Text));
    *FTop = entry->Next;
    GlobalFree(entry);
    return text;
  }
  void Push(const std::string& text) {
    if (!FTop) return;
    std::wstring wide = Widen(text, CP_UTF8);
    auto* entry = static_cast<TStackEntry*>(
        GlobalAlloc(GPTR, sizeof(TStackEntry) + static_cast<std::size_t>(FSize) * sizeof(wchar_t)));
    if (!entry) return;
    lstrcpynW(entry->Text, wide.c_str(), FSize);
    entry->Next = *FTop;
    *FTop = entry;
  }

 private:
  int FSize;
  TStackEntry** FTop;
};

#define KELVANE_ENTRY(name)                                                           \
  extern "C" __declspec(dllexport) void name(HWND, int stringSize, wchar_t*,          \
                                             TStackEntry** stackTop, void*) noexcept; \
  extern "C" void name(HWND, int stringSize, wchar_t*, TStackEntry** stackTop, void*) noexcept
