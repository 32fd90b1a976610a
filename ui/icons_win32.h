// The program's icons at the size a window's DPI asks for: the window's small and large icons, the
// notification-area icon and the icons of the pages' buttons. Each resource holds 16, 20, 24, 32 and 48
// pixels (100 % to 200 % scaling); the system picks the image of the size asked for, or scales a larger one
// down.
#pragma once

#include <windows.h>

#include "ui/dpi_win32.h"
#include "ui/handles_win32.h"

namespace twk::ui {

// The DPI of the whole system: the one the taskbar and the notification area are drawn at.
int systemDpi();

enum class IconKind { Small, Large };
// The pixel size of a small (SM_CXSMICON) or large (SM_CXICON) icon at `dpi`.
int iconSize(IconKind kind, int dpi);

// The icon resource at `size` × `size` pixels, owned by the caller; empty when there is no such resource.
OwnedIcon loadIcon(HINSTANCE instance, int resource, int size);

// Gives a window its small and large icons for its DPI (again after a DPI change). The window keeps using
// them until they are replaced: the owner keeps them alive as long as the window lives.
class WindowIcons {
  public:
    void apply(HWND window, HINSTANCE instance, int resource);

  private:
    OwnedIcon small_;
    OwnedIcon large_;
};

}  // namespace twk::ui
