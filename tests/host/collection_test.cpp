// The automatic collection's decisions against a recording world: starts refused and taken, the count of
// empty cycles, the rotation over the list tabs, the manual get and the stops.
#include "host/collection.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "support/fakes.h"

namespace twk::test {
namespace {

// Tabs hold a list or none (the settings page), with a host word or without; the host answers each read with
// the next of `reads` ({added, seen}; added -1: unreachable), and with 0 rows seen once they are used up.
class RecordingWorld final : public CollectionWorld {
  public:
    struct Tab {
        std::unique_ptr<EntryList> list;
        std::unique_ptr<FakeListView> view;
        bool word = true;
        int id = 0;
    };
    struct Read {
        int added, seen;
    };

    // Tabs from a word per tab: "N" a normal list with a host word, "n" one without, "I" the ignore list, "-"
    // a page without a list.
    explicit RecordingWorld(const std::string& tabs) {
        for (char c : tabs) {
            Tab tab;
            tab.id = static_cast<int>(tabs_.size()) + 1;
            if (c != '-') {
                tab.list = std::make_unique<EntryList>(c == 'I' ? ListKind::Ignore : ListKind::Normal);
                tab.view = std::make_unique<FakeListView>();
                tab.list->setView(tab.view.get());
            }
            tab.word = c == 'N';
            tabs_.push_back(std::move(tab));
        }
    }

    bool findSearchButton() override {
        log.push_back("find");
        return hostThere;
    }
    int collect(EntryList& list, bool autoSort, int& seen) override {
        log.push_back("collect " + std::to_string(indexOf(&list)) + (autoSort ? " sorted" : ""));
        if (whileReading) whileReading();
        Read read = reads.empty() ? Read{0, 0} : reads.front();
        if (!reads.empty()) reads.pop_front();
        seen = read.seen;
        return read.added;
    }
    void pressSearch() override { log.push_back("press"); }
    void showSearchTab() override { box("search tab"); }
    int pageCount() const override { return static_cast<int>(tabs_.size()); }
    int currentPage() const override { return current; }
    int pageId(int index) const override { return tabs_[static_cast<size_t>(index)].id; }
    EntryList* pageList(int index) const override { return tabs_[static_cast<size_t>(index)].list.get(); }
    bool hasHostWord(int index) const override { return tabs_[static_cast<size_t>(index)].word; }
    void sendHostWord(int index) override { box("send " + std::to_string(index)); }
    void fetchHostWord(int index) override { box("fetch " + std::to_string(index)); }
    bool readOptions(CollectionOptions& out) override {
        out = options;
        return hasSettings;
    }
    void showRunning(bool running) override { log.push_back(running ? "running" : "idle"); }
    void updateCommands() override {}
    void startTimer(std::uint32_t ms) override { log.push_back("timer " + std::to_string(ms)); }
    void stopTimer() override { log.push_back("no timer"); }

    EntryList* list(int index) const { return pageList(index); }
    int indexOf(const EntryList* list) const {
        for (int i = 0; i < pageCount(); ++i)
            if (pageList(i) == list) return i;
        return -1;
    }
    int count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : log) n += e == event;
        return n;
    }

    bool hostThere = true;
    bool hasSettings = true;
    int current = 0;
    CollectionOptions options{30, false, false, 1, 0, false, false};
    std::deque<Read> reads;
    std::function<void()> whileReading;
    // What happens while the box an event may show is open.
    std::function<void(const std::string&)> whileBoxed;
    std::vector<std::string> log;

  private:
    void box(const std::string& event) {
        log.push_back(event);
        if (whileBoxed) whileBoxed(event);
    }

    std::vector<Tab> tabs_;
};

class CollectionTest : public ::testing::Test {
  protected:
    RecordingReporter reporter_;
    ScopedReporter scoped_{&reporter_};
    FixedClock clock_{makeTime(2024, 5, 1, 12, 34, 56)};
    ScopedClock scopedClock_{&clock_};
};

TEST_F(CollectionTest, AStartIsRefusedWithoutHostNormalListSettingsOrInterval) {
    const struct {
        const char* name;
        const char* tabs;
        int current;
        bool host, settings;
        int interval;
    } cases[] = {
        {"host gone", "NI-", 0, false, true, 30},    {"ignore list", "NI-", 1, true, true, 30},
        {"settings page", "NI-", 2, true, true, 30}, {"no settings page", "NI", 0, true, false, 30},
        {"interval 0", "NI-", 0, true, true, 0},     {"interval below 0", "NI-", 0, true, true, -5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWorld world(c.tabs);
        world.current = c.current;
        world.hostThere = c.host;
        world.hasSettings = c.settings;
        world.options.interval = c.interval;
        Collection collection(world);
        collection.start();
        EXPECT_FALSE(collection.state().running);
        EXPECT_EQ(world.log, std::vector<std::string>{"find"});
    }
}

TEST_F(CollectionTest, AStartTakesTheOptionsAndRunsItsFirstCycleUnlessRotating) {
    const struct {
        const char* name;
        bool rotate, autoSearch;
        int tabMove, interval;
        int firstAdded;
        std::vector<std::string> log;
        bool running;
    } cases[] = {
        {"first cycle at once",
         false,
         true,
         1,
         30,
         2,
         {"find", "fetch 0", "running", "find", "collect 0", "press", "timer 30000"},
         true},
        {"rotating: the word is sent, the timer brings the first cycle",
         true,
         true,
         1,
         30,
         2,
         {"find", "send 0", "running", "timer 30000"},
         true},
        {"tab moved at the start",
         false,
         false,
         2,
         30,
         2,
         {"find", "fetch 0", "running", "search tab", "find", "collect 0", "timer 30000"},
         true},
        {"a longest timer",
         false,
         false,
         1,
         3000000,
         2,
         {"find", "fetch 0", "running", "find", "collect 0", "timer 2147483647"},
         true},
        {"a first cycle that cannot read stops it",
         false,
         false,
         1,
         30,
         -1,
         {"find", "fetch 0", "running", "find", "collect 0", "idle", "no timer"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWorld world("NI-");
        world.options.rotate = c.rotate;
        world.options.autoSearch = c.autoSearch;
        world.options.tabMove = c.tabMove;
        world.options.interval = c.interval;
        world.reads = {{c.firstAdded, 2}};
        Collection collection(world);
        collection.start();
        EXPECT_EQ(world.log, c.log);
        EXPECT_EQ(collection.state().running, c.running);
        EXPECT_EQ(collection.state().target, c.running ? world.list(0) : nullptr);
    }
}

TEST_F(CollectionTest, EmptyCyclesShowTheHostsSearchTabEveryErrorCount) {
    const struct {
        int tabMove, errorCount;
        std::vector<int> seen;  // per cycle after the first, which sees records
        int clicks;
    } cases[] = {
        {3, 2, {0, 0, 0, 0}, 2},
        {3, 5, {0, 0, 0, 0, 0}, 1},
        {3, 5, {0, 0, 3, 0, 0, 0, 0}, 0},  // a cycle that saw records starts the count again
        {3, 1, {1, 0}, 1},                 // seen without rows added is a success, not the reverse
        {3, 0, {0, 0, 0}, 0},
        {1, 2, {0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.tabMove << " " << c.errorCount << " " << c.seen.size());
        RecordingWorld world("NI-");
        world.options.tabMove = c.tabMove;
        world.options.errorCount = c.errorCount;
        world.reads = {{1, 1}};
        for (int seen : c.seen) world.reads.push_back({0, seen});
        Collection collection(world);
        collection.start();
        for (size_t i = 0; i < c.seen.size(); ++i) collection.cycle();
        EXPECT_EQ(world.count("search tab"), c.clicks);
    }
}

TEST_F(CollectionTest, RotationTakesTheNextListTabWithAWordInTurn) {
    const struct {
        const char* tabs;
        int start;
        std::vector<int> targets;  // after each cycle
        int presses;               // cycles that found no other tab
    } cases[] = {
        {"NNI-N", 0, {1, 4, 0, 1}, 0},
        {"NnI-N", 0, {4, 0, 4}, 0},  // a tab without a word is skipped
        {"nNIN", 1, {3, 1}, 0},      // the target's own word is not needed
        {"NI-", 0, {0, 0}, 2},       // alone: the host searches again with its word
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tabs);
        RecordingWorld world(c.tabs);
        world.current = c.start;
        world.options.rotate = true;
        Collection collection(world);
        collection.start();
        std::vector<int> targets;
        for (size_t i = 0; i < c.targets.size(); ++i) {
            collection.cycle();
            targets.push_back(world.indexOf(collection.state().target));
            EXPECT_EQ(collection.state().targetPage, world.pageId(targets.back()));
        }
        EXPECT_EQ(targets, c.targets);
        EXPECT_EQ(world.count("press"), c.presses);
        // Each cycle read into the tab whose word was searched before it.
        std::vector<std::string> reads{"collect " + std::to_string(c.start)};
        for (size_t i = 0; i + 1 < c.targets.size(); ++i)
            reads.push_back("collect " + std::to_string(c.targets[i]));
        std::vector<std::string> collected;
        for (const std::string& e : world.log)
            if (e.rfind("collect", 0) == 0) collected.push_back(e);
        EXPECT_EQ(collected, reads);
    }
}

TEST_F(CollectionTest, ACycleReportsOnlyOnTheTargetsTabAndStopsWhenTheHostOrTheListGoes) {
    RecordingWorld world("NNI-");
    Collection collection(world);
    world.reads = {{3, 3}, {2, 2}};
    collection.start();
    EXPECT_EQ(reporter_.status[kStatusMessage], "[12:34:56] 3件の情報を取得しました");
    world.current = 1;
    reporter_.status[kStatusMessage] = "";
    collection.cycle();
    EXPECT_EQ(reporter_.status[kStatusMessage], "");

    // Another list going leaves it; the target going stops it.
    collection.forgetList(world.list(1));
    EXPECT_TRUE(collection.state().running);
    collection.forgetList(world.list(0));
    EXPECT_FALSE(collection.state().running);
    EXPECT_EQ(collection.state().target, nullptr);
    EXPECT_EQ(world.log.back(), "no timer");

    // The host gone at a cycle stops it.
    world.current = 0;
    collection.start();
    world.hostThere = false;
    collection.cycle();
    EXPECT_FALSE(collection.state().running);
    EXPECT_EQ(world.log.back(), "no timer");
}

// The reader's boxes keep the timer going and let the user act: no cycle inside a cycle, and a collection
// stopped meanwhile stays stopped.
TEST_F(CollectionTest, WhatHappensWhileACyclesBoxIsOpen) {
    RecordingWorld world("NI-");
    Collection collection(world);
    collection.start();
    world.log.clear();
    world.whileReading = [&] {
        world.whileReading = nullptr;
        collection.cycle();
        collection.stop();
    };
    collection.cycle();
    EXPECT_EQ(world.count("collect 0"), 1);
    EXPECT_FALSE(collection.state().running);
    EXPECT_EQ(world.count("search tab") + world.count("press"), 0);

    // The window gone: nothing is left to stop.
    collection.start();
    world.log.clear();
    collection.windowGone();
    collection.forgetList(world.list(0));
    EXPECT_FALSE(collection.state().running);
    EXPECT_TRUE(world.log.empty());
}

// The window going while a box of a start or a cycle is open leaves it nothing to do, and the lists going
// with the window nothing to stop.
TEST_F(CollectionTest, AWindowGoneInABoxLeavesNothingToDo) {
    const struct {
        const char* boxAt;
        bool rotate;
        int tabMove;
        bool cycle;
    } cases[] = {{"send 0", true, 3, false},
                 {"fetch 0", false, 3, false},
                 {"search tab", false, 2, false},
                 {"search tab", true, 3, true}};  // after an empty cycle
    for (const auto& c : cases) {
        SCOPED_TRACE(c.boxAt);
        RecordingWorld world("NNI-");
        world.options.rotate = c.rotate;
        world.options.tabMove = c.tabMove;
        world.options.errorCount = 1;
        Collection collection(world);
        world.whileBoxed = [&](const std::string& event) {
            if (event == c.boxAt) collection.windowGone();
        };
        collection.start();
        if (c.cycle) collection.cycle();
        for (int i = 0; i < 3; ++i) collection.forgetList(world.list(i));
        EXPECT_EQ(world.log.back(), c.boxAt);
        EXPECT_FALSE(collection.state().running);
    }
}

TEST_F(CollectionTest, ManualGetReadsIntoTheCurrentList) {
    const struct {
        const char* name;
        const char* tabs;
        int current;
        bool host, moveAtStart, autoSearch, autoSort;
        int added;
        int result;
        std::vector<std::string> log;
    } cases[] = {
        {"plain", "NI-", 0, true, false, false, false, 4, 4, {"find", "collect 0"}},
        {"tab moved, sorted, searched",
         "NI-",
         0,
         true,
         true,
         true,
         true,
         4,
         4,
         {"find", "search tab", "collect 0 sorted", "press"}},
        {"ignore list", "NI-", 1, true, true, true, false, 4, 0, {"find"}},
        {"host gone", "NI-", 0, false, false, false, false, 4, -1, {"find"}},
        {"unreadable", "NI-", 0, true, false, true, false, -1, -1, {"find", "collect 0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWorld world(c.tabs);
        world.current = c.current;
        world.hostThere = c.host;
        world.options = {30, c.autoSearch, false, c.moveAtStart ? 2 : 1, 0, c.moveAtStart, c.autoSort};
        world.reads = {{c.added, c.added}};
        Collection collection(world);
        EXPECT_EQ(collection.manualGet(), c.result);
        EXPECT_EQ(world.log, c.log);
    }

    // A get that cannot read stops a running collection; one into another list leaves it running.
    RecordingWorld world("NNI-");
    Collection collection(world);
    collection.start();
    world.current = 1;
    world.reads = {{1, 1}, {-1, 0}};
    EXPECT_EQ(collection.manualGet(), 1);
    EXPECT_EQ(world.indexOf(collection.state().target), 0);
    EXPECT_EQ(reporter_.status[kStatusMessage], "[12:34:56] 1件の情報を取得しました");
    EXPECT_EQ(collection.manualGet(), -1);
    EXPECT_FALSE(collection.state().running);
}

}  // namespace
}  // namespace twk::test
