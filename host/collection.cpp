#include "host/collection.h"

#include <algorithm>

#include "core/entry_list.h"
#include "core/report.h"

namespace twk {

namespace {

const char* const kCollectedText = "%d件の情報を取得しました";
// The timer takes at most this many milliseconds; a larger interval waits that long.
constexpr std::int64_t kLongestTimer = 0x7FFFFFFF;

void showCollected(const CollectionWorld& world, int added) {
    EntryList* list = world.pageList(world.currentPage());
    showCounts(list ? list->view() : nullptr);
    showMessage(kCollectedText, added);
}

}  // namespace

void Collection::start() {
    if (state_.running) return;
    if (!world_.findSearchButton()) return;
    const int current = world_.currentPage();
    EntryList* list = world_.pageList(current);
    if (!list || list->kind() != ListKind::Normal) return;
    CollectionOptions options;
    if (!world_.readOptions(options) || options.interval < 1) return;

    CollectionState state;
    state.autoSearch = options.autoSearch;
    state.rotate = options.rotate;
    if (state.rotate)
        world_.sendHostWord(current);
    else
        world_.fetchHostWord(current);
    // The host's boxes (a word that cannot be sent or fetched, a search tab that cannot be shown) may have
    // been open when the window went: then nothing is left to start.
    if (windowGone_) return;
    state.tabMove = options.tabMove;
    state.errorCount = options.errorCount;
    world_.showRunning(true);
    if (state.tabMove == 2) {
        world_.showSearchTab();
        if (windowGone_) return;
    }

    state.running = true;
    state.target = list;
    state.targetPage = world_.pageId(current);
    state_ = state;
    world_.updateCommands();
    if (!state_.rotate) cycle();
    // Only a collection still running after its first cycle shows as collecting.
    if (state_.running)
        world_.startTimer(static_cast<std::uint32_t>(
            std::min<std::int64_t>(std::int64_t{options.interval} * 1000, kLongestTimer)));
}

void Collection::stop() {
    world_.showRunning(false);
    state_.running = false;
    world_.updateCommands();
    world_.stopTimer();
    state_.target = nullptr;
    state_.targetPage = 0;
}

void Collection::forgetList(const EntryList* list) {
    if (!list || state_.target != list) return;
    if (state_.running) stop();
    clear();
}

void Collection::windowGone() {
    windowGone_ = true;
    clear();
}

void Collection::clear() {
    state_.running = false;
    state_.target = nullptr;
    state_.targetPage = 0;
}

void Collection::cycle() {
    if (collecting_ || !state_.running) return;
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(collecting_);

    if (!world_.findSearchButton()) {
        stop();
        return;
    }
    // Sorting is read at every cycle: a change applies at the next one.
    CollectionOptions now;
    const bool autoSort = world_.readOptions(now) && now.autoSort;
    EntryList* target = state_.target;
    if (!target || target->kind() == ListKind::Ignore) {
        stop();
        return;
    }
    int seen = 0;
    const int added = world_.collect(*target, autoSort, seen);
    // A box of the reader may have let the collection be stopped meanwhile.
    if (added < 0 || !state_.running) {
        stop();
        return;
    }
    // Only a cycle that saw no record counts as failed, whether or not it added rows.
    if (seen > 0) {
        state_.failures = 0;
    } else if (++state_.failures == state_.errorCount && state_.tabMove == 3) {
        world_.showSearchTab();
        state_.failures = 0;
        // Its box too: a collection stopped meanwhile, or a window gone, searches no more.
        if (!state_.running) return;
    }
    if (world_.pageId(world_.currentPage()) == state_.targetPage) showCollected(world_, added);
    if (state_.rotate)
        rotate();
    else if (state_.autoSearch)
        world_.pressSearch();
}

// The next tab after the target's, wrapping around, whose normal list has a host word: the host searches with
// it and its list becomes the target. With none the host searches again with its word.
void Collection::rotate() {
    const int n = world_.pageCount();
    int k = -1;
    for (int i = 0; i < n && k < 0; ++i)
        if (world_.pageList(i) == state_.target) k = i;
    if (k < 0) return;
    for (int step = 1; step < n; ++step) {
        const int j = (k + step) % n;
        EntryList* list = world_.pageList(j);
        if (!list || list->kind() != ListKind::Normal || !world_.hasHostWord(j)) continue;
        world_.sendHostWord(j);
        state_.target = list;
        state_.targetPage = world_.pageId(j);
        return;
    }
    world_.pressSearch();
}

int Collection::manualGet() {
    if (!world_.findSearchButton()) return -1;
    EntryList* list = world_.pageList(world_.currentPage());
    if (!list || list->kind() == ListKind::Ignore) return 0;
    CollectionOptions now;
    if (!world_.readOptions(now)) now = CollectionOptions{};
    if (now.moveAtStart) world_.showSearchTab();
    int seen = 0;
    const int added = world_.collect(*list, now.autoSort, seen);
    if (added < 0) {
        if (state_.running) stop();
        return -1;
    }
    showCollected(world_, added);
    if (now.autoSearch) world_.pressSearch();
    return added;
}

}  // namespace twk
