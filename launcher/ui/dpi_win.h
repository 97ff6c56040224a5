// The display's scale on Win32: the system DPI, a window's own DPI (Windows
// 10's per-monitor scaling) and a window's outer size for a client area at a
// DPI. 96 DPI is 100%. Scaling a design measure to a DPI is portable:
// ScaleToDpi (launcher/dialog/settings_dialog.h).
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The screen's DPI; 96 when it cannot be read.
int SystemDpi();

// The window's DPI where the system tells it (Windows 10 and later), else
// the system DPI.
UINT DpiOf(HWND window);

// The outer size of a window of this style for its client area at this DPI.
SIZE OuterSizeForDpi(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);
