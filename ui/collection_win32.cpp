// The automatic collection: on a timer, the host's results go into one normal list and the host searches
// again, optionally with the host word of the next list tab.
#include <algorithm>
#include <cstdint>

#include "core/entry_list.h"
#include "core/report.h"
#include "resources/resource.h"
#include "settings/number_syntax.h"
#include "ui/main_window_win32.h"
#include "ui/settings_page_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

const char* const kCollectingText = "自動収集中";
const char* const kCollectedText = "%d件の情報を取得しました";

// The settings that the collection takes at its start and that stay fixed while it runs.
constexpr int kFixedWhileRunning[] = {IDC_SET_SPIN,      IDC_SET_AUTOSEARCH, IDC_SET_ROTATE,
                                      IDC_SET_TABMOVE1,  IDC_SET_TABMOVE2,   IDC_SET_TABMOVE3,
                                      IDC_SET_ERRORCOUNT};
constexpr int kTabMoveButtons[] = {IDC_SET_TABMOVE1, IDC_SET_TABMOVE2, IDC_SET_TABMOVE3};

// A number field as the collection reads it: at most 23 characters, signed syntax.
int numberField(const SettingsPage& page, int id) {
    return parseSignedNumber(page.text(id).substr(0, 23).c_str());
}

}  // namespace

void MainWindow::startCollection() {
    if (collection_.running) return;
    if (!host_->findSearchButton()) return;
    Page* page = tabs_.currentPage();
    EntryList* list = page ? page->list() : nullptr;
    if (!list || list->kind() != ListKind::Normal) return;
    SettingsPage* settings = settingsPage();
    if (!settings) return;
    const int interval = numberField(*settings, IDC_SET_TIMERDELAY);
    if (interval < 1) return;

    HWND s = settings->hwnd();
    CollectionState state;
    state.autoSearch = settings->checked(IDC_SET_AUTOSEARCH);
    state.rotate = settings->checked(IDC_SET_ROTATE);
    if (state.rotate)
        sendHostWord(*page);
    else
        fetchHostWord(*page);
    for (int i = 0; i < 3; ++i)
        if (settings->checked(kTabMoveButtons[i])) state.tabMove = i + 1;
    state.errorCount = numberField(*settings, IDC_SET_ERRORCOUNT);
    for (int id : kFixedWhileRunning) EnableWindow(GetDlgItem(s, id), FALSE);
    EnableMenuItem(menu(), ID_GET_START, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu(), ID_GET_STOP, MF_BYCOMMAND | MF_ENABLED);
    statusBar_.setText(kStatusCollecting, kCollectingText);
    if (state.tabMove == 2) host_->showSearchTab();

    state.running = true;
    state.target = list;
    state.targetPage = page->hwnd();
    collection_ = state;
    updateCommandStates();
    if (!collection_.rotate) collectOnce();
    if (collection_.running) {
        // The timer takes at most 0x7FFFFFFF ms; a larger interval waits that long.
        const std::int64_t ms = std::min<std::int64_t>(std::int64_t{interval} * 1000, 0x7FFFFFFF);
        SetTimer(hwnd_, kCollectTimer, static_cast<UINT>(ms), nullptr);
        // Only a collection still running after its first cycle shows as collecting.
        tray_.changeIcon(IDI_TRAY_COLLECTING, kProductTitle);
    }
}

void MainWindow::stopCollection() {
    EnableMenuItem(menu(), ID_GET_START, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu(), ID_GET_STOP, MF_BYCOMMAND | MF_GRAYED);
    if (SettingsPage* settings = settingsPage())
        for (int id : kFixedWhileRunning) EnableWindow(GetDlgItem(settings->hwnd(), id), TRUE);
    statusBar_.setText(kStatusCollecting, "");
    collection_.running = false;
    updateCommandStates();
    KillTimer(hwnd_, kCollectTimer);
    collection_.target = nullptr;
    collection_.targetPage = nullptr;
    tray_.changeIcon(IDI_TRAY_IDLE, kProductTitle);
}

void MainWindow::forgetCollectionList(const EntryList* list) {
    if (!list || collection_.target != list) return;
    // Once the window is gone there is nothing left to update.
    if (collection_.running && hwnd_ && IsWindow(hwnd_)) stopCollection();
    collection_.running = false;
    collection_.target = nullptr;
    collection_.targetPage = nullptr;
}

void MainWindow::collectOnce() {
    // A message box of a cycle keeps dispatching timer messages: a cycle never starts inside another one.
    if (collecting_ || !collection_.running) return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(collecting_);

    if (!host_->findSearchButton()) {
        stopCollection();
        return;
    }
    SettingsPage* settings = settingsPage();
    const bool autoSort = settings && settings->checked(IDC_SET_AUTOSORT);
    EntryList* target = collection_.target;
    if (!target || target->kind() == ListKind::Ignore) {
        stopCollection();
        return;
    }
    int seen = 0;
    int added = host_->collect(*target, autoSort, noDialog_, &seen);
    if (added < 0 || !collection_.running) {
        stopCollection();
        return;
    }
    if (seen > 0) {
        collection_.failures = 0;
    } else if (++collection_.failures == collection_.errorCount && collection_.tabMove == 3) {
        host_->showSearchTab();
        collection_.failures = 0;
    }
    Page* current = tabs_.currentPage();
    if (current && current->hwnd() == collection_.targetPage) {
        showCounts(current->listView());
        showMessage(kCollectedText, added);
    }
    if (collection_.rotate)
        rotateSearch();
    else if (collection_.autoSearch)
        host_->pressSearch();
}

void MainWindow::rotateSearch() {
    const int k = tabs_.indexOfList(collection_.target);
    if (k < 0) return;
    const int n = tabs_.count();
    for (int step = 1; step < n; ++step) {
        const int j = (k + step) % n;
        EntryList* list = tabs_.pageList(j);
        Page* page = tabs_.page(j);
        if (!list || !page || list->kind() != ListKind::Normal) continue;
        if (windowText(page->item(IDC_HOSTWORD)).empty()) continue;
        sendHostWord(*page);
        collection_.target = list;
        collection_.targetPage = page->hwnd();
        return;
    }
    host_->pressSearch();
}

}  // namespace twk::ui
