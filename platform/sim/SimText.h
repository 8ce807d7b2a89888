#pragma once
// Text as the simulated machine reads it: ANSI bytes by the code page in force, UTF-16 as the
// wide calls take it, and UTF-8 for tests that read what the machine shows.
#include <string>
#include <string_view>

// The characters of ANSI text on code page 1252, 1251 or one of the double-byte pages (932,
// 936, 949, 950). There a lead byte takes the next byte with it; the pair is one character,
// given as U+FFFD (the built-in font has no such characters, so which one does not matter).
// 932's single bytes 0xA1..0xDF are half-width katakana. Any other page reads as 1252.
std::u32string SimDecodeAnsi(std::string_view text, int codePage);
// The characters of UTF-16 text; a surrogate without its partner gives U+FFFD.
std::u32string SimDecodeUtf16(std::u16string_view text);
// UTF-16 as UTF-8, up to the first 0 unit.
std::string SimUtf8(std::u16string_view text);
