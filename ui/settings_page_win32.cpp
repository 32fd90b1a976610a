#include "ui/settings_page_win32.h"

#include <commctrl.h>

#include "core/report.h"
#include "resources/resource.h"
#include "ui/file_dialog_win32.h"
#include "ui/main_window_win32.h"
#include "ui/pages_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

constexpr int kTabMoveButtons[] = {IDC_SET_TABMOVE1, IDC_SET_TABMOVE2, IDC_SET_TABMOVE3};

// The up-down control of the interval speeds up while an arrow is held.
const UDACCEL kIntervalAcceleration[] = {{2, 30}, {2, 120}, {2, 300}};

const char* const kBrowseTitle = "ファイルを開く";
// Filter pairs, each text ended by NUL, the list by a second NUL.

}  // namespace

SettingsPage::SettingsPage(MainWindow& main) : Page(main, PageKind::Settings, IDD_SETTINGS) {}

INT_PTR SettingsPage::onMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            initialise();
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            if (LOWORD(wParam) == IDC_SET_BROWSE) browse();
            if (LOWORD(wParam) == IDC_SET_SAVE) save();
            return TRUE;
        default:
            return FALSE;
    }
}

void SettingsPage::initialise() {
    SettingsPageValues values = loadSettingsPage(main_.shared().userSettings, main_.shared().folder);
    main_.collector().setNoDialog(values.noDialog);
    main_.collector().setBbsDelay(values.bbsDelay);
    values.timerDelay = displayedTimerDelay(values.timerDelay);
    show(values);
    HWND spin = item(IDC_SET_SPIN);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(item(IDC_SET_TIMERDELAY)), 0);
    // The arrows stand right at their field's edge, which the template's rounding at some DPIs overlaps.
    const RECT field = controlRect(hwnd_, IDC_SET_TIMERDELAY), arrows = controlRect(hwnd_, IDC_SET_SPIN);
    moveControl(hwnd_, IDC_SET_SPIN, field.right, arrows.top);
    SendMessageW(spin, UDM_SETACCEL, sizeof kIntervalAcceleration / sizeof kIntervalAcceleration[0],
                 reinterpret_cast<LPARAM>(kIntervalAcceleration));
    SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(kTimerDelayMax, kTimerDelayMin));
}

void SettingsPage::show(const SettingsPageValues& v) {
    setDialogItemText(hwnd_, IDC_SET_TIMERDELAY, v.timerDelay.c_str());
    setDialogItemText(hwnd_, IDC_SET_ERRORCOUNT, v.errorCount.c_str());
    struct Flag {
        int id;
        bool on;
    };
    const Flag flags[] = {{IDC_SET_AUTOSEARCH, v.autoSearch}, {IDC_SET_ROTATE, v.rotateSearch},
                          {IDC_SET_AUTORELOAD, v.autoReload}, {IDC_SET_TRAYICON, v.trayIcon},
                          {IDC_SET_AUTOSORT, v.autoSort},     {IDC_SET_REGEXP, v.regExp}};
    for (const Flag& f : flags) CheckDlgButton(hwnd_, f.id, f.on ? BST_CHECKED : BST_UNCHECKED);
    setDialogItemText(hwnd_, IDC_SET_DOWNLIST, v.downList.c_str());
    setDialogItemText(hwnd_, IDC_SET_LOCALHOST, v.localHost.c_str());
    int tabMove = v.tabMove >= 1 && v.tabMove <= 3 ? v.tabMove : 3;
    for (int i = 0; i < 3; ++i)
        CheckDlgButton(hwnd_, kTabMoveButtons[i], i + 1 == tabMove ? BST_CHECKED : BST_UNCHECKED);
}

bool SettingsPage::checked(int id) const {
    return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

std::string SettingsPage::text(int id, int maxBytes) const {
    return dialogItemText(hwnd_, id, maxBytes);
}

std::string SettingsPage::path(int id, int maxBytes) const {
    return dialogItemPath(hwnd_, id, maxBytes);
}

SettingsPageValues SettingsPage::values() const {
    SettingsPageValues v;
    v.timerDelay = text(IDC_SET_TIMERDELAY);
    v.errorCount = text(IDC_SET_ERRORCOUNT);
    v.autoSearch = checked(IDC_SET_AUTOSEARCH);
    v.rotateSearch = checked(IDC_SET_ROTATE);
    v.autoReload = checked(IDC_SET_AUTORELOAD);
    v.trayIcon = checked(IDC_SET_TRAYICON);
    v.noDialog = main_.collector().noDialog();
    v.bbsDelay = main_.collector().bbsDelay();
    v.downList = text(IDC_SET_DOWNLIST);
    v.localHost = text(IDC_SET_LOCALHOST);
    v.autoSort = checked(IDC_SET_AUTOSORT);
    v.regExp = checked(IDC_SET_REGEXP);
    v.tabMove = 0;
    for (int i = 0; i < 3 && v.tabMove == 0; ++i)
        if (checked(kTabMoveButtons[i])) v.tabMove = i + 1;
    return v;
}

void SettingsPage::save() {
    ProfileFile::Hold hold(main_.shared().userSettings);
    saveSettingsPage(main_.shared().userSettings, values());
    // A settings file that cannot be written keeps its old contents, and the user is told.
    if (!hold.end()) errorBox(kMsgCannotWrite, main_.shared().userSettings.path().c_str());
}

void SettingsPage::browse() {
    std::string chosen;
    if (chooseTextFile(main_.hwnd(), false, kBrowseTitle, text(IDC_SET_DOWNLIST), chosen))
        setDialogItemText(hwnd_, IDC_SET_DOWNLIST, chosen.c_str());
}

}  // namespace twk::ui
