#pragma once
// The tray's texts are UTF-8; the shell's record and the wide drawing calls take UTF-16.
#include <string>
#include <string_view>

// A malformed sequence (a byte of some ANSI code page, a cut or overlong one) becomes one
// U+FFFD, as the system's own conversion gives it.
std::u16string Utf16FromUtf8(std::string_view text);
