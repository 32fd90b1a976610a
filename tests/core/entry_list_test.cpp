#include "core/entry_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/sort.h"
#include "support/fakes.h"

namespace twk {
namespace {

using test::FakeListView;

// Adds a row from its name, hash, reference amount and size.
int add(EntryList& list, const std::string& name, const std::string& hash, const char* ref = "1",
        const char* size = "100", int mode = 0, const char* time = "Jan 01 00:00") {
    const char* texts[8] = {name.c_str(), "trip", size, "完全キャッシュ", ref, time, "1", hash.c_str()};
    return list.addTexts(8, texts, mode);
}

std::vector<std::string> names(const EntryList& list) {
    std::vector<std::string> out;
    for (int p = 0; p < list.count(); ++p) out.push_back(list.entryAt(p)->name().str());
    return out;
}

// Checks the page invariants of both orders and that both hold the same rows.
void expectConsistent(const EntryList& list) {
    for (const PageArray* pa : {&list.displayPages(), &list.hashPages()}) {
        int sum = 0;
        for (int i = 0; i < pa->pageCount(); ++i) {
            ASSERT_GE(pa->pageSize(i), 1);
            ASSERT_LE(pa->pageSize(i), PageArray::kPageSize);
            sum += pa->pageSize(i);
        }
        ASSERT_EQ(sum, list.count());
    }
    std::vector<const Entry*> byDisplay, byHash;
    for (int p = 0; p < list.count(); ++p) {
        byDisplay.push_back(list.displayPages().at(p));
        byHash.push_back(list.hashPages().at(p));
        if (p > 0) {
            ASSERT_LT(localeCompare(list.hashPages().at(p - 1)->hash(), list.hashPages().at(p)->hash()), 0);
        }
    }
    std::sort(byDisplay.begin(), byDisplay.end());
    std::sort(byHash.begin(), byHash.end());
    ASSERT_EQ(byDisplay, byHash);
}

TEST(PageArray, RowsAppendedManyAtOnceAreFoundByPositionAndCanBeRemoved) {
    const char* texts[8] = {"n", "", "", "", "", "", "", "h"};
    std::vector<EntryPtr> rows;
    std::vector<RowRef> refs;
    for (int i = 0; i < 5000; ++i) {
        rows.push_back(makeEntry(texts, 8));
        refs.push_back(RowRef{rows.back().get(), 0});
    }
    PageArray pages;
    std::vector<Entry*> expected;
    auto appendOne = [&](std::size_t i) {
        pages.append(refs[i]);
        expected.push_back(refs[i].entry);
    };
    auto appendMany = [&](std::size_t from, std::size_t n) {
        pages.appendAll(refs.data() + from, n);
        for (std::size_t i = from; i < from + n; ++i) expected.push_back(refs[i].entry);
    };
    // Into an empty array, onto a part-filled last page, nothing, and filling a page to the brim.
    appendMany(0, 3000);
    appendOne(3000);
    appendMany(3001, 0);
    appendMany(3001, 1500);
    appendMany(4501, 499);
    auto check = [&] {
        ASSERT_EQ(pages.size(), static_cast<int>(expected.size()));
        for (int p = 0; p < pages.size(); ++p) {
            ASSERT_EQ(pages.at(p), expected[p]) << p;
            PageArray::Slot s = pages.locate(p);
            ASSERT_EQ(pages.get(s), expected[p]) << p;
        }
    };
    check();
    for (int p : {4999, 2048, 1024, 0, 1500}) {
        pages.removeAt(pages.locate(p));
        expected.erase(expected.begin() + p);
    }
    check();
}

// Insertions anywhere in a page (its front, its end, a full page), removals and rewrites, against pages kept
// as plain vectors by the same rule: the last row of a full page goes to the front of the next page, or of a
// new page when that one is full too; a page left empty goes.
TEST(PageArray, InsertionsAndRemovalsKeepTheOrderAndThePageShapes) {
    constexpr int kPage = PageArray::kPageSize;
    std::mt19937 rng(7);
    PageArray pages;
    std::vector<std::vector<uint64_t>> model;
    uint64_t next = 1;
    auto check = [&] {
        std::vector<RowRef> got;
        pages.copyOut(got);
        std::vector<uint64_t> keys, expected;
        for (const RowRef& r : got) keys.push_back(r.key);
        ASSERT_EQ(pages.pageCount(), static_cast<int>(model.size()));
        for (std::size_t p = 0; p < model.size(); ++p) {
            ASSERT_EQ(pages.pageSize(static_cast<int>(p)), static_cast<int>(model[p].size())) << p;
            expected.insert(expected.end(), model[p].begin(), model[p].end());
        }
        ASSERT_EQ(keys, expected);
        // Searches by position, which is an order of the rows, find each row where it is.
        std::unordered_map<uint64_t, int> positionOf;
        for (int p = 0; p < static_cast<int>(expected.size()); ++p) positionOf[expected[p]] = p;
        for (int target = 0; target < pages.size(); target += 37) {
            PageArray::Slot where{};
            int position = -1;
            const bool found = pages.searchStrict(
                [&](const RowRef& probe) {
                    auto it = positionOf.find(probe.key);
                    EXPECT_NE(it, positionOf.end());
                    return it == positionOf.end() ? 0 : it->second < target ? -1 : it->second > target;
                },
                &where, &position);
            ASSERT_TRUE(found);
            ASSERT_EQ(position, target);
            ASSERT_EQ(pages.locate(target).page, where.page);
        }
    };
    for (int step = 0; step < 60000; ++step) {
        const int op = rng() % 16;
        if (op < 10 || model.empty()) {
            // A page and a slot in 0 .. count (its end), now and then the front or a full page's end.
            int page = model.empty() ? 0 : static_cast<int>(rng() % model.size());
            int count = model.empty() ? 0 : static_cast<int>(model[page].size());
            int slot = op == 0 ? 0 : op == 1 ? count : static_cast<int>(rng() % (count + 1));
            pages.insertAt(PageArray::Slot{page, slot}, RowRef{nullptr, next});
            if (slot == kPage) {
                ++page;
                slot = 0;
            }
            if (page == static_cast<int>(model.size())) model.emplace_back();
            if (static_cast<int>(model[page].size()) == kPage) {
                if (page + 1 == static_cast<int>(model.size()) ||
                    static_cast<int>(model[page + 1].size()) == kPage)
                    model.insert(model.begin() + page + 1, std::vector<uint64_t>());
                model[page + 1].insert(model[page + 1].begin(), model[page].back());
                model[page].pop_back();
            }
            model[page].insert(model[page].begin() + slot, next++);
        } else if (op < 15) {
            const int page = static_cast<int>(rng() % model.size());
            const int count = static_cast<int>(model[page].size());
            const int slot = op == 10 ? 0 : op == 11 ? count - 1 : static_cast<int>(rng() % count);
            pages.removeAt(PageArray::Slot{page, slot});
            model[page].erase(model[page].begin() + slot);
            if (model[page].empty()) model.erase(model.begin() + page);
        } else {
            // Written back reversed, in the same shape.
            std::vector<RowRef> rows;
            pages.copyOut(rows);
            std::reverse(rows.begin(), rows.end());
            pages.copyIn(rows);
            std::size_t k = 0;
            for (auto& p : model)
                for (uint64_t& key : p) key = rows[k++].key;
        }
        if (step % 500 == 0) check();
    }
    check();
    // Appending onto a last page whose slots wrap around its cells.
    std::vector<RowRef> more;
    for (int i = 0; i < 3000; ++i) more.push_back(RowRef{nullptr, next + i});
    pages.appendAll(more.data(), more.size());
    pages.append(RowRef{nullptr, next + 3000});
    for (const RowRef& r : more) {
        if (model.back().size() == static_cast<std::size_t>(kPage)) model.emplace_back();
        model.back().push_back(r.key);
    }
    if (model.back().size() == static_cast<std::size_t>(kPage)) model.emplace_back();
    model.back().push_back(next + 3000);
    check();
}

TEST(EntryListAdd, DuplicateHashMergesOnlyALargerReferenceAmount) {
    EntryList list(ListKind::Normal);
    ASSERT_EQ(add(list, "old", "H1", "5", "100"), 1);
    list.setModified(false);
    // Equal and smaller reference amounts change nothing.
    EXPECT_EQ(add(list, "same", "H1", "5", "999"), 0);
    EXPECT_EQ(add(list, "less", "H1", "4", "999"), 0);
    EXPECT_EQ(list.entryAt(0)->name(), "old");
    // A larger one takes over name, trip, status, amount, time and version, but not the size.
    const char* texts[8] = {"new", "T2", "999", "仮想スレッド", "10", "Feb 02 00:00", "2", "H1"};
    EXPECT_EQ(list.addTexts(8, texts, 0), 0);
    const Entry* e = list.entryAt(0);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(e->name(), "new");
    EXPECT_STREQ(e->trip(), "T2");
    EXPECT_STREQ(e->status(), "仮想スレッド");
    EXPECT_STREQ(e->refAmount(), "10");
    EXPECT_STREQ(e->updateTime(), "Feb 02 00:00");
    EXPECT_STREQ(e->ver(), "2");
    EXPECT_STREQ(e->size(), "100");
    EXPECT_FALSE(list.modified()) << "a merge is not a change of the rows";
}

// A merge renames a row in place; a later sorted insertion compares with the new name, not with the old one.
TEST(EntryListAdd, SortedInsertionAfterAMergeRenamedARowSeesTheNewName) {
    EntryList list(ListKind::Normal);
    add(list, "bravo", "H1", "1", "100", 1);
    add(list, "mike", "H2", "1", "100", 1);
    add(list, "yankee", "H3", "1", "100", 1);
    EXPECT_EQ(add(list, "charlie", "H2", "9", "100", 1), 0);
    ASSERT_EQ(names(list), (std::vector<std::string>{"bravo", "charlie", "yankee"}));
    add(list, "delta", "H4", "1", "100", 1);
    EXPECT_EQ(names(list), (std::vector<std::string>{"bravo", "charlie", "delta", "yankee"}));
}

TEST(EntryListAdd, RefusesTooFewTextsAndHashesOfFilterLists) {
    EntryList list(ListKind::Normal), ignore(ListKind::Ignore);
    const char* seven[7] = {"a", "", "", "", "", "", ""};
    EXPECT_EQ(list.addTexts(7, seven, 0), 0);
    ASSERT_EQ(list.linkFilter(&ignore), 1);
    EXPECT_EQ(list.linkFilter(&ignore), 0);
    EXPECT_EQ(list.usesFilter(&ignore), 1);
    add(ignore, "bad", "HBAD");
    EXPECT_EQ(add(list, "bad", "HBAD"), 0);
    // The filter test uses the whole eighth text, before it is cut to 35 bytes.
    std::string longHash(40, 'X');
    add(ignore, "long", longHash.substr(0, 35));
    EXPECT_EQ(add(list, "long", longHash), 1);
    EXPECT_EQ(list.count(), 1);
}

TEST(EntryListAdd, IgnoredHashIsPurgedFromDependentLists) {
    EntryList a(ListKind::Normal), b(ListKind::Bbs), ignore(ListKind::Ignore);
    a.linkFilter(&ignore);
    b.linkFilter(&ignore);
    FakeListView viewA;
    a.setView(&viewA);
    add(a, "one", "H1");
    add(a, "two", "H2");
    add(b, "two", "H2");
    a.setModified(false);
    // addTexts only marks; the batch's caller purges.
    add(ignore, "two", "H2");
    EXPECT_TRUE(a.purgePending());
    EXPECT_EQ(a.count(), 2);
    ignore.purgeDependents();
    EXPECT_EQ(names(a), std::vector<std::string>{"one"});
    EXPECT_EQ(b.count(), 0);
    EXPECT_FALSE(a.purgePending());
    EXPECT_TRUE(a.modified());
    EXPECT_EQ(viewA.itemCount(), 1);
    // addRawRecord purges at once.
    RawRecord raw{};
    std::strcpy(raw.name, "one");
    std::strcpy(raw.hash, "H1");
    EXPECT_EQ(ignore.addRawRecord(raw, 0), 1);
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.purgeMarked(), 0) << "nothing pending any more";
}

TEST(EntryListAdd, AllocationFailureIsReportedAndLeavesTheListUnchanged) {
    test::RecordingReporter rec;
    test::ScopedReporter scope(&rec);
    test::FixedClock clk(test::makeTime(2026, 3, 4, 9, 8, 7));
    test::ScopedClock clockScope(&clk);
    EntryList list(ListKind::Normal);
    FakeListView view;
    list.setView(&view);
    add(list, "a", "H1");
    injectEntryAllocationFailure(0);
    EXPECT_EQ(add(list, "b", "H2"), 0);
    injectEntryAllocationFailure(-1);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(view.itemCount(), 1);
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0], "[09:08:07] メモリの確保に失敗しました(175)");
    EXPECT_FALSE(rec.lastOwnerless);
}

// A list whose two orders have just filled their pages: the next row needs a new page in each.
void fill(EntryList& list, int rows) {
    for (int i = 0; i < rows; ++i) {
        char name[16], hash[16];
        std::snprintf(name, sizeof name, "n%04d", i + 1);
        std::snprintf(hash, sizeof hash, "h%04d", i);
        add(list, name, hash);
    }
}

TEST(EntryListAdd, PageAllocationFailureIsReportedAndLeavesTheListUnchanged) {
    // {insert mode, pages that may still be made}: the hash order's page fails, or the display order's.
    const int cases[][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (const auto& c : cases) {
        test::RecordingReporter rec;
        test::ScopedReporter scope(&rec);
        EntryList list(ListKind::Normal);
        FakeListView view;
        list.setView(&view);
        fill(list, PageArray::kPageSize);
        list.setModified(false);
        injectPageAllocationFailure(c[1]);
        EXPECT_EQ(add(list, "n0000", "hnew", "1", "100", c[0]), 0);
        injectPageAllocationFailure(-1);
        ASSERT_EQ(rec.boxes.size(), 1u);
        EXPECT_NE(rec.boxes[0].find("メモリの確保に失敗しました(175)"), std::string::npos);
        EXPECT_EQ(list.count(), PageArray::kPageSize);
        EXPECT_EQ(list.hashPages().size(), PageArray::kPageSize);
        EXPECT_EQ(view.itemCount(), PageArray::kPageSize);
        EXPECT_EQ(list.findHash("hnew"), -1);
        EXPECT_FALSE(list.modified());
        // The row can be added once there is room.
        EXPECT_EQ(add(list, "n0000", "hnew", "1", "100", c[0]), 1);
        EXPECT_GE(list.findHash("hnew"), 0);
        EXPECT_EQ(list.count(), PageArray::kPageSize + 1);
    }
}

TEST(EntryListMove, ATargetWithoutRoomForEveryRowLeavesBothListsAsTheyWere) {
    EntryList src(ListKind::Normal), dst(ListKind::Normal);
    FakeListView srcView, dstView;
    src.setView(&srcView);
    dst.setView(&dstView);
    add(src, "a", "HA");
    add(src, "b", "HB");
    add(src, "c", "HC");
    fill(dst, PageArray::kPageSize - 1);  // room for one row: "c" goes in, "a" finds no page
    srcView.select({0, 2});
    src.syncSelectionFromView();
    injectPageAllocationFailure(0);
    EXPECT_THROW(src.moveSelectedTo(dst), std::bad_alloc);
    injectPageAllocationFailure(-1);
    EXPECT_EQ(names(src), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(src.entryAt(0)->selected, 1);
    EXPECT_EQ(src.entryAt(2)->selected, 1);
    EXPECT_EQ(src.selectedCount(), 2);
    EXPECT_EQ(srcView.selectedPositions(), (std::vector<int>{0, 2}));
    EXPECT_EQ(dst.count(), PageArray::kPageSize - 1);
    EXPECT_EQ(dstView.itemCount(), PageArray::kPageSize - 1);
    EXPECT_EQ(dst.findHash("HC"), -1);
    expectConsistent(dst);
    // With room, both rows move.
    EXPECT_EQ(src.moveSelectedTo(dst), 2);
    EXPECT_EQ(names(src), (std::vector<std::string>{"b"}));
    EXPECT_EQ(dstView.itemCount(), PageArray::kPageSize + 1);
}

TEST(EntryListPages, OverflowOfAFullPageMovesItsLastRowToANewPage) {
    EntryList list(ListKind::Normal);
    for (int i = 0; i < 1024; ++i) {
        char name[16], hash[16];
        std::snprintf(name, sizeof name, "n%04d", i + 1);
        std::snprintf(hash, sizeof hash, "h%04d", i);
        add(list, name, hash, "1", "1", 1);
    }
    ASSERT_EQ(list.displayPages().pageCount(), 1);
    EXPECT_EQ(add(list, "n0000", "hzzzz", "1", "1", 1), 1);  // sorts to position 0
    ASSERT_EQ(list.displayPages().pageCount(), 2);
    EXPECT_EQ(list.displayPages().pageSize(0), 1024);
    EXPECT_EQ(list.displayPages().pageSize(1), 1);
    EXPECT_EQ(list.entryAt(0)->name(), "n0000");
    EXPECT_EQ(list.entryAt(1024)->name(), "n1024");
    expectConsistent(list);
}

TEST(EntryListPages, RemovingTheOnlyRowOfAMiddlePageTakesThePageOut) {
    EntryList list(ListKind::Normal);
    // Fill pages 0 and 1 by appending, then make page 1 hold a single row by removing the rest of it.
    for (int i = 0; i < 1024 * 3; ++i) add(list, "n" + std::to_string(i), "h" + std::to_string(i));
    ASSERT_EQ(list.displayPages().pageCount(), 3);
    for (int i = 0; i < 1023; ++i) ASSERT_EQ(list.removeAt(1024, true), 1);
    ASSERT_EQ(list.displayPages().pageSize(1), 1);
    std::string survivor = list.entryAt(1024)->name().str();
    EXPECT_EQ(survivor, "n2047");
    ASSERT_EQ(list.removeAt(1024, true), 1);
    EXPECT_EQ(list.displayPages().pageCount(), 2);
    EXPECT_EQ(list.displayPages().pageSize(0), 1024);
    EXPECT_EQ(list.displayPages().pageSize(1), 1024);
    EXPECT_EQ(list.entryAt(1024)->name(), "n2048");
    EXPECT_EQ(list.removeAt(-1, true), 0);
    EXPECT_EQ(list.removeAt(list.count(), true), 0);
    EXPECT_EQ(list.entryAt(list.count()), nullptr);
    expectConsistent(list);
}

// Random adds, sorted inserts, removals and sorts against a plain model of the display order.
TEST(EntryListPages, RandomOperationsKeepBothOrdersConsistent) {
    std::mt19937 rng(42);
    EntryList list(ListKind::Normal);
    std::vector<std::string> model;  // names in display order
    int next = 0;
    for (int step = 0; step < 20000; ++step) {
        int op = rng() % 10;
        if (op < 6 || model.empty()) {
            std::string name = "r" + std::to_string(rng() % 100000);
            std::string hash = "k" + std::to_string(next++);
            int mode = (op % 2 == 0) ? 1 : 0;
            ASSERT_EQ(add(list, name, hash, "1", "1", mode), 1);
            // Find where the row went and mirror it in the model.
            if (mode == 1) {
                int p = -1;
                for (int i = 0; i < list.count(); ++i)
                    if (std::string(list.entryAt(i)->hash()) == hash) p = i;
                model.insert(model.begin() + p, name);
            } else {
                model.push_back(name);
            }
        } else if (op < 9) {
            int p = rng() % model.size();
            ASSERT_EQ(list.removeAt(p, true), 1);
            model.erase(model.begin() + p);
        } else if (step % 97 == 0) {
            list.sort(kColName);
            std::vector<std::string> got = names(list);
            model = got;
            std::vector<std::string> sorted = got;
            if (list.sortDescending())
                std::sort(sorted.begin(), sorted.end(), std::greater<>());
            else
                std::sort(sorted.begin(), sorted.end());
            ASSERT_EQ(got, sorted);
        }
        if (step % 1000 == 0) {
            ASSERT_EQ(names(list), model);
            expectConsistent(list);
        }
    }
    ASSERT_EQ(names(list), model);
    expectConsistent(list);
    for (int p = 0; p < list.count(); ++p) ASSERT_NE(list.findHash(list.hashPages().at(p)->hash()), -1);
}

TEST(EntryListSelection, DeleteSelectedRemovesRowsAndViewItems) {
    EntryList list(ListKind::Normal);
    FakeListView view;
    list.setView(&view);
    for (int i = 0; i < 5; ++i) add(list, "n" + std::to_string(i), "h" + std::to_string(i));
    list.setModified(false);
    EXPECT_EQ(list.deleteSelected(), 0);
    view.select({1, 3});
    EXPECT_EQ(list.syncSelectionFromView(), 2);
    EXPECT_EQ(list.deleteSelected(), 1);
    EXPECT_EQ(names(list), (std::vector<std::string>{"n0", "n2", "n4"}));
    EXPECT_EQ(view.itemCount(), 3);
    EXPECT_EQ(view.bulkDepth(), 0);
    EXPECT_GE(view.bulkBegins, 1);
    EXPECT_TRUE(list.modified());
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_EQ(list.findHash("h1"), -1);
}

TEST(EntryListSelection, PushAfterAnEmptySyncLeavesTheViewAlone) {
    EntryList list(ListKind::Normal);
    FakeListView view;
    list.setView(&view);
    add(list, "a", "h1");
    add(list, "b", "h2");
    EXPECT_EQ(list.syncSelectionFromView(), 0);
    int calls = view.setSelectedCalls;
    EXPECT_EQ(list.pushSelectionToView(), 0);
    EXPECT_EQ(view.setSelectedCalls, calls);
}

TEST(EntryListSelection, SortKeepsTheSelectionWithTheRows) {
    EntryList list(ListKind::Normal);
    FakeListView view;
    list.setView(&view);
    add(list, "c", "h1");
    add(list, "a", "h2");
    add(list, "b", "h3");
    view.select({0});  // "c"
    list.syncSelectionFromView();
    list.sort(kColSize);  // another column first, so that the name column starts ascending
    list.sort(kColName);
    EXPECT_EQ(names(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.pushSelectionToView(), 1);
    EXPECT_EQ(view.selectedPositions(), std::vector<int>{2});
}

TEST(EntryListMove, MovedRowsGoToSortedPositionsAndRefusedOnesAreDropped) {
    EntryList src(ListKind::Normal), dst(ListKind::Normal), ignore(ListKind::Ignore);
    FakeListView srcView, dstView;
    src.setView(&srcView);
    dst.setView(&dstView);
    dst.linkFilter(&ignore);
    add(src, "b-row", "HB", "9");
    add(src, "dup", "HD", "1");
    add(src, "ignored", "HI");
    add(src, "stay", "HS");
    add(dst, "a-row", "HA");
    add(dst, "dup-in-target", "HD", "5");
    add(ignore, "x", "HI");
    src.entryAt(0)->setMarked(true);
    srcView.select({0, 1, 2});
    src.syncSelectionFromView();
    src.setModified(false);
    EXPECT_EQ(src.moveSelectedTo(dst), 1);
    EXPECT_EQ(names(src), std::vector<std::string>{"stay"});
    EXPECT_TRUE(src.modified());
    // The row of the same hash keeps its texts: the moved row's amount (1) is smaller.
    EXPECT_EQ(names(dst), (std::vector<std::string>{"a-row", "b-row", "dup-in-target"}));
    EXPECT_FALSE(dst.entryAt(1)->isMarked());
    EXPECT_EQ(dst.entryAt(1)->selected, 0);
    EXPECT_EQ(dstView.itemCount(), 3);
    EXPECT_EQ(srcView.itemCount(), 1);
    EXPECT_EQ(src.moveSelectedTo(dst), -1);
}

// A move gives the result of the list's own order of steps: each row leaves the source before the target's
// addEntry sees it, so that the source's own copy never refuses it, also when the source is one of the
// target's filter lists.
TEST(EntryListMove, RowsMovedToTheIgnoreListAndBackArriveInBothDirections) {
    EntryList list(ListKind::Normal), ignore(ListKind::Ignore);
    FakeListView listView, ignoreView;
    list.setView(&listView);
    ignore.setView(&ignoreView);
    list.linkFilter(&ignore);
    for (const char* n : {"a", "b", "c", "d"}) add(list, n, std::string("H") + n);
    listView.select({1, 2});
    list.syncSelectionFromView();
    EXPECT_EQ(list.moveSelectedTo(ignore), 2);
    EXPECT_EQ(names(list), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(names(ignore), (std::vector<std::string>{"b", "c"}));

    // Back again: the rows leave the ignore list and arrive at their sorted places.
    ignore.setModified(false);
    list.setModified(false);
    ignoreView.select({0, 1});
    ignore.syncSelectionFromView();
    EXPECT_EQ(ignore.moveSelectedTo(list), 2);
    EXPECT_EQ(names(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(ignore.count(), 0);
    EXPECT_EQ(ignoreView.itemCount(), 0);
    EXPECT_EQ(listView.itemCount(), 4);
    EXPECT_TRUE(ignore.modified());
    EXPECT_TRUE(list.modified());
    EXPECT_EQ(ignore.findHash("Hb"), -1);
    EXPECT_GE(list.findHash("Hb"), 0);
    expectConsistent(list);
    expectConsistent(ignore);
    // With the rows gone from the ignore list, they are no longer refused.
    EXPECT_EQ(add(list, "c2", "Hc"), 0);  // present: nothing changes
    EXPECT_EQ(list.count(), 4);
}

TEST(EntryListMove, AMoveFromAFilterListMergesIntoTheTargetsRowOfTheSameHash) {
    // Both lists had the hashes before the source was made the target's filter list (as the menu does).
    EntryList source(ListKind::Normal), target(ListKind::Normal);
    FakeListView sourceView, targetView;
    source.setView(&sourceView);
    target.setView(&targetView);
    add(target, "old-larger", "H1", "5", "111");
    add(target, "old-smaller", "H2", "5", "222");
    add(source, "new-larger", "H1", "9", "999");
    add(source, "new-smaller", "H2", "1", "999");
    add(source, "stays", "H3");
    target.linkFilter(&source);
    target.setModified(false);
    source.setModified(false);
    sourceView.select({0, 1});
    source.syncSelectionFromView();
    // Merged rows are not added: none counts.
    EXPECT_EQ(source.moveSelectedTo(target), 0);
    EXPECT_EQ(names(source), std::vector<std::string>{"stays"});
    EXPECT_TRUE(source.modified());
    EXPECT_FALSE(target.modified());
    // The larger reference amount brings its texts; the size stays. The smaller one changes nothing.
    EXPECT_EQ(names(target), (std::vector<std::string>{"new-larger", "old-smaller"}));
    EXPECT_STREQ(target.entryAt(0)->refAmount(), "9");
    EXPECT_STREQ(target.entryAt(0)->size(), "111");
    EXPECT_STREQ(target.entryAt(1)->refAmount(), "5");
    EXPECT_EQ(targetView.itemCount(), 2);
    EXPECT_EQ(sourceView.itemCount(), 1);
    expectConsistent(source);
    expectConsistent(target);
}

TEST(EntryListMove, ARowRefusedByAnotherFilterListLeavesBothAndTheOthersArrive) {
    EntryList source(ListKind::Ignore), other(ListKind::Ignore), target(ListKind::Normal);
    FakeListView sourceView, targetView;
    source.setView(&sourceView);
    target.setView(&targetView);
    target.linkFilter(&source);
    target.linkFilter(&other);
    add(source, "arrives", "H1");
    add(source, "refused", "H2");
    add(other, "x", "H2");
    sourceView.select({0, 1});
    source.syncSelectionFromView();
    EXPECT_EQ(source.moveSelectedTo(target), 1);
    EXPECT_EQ(source.count(), 0);
    EXPECT_EQ(names(target), std::vector<std::string>{"arrives"});
    EXPECT_EQ(other.count(), 1);
    EXPECT_EQ(targetView.itemCount(), 1);
}

TEST(EntryListMove, AMoveIntoTheSourcesFilterListPurgesTheTargetsDependents) {
    // The source and a third list use the target as their filter list: the moved rows arrive, and the third
    // list loses its row of a moved hash.
    EntryList source(ListKind::Normal), target(ListKind::Ignore), third(ListKind::Normal);
    FakeListView sourceView, targetView, thirdView;
    source.setView(&sourceView);
    target.setView(&targetView);
    third.setView(&thirdView);
    add(source, "a", "H1");
    add(source, "b", "H2");
    add(third, "a-too", "H1");
    add(third, "c", "H3");
    source.linkFilter(&target);
    third.linkFilter(&target);
    sourceView.select({0, 1});
    source.syncSelectionFromView();
    third.setModified(false);
    EXPECT_EQ(source.moveSelectedTo(target), 2);
    EXPECT_EQ(source.count(), 0);
    EXPECT_EQ(names(target), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(names(third), std::vector<std::string>{"c"});
    EXPECT_EQ(thirdView.itemCount(), 1);
    EXPECT_TRUE(third.modified());
    EXPECT_FALSE(third.purgePending());
    // And back: the source uses the target, which does not stop the rows.
    targetView.select({0, 1});
    target.syncSelectionFromView();
    EXPECT_EQ(target.moveSelectedTo(source), 2);
    EXPECT_EQ(names(source), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(target.count(), 0);
}

// A list that is its own filter list (the window never makes one) takes a moved row, marks it as a hash its
// filter list gained and purges it again, as the list's own order of steps does; its view follows.
TEST(EntryListMove, ATargetThatIsItsOwnFilterListKeepsItsViewInStep) {
    EntryList source(ListKind::Normal), target(ListKind::Normal);
    FakeListView sourceView, targetView;
    source.setView(&sourceView);
    target.setView(&targetView);
    add(target, "kept", "H0");
    target.linkFilter(&target);
    add(source, "a", "H1");
    add(source, "b", "H2");
    sourceView.select({0, 1});
    source.syncSelectionFromView();
    EXPECT_EQ(source.moveSelectedTo(target), 2);
    EXPECT_EQ(source.count(), 0);
    EXPECT_EQ(names(target), std::vector<std::string>{"kept"});
    EXPECT_EQ(targetView.itemCount(), 1);
    EXPECT_FALSE(target.purgePending());
    expectConsistent(target);
}

TEST(EntryListMarks, MarkSelectSetAndJump) {
    EntryList list(ListKind::Normal);
    FakeListView view;
    list.setView(&view);
    EXPECT_EQ(list.scrollToMark(true), -1);
    add(list, "only", "h0");
    EXPECT_EQ(list.scrollToMark(true), -1) << "needs two rows";
    for (int i = 1; i < 10; ++i) add(list, "n" + std::to_string(i), "h" + std::to_string(i));
    view.select({2, 7});
    EXPECT_EQ(list.markSelected(), 2);
    EXPECT_TRUE(list.entryAt(2)->isMarked());
    EXPECT_STREQ(list.entryAt(7)->mark(), "○");
    EXPECT_FALSE(list.entryAt(3)->isMarked());
    // Jumps wrap around and scroll by the view's row height.
    view.setRowHeight(18);
    view.setTop(3);
    EXPECT_EQ(list.scrollToMark(true), 7);
    EXPECT_EQ(view.log.back(), "scroll 72");
    EXPECT_EQ(list.scrollToMark(true), 2);
    EXPECT_EQ(view.topRow(), 2);
    EXPECT_EQ(list.scrollToMark(false), 7);
    // selectMarked selects exactly the marked rows.
    for (int p = 0; p < 10; ++p) view.setSelected(p, p == 5);
    EXPECT_EQ(list.selectMarked(), 2);
    EXPECT_EQ(view.selectedPositions(), (std::vector<int>{2, 7}));
    list.setAllMarks(true);
    for (int p = 0; p < 10; ++p) EXPECT_TRUE(list.entryAt(p)->isMarked());
    list.setAllMarks(false);
    EXPECT_EQ(list.scrollToMark(true), -1);
}

TEST(EntryListLinks, ClearAndDestructionLeaveNoDanglingLinks) {
    EntryList keep(ListKind::Normal);
    {
        EntryList ignore(ListKind::Ignore);
        keep.linkFilter(&ignore);
        EXPECT_EQ(ignore.dependentLists().size(), 1u);
        EXPECT_EQ(keep.unlinkFilter(&ignore), 1);
        EXPECT_EQ(keep.unlinkFilter(&ignore), 0);
        EXPECT_TRUE(ignore.dependentLists().empty());
        keep.linkFilter(&ignore);
    }
    EXPECT_TRUE(keep.filterLists().empty());
    EXPECT_EQ(add(keep, "a", "h"), 1);
    keep.setModified(false);
    EXPECT_EQ(keep.clear(), 1);
    EXPECT_TRUE(keep.modified());
    EXPECT_EQ(keep.clear(), 0);
    EXPECT_EQ(add(keep, "a", "h"), 1) << "the hash order was emptied too";
}

// What a list reports it holds follows each row's name and columns, long ones in blocks of their own
// included, and goes back when the rows go.
TEST(EntryListMemory, HeldBytesFollowWhatTheRowsHold) {
    EntryList list(ListKind::Normal);
    const std::size_t empty = list.heldBytes();
    EXPECT_EQ(add(list, "a", "h0"), 1);
    const std::size_t oneRow = list.heldBytes();
    EXPECT_GE(oneRow - empty, sizeof(Entry) + 2 * PageArray::kPageSize * sizeof(RowRef));

    const std::string longName(300, 'n'), longColumn(500, 'c');
    struct Case {
        std::string name;
        std::vector<std::string> extra;
        std::size_t atLeast;  // beyond a row with a short name
    };
    const Case cases[] = {
        {longName, {}, longName.size() + 1},
        {"b", {"short", longColumn}, sizeof "short" + longColumn.size() + 1},
    };
    int n = 1;
    for (const Case& c : cases) {
        std::vector<const char*> texts = {c.name.c_str(), "t", "1", "完全キャッシュ", "1",
                                          "Jan 01 00:00", "1"};
        const std::string hash = "h" + std::to_string(n++);
        texts.push_back(hash.c_str());
        for (const std::string& e : c.extra) texts.push_back(e.c_str());
        const std::size_t before = list.heldBytes();
        ASSERT_EQ(list.addTexts(static_cast<int>(texts.size()), texts.data(), 0), 1);
        EXPECT_GE(list.heldBytes() - before, sizeof(Entry) + c.atLeast) << c.name;
        EXPECT_LE(list.heldBytes() - before, sizeof(Entry) + c.atLeast + 64) << c.name;
    }
    list.clear();
    EXPECT_LT(list.heldBytes(), empty + 64)
        << "the rows and their pages are gone; the page index keeps its room";
}

}  // namespace
}  // namespace twk
