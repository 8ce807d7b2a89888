#pragma once
// Conversions between the boundary's points and rectangles and the system's.
#include "platform/win32/Win32Api.h"

#include "platform/Types.h"

inline RECT ToRect(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline POINT ToPoint(TPoint p) { return {p.X, p.Y}; }
inline TPoint FromPoint(POINT p) { return {p.x, p.y}; }
