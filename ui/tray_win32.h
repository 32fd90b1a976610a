// The notification-area icon that stands for the hidden main window, and the window's opacity.
#pragma once

#include <windows.h>

namespace twk::ui {

class TrayNotifier {
  public:
    TrayNotifier() = default;
    ~TrayNotifier() { removeIcon(); }
    TrayNotifier(const TrayNotifier&) = delete;
    TrayNotifier& operator=(const TrayNotifier&) = delete;

    void init(HWND owner, HINSTANCE instance, UINT callbackMessage, UINT iconId);
    // Icon resource 0 means the program's own small icon. The tip is cut to what the shell keeps.
    int addIcon(int iconResource, const char* tip);
    int changeIcon(int iconResource, const char* tip);
    int removeIcon();
    bool shown() const { return shown_ != 0; }
    // The icon resource last asked for (shown when the icon is in the notification area).
    int iconResource() const { return iconResource_; }

  private:
    HICON loadIcon(int iconResource) const;

    HWND owner_ = nullptr;
    UINT callbackMessage_ = 0;
    UINT iconId_ = 0;
    int shown_ = 0;
    int iconResource_ = 0;
    int initialised_ = 0;
    HINSTANCE instance_ = nullptr;
};

// Makes the window translucent (alpha 0..254) or opaque again (255). Returns 1 when applied, 0 for an alpha
// outside 0..255 or a system without layered windows.
int applyAlpha(HWND window, int alpha);

}  // namespace twk::ui
