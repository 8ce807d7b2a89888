#pragma once
// Text helpers the layers share: case-blind comparison, the directory part of a path, and the
// one code-page conversion the program needs.
#include <string>
#include <string_view>

// Compares without regard to case, as component names, property names and stored texts are.
bool SameText(std::string_view a, std::string_view b);

// The directory of a full path, up to and including the last "\" or ":"; empty without one.
std::string ExtractFilePath(const std::string& path);

// Text in the Windows-1251 code page as UTF-8 (the Russian letters and ASCII; anything else
// becomes "?").
std::string Cp1251ToUtf8(const std::string& text);
