#pragma once
// The system headers, for the Win32 backend only. The A/W name macros are removed, because
// the boundary's methods carry the plain names; the backend calls the ...A functions.
#include <windows.h>
// The headers below need the types of the one above.
#include <commctrl.h>
#include <shellapi.h>

#undef CallWindowProc
#undef CreateFile
#undef CreateMutex
#undef CreateService
#undef CreateWindow
#undef DefWindowProc
#undef DispatchMessage
#undef FindWindow
#undef GetMessage
#undef GetWindowText
#undef IsDialogMessage
#undef MessageBox
#undef OpenSCManager
#undef OpenService
#undef PeekMessage
#undef PostMessage
#undef RegisterWindowMessage
#undef SendMessage
#undef SetWindowText
#undef StartService
