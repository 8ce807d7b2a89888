#pragma once
// Text helpers of the settings store: case-blind search, trimming and number conversions.
#include <cstdint>
#include <string>

// Position of `what` in `text`, letters compared without regard to case; npos when absent.
std::size_t FindText(const std::string& text, const std::string& what);
// The text without leading and trailing blanks and tabs (list items, property lines).
std::string Trim(const std::string& s);
// A whole decimal number (or "0x" hexadecimal), blanks around it allowed, within 64 bits.
bool ParseInt64(const std::string& text, std::int64_t& value);
// A decimal number written with the given decimal separator.
bool ParseFloat(const std::string& text, char separator, long double& value);
std::string FormatFloat(long double value, char separator);
