#include "ui/dpi_win32.h"

namespace twk::ui {

namespace {

// Looked up at run time: the older systems the program runs on lack them.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)();
using GetAwarenessFromDpiAwarenessContextFn = int(WINAPI*)(HANDLE);
constexpr int kDpiUnaware = 0;  // DPI_AWARENESS_UNAWARE

struct User32Dpi {
    User32Dpi() {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        if (!user32) return;
        forWindow = reinterpret_cast<GetDpiForWindowFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
        threadContext = reinterpret_cast<GetThreadDpiAwarenessContextFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
        awareness = reinterpret_cast<GetAwarenessFromDpiAwarenessContextFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    }
    bool aware() const { return threadContext && awareness && awareness(threadContext()) != kDpiUnaware; }
    GetDpiForWindowFn forWindow = nullptr;
    GetThreadDpiAwarenessContextFn threadContext = nullptr;
    GetAwarenessFromDpiAwarenessContextFn awareness = nullptr;
};

const User32Dpi& user32Dpi() {
    static const User32Dpi functions;
    return functions;
}

}  // namespace

int windowDpi(HWND window) {
    const User32Dpi& user32 = user32Dpi();
    if (window && user32.forWindow && user32.aware()) {
        const UINT dpi = user32.forWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    int dpi = 0;
    if (HDC dc = GetDC(window)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(window, dc);
    }
    return usableDpi(dpi);
}

}  // namespace twk::ui
