// The ファイル menu's window half: the pages of the tab set as the file commands see them, the open and save
// dialogs, the save question's box and dropped files.
#include "ui/file_commands_win32.h"

#include "core/entry_list.h"
#include "core/report.h"
#include "core/wide_text_win32.h"
#include "resources/version.h"
#include "routing/conditions_file.h"
#include "ui/file_dialog_win32.h"
#include "ui/tab_set_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

const char* const kOpenTitle = "ファイルを開く";
const char* const kSaveTitle = "ファイルを保存";

bool isFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

int FileCommandsWindow::count() const {
    return parts_.tabs.count();
}

int FileCommandsWindow::current() const {
    return parts_.tabs.current();
}

int FileCommandsWindow::pageId(int index) const {
    return parts_.tabs.pageId(index);
}

// A page whose window went with the main window is gone as well.
int FileCommandsWindow::indexOfPage(int id) const {
    const int index = parts_.tabs.indexOfPage(id);
    Page* page = parts_.tabs.page(index);
    return page && page->hwnd() ? index : -1;
}

EntryList* FileCommandsWindow::list(int index) const {
    return parts_.tabs.pageList(index);
}

std::string FileCommandsWindow::title(int index) const {
    return parts_.tabs.tabText(index);
}

void FileCommandsWindow::setTitle(int index, const std::string& title) {
    parts_.tabs.setTabText(index, title.c_str());
}

bool FileCommandsWindow::insertList(std::unique_ptr<EntryList> list, const std::string& title) {
    return parts_.tabs.insertPage(parts_.makeListPage(), 0, SW_SHOW, title.c_str(), std::move(list)) == 1;
}

void FileCommandsWindow::remove(int index) {
    parts_.tabs.removePage(index);
    Page* page = parts_.tabs.currentPage();
    showCounts(page ? page->listView() : nullptr);
}

void FileCommandsWindow::showList(int index, bool shown) {
    if (Page* page = parts_.tabs.page(index))
        if (Win32ListView* view = page->listView()) ShowWindow(view->hwnd(), shown ? SW_SHOW : SW_HIDE);
}

void FileCommandsWindow::focusList(int index) {
    if (Page* page = parts_.tabs.page(index))
        if (Win32ListView* view = page->listView()) SetFocus(view->hwnd());
}

void FileCommandsWindow::titlesChanged(bool commandStates) {
    if (commandStates) parts_.updateCommands();
    resolveDestinations(parts_.conditions, parts_.tabs);
}

bool FileCommandsWindow::chooseFile(bool save, const std::string& start, std::string& chosen) {
    if (fileChooser_) return fileChooser_(save, chosen);
    return chooseTextFile(window_, save, save ? kSaveTitle : kOpenTitle, start, chosen);
}

SaveAnswer FileCommandsWindow::askSave(const std::string& question) {
    int answer = 0;
    if (saveQuestion_) {
        answer = saveQuestion_(question);
    } else {
        std::wstring text = widen(question);
        std::wstring caption = widen(TWK_PRODUCT_TITLE);
        answer = MessageBoxW(window_, text.c_str(), caption.c_str(), MB_YESNOCANCEL);
    }
    // A box that could not be shown (0) lets the command go on, as No does.
    return answer == IDYES ? SaveAnswer::Yes : answer == IDCANCEL ? SaveAnswer::Cancel : SaveAnswer::No;
}

// Exactly this name (no wildcards: a "?" kept for a character without a cp932 form matches nothing).
bool FileCommandsWindow::exists(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void FileCommandsWindow::onDropped(Page& page, HDROP drop) {
    int id = 0;
    for (int i = 0; i < parts_.tabs.count(); ++i)
        if (parts_.tabs.page(i) == &page) id = parts_.tabs.pageId(i);
    std::vector<DroppedFile> files;
    const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        wchar_t path[260] = {};
        DragQueryFileW(drop, i, path, 260);
        files.push_back({fromWidePath(path), isFolder(path)});
    }
    DragFinish(drop);
    logic_.openDropped(id, files);
    SetForegroundWindow(window_);
}

}  // namespace twk::ui
