// Rows to and from the clipboard: the selected rows copied in one of the line forms, cut, and list lines
// pasted.
#include <cstring>
#include <new>
#include <string>

#include "core/entry_list.h"
#include "core/report.h"
#include "core/wide_text_win32.h"
#include "formats/list_file.h"
#include "formats/serialize.h"
#include "formats/text_buffer.h"
#include "resources/resource.h"
#include "ui/main_window_win32.h"
#include "ui/settings_page_win32.h"
#include "ui/text_win32.h"

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

const LCID kJapaneseLocale = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);

// A movable block holding `size` bytes copied from `data`; nullptr when there is no memory.
HGLOBAL makeBlock(const void* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    void* p = GlobalLock(memory);
    if (!p) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(p, data, size);
    GlobalUnlock(memory);
    return memory;
}

// Gives one format to the opened clipboard; the block is freed when the clipboard does not take it.
bool putFormat(UINT format, HGLOBAL memory) {
    if (!memory) return false;
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    return false;
}

// Hands the text to the clipboard: its cp932 bytes as CF_TEXT with the Japanese locale, so that programs
// reading the bytes know their code page, and the same text as CF_UNICODETEXT, so that every program reads
// it right on a system whose code page is not 932. False when the clipboard did not take the text.
bool putOnClipboard(HWND owner, const char* text, size_t length) {
    const std::wstring wide = widen(text, static_cast<int>(length));
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool taken = putFormat(CF_TEXT, makeBlock(text, length + 1));
    if (taken) {
        taken = putFormat(CF_UNICODETEXT, makeBlock(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
        putFormat(CF_LOCALE, makeBlock(&kJapaneseLocale, sizeof kJapaneseLocale));
    }
    CloseClipboard();
    return taken;
}

// The code page of the clipboard's CF_TEXT: that of its locale, or the system's when it names none.
UINT clipboardTextCodePage() {
    UINT codePage = GetACP();
    if (HANDLE data = GetClipboardData(CF_LOCALE)) {
        if (auto* lcid = static_cast<const LCID*>(GlobalLock(data))) {
            DWORD fromLocale = 0;
            if (GlobalSize(data) >= sizeof(LCID) &&
                GetLocaleInfoW(*lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                               reinterpret_cast<LPWSTR>(&fromLocale), sizeof fromLocale / sizeof(wchar_t)))
                codePage = fromLocale;
            GlobalUnlock(data);
        }
    }
    return codePage;
}

// The clipboard's text as cp932 bytes: CF_TEXT as it is when it is cp932 (exact, even for bytes that are no
// character), otherwise CF_UNICODETEXT converted. False when the clipboard holds no text.
bool readClipboardText(HWND owner, std::string& out) {
    out.clear();
    if (!OpenClipboard(owner)) return false;
    bool got = false;
    const bool rawBytes = IsClipboardFormatAvailable(CF_TEXT) && clipboardTextCodePage() == kTextCodePage;
    if (rawBytes) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (auto* p = static_cast<const char*>(GlobalLock(data))) {
                size_t size = GlobalSize(data);
                size_t length = 0;
                while (length < size && p[length]) ++length;
                out.assign(p, length);
                got = true;
                GlobalUnlock(data);
            }
        }
    } else if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            size_t size = GlobalSize(data) / sizeof(wchar_t);
            size_t length = 0;
            while (length < size && p[length]) ++length;
            out = narrow(p, static_cast<int>(length));
            got = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return got;
}

}  // namespace

int MainWindow::copySelectedRows(int form, int bbsForm) {
    EntryList* list = currentList();
    Win32ListView* view = currentView();
    if (!list || !view || view->selectedCount() <= 0) return -1;
    list->syncSelectionFromView();
    SerializedRows rows =
        serializeRows(*list, (list->kind() == ListKind::Bbs ? bbsForm : form) | SelectedOnly);
    if (rows.noMemory) throw std::bad_alloc();  // the command's memory message; nothing was copied or cut
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
    std::string clip;
    if (readClipboardText(hwnd_, clip) && !text.loadText(clip.data(), clip.size())) throw std::bad_alloc();
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
