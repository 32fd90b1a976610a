// The recovery journal held to the list store's reference model: the model's random sequences run with a
// journal attached to the program's lists (tests/core/list_model_run.h), a point now and then between steps.
// After each point the file replays to exactly the model's modified lists (rows, order, every field, marks,
// sort state); the file cut at every byte of the point just written, or with one of its bytes changed,
// replays to the state of the point before. The same environment variables as the model test choose longer
// runs. Then the cases the sequences cannot reach: the start, a journal that cannot be used, faults,
// compaction.
#include "recovery/journal.h"

#include <gtest/gtest.h>

#include <map>

#include "formats/file_io.h"
#include "recovery/journal_format.h"
#include "support/fakes.h"
#include "support/temp_files.h"
#include "tests/core/list_model_run.h"

namespace twk {
namespace {

std::string rowText(const Entry& e) {
    std::string out = "  " + e.name().str();
    for (const char* f : {e.trip(), e.size(), e.status(), e.refAmount(), e.updateTime(), e.ver(), e.hash()})
        out += std::string("|") + f;
    for (const std::string& x : e.extraColumns()) out += "|+" + x;
    return out + (e.isMarked() ? " (marked)\n" : "\n");
}

std::string listText(const std::string& title, ListKind kind, int column, int descending) {
    return "list " + title + " kind " + std::to_string(static_cast<int>(kind)) + " sort " +
           std::to_string(column) + "/" + std::to_string(descending) + "\n";
}

// What a journal holds, as text: its lists by title.
std::string imageText(const journal::JournalImage& image) {
    std::map<std::string, std::string> byTitle;
    for (const auto& [id, l] : image.lists) {
        std::string& out = byTitle[l.title];
        out += listText(l.title, l.kind, l.rows->sortColumn(), l.rows->sortDescending());
        if (!l.modified) out += "  (not modified)\n";
        for (int p = 0; p < l.rows->count(); ++p) out += rowText(*l.rows->entryAt(p));
    }
    std::string out;
    for (const auto& [title, text] : byTitle) out += text;
    return out;
}

// What it should hold: the model's modified lists.
std::string modelText(const model::Store& m) {
    std::string out;
    std::map<std::string, std::string> byTitle;
    for (int l = 0; l < kLists; ++l) {
        const model::List& list = m.lists[static_cast<std::size_t>(l)];
        if (!list.modified) continue;
        std::string& text = byTitle[kListNames[l]];
        text += listText(kListNames[l], list.kind, list.sortColumn, list.sortDescending);
        for (const model::Row& r : list.rows) {
            text += "  " + r.name;
            for (const std::string* f :
                 {&r.trip, &r.size, &r.status, &r.refAmount, &r.updateTime, &r.ver, &r.hash})
                text += "|" + *f;
            for (const std::string& x : r.extraColumns) text += "|+" + x;
            text += r.mark.empty() ? "\n" : " (marked)\n";
        }
    }
    for (const auto& [title, text] : byTitle) out += text;
    return out;
}

std::string replayed(const std::string& bytes, std::size_t size, bool* usable = nullptr) {
    journal::MemoryBytes source(bytes.data(), size);
    journal::JournalImage image;
    const bool ok = journal::readJournal(source, image) == journal::ReadResult::Ok;
    if (usable) *usable = ok;
    return ok ? imageText(image) : "(unusable)";
}

class JournalWatcher final : public SequenceWatcher {
  public:
    void listsMade(Pair& pair) override {
        folder_ = std::make_unique<test::TempFolder>();
        journal_ = std::make_unique<Journal>(folder_->prefix(), true, clock_);
        for (int l = 0; l < kLists; ++l) journal_->attach(pair.list(l), kListNames[l]);
        before_.clear();
        file_.clear();
        step_ = 0;
    }
    void listClosing(Pair& pair, int l) override { journal_->detach(pair.list(l)); }
    void listRenewed(Pair& pair, int l) override { journal_->attach(pair.list(l), kListNames[l]); }
    void listsGoing(Pair&) override {
        journal_.reset();
        folder_.reset();
    }

    std::string stepped(Pair& pair) override {
        // A point after about every other step, in a pattern of its own.
        if (((++step_ * 2654435761u) >> 13) % 5 < 2) return "";
        journal_->point();
        const std::string now = folder_->read(kJournalFileName);
        const std::string want = modelText(pair.model());
        const std::string got = replayed(now, now.size());
        if (got != want) return "the journal replays to\n" + got + "      the model has\n" + want;
        // Appended to what was there: every cut of the new bytes, and a changed byte, give the point before.
        if (!file_.empty() && now.size() > file_.size() && now.compare(0, file_.size(), file_) == 0) {
            const std::size_t added = now.size() - file_.size();
            const std::size_t stride = added <= 400 ? 1 : added / 100;
            for (std::size_t cut = file_.size(); cut < now.size(); cut += stride) {
                const std::string atCut = replayed(now, cut);
                if (atCut != before_)
                    return "cut at byte " + std::to_string(cut) + " of " + std::to_string(now.size()) +
                           ", the journal replays to\n" + atCut + "      the point before was\n" + before_;
            }
            std::string damaged = now;
            damaged[file_.size() + (step_ * 7919u) % added] ^= 0x21;
            if (replayed(damaged, damaged.size()) != before_)
                return "a damaged byte in the last point gives a state that is not the point before";
        }
        before_ = want;
        file_ = now;
        return "";
    }

  private:
    test::FixedClock clock_{test::makeTime(2024, 5, 1)};
    std::unique_ptr<test::TempFolder> folder_;
    std::unique_ptr<Journal> journal_;
    std::string before_, file_;
    uint32_t step_ = 0;
};

#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
constexpr long kJournalSequences = 8;
#else
constexpr long kJournalSequences = 25;
#endif

TEST(Journal, RandomSequencesReplayToTheModelsListsAtEveryPoint) {
#ifndef _WIN32
    // The rewrites flush their file to the disk: in memory where there is such a folder.
    const char* const oldTemp = std::getenv("TMPDIR");
    const std::string keptTemp = oldTemp ? oldTemp : "";
    if (pathExists("/dev/shm/")) setenv("TMPDIR", "/dev/shm", 1);
#endif
    JournalWatcher watcher;
    g_watcher = &watcher;
    const long steps = environmentNumber("TWK_MODEL_STEPS", 40);
    const double seconds = static_cast<double>(environmentNumber("TWK_MODEL_SECONDS", 0));
    const bool seedGiven = std::getenv("TWK_MODEL_SEED") != nullptr;
    const uint32_t first = static_cast<uint32_t>(environmentNumber("TWK_MODEL_SEED", 1));
    const long count = environmentNumber("TWK_MODEL_COUNT", seedGiven ? 1 : kJournalSequences);
    long ran = 0;
    const int differing = runSequences(first, count, seconds, static_cast<int>(steps),
                                       environmentNumber("TWK_MODEL_REPORTS", 3), &ran);
    g_watcher = nullptr;
#ifndef _WIN32
    if (oldTemp)
        setenv("TMPDIR", keptTemp.c_str(), 1);
    else
        unsetenv("TMPDIR");
#endif
    std::printf("[ journal  ] %ld sequences of %ld operations from seed %u: %d differed\n", ran, steps, first,
                differing);
    EXPECT_EQ(differing, 0);
}

// ---------------------------------------------------------------------------------------------------------------
// The cases around the sequences

std::vector<std::string> texts(const std::string& name, const std::string& hash) {
    return {name, "trip", "1,000", "完全キャッシュ", "12", "May 01 12:00", "1", hash};
}

void add(EntryList& list, const std::string& name, const std::string& hash, int mode = 0) {
    std::vector<std::string> t = texts(name, hash);
    CTexts c(t);
    list.addTexts(c.n(), c.data(), mode);
}

struct JournalFixture : ::testing::Test {
    test::TempFolder folder;
    test::FixedClock clock{test::makeTime(2024, 5, 1)};
    test::RecordingReporter reporter;
    test::ScopedReporter scope{&reporter};
    void advance(int seconds) {
        LocalTime t = clock.now();
        t.second += seconds;
        t.minute += t.second / 60;
        t.second %= 60;
        t.hour += t.minute / 60;
        t.minute %= 60;
        clock.set(t);
    }
};

TEST_F(JournalFixture, TheNextStartFindsTheListsTheIgnoreListAndTheConditionsAndANoKeepsThemAside) {
    EntryList list(ListKind::Normal), ignore(ListKind::Ignore), saved(ListKind::Normal);
    {
        Journal j(folder.prefix(), true, clock);
        j.attach(list, "新規リスト01");
        j.attach(ignore, "");
        j.attach(saved, "saved");
        add(list, "tab\tand\r\nline ends", "H1");
        add(list, "b", "H2");
        list.setPath("C:\\lists\\a.txt");
        add(ignore, "i", "I1");
        add(saved, "s", "S1");
        j.conditionsChanged("cond text");
        EXPECT_TRUE(j.pointPending());
        j.point();
        list.setAllMarks(true);
        add(list, "c", "H0");
        list.sort(kColMark);  // reads the marks as they were before it
        saved.setModified(false);
        j.saved(saved, "saved");
        j.endSession();
        EXPECT_FALSE(j.pointPending());
        EXPECT_FALSE(j.flushPending());
    }  // killed here: nothing more is written
    Journal j(folder.prefix(), true, clock);
    JournalFindings found = j.readAtStart();
    ASSERT_EQ(found.lists.size(), 1u);
    EXPECT_EQ(found.lists[0].title, "新規リスト01");
    EXPECT_EQ(found.lists[0].path, "C:\\lists\\a.txt");
    EntryList& rows = *found.lists[0].rows;
    ASSERT_EQ(rows.count(), 3);
    for (int p = 0; p < 3; ++p) EXPECT_EQ(rowText(*rows.entryAt(p)), rowText(*list.entryAt(p)));
    EXPECT_EQ(rows.sortColumn(), kColMark);
    EXPECT_TRUE(rows.modified());
    ASSERT_TRUE(found.ignoreList.rows);
    EXPECT_EQ(found.ignoreList.rows->count(), 1);
    EXPECT_FALSE(found.bbsList.rows);
    EXPECT_EQ(found.conditions, "cond text");
    // The window's list takes the rows.
    EntryList tab(ListKind::Normal);
    add(tab, "old", "H9");
    int emptied = 0;
    takeRecoveredRows(tab, rows, [&] { ++emptied; });
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(tab.count(), 3);
    EXPECT_EQ(tab.path(), "C:\\lists\\a.txt");
    EXPECT_EQ(rowText(*tab.entryAt(2)), rowText(*list.entryAt(2)));
    // No: the old journal is the older generation; a clean end leaves no journal.
    const std::string old = folder.read(kJournalFileName);
    j.decline();
    EXPECT_EQ(folder.read(kJournalOlderFileName), old);
    j.attach(tab, "新規リスト01");
    j.point();
    EXPECT_TRUE(folder.exists(kJournalFileName));
    j.endClean();
    EXPECT_FALSE(folder.exists(kJournalFileName));
    EXPECT_TRUE(folder.exists(kJournalOlderFileName));
}

TEST_F(JournalFixture, AJournalThatCannotBeUsedIsSetAsideNeverDeletedAndATornOneGivesItsLastPoint) {
    std::string good;
    {
        EntryList list(ListKind::Normal);
        Journal j(folder.prefix(), true, clock);
        j.attach(list, "A");
        add(list, "a", "H1");
        j.point();
        add(list, "b", "H2");
        j.point();
        good = folder.read(kJournalFileName);
    }
    const std::string wrongVersion = [] {
        std::string h = journal::header();
        h[8] = 2;
        return h;
    }();
    struct Case {
        std::string bytes;
        const char* aside;  // the name it is set aside under, or null: usable
        int rows;
    } cases[] = {
        {"not a journal at all", "unusable-1-journal.twj", 0},
        {good.substr(0, 7), "unusable-2-journal.twj", 0},
        {wrongVersion + good.substr(16), "unusable-3-journal.twj", 0},
        {good.substr(0, good.size() - 3), nullptr, 1},  // torn in its last point
        {good + "\x05\x00\x00\x00garbage", nullptr, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aside ? c.aside : "usable");
        folder.write(kJournalFileName, c.bytes);
        Journal j(folder.prefix(), true, clock);
        JournalFindings found = j.readAtStart();
        if (c.aside) {
            EXPECT_TRUE(found.lists.empty());
            EXPECT_NE(found.notice.find(c.aside), std::string::npos) << found.notice;
            EXPECT_EQ(folder.read(c.aside), c.bytes);
            EXPECT_FALSE(folder.exists(kJournalFileName));
        } else {
            ASSERT_EQ(found.lists.size(), 1u);
            EXPECT_EQ(found.lists[0].rows->count(), c.rows);
            EXPECT_TRUE(found.notice.empty());
        }
    }
}

TEST_F(JournalFixture, AWriteThatFailsIsReportedOnceAndTriedAgainUntilItHolds) {
    EntryList list(ListKind::Normal);
    Journal j(folder.prefix(), true, clock);
    j.attach(list, "A");
    add(list, "a", "H1");
    j.point();  // the first point makes the file
    for (long long failAt : {0LL, 5LL}) {
        SCOPED_TRACE(failAt);
        reporter.status[kStatusMessage].clear();
        add(list, "b" + std::to_string(failAt), "HB" + std::to_string(failAt));
        injectFileWriteFailure(failAt);
        j.point();
        EXPECT_TRUE(j.failing());
        EXPECT_NE(reporter.status[kStatusMessage].find(kJournalFileName), std::string::npos);
        reporter.status[kStatusMessage].clear();
        add(list, "c" + std::to_string(failAt), "HC" + std::to_string(failAt));
        injectFileWriteFailure(0);
        j.point();
        EXPECT_EQ(reporter.status[kStatusMessage], "");  // once
        injectFileWriteFailure(-1);
        EXPECT_TRUE(j.pointPending());
        j.point();
        EXPECT_FALSE(j.failing());
        const std::string bytes = folder.read(kJournalFileName);
        EXPECT_NE(replayed(bytes, bytes.size()).find("c" + std::to_string(failAt) + "|"), std::string::npos);
    }
    // A rewrite that fails waits before it is tried again.
    j.adopt();
    injectFileWriteFailure(0);
    j.point();
    injectFileWriteFailure(-1);
    j.point();
    EXPECT_TRUE(j.failing());
    advance(31);
    j.point();
    EXPECT_FALSE(j.failing());
    EXPECT_EQ(list.count(), 5);  // nothing reached the list
}

TEST_F(JournalFixture, TheJournalIsRewrittenOnlyPastTwiceTheListsTextAndNotTwiceInFiveMinutes) {
    EntryList list(ListKind::Normal);
    Journal j(folder.prefix(), true, clock);
    j.attach(list, "A");
    for (int i = 0; i < 3000; ++i)
        add(list, "keep" + std::string(100, 'k') + std::to_string(i), "K" + std::to_string(i));
    j.point();
    const std::uint64_t start = j.fileBytes();
    std::vector<int> rewrites;
    for (int round = 1; round <= 20; ++round) {
        for (int i = 0; i < 4000; ++i) add(list, "gone" + std::string(100, 'g'), "G" + std::to_string(i));
        while (list.count() > 3000) list.removeAt(list.count() - 1, true);
        advance(60);
        const std::uint64_t before = j.fileBytes();
        j.point();
        if (j.fileBytes() < before) {
            EXPECT_GT(before, 2 * start);
            EXPECT_LT(j.fileBytes(), start + start / 10);
            rewrites.push_back(round);
        }
    }
    ASSERT_GE(rewrites.size(), 3u);
    for (std::size_t i = 1; i < rewrites.size(); ++i) EXPECT_GE(rewrites[i] - rewrites[i - 1], 5);
    const std::string bytes = folder.read(kJournalFileName);
    bool usable = false;
    const std::string text = replayed(bytes, bytes.size(), &usable);
    EXPECT_TRUE(usable);
    EXPECT_EQ(text.find("gone"), std::string::npos);
    EXPECT_NE(text.find("keep" + std::string(100, 'k') + "2999|"), std::string::npos);
}

TEST_F(JournalFixture, ASwitchedOffJournalReadsAndWritesNothing) {
    folder.write(kJournalFileName, "not a journal");
    EntryList list(ListKind::Normal);
    Journal j(folder.prefix(), false, clock);
    EXPECT_TRUE(j.readAtStart().notice.empty());
    j.attach(list, "A");
    add(list, "a", "H1");
    EXPECT_FALSE(j.pointPending());
    j.endSession();
    j.endClean();
    EXPECT_EQ(folder.read(kJournalFileName), "not a journal");
    EXPECT_EQ(list.observer(), nullptr);
}

}  // namespace
}  // namespace twk
