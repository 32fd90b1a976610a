// Reading the host's result table into lists: validation, stop rules, plug-ins, routing and bad memory. Every
// case runs with both read methods, which must give the same lists, counts and reports.
#include <gtest/gtest.h>

#include <cstring>

#include "core/entry_list.h"
#include "host/host_link.h"
#include "match/condition_list.h"
#include "routing/conditions_file.h"
#include "support/fakes.h"
#include "support/host_fakes.h"

namespace twk {
namespace {

using Record = test::FakeHostSystem::Record;

Record rec(const std::string& name, const std::string& status = "完全キャッシュ", std::string hash = "",
           const std::string& ref = "10") {
    if (hash.empty()) hash = "H" + name;
    return Record{name, "trip", "1,024", status, ref, "12/08 10:00", "1.2", hash};
}

std::vector<Record> records(int n, const std::string& status = "完全キャッシュ") {
    std::vector<Record> out;
    for (int i = 0; i < n; ++i) out.push_back(rec("file" + std::to_string(i) + ".zip", status));
    return out;
}

std::vector<std::string> names(const EntryList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.entryAt(i)->name().str());
    return out;
}

std::uint32_t g_autoExecResult = 0;
WindowRef g_autoExecArg = kNoWindow;
std::uint32_t TWK_CDECL fakeAutoExec(WindowRef button) {
    g_autoExecArg = button;
    return g_autoExecResult;
}
void TWK_CDECL upperReplace(char* name, int capacity) {
    for (int i = 0; i < capacity && name[i]; ++i)
        if (name[i] >= 'a' && name[i] <= 'z') name[i] = static_cast<char>(name[i] - 'a' + 'A');
}
void TWK_CDECL fillingReplace(char* name, int capacity) {
    std::memset(name, 'R', static_cast<std::size_t>(capacity));
}

class DropRouter : public RecordRouter {
  public:
    bool routeAway(const RawRecord& r, EntryList&, int mode) override {
        ++calls;
        if (std::strstr(r.name, "drop")) return true;
        if (std::strstr(r.name, "move") && destination) {
            destination->addRawRecord(r, mode);
            return true;
        }
        return false;
    }
    EntryList* destination = nullptr;
    int calls = 0;
};

class HostReaderTest : public ::testing::TestWithParam<ReadMethod> {
  protected:
    HostReaderTest() : reporting_(&reporter_), link_(sys_, layout_) {
        layout_.fileStates = {"完全キャッシュ", "部分キャッシュ"};
        layout_.bbsStates = {"書可スレッド"};
        link_.options().method = GetParam();
        g_autoExecResult = 0;
    }

    int read(EntryList& list, int mode = 0) {
        const auto& words = list.kind() == ListKind::Bbs ? layout_.bbsStates : layout_.fileStates;
        return link_.readHostResults(words, list, seen_, mode);
    }
    test::FakeMemory& mem() { return sys_.memory(100); }
    std::uint32_t recordAt(int i) {
        return kDefaultStartPtr + static_cast<std::uint32_t>(i) * layout_.nextStep;
    }

    test::RecordingReporter reporter_;
    test::ScopedReporter reporting_;
    LayoutDefinitions layout_;
    test::FakeHostSystem sys_;
    HostLink link_;
    EntryList list_{ListKind::Normal};
    int seen_ = -7;
};

INSTANTIATE_TEST_SUITE_P(BothMethods, HostReaderTest,
                         ::testing::Values(ReadMethod::FieldReads, ReadMethod::TableReads),
                         [](const auto& p) {
                             return p.param == ReadMethod::FieldReads ? "Fields" : "Table";
                         });

TEST_P(HostReaderTest, StartAddressFallsBackOnceWithMessageUnlessNoDialog) {
    sys_.buildHost(layout_, records(1));
    EXPECT_EQ(read(list_), 1);
    EXPECT_EQ(layout_.startPtr, kDefaultStartPtr);
    ASSERT_EQ(reporter_.boxes.size(), 1u);
    EXPECT_NE(reporter_.boxes[0].find(kMsgStartPtrFallback), std::string::npos);
    read(list_);
    EXPECT_EQ(reporter_.boxes.size(), 1u) << "the address is kept for the run";

    // "StartPtr" 0 and no plug-in: every read retries and reports again (and finds no table).
    layout_.startPtr = 0;
    link_.options().storedStartPtr = [] { return 0u; };
    EXPECT_EQ(read(list_), -1);
    EXPECT_EQ(read(list_), -1);
    EXPECT_EQ(reporter_.boxes.size(), 3u);

    layout_.startPtr = 0;
    link_.options().noDialog = 1;
    read(list_);
    EXPECT_EQ(reporter_.boxes.size(), 3u);
}

TEST_P(HostReaderTest, PluginFindsTheTable) {
    // The table lies elsewhere; only the plug-in knows.
    sys_.buildHost(layout_, {});
    const std::uint32_t moved = 0x00A00000;
    mem().map(moved, layout_.nextStep * 3);
    for (int i = 0; i < 2; ++i)
        sys_.writeRecord(100, layout_, moved + i * layout_.nextStep, rec("p" + std::to_string(i)));
    sys_.addLibrary("ap.dll", {{"AutoExec", reinterpret_cast<void*>(&fakeAutoExec)}});
    g_autoExecResult = moved;
    EXPECT_EQ(read(list_), 2);
    EXPECT_EQ(layout_.startPtr, moved);
    EXPECT_EQ(g_autoExecArg, sys_.searchButton());
    EXPECT_TRUE(reporter_.boxes.empty());
    EXPECT_EQ(sys_.libraryFrees, 1) << "ap.dll is freed after the call";

    // A plug-in answering 0, or without the export, falls back.
    layout_.startPtr = 0;
    g_autoExecResult = 0;
    EXPECT_EQ(read(list_), 0) << "nothing at the default address";
    EXPECT_EQ(reporter_.boxes.size(), 1u);
    layout_.startPtr = 0;
    sys_.addLibrary("ap.dll", {});
    read(list_);
    EXPECT_EQ(reporter_.boxes.size(), 2u);
}

TEST_P(HostReaderTest, UnreachableHostGivesMinusOneAndNoSeen) {
    EXPECT_EQ(read(list_), -1);
    EXPECT_EQ(seen_, 0);
    EXPECT_EQ(reporter_.boxes.size(), 1u) << "only the host-not-found box";

    sys_.buildHost(layout_, records(2));
    layout_.startPtr = kDefaultStartPtr;
    sys_.refuseOpen(true);
    EXPECT_EQ(read(list_), -1);
    EXPECT_EQ(seen_, 0);
    ASSERT_EQ(reporter_.boxes.size(), 2u);
    EXPECT_NE(reporter_.boxes[1].find("Error:OpenProcess"), std::string::npos);

    sys_.refuseOpen(false);
    layout_.startPtr = 0x100;  // nothing mapped there
    EXPECT_EQ(read(list_), -1);
    EXPECT_EQ(reporter_.boxes.size(), 2u);
    EXPECT_EQ(list_.count(), 0);
}

TEST_P(HostReaderTest, SeenCountsMergesFilteredAndRoutedRecords) {
    layout_.startPtr = kDefaultStartPtr;
    sys_.buildHost(layout_,
                   {rec("known", "完全キャッシュ", "K1", "5"), rec("ignored", "完全キャッシュ", "IG"),
                    rec("drop me"), rec("move me"), rec("new", "部分キャッシュ")});
    const char* known[8] = {"known", "", "", "完全キャッシュ", "50", "", "", "K1"};
    list_.addTexts(8, known, 0);
    EntryList ignore(ListKind::Ignore), moved(ListKind::Normal), dependent(ListKind::Normal);
    const char* ig[8] = {"ignored", "", "", "", "", "", "", "IG"};
    ignore.addTexts(8, ig, 0);
    list_.linkFilter(&ignore);
    const char* dep[8] = {"new", "", "", "", "", "", "", "Hnew"};
    dependent.addTexts(8, dep, 0);
    dependent.linkFilter(&list_);
    DropRouter router;
    router.destination = &moved;
    link_.options().router = &router;

    EXPECT_EQ(read(list_, 1), 1);
    EXPECT_EQ(seen_, 5);
    EXPECT_EQ(names(list_), (std::vector<std::string>{"known", "new"}));
    EXPECT_STREQ(list_.entryAt(0)->refAmount(), "50") << "a smaller amount does not merge";
    EXPECT_EQ(names(moved), std::vector<std::string>{"move me"});
    EXPECT_EQ(dependent.count(), 0) << "lists filtered by the target lose the added hash";

    // The BBS list is never routed.
    EntryList bbs(ListKind::Bbs);
    test::FakeHostSystem host;
    host.buildHost(layout_, {rec("drop thread", "書可スレッド"), rec("file")});
    HostLink link(host, layout_);
    link.options().router = &router;
    router.calls = 0;
    EXPECT_EQ(link.readHostResults(layout_.bbsStates, bbs, seen_, 0), 1);
    EXPECT_EQ(router.calls, 0);
    EXPECT_EQ(names(bbs), std::vector<std::string>{"drop thread"});
}

TEST_P(HostReaderTest, ACollectionWithoutMemoryForARowKeepsTheRowsBeforeItAndSaysSoOnce) {
    layout_.startPtr = kDefaultStartPtr;
    sys_.buildHost(layout_, records(6));
    injectEntryAllocationFailure(2);
    const int added = read(list_);
    injectEntryAllocationFailure(-1);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(names(list_), (std::vector<std::string>{"file0.zip", "file1.zip"}));
    ASSERT_EQ(reporter_.boxes.size(), 1u);
    EXPECT_NE(reporter_.boxes[0].find("メモリの確保に失敗しました(175)"), std::string::npos);
}

// The program's router: the move-and-ignore conditions, a move into the collecting list itself counted there.
TEST_P(HostReaderTest, ConditionsRouteCollectedRecords) {
    sys_.buildHost(layout_, {rec("a sample.avi"), rec("trailer.avi"), rec("x.mkv"), rec("kept.zip")});
    EntryList moved(ListKind::Normal);
    ConditionList conditions;
    conditions.add("sample", "moved", false);
    conditions.add("trailer", "", false);
    conditions.add("mkv", "self", false);
    conditions.at(0).bindDestination(&moved);
    conditions.at(2).bindDestination(&list_);
    ConditionRouter router(conditions);
    link_.options().router = &router;
    EXPECT_EQ(read(list_), 2);
    EXPECT_EQ(seen_, 4);
    EXPECT_EQ(names(list_), (std::vector<std::string>{"x.mkv", "kept.zip"}));
    EXPECT_EQ(names(moved), std::vector<std::string>{"a sample.avi"});
}

TEST_P(HostReaderTest, ReplacePluginRewritesNamesAndCannotUnterminateThem) {
    layout_.startPtr = kDefaultStartPtr;
    sys_.buildHost(layout_, records(2));
    sys_.addLibrary("Replace.dll", {{"ReplaceString", reinterpret_cast<void*>(&upperReplace)}});
    EXPECT_EQ(read(list_), 2);
    EXPECT_EQ(names(list_), (std::vector<std::string>{"FILE0.ZIP", "FILE1.ZIP"}));
    EXPECT_STREQ(list_.entryAt(0)->hash(), "Hfile0.zip") << "only the name is rewritten";

    list_.clear();
    sys_.addLibrary("Replace.dll", {{"ReplaceString", reinterpret_cast<void*>(&fillingReplace)}});
    EXPECT_EQ(read(list_), 2);
    EXPECT_EQ(names(list_), (std::vector<std::string>(2, std::string(259, 'R'))));

    list_.clear();
    sys_.addLibrary("Replace.dll", {});  // no export: names stay
    read(list_);
    EXPECT_EQ(names(list_)[0], "file0.zip");
}

TEST_P(HostReaderTest, WildLayoutsNeverCrash) {
    const std::uint32_t wild[][3] = {
        {0, 0, 5},                // stride 0: the same record again and again
        {0xFFFFFF00u, 0x100, 5},  // offsets that wrap around the address space
        {0x7FFFFFFFu, 0x80000000u, 3},
        {13, 0xFFFFFFFFu, 4},  // a stride that walks backwards
    };
    for (const auto& w : wild) {
        test::FakeHostSystem host;
        LayoutDefinitions layout = layout_;
        host.buildHost(layout, records(3));
        for (int j = 0; j < 8; ++j) layout.stepOffsets[j] = (j == 3 ? layout_.stepOffsets[3] : w[0] + j * 7u);
        layout.nextStep = w[1];
        layout.maxItem = static_cast<std::int32_t>(w[2]);
        layout.startPtr = kDefaultStartPtr;
        HostLink link(host, layout);
        link.options().method = GetParam();
        EntryList list(ListKind::Normal);
        int seen = 0;
        int added = link.readHostResults(layout.fileStates, list, seen, 1);
        EXPECT_GE(added, 0);
        EXPECT_LE(added, seen);
        EXPECT_EQ(list.count(), added);
        for (int i = 0; i < list.count(); ++i) EXPECT_LE(std::strlen(list.entryAt(i)->hash()), 35u);
    }
}

TEST_P(HostReaderTest, TableChangingDuringTheWalkKeepsTheListSound) {
    layout_.startPtr = kDefaultStartPtr;
    sys_.buildHost(layout_, records(50));
    int reads = 0;
    mem().beforeRead = [&](std::uint32_t, std::size_t) {
        // The host rewrites its table while we read: names, hashes and statuses change under us.
        if (++reads % 3 == 0)
            sys_.writeRecord(100, layout_, recordAt(reads % 50),
                             rec("x" + std::to_string(reads), reads % 2 ? "完全キャッシュ" : "仮想ファイル",
                                 "Hdup" + std::to_string(reads % 7)));
        if (reads == 200) mem().writeText(recordAt(40), "");
    };
    int added = read(list_, 1);
    EXPECT_GE(added, 0);
    EXPECT_EQ(list_.count(), added);
    EXPECT_LE(added, seen_);
    for (int i = 0; i + 1 < list_.count(); ++i)
        EXPECT_NE(std::string(list_.entryAt(i)->hash()), "") << "every row has its hash";
}

TEST(HostReaderMethods, TableReadsTakeBlocksAndFallBackPerRecord) {
    LayoutDefinitions layout;
    layout.fileStates = {"完全キャッシュ"};
    std::vector<Record> table = records(10);
    auto run = [&](ReadMethod method, bool protectTail, std::vector<std::string>* out) {
        test::FakeHostSystem sys;
        sys.buildHost(layout, table);
        // Unreadable from the page of record 6's status on: its span read fails, its field reads stop there.
        if (protectTail)
            sys.memory(100).protect(kDefaultStartPtr + 6 * layout.nextStep + 0x1000, 10 * layout.nextStep,
                                    false);
        layout.startPtr = kDefaultStartPtr;
        HostLink link(sys, layout);
        link.options().method = method;
        EntryList list(ListKind::Normal);
        int seen = 0;
        link.readHostResults(layout.fileStates, list, seen, 0);
        *out = names(list);
        return sys.memory(100).reads;
    };
    // The status, then a first block of records 0..5 (64 KiB); the next block (records 6..17) runs past the
    // mapped table, so records 6..10 are read one by one, the empty name of record 10 ending the walk.
    std::vector<std::string> a, b;
    EXPECT_EQ(run(ReadMethod::FieldReads, false, &a), 1 + 11 * 8);
    EXPECT_EQ(run(ReadMethod::TableReads, false, &b), 1 + 1 + 1 + 5);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 10u);
    // Record 6 is read as far as its status: its span read fails, then its first four fields.
    run(ReadMethod::FieldReads, true, &a);
    EXPECT_EQ(run(ReadMethod::TableReads, true, &b), 1 + 1 + 1 + 1 + 4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 6u);
}

}  // namespace
}  // namespace twk
