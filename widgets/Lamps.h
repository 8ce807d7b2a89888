#pragma once
// The three built-in lamp glyphs, 10 x 10 pixels in the standard 16-colour palette: one
// string per pixel row, one hexadecimal palette index per pixel. This table is the only
// source of the pictures: the glyph check box builds them from it when the executable
// carries no bitmap resources of these names, and tools/lampbmp writes the resource files.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Gdi.h"

enum class TLampKind { On, Off, Disabled };

struct TLampPicture {
  std::string_view Name;  // the resource name
  std::array<std::string_view, 10> Rows;
};

inline constexpr int kLampSize = 10;

// Standard 16-colour palette, 0x00BBGGRR.
inline constexpr std::array<TColorRef, 16> kLampPalette = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

// 7 silver ground, 8 grey and 0 black rim (upper left), F white rim and glint.
inline constexpr TLampPicture kLampOn{"LampON",
                                      {"7788887777",  //
                                       "7880000777",  //
                                       "8802222077",  //
                                       "802FFA2A07",  //
                                       "802FFAAA0F",  //
                                       "802AAAFA0F",  //
                                       "7022AFFA0F",  //
                                       "770AAAA0FF",  //
                                       "7770000FF7",  //
                                       "7777FFFF77"}};

inline constexpr TLampPicture kLampOff{"LampOFF",
                                       {"7788887777",  //
                                        "7880000777",  //
                                        "8801111077",  //
                                        "801FF91907",  //
                                        "801FF9990F",  //
                                        "801999F90F",  //
                                        "70119FF90F",  //
                                        "77099990FF",  //
                                        "7770000FF7",  //
                                        "7777FFFF77"}};

inline constexpr TLampPicture kLampDisabled{"LampDISABLED",
                                            {"7788887777",  //
                                             "7880000777",  //
                                             "8808888077",  //
                                             "808FF78707",  //
                                             "808FF7770F",  //
                                             "808777F70F",  //
                                             "70887FF70F",  //
                                             "77077770FF",  //
                                             "7770000FF7",  //
                                             "7777FFFF77"}};

constexpr const TLampPicture& LampPicture(TLampKind kind) {
  return kind == TLampKind::On ? kLampOn : kind == TLampKind::Off ? kLampOff : kLampDisabled;
}

constexpr int LampIndex(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

// Palette indices, rows from the top.
std::vector<std::uint8_t> LampIndices(TLampKind kind);
// Direct colours, rows from the top.
std::vector<TColorRef> LampPixels(TLampKind kind);
