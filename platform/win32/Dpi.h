// Win32 code only: the dpi a window is drawn at, and the font the programs' windows use at it.
#pragma once

#include "platform/win32/WindowsHeaders.h"

namespace korvex::win32 {

// The dpi of the monitor the window is on (GetDpiForWindow, Windows 10 1607 and later); before,
// or without a window, the one dpi of every screen. 96 when neither can be read.
int WindowDpi(HWND window);

// "MS Sans Serif" at `points` for `dpi`, bold or not; null when Windows cannot make it. The
// caller deletes it.
HFONT CreateWindowFont(double points, bool bold, int dpi);

} // namespace korvex::win32
