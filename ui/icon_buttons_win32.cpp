#include "ui/icon_buttons_win32.h"

#include <commctrl.h>

#include <string>

#include "resources/resource.h"
#include "ui/icons_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

enum class On { RowPages, Lists, Bbs };

// Each icon-only button: its icon, and its tooltip's text, taken from the menu item `command` of `menu` where
// there is one (the item's words without its access key and shortcut), else `text`.
struct IconButton {
    On on;
    int button;
    int icon;
    int menu;
    int command;
    const char* text;
};

constexpr IconButton kIconButtons[] = {
    {On::RowPages, IDC_NEXTMARK, IDI_NEXTMARK, 0, 0, "次の検索マークへ (F3)"},
    {On::RowPages, IDC_PREVMARK, IDI_PREVMARK, 0, 0, "前の検索マークへ (Shift+F3)"},
    {On::Lists, IDC_CLOSELIST, IDI_CLOSE, IDR_MAINMENU, ID_FILE_CLOSE, nullptr},
    {On::Bbs, IDC_CLOSELIST, IDI_CLOSE, IDR_BROWSERMENU, ID_BROWSER_CLOSE, nullptr},
    {On::Bbs, IDC_BBS_STACKED, IDI_STACKED, 0, 0, "上下に並べる"},
    {On::Bbs, IDC_BBS_SIDEBYSIDE, IDI_SIDEBYSIDE, 0, 0, "左右に並べる"},
};

bool onPage(On on, PageKind kind) {
    switch (on) {
        case On::Bbs:
            return kind == PageKind::Bbs;
        case On::Lists:
            return kind == PageKind::Normal || kind == PageKind::Ignore;
        default:
            return pageHoldsRows(kind);
    }
}

// "閉じる(&C)\tCtrl+W" -> "閉じる".
std::wstring menuWords(HINSTANCE instance, int menuId, int command) {
    OwnedMenu menu(LoadMenuW(instance, MAKEINTRESOURCEW(menuId)));
    wchar_t text[128] = {};
    if (!menu || GetMenuStringW(menu.get(), command, text, 128, MF_BYCOMMAND) <= 0) return {};
    std::wstring words(text);
    words = words.substr(0, words.find(L'\t'));
    const std::size_t key = words.find(L"(&");
    if (key != std::wstring::npos && words.size() >= key + 4 && words[key + 3] == L')') words.erase(key, 4);
    std::wstring plain;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == L'&' && i + 1 < words.size()) ++i;
        plain += words[i];
    }
    return plain;
}

}  // namespace

void IconButtons::attach(HWND page, HINSTANCE instance, PageKind kind) {
    page_ = page;
    instance_ = instance;
    kind_ = kind;
    updateIcons();
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, instance, nullptr));
    if (!tooltip_) return;
    for (const IconButton& b : kIconButtons) {
        HWND button = GetDlgItem(page, b.button);
        if (!onPage(b.on, kind) || !button) continue;
        std::wstring text = b.menu ? menuWords(instance, b.menu, b.command) : widen(b.text);
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = page;
        tool.uId = reinterpret_cast<UINT_PTR>(button);
        tool.lpszText = text.data();
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void IconButtons::updateIcons() {
    const int size = iconSize(IconKind::Small, windowDpi(page_));
    std::vector<OwnedIcon> icons;
    for (const IconButton& b : kIconButtons) {
        if (!onPage(b.on, kind_) || !GetDlgItem(page_, b.button)) continue;
        OwnedIcon icon = loadIcon(instance_, b.icon, size);
        SendDlgItemMessageW(page_, b.button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
        icons.push_back(std::move(icon));
    }
    // The buttons now show the new icons: the old ones can go.
    icons_ = std::move(icons);
}

}  // namespace twk::ui
