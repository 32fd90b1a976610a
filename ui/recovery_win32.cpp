#include "ui/recovery_win32.h"

#include <cstdio>
#include <new>
#include <utility>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/progress.h"
#include "core/report.h"
#include "formats/text_buffer.h"
#include "match/condition_list.h"
#include "recovery/journal.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "routing/conditions_file.h"
#include "ui/pages_win32.h"
#include "ui/tab_set_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

// A change is in the journal within this delay (coalescing the changes of a burst into one point), on the
// disk within the flush delay after it was written; a write that failed is tried again after the retry delay.
constexpr UINT kPointDelayMs = 1000;
constexpr UINT kFlushDelayMs = 8000;
constexpr UINT kRetryDelayMs = 10000;

EntryList* firstListOf(const ListTabSet& tabs, ListKind kind) {
    for (int i = 0; i < tabs.count(); ++i)
        if (EntryList* list = tabs.pageList(i); list && list->kind() == kind) return list;
    return nullptr;
}

// What takeRecoveredRows runs once a list's rows went: its view's items go too.
std::function<void()> emptyView(EntryList& list) {
    return [&list] {
        if (list.view()) list.view()->deleteAllItems();
    };
}

}  // namespace

RecoveryWindow::RecoveryWindow(Parts parts) : parts_(std::move(parts)) {}

RecoveryWindow::~RecoveryWindow() = default;

bool RecoveryWindow::live() const {
    return journal_ && journal_->enabled() && started_ && !stopped_;
}

void RecoveryWindow::start(HWND window, const std::string& programFolder, bool enabled,
                           bool conditionsKnown) {
    window_ = window;
    conditionsFileKnown_ = conditionsKnown;
    conditionsFileText_ = conditionFileText(parts_.conditions);
    conditionsText_ = conditionsKnown ? conditionsFileText_ : std::string();
    journal_ = std::make_unique<Journal>(programFolder + kJournalFolderName + "\\", enabled);
    if (journal_->enabled()) restore(programFolder);
    started_ = true;
    if (!journal_->enabled()) return;
    journal_->setChangeCallback([this] { armPoint(kPointDelayMs); });
    ListTabSet& tabs = parts_.tabs;
    for (int i = 0; i < tabs.count(); ++i)
        if (EntryList* list = tabs.pageList(i)) attach(*list, i);
    changed();
}

void RecoveryWindow::restore(const std::string& programFolder) {
    // The reading shows the wait cursor and, when it runs long, its progress (the window's work indicator).
    LongWork wait;
    JournalFindings found;
    if (!guardAllocation(MemoryPlace::StartLists, [&] { found = journal_->readAtStart(); })) {
        // Nothing of it can be had now: it stays as it is for the next start, and this run keeps none.
        journal_ = std::make_unique<Journal>(programFolder + kJournalFolderName + "\\", false);
        return;
    }
    if (!found.notice.empty()) showMessage("%s", found.notice.c_str());

    // The ignore list, the BBS list and the conditions: what the end would have written to their files.
    ListTabSet& tabs = parts_.tabs;
    EntryList* ignore = firstListOf(tabs, ListKind::Ignore);
    bool fixedBack = false;
    const std::pair<RecoveredList*, ListKind> fixedLists[] = {{&found.ignoreList, ListKind::Ignore},
                                                              {&found.bbsList, ListKind::Bbs}};
    for (const auto& [kept, kind] : fixedLists) {
        EntryList* into = firstListOf(tabs, kind);
        if (!kept->rows || !into) continue;
        takeRecoveredRows(*into, *kept->rows, emptyView(*into));
        fixedBack = true;
    }
    if (found.hasConditions) {
        TextBuffer text;
        if (found.conditions.empty() || text.loadText(found.conditions.data(), found.conditions.size())) {
            parts_.conditions = ConditionList();
            if (text.loaded()) addConditionLines(parts_.conditions, text);
            if (Page* page = tabs.firstPage(PageKind::Conditions))
                static_cast<ConditionPage*>(page)->refreshItems();
            fixedBack = true;
        }
    }

    // The normal lists: one question.
    bool complete = true;
    if (!found.lists.empty() && ask(static_cast<int>(found.lists.size()))) {
        for (RecoveredList& kept : found.lists) {
            const bool back =
                kept.rows && guardAllocation(MemoryPlace::StartLists, [&] {
                    auto list = std::make_unique<EntryList>(ListKind::Normal);
                    if (ignore) list->linkFilter(ignore);
                    EntryList& into = *list;
                    if (!tabs.addPage(parts_.makeListPage(), SW_HIDE, kept.title.c_str(), std::move(list)))
                        throw std::bad_alloc();
                    takeRecoveredRows(into, *kept.rows, emptyView(into));
                });
            complete = complete && back;
        }
    } else if (!found.lists.empty()) {
        complete = false;
    }
    // A list that did not come back stays in the older generation, where it can be taken back by hand.
    if (complete)
        journal_->adopt();
    else
        journal_->decline();

    if (fixedBack) showMessage("%s", kMsgJournalFixedRestored);
    if (fixedBack || !found.lists.empty()) {
        resolveDestinations(parts_.conditions, tabs);
        if (parts_.listsChanged) parts_.listsChanged();
    }
}

bool RecoveryWindow::ask(int lists) {
    char text[kReportBufferSize];
    std::snprintf(text, sizeof text, kMsgJournalQuestion, lists);
    if (question_) return question_(text) == IDYES;
    const std::wstring body = widen(text), caption = widen(TWK_PRODUCT_TITLE);
    return MessageBoxW(window_, body.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void RecoveryWindow::attach(EntryList& list, int index) {
    std::string title = parts_.tabs.tabText(index);
    journal_->attach(list, title);
    tracked_.push_back(Tracked{&list, std::move(title), list.modified()});
}

void RecoveryWindow::listCame(EntryList& list) {
    if (!live()) return;
    const int index = parts_.tabs.indexOfList(&list);
    if (index >= 0) attach(list, index);
}

void RecoveryWindow::listGoing(const EntryList* list) {
    if (!journal_ || !started_) return;
    for (auto it = tracked_.begin(); it != tracked_.end(); ++it) {
        if (it->list != list) continue;
        tracked_.erase(it);
        journal_->detach(*const_cast<EntryList*>(list));
        return;
    }
}

// Titles, saves and the conditions have no observer calls: they are compared with what the journal was told.
void RecoveryWindow::sync() {
    ListTabSet& tabs = parts_.tabs;
    for (Tracked& t : tracked_) {
        const int index = tabs.indexOfList(t.list);
        if (index < 0) continue;
        EntryList& list = *tabs.pageList(index);
        std::string title = tabs.tabText(index);
        if (title != t.title) {
            journal_->renamed(list, title);
            t.title = title;
        }
        // A list that is no longer modified was written to its file (or read from it again).
        if (t.modified && !list.modified()) journal_->saved(list, t.title);
        t.modified = list.modified();
    }
    std::string conditions = conditionFileText(parts_.conditions);
    if (conditions != conditionsText_) {
        if (conditionsFileKnown_ && conditions == conditionsFileText_)
            journal_->conditionsSaved();
        else
            journal_->conditionsChanged(conditions);
        conditionsText_ = std::move(conditions);
    }
}

void RecoveryWindow::conditionsWritten() {
    conditionsFileKnown_ = true;
    conditionsFileText_ = conditionFileText(parts_.conditions);
    if (!live()) return;
    conditionsText_ = conditionsFileText_;
    journal_->conditionsSaved();
    changed();
}

void RecoveryWindow::changed() {
    if (!live()) return;
    sync();
    if (journal_->pointPending()) armPoint(kPointDelayMs);
}

void RecoveryWindow::armPoint(UINT delay) {
    if (!window_ || stopped_ || pointArmed_) return;
    pointArmed_ = SetTimer(window_, IDT_JOURNAL_POINT, delay, nullptr) != 0;
}

void RecoveryWindow::afterPoint() {
    if (journal_->flushPending() && !flushArmed_)
        flushArmed_ = SetTimer(window_, IDT_JOURNAL_FLUSH, kFlushDelayMs, nullptr) != 0;
    // What could not be written is tried again later, changes or not.
    if (journal_->pointPending()) armPoint(kRetryDelayMs);
}

bool RecoveryWindow::onTimer(UINT_PTR id) {
    if (id == IDT_JOURNAL_POINT) {
        KillTimer(window_, IDT_JOURNAL_POINT);
        pointArmed_ = false;
        if (live()) {
            sync();
            journal_->point();
            afterPoint();
        }
        return true;
    }
    if (id == IDT_JOURNAL_FLUSH) {
        KillTimer(window_, IDT_JOURNAL_FLUSH);
        flushArmed_ = false;
        if (live()) journal_->flush();
        return true;
    }
    return false;
}

bool RecoveryWindow::pointNow() {
    if (!live()) return false;
    sync();
    journal_->point();
    journal_->flush();
    if (flushArmed_) KillTimer(window_, IDT_JOURNAL_FLUSH);
    flushArmed_ = false;
    afterPoint();
    return !journal_->failing();
}

void RecoveryWindow::endSession() {
    if (!live()) return;
    sync();
    journal_->endSession();
}

void RecoveryWindow::flushWritten() {
    if (live()) journal_->flush();
}

void RecoveryWindow::closed(bool asked, bool ignoreWritten, bool bbsWritten, bool conditionsWritten) {
    if (!live()) return;
    sync();
    ListTabSet& tabs = parts_.tabs;
    const bool written[] = {ignoreWritten, bbsWritten};
    const ListKind kinds[] = {ListKind::Ignore, ListKind::Bbs};
    for (int i = 0; i < 2; ++i)
        if (EntryList* list = firstListOf(tabs, kinds[i]); list && written[i])
            journal_->saved(*list, tabs.tabText(tabs.indexOfList(list)));
    if (conditionsWritten) journal_->conditionsSaved();
    if (asked && ignoreWritten && bbsWritten && conditionsWritten) {
        journal_->endClean();
    } else {
        // The normal lists' questions were answered: only what could not be written stays.
        if (asked)
            for (int i = 0; i < tabs.count(); ++i)
                if (EntryList* list = tabs.pageList(i); list && list->kind() == ListKind::Normal)
                    listGoing(list);
        journal_->endSession();
    }
    windowGone();
}

void RecoveryWindow::windowGone() {
    if (window_) {
        if (pointArmed_) KillTimer(window_, IDT_JOURNAL_POINT);
        if (flushArmed_) KillTimer(window_, IDT_JOURNAL_FLUSH);
    }
    pointArmed_ = flushArmed_ = false;
    stopped_ = true;
}

}  // namespace twk::ui
