#include "formats/clipboard_rows.h"

#include <new>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/report.h"
#include "formats/list_file.h"
#include "formats/serialize.h"
#include "formats/text_buffer.h"

namespace twk {

namespace {

constexpr const char* kMsgCopied = "%d件の情報をコピーしました";
constexpr const char* kMsgCopiedDownload = "%d件の情報をダウンリスト形式でコピーしました";
constexpr const char* kMsgCut = "%d件の情報を切り取りました";
constexpr const char* kMsgPasted = "%d件の情報を貼り付けました";

constexpr ClipboardRows::CopyForm kCopy = {ListForm, ListForm, kMsgCopied};
constexpr ClipboardRows::CopyForm kCopyDownload = {DownloadForm, DownloadBbsForm, kMsgCopiedDownload};
constexpr ClipboardRows::CopyForm kCopyNames = {NameForm, NameForm, kMsgCopied};
constexpr ClipboardRows::CopyForm kCopyTrips = {TripForm, TripForm, kMsgCopied};
constexpr ClipboardRows::CopyForm kCopyHashes = {HashForm, HashForm, kMsgCopied};
constexpr ClipboardRows::CopyForm kCopyKeyInfo = {KeyInfoForm, KeyInfoForm, kMsgCopied};

}  // namespace

void ClipboardRows::copy() {
    copyIn(kCopy);
}
void ClipboardRows::copyDownload() {
    copyIn(kCopyDownload);
}
void ClipboardRows::copyNames() {
    copyIn(kCopyNames);
}
void ClipboardRows::copyTrips() {
    copyIn(kCopyTrips);
}
void ClipboardRows::copyHashes() {
    copyIn(kCopyHashes);
}
void ClipboardRows::copyKeyInfo() {
    copyIn(kCopyKeyInfo);
}

int ClipboardRows::copySelected(int form, int bbsForm) {
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    if (!list || !view || view->selectedCount() <= 0) return -1;
    list->syncSelectionFromView();
    SerializedRows rows =
        serializeRows(*list, (list->kind() == ListKind::Bbs ? bbsForm : form) | SelectedOnly);
    if (rows.noMemory) throw std::bad_alloc();  // the command's memory message; nothing was copied or cut
    if (!rows.block || rows.lines <= 0) return -1;
    if (!clipboard_.put(rows.block.get(), rows.length)) return -1;
    return rows.lines;
}

void ClipboardRows::copyIn(const CopyForm& form) {
    const int lines = copySelected(form.form, form.bbsForm);
    if (lines < 0) return;
    showCounts(pages_.currentView());
    showMessage(form.report, lines);
}

void ClipboardRows::cut() {
    const int lines = copySelected(ListForm, ListForm);
    if (lines < 0) return;
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    showCounts(view);
    showMessage(kMsgCopied, lines);
    if (list->deleteSelected() > 0) {
        showCounts(view);
        showMessage(kMsgCut, lines);
        pages_.focusView();
    }
}

void ClipboardRows::paste() {
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    if (!list || !view) return;
    TextBuffer text;
    std::string clip;
    if (clipboard_.read(clip) && !text.loadText(clip.data(), clip.size())) throw std::bad_alloc();
    int added = 0;
    if (text.loaded()) {
        BulkUpdate bulk(view);
        added = addListLines(*list, text, pastedTextRules(clipboard_.sortPasted() ? 1 : 0));
    }
    if (added > 0) {
        list->setModified(true);
        list->purgeDependents();
    }
    showCounts(view);
    showMessage(kMsgPasted, added);
}

}  // namespace twk
