// The DPI a window is laid out at.
#pragma once

#include <windows.h>

#include "core/dpi.h"

// Sent to a top-level window that moved to a monitor of another DPI (the program builds for older systems,
// whose headers lack it).
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
// Sent to each child window after its top-level window's DPI changed.
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace twk::ui {

// The window's DPI: GetDpiForWindow where the system has it and the program is DPI-aware, else the DPI of the
// window's device context (the system's DPI; 96 where the system scales an unaware program itself).
int windowDpi(HWND window);
inline DpiScale windowScale(HWND window) {
    return DpiScale(windowDpi(window));
}

}  // namespace twk::ui
