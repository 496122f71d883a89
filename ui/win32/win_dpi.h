// The window's DPI on Windows. The program declares itself aware of each monitor's DPI (the
// manifest), so Windows does not stretch its pixels: the window scales its layout itself
// (ui/form/scale.h) by the DPI asked for here.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace kx71 {

// The DPI of the monitor the window is on: GetDpiForWindow where the system has it (Windows 10
// 1607 on), else the screen's vertical pixels per inch. nullptr: the screen's.
int WindowDpi(HWND hwnd);

// The outer size of a window of `style` whose client area is `client`, with the frame's metrics at
// `dpi` where the system can tell them.
SIZE WindowSizeFor(SIZE client, DWORD style, int dpi);

}  // namespace kx71
