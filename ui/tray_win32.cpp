#include "ui/tray_win32.h"

#include <shellapi.h>

#include "resources/resource.h"
#include "resources/version.h"
#include "ui/handles_win32.h"
#include "ui/icons_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

constexpr UINT kCallbackMessage = WM_USER + 2002;
constexpr UINT kIconId = 2002;
// A button-up this soon after a double-click on the icon restores the window.
constexpr DWORD kRestoreWindowMs = 1000;

void setTip(NOTIFYICONDATAW& data, const char* tip) {
    // The tip field keeps 63 characters and a NUL.
    std::wstring w = widen(tip ? tip : "");
    lstrcpynW(data.szTip, w.c_str(), 64);
}

}  // namespace

void TrayNotifier::init(HWND owner, HINSTANCE instance, UINT callbackMessage, UINT iconId) {
    if (shown_) removeIcon();
    owner_ = owner;
    instance_ = instance;
    callbackMessage_ = callbackMessage;
    iconId_ = iconId;
    shown_ = 0;
    initialised_ = 1;
}

OwnedIcon TrayNotifier::loadIcon(int iconResource) const {
    // The notification area shows small icons at the system's DPI.
    if (iconResource != 0)
        return twk::ui::loadIcon(instance_, iconResource, iconSize(IconKind::Small, systemDpi()));
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(instance_, path, MAX_PATH);
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return OwnedIcon();
    return OwnedIcon(info.hIcon);
}

int TrayNotifier::addIcon(int iconResource, const char* tip) {
    if (!initialised_ || shown_) return 0;
    iconResource_ = iconResource;
    OwnedIcon icon = loadIcon(iconResource);
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = iconId_;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon.get();
    setTip(data, tip);
    BOOL ok = Shell_NotifyIconW(NIM_ADD, &data);
    shown_ = ok ? 1 : 0;
    return ok ? 1 : 0;
}

int TrayNotifier::changeIcon(int iconResource, const char* tip) {
    iconResource_ = iconResource;
    if (!shown_) return 0;
    OwnedIcon icon = loadIcon(iconResource);
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = iconId_;
    if (icon) data.uFlags |= NIF_ICON;
    data.hIcon = icon.get();
    if (tip) {
        data.uFlags |= NIF_TIP;
        setTip(data, tip);
    }
    BOOL ok = Shell_NotifyIconW(NIM_MODIFY, &data);
    return ok ? 1 : 0;
}

int TrayNotifier::removeIcon() {
    if (!initialised_) return 0;
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = iconId_;
    BOOL ok = shown_ ? Shell_NotifyIconW(NIM_DELETE, &data) : FALSE;
    shown_ = 0;
    return ok ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------------------------
void TrayCommands::setWindow(HWND window, HINSTANCE instance) {
    window_ = window;
    instance_ = instance;
    tray_.init(window, instance, kCallbackMessage, kIconId);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
}

int TrayCommands::iconResource() const {
    return parts_.collecting() ? IDI_TRAY_COLLECTING : IDI_TRAY_IDLE;
}

bool TrayCommands::minimise() {
    if (!parts_.wanted()) return false;
    ShowWindow(window_, SW_HIDE);
    tray_.addIcon(iconResource(), TWK_PRODUCT_TITLE);
    return true;
}

void TrayCommands::restore() {
    SetForegroundWindow(window_);
    // A window minimised the ordinary way comes back to its size as well.
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    tray_.removeIcon();
}

void TrayCommands::hide() {
    ShowWindow(window_, SW_HIDE);
}

bool TrayCommands::onMessage(UINT message, LPARAM lParam) {
    if (message == kCallbackMessage) {
        onMouse(static_cast<UINT>(lParam));
        return true;
    }
    if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) onTaskbarCreated();
    return false;
}

void TrayCommands::onMouse(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDBLCLK:
            lastDoubleClick_ = GetTickCount();
            break;
        case WM_LBUTTONUP:
            if (GetTickCount() - lastDoubleClick_ < kRestoreWindowMs) restore();
            break;
        case WM_RBUTTONUP:
            showMenu();
            break;
        default:
            break;
    }
}

void TrayCommands::showMenu() {
    SetForegroundWindow(window_);
    OwnedMenu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAYMENU)));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu.get(), 0);
    const bool running = parts_.collecting();
    const bool canStart = !running && parts_.canCollect();
    EnableMenuItem(popup, ID_GET_START, MF_BYCOMMAND | (canStart ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup, ID_GET_STOP, MF_BYCOMMAND | (running ? MF_ENABLED : MF_GRAYED));
    POINT p;
    GetCursorPos(&p);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, p.x, p.y, 0, window_, nullptr);
}

void TrayCommands::onTaskbarCreated() {
    if (IsWindowVisible(window_)) return;
    tray_.removeIcon();
    if (!tray_.addIcon(iconResource(), TWK_PRODUCT_TITLE)) ShowWindow(window_, SW_SHOW);
}

// ---------------------------------------------------------------------------------------------------------------
int applyAlpha(HWND window, int alpha) {
    if (alpha < 0 || alpha > 255) return 0;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
        version.dwMajorVersion <= 4)
        return 0;
    LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (alpha == 255) {
        SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        return 1;
    }
    SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    HMODULE user = LoadLibraryW(L"user32");
    if (!user) return 0;
    using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    auto set = reinterpret_cast<SetLayered>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetLayeredWindowAttributes")));
    if (!set) {
        FreeLibrary(user);
        return 0;
    }
    set(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    FreeLibrary(user);
    return 1;
}

}  // namespace twk::ui
