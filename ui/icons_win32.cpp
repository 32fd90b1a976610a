#include "ui/icons_win32.h"

#include <commctrl.h>

namespace twk::ui {

namespace {

template <class Fn>
Fn systemFunction(const wchar_t* module, const char* name) {
    HMODULE library = GetModuleHandleW(module);
    if (!library) return nullptr;
    // Through a function type without parameters: the export's real type is known only here.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// What newer systems add; each is looked up once and may be missing.
struct DpiFunctions {
    using ForSystem = UINT(WINAPI*)();
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    using ScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    ForSystem dpiForSystem = systemFunction<ForSystem>(L"user32.dll", "GetDpiForSystem");
    MetricsForDpi metricsForDpi = systemFunction<MetricsForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    // The common controls 6 have it; the program imports them, so the library is loaded.
    ScaleDown loadIconWithScaleDown = systemFunction<ScaleDown>(L"comctl32.dll", "LoadIconWithScaleDown");
};

const DpiFunctions& dpiFunctions() {
    static const DpiFunctions functions;
    return functions;
}

}  // namespace

int systemDpi() {
    if (auto forSystem = dpiFunctions().dpiForSystem) return static_cast<int>(forSystem());
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return usableDpi(dpi);
}

int iconSize(IconKind kind, int dpi) {
    const int metric = kind == IconKind::Small ? SM_CXSMICON : SM_CXICON;
    if (auto forDpi = dpiFunctions().metricsForDpi) {
        int size = forDpi(metric, static_cast<UINT>(dpi));
        if (size > 0) return size;
    }
    // The plain metric is the system DPI's.
    return MulDiv(GetSystemMetrics(metric), dpi, systemDpi());
}

OwnedIcon loadIcon(HINSTANCE instance, int resource, int size) {
    HICON icon = nullptr;
    if (auto scaleDown = dpiFunctions().loadIconWithScaleDown) {
        if (FAILED(scaleDown(instance, MAKEINTRESOURCEW(resource), size, size, &icon))) icon = nullptr;
    }
    if (!icon)
        icon =
            static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0));
    return OwnedIcon(icon);
}

void WindowIcons::apply(HWND window, HINSTANCE instance, int resource) {
    const int dpi = windowDpi(window);
    OwnedIcon small = loadIcon(instance, resource, iconSize(IconKind::Small, dpi));
    OwnedIcon large = loadIcon(instance, resource, iconSize(IconKind::Large, dpi));
    // The window lets go of the old icons before they are destroyed.
    if (small) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    if (large) SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.get()));
    if (small) small_ = std::move(small);
    if (large) large_ = std::move(large);
}

}  // namespace twk::ui
