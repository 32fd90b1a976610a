// The notification-area icon that stands for the hidden main window (TrayNotifier), the window's commands
// around it (TrayCommands: minimise to the icon, restore, hide, the icon's mouse and menu, the icon again
// after the shell restarts), and the window's opacity.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/handles_win32.h"

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
    OwnedIcon loadIcon(int iconResource) const;

    HWND owner_ = nullptr;
    UINT callbackMessage_ = 0;
    UINT iconId_ = 0;
    int shown_ = 0;
    int iconResource_ = 0;
    int initialised_ = 0;
    HINSTANCE instance_ = nullptr;
};

class TrayCommands {
  public:
    struct Parts {
        std::function<bool()> collecting;  // the automatic collection runs
        std::function<bool()> wanted;  // the settings page asks for the icon in place of a minimised window
        std::function<bool()> canCollect;  // the page shown holds a list the collection can start on
    };
    explicit TrayCommands(Parts parts) : parts_(std::move(parts)) {}
    TrayCommands(const TrayCommands&) = delete;
    TrayCommands& operator=(const TrayCommands&) = delete;

    // The main window, once it exists: the icon's owner and the receiver of its messages.
    void setWindow(HWND window, HINSTANCE instance);
    TrayNotifier& notifier() { return tray_; }

    // A minimise that the settings ask to go to the icon: the window is hidden and the icon shown. False
    // when the window minimises the ordinary way.
    bool minimise();
    void restore();
    void hide();
    // The icon's callback message and the shell's "taskbar created"; true when the message was the icon's.
    bool onMessage(UINT message, LPARAM lParam);

  private:
    int iconResource() const;
    void onMouse(UINT mouseMessage);
    void showMenu();
    void onTaskbarCreated();

    Parts parts_;
    TrayNotifier tray_;
    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
    DWORD lastDoubleClick_ = 0;
    UINT taskbarCreatedMessage_ = 0;
};

// Makes the window translucent (alpha 0..254) or opaque again (255). Returns 1 when applied, 0 for an alpha
// outside 0..255 or a system without layered windows.
int applyAlpha(HWND window, int alpha);

}  // namespace twk::ui
