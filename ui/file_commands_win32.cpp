// The ファイル menu: list files opened into lists, new and closed lists, saving, the file history, dropped
// files, and the question that guards unsaved rows.
#include <windows.h>
// The dialog declarations need the base declarations first.
#include <cstdio>
#include <new>

#include "core/entry_list.h"
#include "core/report.h"
#include "core/text.h"
#include "core/wide_text_win32.h"
#include "formats/list_file.h"
#include "resources/resource.h"
#include "routing/conditions_file.h"
#include "ui/file_dialog_win32.h"
#include "ui/main_window_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

const char* const kOpenTitle = "ファイルを開く";
const char* const kSaveTitle = "ファイルを保存";
const char* const kMsgLoaded = "%s から%d件の情報を読み込みました";
const char* const kMsgCreated = "%s を作成しました";
const char* const kMsgSaved = "%s に%d件の情報を保存しました";
const char* const kSaveQuestion = " への変更を保存しますか？";
const char* const kNewListFormat = "新規リスト%2.2d";
constexpr int kNewListAllocationCode = static_cast<int>(MemoryPlace::NewList);
constexpr int kOpenNewAllocationCode = static_cast<int>(MemoryPlace::OpenedAsNew);
constexpr int kMaxNewListNumber = 99;

// Whether anything bears exactly this name (no wildcards: a "?" kept for a character without a cp932 form
// matches nothing).
bool pathExists(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool MainWindow::chooseFile(bool save, const std::string& start, std::string& chosen) {
    if (fileChooser_) return fileChooser_(save, chosen);
    return chooseTextFile(hwnd_, save, save ? kSaveTitle : kOpenTitle, start, chosen);
}

int MainWindow::askSaveChanges(const std::string& question) {
    if (saveQuestion_) return saveQuestion_(question);
    std::wstring text = widen(question);
    std::wstring caption = widen(kProductTitle);
    return MessageBoxW(hwnd_, text.c_str(), caption.c_str(), MB_YESNOCANCEL);
}

bool MainWindow::confirmSaveChanges() {
    return confirmSaveChanges(tabs_.pageId(tabs_.current()));
}

// The question is about one page: the answer acts on that page, wherever it is by then, and on none once it
// is gone (a close, answered inside the question, may have removed it or made another page current).
bool MainWindow::confirmSaveChanges(int pageId) {
    const int index = tabs_.indexOfPage(pageId);
    EntryList* list = tabs_.pageList(index);
    if (!list || list->kind() != ListKind::Normal) return false;
    if (!list->modified()) return true;
    std::string name = list->path().empty() ? tabs_.tabText(index) : list->path();
    int answer = askSaveChanges(name + kSaveQuestion);
    if (answer == IDCANCEL || !normalList(pageId)) return false;
    // A save that was cancelled or failed stops what asked: its rows would be lost otherwise.
    if (answer == IDYES) return list->path().empty() ? saveListAs(pageId) : saveList(pageId);
    return true;
}

void MainWindow::rememberFile(const std::string& path) {
    histories_[kFileHistory].pushFront(path);
}

bool MainWindow::openIntoCurrent(const std::string& path) {
    return openInto(tabs_.pageId(tabs_.current()), path);
}

EntryList* MainWindow::normalList(int pageId) const {
    const int index = tabs_.indexOfPage(pageId);
    Page* page = tabs_.page(index);
    EntryList* list = tabs_.pageList(index);
    // A page whose window went with the main window is gone as well.
    return page && page->hwnd() && list && list->kind() == ListKind::Normal && list->view() ? list : nullptr;
}

// The counts of the current page, and the focus on a list when it is the current one.
void MainWindow::showLoaded(int pageId, const char* format, const std::string& path, int count) {
    showCounts(currentView());
    showMessage(format, path.c_str(), count);
    if (tabs_.indexOfPage(pageId) == tabs_.current())
        if (Win32ListView* view = currentView()) SetFocus(view->hwnd());
}

bool MainWindow::openInto(int pageId, const std::string& path) {
    if (!pathExists(path) || !normalList(pageId)) return false;
    if (!confirmSaveChanges(pageId)) return false;
    EntryList* list = normalList(pageId);
    if (!list) return false;
    auto* view = static_cast<Win32ListView*>(list->view());
    ListFileLoad load;
    {
        BulkUpdate bulk(view);
        ShowWindow(view->hwnd(), SW_HIDE);
        // The rows, path and tab change only once the whole file could be read.
        load = replaceWithListFile(*list, path, [view] { view->deleteAllItems(); });
        ShowWindow(view->hwnd(), SW_SHOW);
    }
    if (!load.ok()) {
        if (!load.reported) errorBox(kMsgCannotOpen, path.c_str());
        return false;
    }
    tabs_.setTabText(tabs_.indexOfPage(pageId), fileNamePart(path).c_str());
    rememberFile(path);
    showLoaded(pageId, kMsgLoaded, path, load.added);
    resolveDestinations(conditions_, tabs_);
    return true;
}

std::unique_ptr<EntryList> MainWindow::makeNormalList(int allocationCode) {
    std::unique_ptr<EntryList> list;
    try {
        list = std::make_unique<EntryList>(ListKind::Normal);
        for (int i = 0; i < tabs_.count(); ++i) {
            EntryList* other = tabs_.pageList(i);
            if (other && other->kind() == ListKind::Ignore) list->linkFilter(other);
        }
    } catch (const std::bad_alloc&) {
        list.reset();
        errorBoxOwnerless(kMsgAllocationFailed, allocationCode);
    }
    return list;
}

bool MainWindow::insertNormalPage(std::unique_ptr<EntryList> list, const std::string& title) {
    return tabs_.insertPage(std::make_unique<ListPage>(*this, PageKind::Normal), 0, SW_SHOW, title.c_str(),
                            std::move(list)) == 1;
}

void MainWindow::cmdOpen() {
    const int pageId = tabs_.pageId(tabs_.current());
    EntryList* list = normalList(pageId);
    if (!list) return;
    std::string path;
    if (chooseFile(false, list->path(), path)) openInto(pageId, path);
}

void MainWindow::cmdOpenNew() {
    std::string path;
    if (!chooseFile(false, std::string(), path)) return;
    std::unique_ptr<EntryList> list = makeNormalList(kOpenNewAllocationCode);
    if (!list || !insertNormalPage(std::move(list), fileNamePart(path))) return;
    // A file that cannot be opened leaves no empty tab behind.
    const int pageId = tabs_.pageId(tabs_.current());
    if (!openInto(pageId, path)) {
        tabs_.removePage(tabs_.indexOfPage(pageId));
        Page* page = tabs_.currentPage();
        showCounts(page ? page->listView() : nullptr);
    }
    updateCommandStates();
}

void MainWindow::cmdOpenAdd() {
    const int pageId = tabs_.pageId(tabs_.current());
    EntryList* list = normalList(pageId);
    if (!list) return;
    std::string path;
    if (!chooseFile(false, list->path(), path)) return;
    list = normalList(pageId);  // the page may have gone while the dialog was open
    if (!list) return;
    ListFileLoad load;
    {
        BulkUpdate bulk(list->view());
        load = loadListFile(*list, path);
    }
    if (!load.ok()) {
        if (!load.reported) errorBox(kMsgCannotOpen, path.c_str());
        return;
    }
    tabs_.setTabText(tabs_.indexOfPage(pageId), fileNamePart(path).c_str());
    rememberFile(path);
    showLoaded(pageId, kMsgLoaded, path, load.added);
    resolveDestinations(conditions_, tabs_);
}

void MainWindow::cmdNewList() {
    std::vector<std::string> names;
    for (int i = 0; i < tabs_.count(); ++i)
        if (tabs_.kind(i) == PageKind::Normal) names.push_back(tabs_.tabText(i));
    char name[260] = {};
    for (int n = 1; n <= kMaxNewListNumber; ++n) {
        std::snprintf(name, sizeof name, kNewListFormat, n);
        bool taken = false;
        for (const std::string& existing : names) taken = taken || existing == name;
        if (!taken) break;
    }
    std::unique_ptr<EntryList> list = makeNormalList(kNewListAllocationCode);
    if (!list || !insertNormalPage(std::move(list), name)) return;
    showMessage(kMsgCreated, name);
    updateCommandStates();
    resolveDestinations(conditions_, tabs_);
}

void MainWindow::cmdCloseList() {
    const int pageId = tabs_.pageId(tabs_.current());
    EntryList* list = normalList(pageId);
    if (!list) return;
    if (collector_.state().running && collector_.state().target == list) collector_.stop();
    if (!confirmSaveChanges(pageId)) return;
    tabs_.removePage(tabs_.indexOfPage(pageId));
    Page* page = tabs_.currentPage();
    showCounts(page ? page->listView() : nullptr);
    showMessage(nullptr);
    updateCommandStates();
    resolveDestinations(conditions_, tabs_);
}

int MainWindow::saveListTo(int pageId, const std::string& path) {
    EntryList* list = tabs_.pageList(tabs_.indexOfPage(pageId));
    if (!list || !list->view()) return -1;
    int written = saveListFile(*list, path);
    if (written < 0) errorBox(kMsgCannotWrite, path.c_str());
    if (written <= 0) return written;  // not written, or an empty file with nothing to report
    list->setModified(false);
    if (list->kind() == ListKind::Normal) rememberFile(path);
    showLoaded(pageId, kMsgSaved, path, written);
    return written;
}

bool MainWindow::saveList(int pageId) {
    EntryList* list = tabs_.pageList(tabs_.indexOfPage(pageId));
    if (!list || list->path().empty()) return false;
    return saveListTo(pageId, list->path()) >= 0;
}

bool MainWindow::saveListAs(int pageId) {
    EntryList* list = normalList(pageId);
    if (!list) return false;
    std::string path;
    if (!chooseFile(true, list->path(), path)) return false;
    // The list takes the new path once its file could be made, even when it holds no rows to write.
    const int written = saveListTo(pageId, path);
    list = normalList(pageId);
    if (written < 0 || !list) return false;
    list->setPath(path);
    if (written == 0) return true;
    tabs_.setTabText(tabs_.indexOfPage(pageId), fileNamePart(path).c_str());
    resolveDestinations(conditions_, tabs_);
    return true;
}

void MainWindow::cmdSave() {
    saveList(tabs_.pageId(tabs_.current()));
}

void MainWindow::cmdSaveAs() {
    saveListAs(tabs_.pageId(tabs_.current()));
}

void MainWindow::openHistoryEntry(int index) {
    if (index < 0 || index >= histories_[kFileHistory].count()) return;
    std::string path = histories_[kFileHistory].entry(index).substr(0, 259);
    openIntoCurrent(path);
}

void MainWindow::onDroppedFiles(Page& page, HDROP drop) {
    int pageId = 0;
    for (int i = 0; i < tabs_.count(); ++i)
        if (tabs_.page(i) == &page) pageId = tabs_.pageId(i);
    UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    // The files open into the page dropped on, while it is there.
    for (UINT i = 0; i < n && normalList(pageId); ++i) {
        wchar_t path[260] = {};
        DragQueryFileW(drop, i, path, 260);
        if (isFolder(path)) continue;
        if (openInto(pageId, fromWidePath(path).substr(0, 259))) break;
    }
    DragFinish(drop);
    SetForegroundWindow(hwnd_);
}

}  // namespace twk::ui
