#include "core/row_commands.h"

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/report.h"

namespace twk {

namespace {

const char* const kMsgDeleted = "%d件の情報を削除しました";
const char* const kMsgSelectedAll = "全%d件の情報を選択しました";
const char* const kMsgInverted = "選択を反転しました";
const char* const kMsgSelectionCleared = "全ての選択を解除しました";
const char* const kMsgSelectedMarked = "%d件の情報を選択しました";
const char* const kMsgMarked = "%d件の情報に検索マークを付加しました";
const char* const kMsgCleared = "一覧をクリアしました";
const char* const kMsgMoved = "%d件の情報を移動しました";

// The counts and then the message of a selection command reach the screen together.
class StatusHold {
  public:
    explicit StatusHold(RowPages& pages) : pages_(pages) { pages_.holdStatus(); }
    ~StatusHold() { pages_.releaseStatus(); }
    StatusHold(const StatusHold&) = delete;
    StatusHold& operator=(const StatusHold&) = delete;

  private:
    RowPages& pages_;
};

}  // namespace

void RowCommands::deleteSelected() {
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    if (!list || !view) return;
    const int selected = view->selectedCount();
    if (selected <= 0) return;
    list->syncSelectionFromView();
    if (list->deleteSelected() > 0) {
        showCounts(view);
        showMessage(kMsgDeleted, selected);
        pages_.focusView();
    }
}

int RowCommands::selectEvery(bool selected) {
    ListViewOps* view = pages_.currentView();
    if (!pages_.currentList() || !view || view->itemCount() <= 0) return 0;
    const int now = view->setAllSelected(selected);
    const int rows = view->itemCount();
    showCounts(rows, now);
    return rows;
}

void RowCommands::selectAll() {
    StatusHold hold(pages_);
    if (const int rows = selectEvery(true)) showMessage(kMsgSelectedAll, rows);
}

void RowCommands::invert() {
    StatusHold hold(pages_);
    ListViewOps* view = pages_.currentView();
    if (!pages_.currentList() || !view) return;
    const int n = view->itemCount();
    if (n <= 0) return;
    const int selected = view->invertSelection();
    showCounts(n, selected);
    showMessage(kMsgInverted);
}

void RowCommands::clearSelection() {
    StatusHold hold(pages_);
    if (selectEvery(false) > 0) showMessage(kMsgSelectionCleared);
}

void RowCommands::clearAll() {
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    if (!list || !view || list->count() <= 0) return;
    list->clear();
    view->deleteAllItems();
    showCounts(view);
    showMessage(kMsgCleared);
}

void RowCommands::selectMarked() {
    StatusHold hold(pages_);
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    if (!list || !view) return;
    const int n = list->selectMarked();
    showCounts(view);
    showMessage(kMsgSelectedMarked, n);
}

void RowCommands::markSelected() {
    StatusHold hold(pages_);
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    if (!list || !view) return;
    const int n = list->markSelected();
    view->invalidate();
    showCounts(view);
    showMessage(kMsgMarked, n);
}

void RowCommands::nextMark() {
    if (EntryList* list = pages_.currentList()) list->scrollToMark(true);
}

void RowCommands::previousMark() {
    if (EntryList* list = pages_.currentList()) list->scrollToMark(false);
}

void RowCommands::moveSelectedTo(int index) {
    EntryList* list = pages_.currentList();
    EntryList* target = pages_.tabList(index);
    ListViewOps* view = pages_.currentView();
    if (!list || !target || !view || target == list || view->selectedCount() <= 0) return;
    list->syncSelectionFromView();
    const int moved = list->moveSelectedTo(*target);
    showCounts(view);
    showMessage(kMsgMoved, moved);
}

void RowCommands::toggleFilter(int index) {
    EntryList* list = pages_.currentList();
    EntryList* other = pages_.tabList(index);
    if (!list || !other || list == other) return;
    if (list->usesFilter(other))
        list->unlinkFilter(other);
    else
        list->linkFilter(other);
}

}  // namespace twk
