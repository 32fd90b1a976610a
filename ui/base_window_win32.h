// Window and dialog objects: the procedure stores the object's address when the window is created and
// forwards every later message to the object. No exception leaves a procedure: an allocation that failed in a
// message no command caught is reported with the memory message.
#pragma once

#include <windows.h>

#include <new>

#include "core/report.h"

namespace twk::ui {

// What a procedure does with an exception that reached it.
inline void reportUncaught() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        try {
            reportAllocationFailure(MemoryPlace::WindowMessage);
        } catch (...) {
        }
    } catch (...) {
    }
}

// A top-level window made from a dialog template whose class procedure is ours (the dialog init parameter is
// the object). T provides: LRESULT onMessage(UINT, WPARAM, LPARAM) and void onNcDestroy().
template <class T>
class BaseWindow {
  public:
    HWND hwnd() const { return hwnd_; }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        T* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<T*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
            if (self) static_cast<BaseWindow*>(self)->hwnd_ = window;
        } else {
            self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        LRESULT result = 0;
        try {
            result = self->onMessage(message, wParam, lParam);
        } catch (...) {
            reportUncaught();
            result = 0;
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            try {
                self->onNcDestroy();
            } catch (...) {
                reportUncaught();
            }
            static_cast<BaseWindow*>(self)->hwnd_ = nullptr;
        }
        return result;
    }

  protected:
    HWND hwnd_ = nullptr;
};

// A dialog (the system's dialog class) whose dialog procedure forwards to the object given as the init
// parameter. T provides: INT_PTR onMessage(UINT, WPARAM, LPARAM) and void onNcDestroy().
template <class T>
class BaseDialog {
  public:
    HWND hwnd() const { return hwnd_; }

    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        T* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<T*>(lParam);
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            if (self) static_cast<BaseDialog*>(self)->hwnd_ = window;
        } else {
            self = reinterpret_cast<T*>(GetWindowLongPtrW(window, DWLP_USER));
        }
        if (!self) return FALSE;
        INT_PTR result = FALSE;
        try {
            result = self->onMessage(message, wParam, lParam);
        } catch (...) {
            reportUncaught();
            result = FALSE;
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, DWLP_USER, 0);
            try {
                self->onNcDestroy();
            } catch (...) {
                reportUncaught();
            }
            static_cast<BaseDialog*>(self)->hwnd_ = nullptr;
        }
        return result;
    }

  protected:
    HWND hwnd_ = nullptr;
};

}  // namespace twk::ui
