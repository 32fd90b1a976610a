// The automatic collection's window half: on a timer, the host's results go into one normal list and the host
// searches again, optionally with the host word of the next list tab (the decisions are Collection's).
#include "ui/collection_win32.h"

#include "core/entry_list.h"
#include "core/report.h"
#include "host/host_link.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "settings/history_list.h"
#include "settings/number_syntax.h"
#include "settings/profile_file.h"
#include "ui/host_bridge_win32.h"
#include "ui/settings_page_win32.h"
#include "ui/status_bar_win32.h"
#include "ui/tab_set_win32.h"
#include "ui/text_win32.h"
#include "ui/tray_win32.h"

namespace twk::ui {

namespace {

const char* const kCollectingText = "自動収集中";

// The settings that the collection takes at its start and that stay fixed while it runs.
constexpr int kFixedWhileRunning[] = {IDC_SET_SPIN,      IDC_SET_AUTOSEARCH, IDC_SET_ROTATE,
                                      IDC_SET_TABMOVE1,  IDC_SET_TABMOVE2,   IDC_SET_TABMOVE3,
                                      IDC_SET_ERRORCOUNT};
constexpr int kTabMoveButtons[] = {IDC_SET_TABMOVE1, IDC_SET_TABMOVE2, IDC_SET_TABMOVE3};

// A number field as the collection reads it: at most 23 characters, signed syntax.
int numberField(const SettingsPage& page, int id) {
    return parseSignedNumber(page.text(id).substr(0, 23).c_str());
}

SettingsPage* settingsOf(const ListTabSet& tabs) {
    for (int i = 0; i < tabs.count(); ++i)
        if (tabs.kind(i) == PageKind::Settings) return static_cast<SettingsPage*>(tabs.page(i));
    return nullptr;
}

}  // namespace

bool CollectionCommands::findSearchButton() {
    return parts_.host.findSearchButton();
}

int CollectionCommands::collect(EntryList& list, bool autoSort, int& seen) {
    return parts_.host.collect(list, autoSort, noDialog_, &seen);
}

void CollectionCommands::pressSearch() {
    parts_.host.pressSearch();
}

void CollectionCommands::showSearchTab() {
    parts_.host.showSearchTab();
}

int CollectionCommands::pageCount() const {
    return parts_.tabs.count();
}

int CollectionCommands::currentPage() const {
    return parts_.tabs.current();
}

int CollectionCommands::pageId(int index) const {
    return parts_.tabs.pageId(index);
}

EntryList* CollectionCommands::pageList(int index) const {
    return parts_.tabs.page(index) ? parts_.tabs.pageList(index) : nullptr;
}

bool CollectionCommands::hasHostWord(int index) const {
    Page* page = parts_.tabs.page(index);
    return page && !windowText(page->item(IDC_HOSTWORD)).empty();
}

void CollectionCommands::sendHostWord(int index) {
    if (Page* page = parts_.tabs.page(index)) sendHostWord(*page);
}

void CollectionCommands::fetchHostWord(int index) {
    if (Page* page = parts_.tabs.page(index)) fetchHostWord(*page);
}

bool CollectionCommands::readOptions(CollectionOptions& options) {
    SettingsPage* settings = settingsOf(parts_.tabs);
    if (!settings) return false;
    options.interval = numberField(*settings, IDC_SET_TIMERDELAY);
    options.autoSearch = settings->checked(IDC_SET_AUTOSEARCH);
    options.rotate = settings->checked(IDC_SET_ROTATE);
    options.tabMove = 3;
    for (int i = 0; i < 3; ++i)
        if (settings->checked(kTabMoveButtons[i])) options.tabMove = i + 1;
    options.errorCount = numberField(*settings, IDC_SET_ERRORCOUNT);
    options.moveAtStart = settings->checked(IDC_SET_TABMOVE2);
    options.autoSort = settings->checked(IDC_SET_AUTOSORT);
    return true;
}

void CollectionCommands::showRunning(bool running) {
    HMENU menu = window_ ? GetMenu(window_) : nullptr;
    EnableMenuItem(menu, ID_GET_START, MF_BYCOMMAND | (running ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(menu, ID_GET_STOP, MF_BYCOMMAND | (running ? MF_ENABLED : MF_GRAYED));
    if (SettingsPage* settings = settingsOf(parts_.tabs))
        for (int id : kFixedWhileRunning)
            EnableWindow(GetDlgItem(settings->hwnd(), id), running ? FALSE : TRUE);
    parts_.statusBar.setText(kStatusCollecting, running ? kCollectingText : "");
}

void CollectionCommands::startTimer(std::uint32_t milliseconds) {
    SetTimer(window_, kTimer, milliseconds, nullptr);
    parts_.tray.changeIcon(IDI_TRAY_COLLECTING, TWK_PRODUCT_TITLE);
}

void CollectionCommands::stopTimer() {
    KillTimer(window_, kTimer);
    parts_.tray.changeIcon(IDI_TRAY_IDLE, TWK_PRODUCT_TITLE);
}

void CollectionCommands::fetchHostWord(Page& page) {
    const bool bbs = page.kind() == PageKind::Bbs;
    std::string word;
    if (!parts_.host.readWord(bbs, word)) return;
    setWindowText(page.item(IDC_HOSTWORD), word.c_str());
    parts_.histories[bbs ? kBbsHostWordHistory : kHostWordHistory].pushFront(word);
}

void CollectionCommands::sendHostWord(Page& page) {
    const bool bbs = page.kind() == PageKind::Bbs;
    std::string word = windowText(page.item(IDC_HOSTWORD), kTextBufferSize - 1);
    if (!parts_.host.writeWord(bbs, word.c_str())) return;
    parts_.histories[bbs ? kBbsHostWordHistory : kHostWordHistory].pushFront(word);
    if (!bbs) parts_.host.pressSearch();
}

// Each step that does not find the host says so once: the sequence ends there.
void CollectionCommands::collectBbs(Page& page) {
    auto hostGone = [this] { return parts_.host.link().findHostWindow() == kNoWindow; };
    if (!parts_.host.showBbsTab()) return;
    sendHostWord(page);
    if (!parts_.host.pressSearch() && hostGone()) return;
    // The host needs a moment before its BBS results are in its table.
    if (bbsDelay_ > 0) Sleep(static_cast<DWORD>(bbsDelay_));
    if (logic_.manualGet() < 0 && hostGone()) return;
    parts_.host.showSearchTab();
    SetForegroundWindow(window_);
    if (Win32ListView* view = page.listView()) SetFocus(view->hwnd());
}

void CollectionCommands::showHostSearchTab() {
    parts_.host.showSearchTab();
}

void CollectionCommands::toggleHostWindow() {
    parts_.host.toggleHostWindow();
}

}  // namespace twk::ui
