// Owners of Win32 handles (one owner each, never copied) and the subclassing helpers.
#pragma once

#include <windows.h>

#include <utility>

namespace twk::ui {

template <class Traits>
class Owned {
  public:
    using Handle = typename Traits::Handle;
    Owned() = default;
    explicit Owned(Handle h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(o.release()) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Handle(); }
    Handle release() { return std::exchange(h_, Handle()); }
    void reset(Handle h = Handle()) {
        if (h_ != Handle()) Traits::close(h_);
        h_ = h;
    }

  private:
    Handle h_ = Handle();
};

struct WindowTraits {
    using Handle = HWND;
    static void close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct BrushTraits {
    using Handle = HBRUSH;
    static void close(HBRUSH h) { DeleteObject(h); }
};
struct FontTraits {
    using Handle = HFONT;
    static void close(HFONT h) { DeleteObject(h); }
};
struct KernelTraits {
    using Handle = HANDLE;
    static void close(HANDLE h) { CloseHandle(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static void close(HMENU h) { DestroyMenu(h); }
};
struct IconTraits {
    using Handle = HICON;
    static void close(HICON h) { DestroyIcon(h); }
};
struct AcceleratorTraits {
    using Handle = HACCEL;
    static void close(HACCEL h) { DestroyAcceleratorTable(h); }
};

using OwnedWindow = Owned<WindowTraits>;
using OwnedBrush = Owned<BrushTraits>;
using OwnedFont = Owned<FontTraits>;
using OwnedKernelHandle = Owned<KernelTraits>;
using OwnedMenu = Owned<MenuTraits>;
using OwnedAccelerators = Owned<AcceleratorTraits>;
using OwnedIcon = Owned<IconTraits>;

// Subclassing: the new procedure finds its object and the previous procedure in two window properties, which
// are removed again when the window is destroyed (WM_NCDESTROY).
void installSubclass(HWND window, WNDPROC procedure, void* self);
void* subclassSelf(HWND window);
LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace twk::ui
