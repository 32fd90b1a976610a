#include "ui/handles_win32.h"

namespace twk::ui {

namespace {
const wchar_t* const kPropSelf = L"TwkSubclassSelf";
const wchar_t* const kPropPrevious = L"TwkSubclassPrevious";
}  // namespace

void installSubclass(HWND window, WNDPROC procedure, void* self) {
    if (!window) return;
    SetPropW(window, kPropSelf, self);
    auto previous = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SetPropW(window, kPropPrevious, reinterpret_cast<HANDLE>(previous));
}

void* subclassSelf(HWND window) {
    return GetPropW(window, kPropSelf);
}

LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPropPrevious));
    if (message == WM_NCDESTROY) {
        RemovePropW(window, kPropSelf);
        RemovePropW(window, kPropPrevious);
        if (previous) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    if (!previous) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace twk::ui
