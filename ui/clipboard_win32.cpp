// Rows to and from the clipboard: the selected rows copied in one of the line forms, cut, and list lines
// pasted.
#include <cstring>

#include "core/entry_list.h"
#include "core/report.h"
#include "formats/list_file.h"
#include "formats/serialize.h"
#include "formats/text_buffer.h"
#include "resources/resource.h"
#include "ui/main_window_win32.h"
#include "ui/settings_page_win32.h"

namespace twk::ui {

namespace {

const char* const kMsgCopied = "%d件の情報をコピーしました";
const char* const kMsgCopiedDownload = "%d件の情報をダウンリスト形式でコピーしました";
const char* const kMsgCut = "%d件の情報を切り取りました";
const char* const kMsgPasted = "%d件の情報を貼り付けました";

struct CopyForm {
    int id;
    int form;     // the line form on file lists
    int bbsForm;  // the line form on the BBS list
    const char* report;
};
const CopyForm kCopyForms[] = {
    {ID_EDIT_COPY, ListForm, ListForm, kMsgCopied},
    {ID_COPY_DOWNLIST, DownloadForm, DownloadBbsForm, kMsgCopiedDownload},
    {ID_COPY_NAMES, NameForm, NameForm, kMsgCopied},
    {ID_COPY_TRIPS, TripForm, TripForm, kMsgCopied},
    {ID_COPY_HASHES, HashForm, HashForm, kMsgCopied},
    {ID_COPY_KEYINFO, KeyInfoForm, KeyInfoForm, kMsgCopied},
};

// Hands the text (with its NUL) to the clipboard. False when the clipboard did not take it.
bool putOnClipboard(HWND owner, const char* text, size_t length) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    if (!memory) return false;
    void* p = GlobalLock(memory);
    if (!p) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(p, text, length + 1);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool taken = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(memory);
    return taken;
}

}  // namespace

int MainWindow::copySelectedRows(int form, int bbsForm) {
    EntryList* list = currentList();
    Win32ListView* view = currentView();
    if (!list || !view || view->selectedCount() <= 0) return -1;
    list->syncSelectionFromView();
    SerializedRows rows =
        serializeRows(*list, (list->kind() == ListKind::Bbs ? bbsForm : form) | SelectedOnly);
    if (!rows.block || rows.lines <= 0) return -1;
    if (!putOnClipboard(hwnd_, rows.block.get(), rows.length)) return -1;
    return rows.lines;
}

void MainWindow::cmdCopyForm(int id) {
    for (const CopyForm& f : kCopyForms) {
        if (f.id != id) continue;
        int lines = copySelectedRows(f.form, f.bbsForm);
        if (lines < 0) return;
        showCounts(currentView());
        showMessage(f.report, lines);
        return;
    }
}

void MainWindow::cmdCopy() {
    cmdCopyForm(ID_EDIT_COPY);
}
void MainWindow::cmdCopyDownload() {
    cmdCopyForm(ID_COPY_DOWNLIST);
}
void MainWindow::cmdCopyNames() {
    cmdCopyForm(ID_COPY_NAMES);
}
void MainWindow::cmdCopyTrips() {
    cmdCopyForm(ID_COPY_TRIPS);
}
void MainWindow::cmdCopyHashes() {
    cmdCopyForm(ID_COPY_HASHES);
}
void MainWindow::cmdCopyKeyInfo() {
    cmdCopyForm(ID_COPY_KEYINFO);
}

// The rows go only once the clipboard holds them.
void MainWindow::cmdCut() {
    int lines = copySelectedRows(ListForm, ListForm);
    if (lines < 0) return;
    EntryList* list = currentList();
    Win32ListView* view = currentView();
    showCounts(view);
    showMessage(kMsgCopied, lines);
    if (list->deleteSelected() > 0) {
        showCounts(view);
        showMessage(kMsgCut, lines);
        SetFocus(view->hwnd());
    }
}

void MainWindow::cmdPaste() {
    EntryList* list = currentList();
    Win32ListView* view = currentView();
    if (!list || !view) return;
    SettingsPage* settings = settingsPage();
    const bool autoSort = settings && settings->checked(IDC_SET_AUTOSORT);
    TextBuffer text;
    if (IsClipboardFormatAvailable(CF_TEXT) && OpenClipboard(hwnd_)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (auto* p = static_cast<const char*>(GlobalLock(data))) {
                size_t size = GlobalSize(data);
                size_t length = 0;
                while (length < size && p[length]) ++length;
                text.loadText(p, length);
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    int added = 0;
    if (text.loaded()) {
        BulkUpdate bulk(view);
        added = addListLines(*list, text, pastedTextRules(autoSort ? 1 : 0));
    }
    if (added > 0) {
        list->setModified(true);
        list->purgeDependents();
    }
    showCounts(view);
    showMessage(kMsgPasted, added);
}

}  // namespace twk::ui
