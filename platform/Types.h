#pragma once
// Plain value types shared by every layer.
#include <cstdint>

// Handles of the system: opaque numbers, one type per kind, so a handle of one kind cannot be
// passed where another is expected. None (0) is no handle. Only the platform's backends turn
// them into numbers or the system's own types; above them a handle is never taken apart,
// except where a message or record carries one as a number.
enum class HWnd : std::uintptr_t { None = 0 };        // windows
enum class HDc : std::uintptr_t { None = 0 };         // device contexts
enum class HGdiObj : std::uintptr_t { None = 0 };     // pens, brushes, fonts and bitmaps
enum class HIcon : std::uintptr_t { None = 0 };       // icons
enum class HImageList : std::uintptr_t { None = 0 };  // image lists
enum class HKey : std::uintptr_t { None = 0 };        // registry keys
enum class THandle : std::uintptr_t { None = 0 };     // kernel objects: mutexes, devices
enum class HService : std::uintptr_t { None = 0 };    // the service manager and services

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}
