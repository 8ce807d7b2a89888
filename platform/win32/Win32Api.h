#pragma once
// The one door to the system headers, for the Win32 backend and the Win32 test tools.
// The boundary's headers come first: many of their constants carry the system's names
// (PS_SOLID, WM_PAINT, MB_OK, ...), which <windows.h> makes macros of. Declared before the
// macros exist they stay whole, and any later include of them is a no-op, so a file may
// include this and the boundary's headers in any order. The A/W name macros that clash with
// the boundary's method names are removed; the backend calls the ...A or ...W functions.
#include "platform/Exception.h"
#include "platform/PawnIo.h"
#include "platform/Platform.h"

// Then the system's.
#include <windows.h>

// These need the types of the one above.
#include <commctrl.h>
#include <shellapi.h>

#undef CallWindowProc
#undef CopyIcon
#undef CreateFont
#undef CreateFile
#undef CreateMutex
#undef CreateService
#undef CreateWindow
#undef DefWindowProc
#undef DispatchMessage
#undef DrawIcon
#undef FindWindow
#undef GetFileSecurity
#undef GetMessage
#undef GetWindowText
#undef IsDialogMessage
#undef LoadLibrary
#undef MessageBox
#undef OpenSCManager
#undef OpenService
#undef PeekMessage
#undef PostMessage
#undef QueryServiceConfig
#undef RegisterWindowMessage
#undef SendMessage
#undef SetWindowText
#undef StartService
#undef TextOut
