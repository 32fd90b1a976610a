#include "formats/file_commands.h"

#include <cstdio>
#include <new>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/progress.h"
#include "core/report.h"
#include "core/text.h"
#include "formats/list_file.h"
#include "settings/history_list.h"

namespace twk {

namespace {

const char* const kMsgLoaded = "%s から%d件の情報を読み込みました";
const char* const kMsgCreated = "%s を作成しました";
const char* const kMsgSaved = "%s に%d件の情報を保存しました";
const char* const kSaveQuestion = " への変更を保存しますか？";
const char* const kNewListFormat = "新規リスト%2.2d";
constexpr int kMaxNewListNumber = 99;
// History entries and dropped paths are cut to what a path buffer holds.
constexpr std::size_t kPathMax = 259;

}  // namespace

EntryList* FileCommands::normalList(int pageId) const {
    EntryList* list = pages_.list(pages_.indexOfPage(pageId));
    return list && list->kind() == ListKind::Normal ? list : nullptr;
}

bool FileCommands::confirmSaveChanges(int pageId) {
    EntryList* list = normalList(pageId);
    if (!list) return false;
    if (!list->modified()) return true;
    const std::string name = list->path().empty() ? pages_.title(pages_.indexOfPage(pageId)) : list->path();
    const SaveAnswer answer = dialogs_.askSave(name + kSaveQuestion);
    // The question let the user act meanwhile: a close may have removed the page or made another one current.
    if (answer == SaveAnswer::Cancel || normalList(pageId) != list) return false;
    // A save that was cancelled or failed stops what asked: its rows would be lost otherwise.
    if (answer == SaveAnswer::Yes) return list->path().empty() ? saveListAs(pageId) : saveList(pageId);
    return true;
}

// The counts shown are the current page's; the focus goes to the list when its page is the current one.
void FileCommands::reportLoaded(int pageId, const char* format, const std::string& path, int count) {
    EntryList* current = pages_.list(pages_.current());
    showCounts(current ? current->view() : nullptr);
    showMessage(format, path.c_str(), count);
    if (pages_.indexOfPage(pageId) == pages_.current()) pages_.focusList(pages_.current());
}

bool FileCommands::openInto(int pageId, const std::string& path) {
    if (!dialogs_.exists(path) || !normalList(pageId)) return false;
    if (!confirmSaveChanges(pageId)) return false;
    EntryList* list = normalList(pageId);
    if (!list) return false;
    const int index = pages_.indexOfPage(pageId);
    ListViewOps* view = list->view();
    ListFileLoad load;
    {
        LongWork work;
        BulkUpdate bulk(view);
        pages_.showList(index, false);
        // The rows, path and tab change only once the whole file could be read.
        load = replaceWithListFile(*list, path, [view] {
            if (view) view->deleteAllItems();
        });
        pages_.showList(index, true);
    }
    if (!load.ok()) {
        if (!load.reported) errorBox(kMsgCannotOpen, path.c_str());
        return false;
    }
    pages_.setTitle(index, fileNamePart(path));
    history_.pushFront(path);
    reportLoaded(pageId, kMsgLoaded, path, load.added);
    pages_.titlesChanged(false);
    return true;
}

std::unique_ptr<EntryList> FileCommands::makeNormalList(int allocationCode) {
    std::unique_ptr<EntryList> list;
    try {
        list = std::make_unique<EntryList>(ListKind::Normal);
        for (int i = 0; i < pages_.count(); ++i) {
            EntryList* other = pages_.list(i);
            if (other && other->kind() == ListKind::Ignore) list->linkFilter(other);
        }
    } catch (const std::bad_alloc&) {
        list.reset();
        errorBoxOwnerless(kMsgAllocationFailed, allocationCode);
    }
    return list;
}

void FileCommands::open() {
    const int pageId = currentPageId();
    EntryList* list = normalList(pageId);
    if (!list) return;
    std::string path;
    if (dialogs_.chooseFile(false, list->path(), path)) openInto(pageId, path);
}

void FileCommands::openNew() {
    std::string path;
    if (!dialogs_.chooseFile(false, std::string(), path)) return;
    std::unique_ptr<EntryList> list = makeNormalList(static_cast<int>(MemoryPlace::OpenedAsNew));
    if (!list || !pages_.insertList(std::move(list), fileNamePart(path))) return;
    // A file that cannot be opened leaves no empty tab behind.
    const int pageId = currentPageId();
    if (!openInto(pageId, path)) {
        const int index = pages_.indexOfPage(pageId);
        if (index >= 0) pages_.remove(index);
    }
    pages_.titlesChanged(true);
}

void FileCommands::openAdd() {
    const int pageId = currentPageId();
    EntryList* list = normalList(pageId);
    if (!list) return;
    std::string path;
    if (!dialogs_.chooseFile(false, list->path(), path) || normalList(pageId) != list) return;
    ListFileLoad load;
    {
        LongWork work;
        BulkUpdate bulk(list->view());
        load = loadListFile(*list, path);
    }
    if (!load.ok()) {
        if (!load.reported) errorBox(kMsgCannotOpen, path.c_str());
        return;
    }
    pages_.setTitle(pages_.indexOfPage(pageId), fileNamePart(path));
    history_.pushFront(path);
    reportLoaded(pageId, kMsgLoaded, path, load.added);
    pages_.titlesChanged(false);
}

// The first number no normal list's title bears; the last one again when all are taken.
void FileCommands::newList() {
    std::vector<std::string> names;
    for (int i = 0; i < pages_.count(); ++i) {
        EntryList* list = pages_.list(i);
        if (list && list->kind() == ListKind::Normal) names.push_back(pages_.title(i));
    }
    char name[kPathMax + 1] = {};
    for (int n = 1; n <= kMaxNewListNumber; ++n) {
        std::snprintf(name, sizeof name, kNewListFormat, n);
        bool taken = false;
        for (const std::string& existing : names) taken = taken || existing == name;
        if (!taken) break;
    }
    std::unique_ptr<EntryList> list = makeNormalList(static_cast<int>(MemoryPlace::NewList));
    if (!list || !pages_.insertList(std::move(list), name)) return;
    showMessage(kMsgCreated, name);
    pages_.titlesChanged(true);
}

void FileCommands::closeList() {
    const int pageId = currentPageId();
    EntryList* list = normalList(pageId);
    if (!list) return;
    pages_.closing(*list);
    if (!confirmSaveChanges(pageId)) return;
    pages_.remove(pages_.indexOfPage(pageId));
    showMessage(nullptr);
    pages_.titlesChanged(true);
}

int FileCommands::saveTo(int pageId, const std::string& path) {
    EntryList* list = pages_.list(pages_.indexOfPage(pageId));
    if (!list) return -1;
    int written;
    {
        LongWork work;
        written = saveListFile(*list, path);
    }
    if (written < 0) errorBox(kMsgCannotWrite, path.c_str());
    if (written <= 0) return written;  // not written, or an empty file with nothing to report
    list->setModified(false);
    if (list->kind() == ListKind::Normal) history_.pushFront(path);
    reportLoaded(pageId, kMsgSaved, path, written);
    return written;
}

// Any list with a path: the ignore and BBS lists write their own files this way.
bool FileCommands::saveList(int pageId) {
    EntryList* list = pages_.list(pages_.indexOfPage(pageId));
    if (!list || list->path().empty()) return false;
    return saveTo(pageId, list->path()) >= 0;
}

bool FileCommands::saveListAs(int pageId) {
    EntryList* list = normalList(pageId);
    if (!list) return false;
    std::string path;
    if (!dialogs_.chooseFile(true, list->path(), path) || normalList(pageId) != list) return false;
    // The list takes the new path once its file could be made, even when it holds no rows to write.
    const int written = saveTo(pageId, path);
    if (written < 0 || normalList(pageId) != list) return false;
    list->setPath(path);
    if (written == 0) return true;
    pages_.setTitle(pages_.indexOfPage(pageId), fileNamePart(path));
    pages_.titlesChanged(false);
    return true;
}

void FileCommands::save() {
    saveList(currentPageId());
}

void FileCommands::saveAs() {
    saveListAs(currentPageId());
}

void FileCommands::openHistoryEntry(int index) {
    if (index < 0 || index >= history_.count()) return;
    openInto(currentPageId(), history_.entry(index).substr(0, kPathMax));
}

void FileCommands::openDropped(int pageId, const std::vector<DroppedFile>& files) {
    for (const DroppedFile& file : files) {
        if (!normalList(pageId)) return;  // the page went while a question about it was open
        if (file.folder) continue;
        if (openInto(pageId, file.path.substr(0, kPathMax))) return;
    }
}

}  // namespace twk
