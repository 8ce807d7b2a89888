#pragma once
// Text helpers the layers share: case-blind comparison, the directory part of a path, and the
// conversions the program needs: one code page to UTF-8, and UTF-8 to UTF-16 for the system.
#include <string>
#include <string_view>

// Compares without regard to case, as component names, property names and stored texts are.
bool SameText(std::string_view a, std::string_view b);

// The directory of a full path, up to and including the last "\" or ":"; empty without one.
std::string ExtractFilePath(const std::string& path);

// Text in the Windows-1251 code page as UTF-8 (the Russian letters and ASCII; anything else
// becomes "?").
std::string Cp1251ToUtf8(const std::string& text);

// The program's UTF-8 as UTF-16, for the system's wide calls.
// A malformed sequence (a byte of some ANSI code page, a cut or overlong one) becomes one
// U+FFFD, as the system's own conversion gives it.
std::u16string Utf16FromUtf8(std::string_view text);
// The system's UTF-16 as the program's UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);
