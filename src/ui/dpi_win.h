#pragma once
// The DPI of a window and window sizes for it, through the per-monitor calls
// where the system has them (Windows 10 1607 on, Wine) and at 96 elsewhere.
#include <windows.h>

// The DPI of the monitor the window is on (96 when the system cannot say).
int WindowDpi(HWND window);
// The outer size of a window of this style whose client area is `client` at `dpi`.
SIZE OuterSizeFor(HWND window, SIZE client, int dpi);
