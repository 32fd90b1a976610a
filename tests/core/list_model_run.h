// The list store held to a reference model (list_model.h, written from the rules of rows, lists and sorting
// alone): seeded random sequences of operations over a few lists run on the model and on EntryList, and after
// every step every list's rows (order and every field), marks, selection, counts, links and view are
// compared, with the hash order and the page invariants of the program. On a difference the test prints the
// seed and a shrunk reproduction (the sequence cut down by delta debugging to the operations that still make
// a difference).
//
// The lists are those of the window at start: the ignore list I, used as a filter list by the first normal
// list A, a second normal list B and the BBS list S, and a normal list C with no filter list; links are made
// and cut as the menu "無視リストの追加" does (and now and then a list is linked to itself, which the window
// never does but the list allows). Hashes come from a small pool, so that duplicates, merges and filter hits
// are frequent; now and then a list grows past one page (1024 rows).
//
// The environment chooses longer runs:
//   TWK_MODEL_SEED=n      the first seed (default 1); with nothing else, only that sequence
//   TWK_MODEL_COUNT=n     the number of sequences, seeds n, n + 1, ... (default: the fixed set, seeds 1 to
//                         3000 natively, 1000 under AddressSanitizer, 1500 under Wine)
//   TWK_MODEL_SECONDS=s   sequences with consecutive seeds until s seconds have passed
//   TWK_MODEL_STEPS=n     operations per sequence (default 40)
//   TWK_MODEL_REPORTS=n   the run stops after n sequences that differ (default 3), each shown shrunk
//
// What the generator leaves out, because the program differs from the model there on purpose:
// - A move into the same list: the list's steps would take every selected row out and put it back at its
//   sorted place; the program leaves the list as it is and returns 0 (the window offers no such move).
// - Memory failures: where the rules let a failed add go on without its row, the program's commands add all
//   of their rows or none (tests/core/command_memory_test.cpp runs those failures).
// - The pixels of a jump to a mark: the rules scroll by 13 pixels a row, the program by the view's real row
//   height; the test's view has rows of 13 pixels, and the jumps compare their rows.
// - The shapes of the pages: the rules place a row inserted at a page boundary of the hash order on the
//   earlier page, the program's search may place it on the later one. Page shapes are not observable; the
//   test checks the program's page invariants (every page holds 1 to 1024 rows, the counts add up, both
//   orders hold the same rows, the hash order ascends) instead of the shapes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "support/fakes.h"
#include "tests/core/list_model.h"

namespace twk {
namespace {

// ---------------------------------------------------------------------------------------------------------------
// The lists and their view

constexpr int kI = 0, kA = 1, kB = 2, kS = 3, kC = 4, kLists = 5;
const char* const kListNames[kLists] = {"I", "A", "B", "S", "C"};
const ListKind kKinds[kLists] = {ListKind::Ignore, ListKind::Normal, ListKind::Normal, ListKind::Bbs,
                                 ListKind::Normal};

// The program's side of the view: what the list view control does for a list (items with their selection, the
// first visible row, rows of 13 pixels), without recording anything.
class ModelledView final : public ListViewOps {
  public:
    // A position outside the items is a fault of the caller (the control would refuse it): counted, not done.
    void insertItem(int position) override {
        if (position < 0 || position > itemCount())
            ++faults;
        else
            items.insert(items.begin() + position, false);
    }
    void deleteItem(int position) override {
        if (position < 0 || position >= itemCount())
            ++faults;
        else
            items.erase(items.begin() + position);
    }
    void deleteAllItems() override { items.clear(); }
    bool isSelected(int position) const override {
        return position >= 0 && position < itemCount() && items[position];
    }
    void setSelected(int position, bool selected) override {
        if (position >= 0 && position < itemCount()) items[position] = selected;
    }
    int itemCount() const override { return static_cast<int>(items.size()); }
    int selectedCount() const override {
        int n = 0;
        for (bool b : items) n += b;
        return n;
    }
    // A list view shows its first row at the top, and never scrolls past its last row.
    int topRow() const override { return clampTop(top, itemCount()); }
    int rowHeight() const override { return 13; }
    void scrollBy(int dy) override { top = topRow() + dy / 13; }
    void beginBulkUpdate() override {}
    void endBulkUpdate() override {}
    void invalidate() override {}

    static int clampTop(int top, int items) {
        return top >= items ? (items > 0 ? items - 1 : 0) : top < 0 ? 0 : top;
    }

    std::vector<bool> items;
    int top = 0;
    int faults = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// Operations

enum class OpKind {
    AddTexts,      // addTexts(rows[0], mode)
    AddRaw,        // addRawRecord(rows[0] in a raw record, mode), which purges after an add
    AddEntry,      // addEntry(makeEntry(rows[0])): a row handed over whole
    Batch,         // the rows one after another (AppendBatch), then purgeDependents when one was added
    Grow,          // `value` generated rows (seed `seed`), as Batch, or one by one when other = 1
    Purge,         // purgeDependents
    PurgeMarked,   // purgeMarked of the list itself
    Select,        // the user selects the view items `picks` (and no other)
    Sync,          // syncSelectionFromView
    Push,          // pushSelectionToView
    Move,          // moveSelectedTo(other), after a sync when value = 1 (as the window does)
    Delete,        // deleteSelected, after a sync when value = 1
    Remove,        // removeAt(value, free) and the caller deleting its view item
    Clear,         // clear and the caller deleting the view's items
    Link,          // linkFilter(other)
    Unlink,        // unlinkFilter(other)
    SelectMarked,  // selectMarked
    MarkSelected,  // markSelected
    SetAllMarks,   // setAllMarks(value)
    SetTop,        // the user scrolls the view to row `value`
    JumpToMark,    // scrollToMark(value = forward)
    ColumnClick,   // syncSelectionFromView, sort(value), pushSelectionToView
    Sort,          // sort(value)
    Resort,        // sorted again in the current order: the direction inverted first, then sort(sortColumn)
    FindHash,      // findHash, hashInFilters and usesFilter(other) of a hash
    MarkHash,      // markHash
    Renew,  // the list's tab closed and a new normal list made in its place (linked to every ignore list)
};

struct Op {
    OpKind kind = OpKind::Sync;
    int list = 0;
    int other = 0;
    int mode = 0;
    int value = 0;
    uint32_t seed = 0;
    std::vector<std::vector<std::string>> rows;  // texts of the rows an add brings
    std::vector<int> picks;
    std::string hash;  // FindHash, MarkHash
};

// Bytes outside printable ASCII as \xNN, so that a reproduction reads the same on any terminal.
std::string shown(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + "\"";
}

std::string shownTexts(const std::vector<std::string>& texts) {
    std::string out = "{";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        out += i ? ", " : "";
        // A long text by its beginning and its length.
        if (texts[i].size() > 40)
            out += shown(texts[i].substr(0, 12)) + "...(" + std::to_string(texts[i].size()) + " bytes)";
        else
            out += shown(texts[i]);
    }
    return out + "}";
}

std::string describe(const Op& op) {
    const std::string l = kListNames[op.list];
    const std::string o = kListNames[op.other];
    const std::string m = std::to_string(op.mode);
    const std::string v = std::to_string(op.value);
    switch (op.kind) {
        case OpKind::AddTexts:
            return l + ".addTexts(" + shownTexts(op.rows[0]) + ", mode " + m + ")";
        case OpKind::AddRaw:
            return l + ".addRawRecord(" + shownTexts(op.rows[0]) + ", mode " + m + ")";
        case OpKind::AddEntry:
            return l + ".addEntry(" + shownTexts(op.rows[0]) + ")";
        case OpKind::Batch: {
            std::string out = l + ": a batch of " + std::to_string(op.rows.size()) + " rows, mode " + m + ":";
            for (const auto& r : op.rows) out += "\n        " + shownTexts(r);
            return out + "\n      then purgeDependents when one was added";
        }
        case OpKind::Grow:
            return l + ": " + v + " generated rows (seed " + std::to_string(op.seed) + "), mode " + m +
                   (op.other ? ", one by one" : ", as a batch") + ", then purgeDependents";
        case OpKind::Purge:
            return l + ".purgeDependents()";
        case OpKind::PurgeMarked:
            return l + ".purgeMarked()";
        case OpKind::Select: {
            std::string out = l + ": the user selects items {";
            for (std::size_t i = 0; i < op.picks.size(); ++i)
                out += (i ? "," : "") + std::to_string(op.picks[i]);
            return out + "}";
        }
        case OpKind::Sync:
            return l + ".syncSelectionFromView()";
        case OpKind::Push:
            return l + ".pushSelectionToView()";
        case OpKind::Move:
            return (op.value ? l + ".syncSelectionFromView(); " : "") + l + ".moveSelectedTo(" + o + ")";
        case OpKind::Delete:
            return (op.value ? l + ".syncSelectionFromView(); " : "") + l + ".deleteSelected()";
        case OpKind::Remove:
            return l + ".removeAt(" + v + ", free) and its view item deleted";
        case OpKind::Clear:
            return l + ".clear() and the view's items deleted";
        case OpKind::Link:
            return l + ".linkFilter(" + o + ")";
        case OpKind::Unlink:
            return l + ".unlinkFilter(" + o + ")";
        case OpKind::SelectMarked:
            return l + ".selectMarked()";
        case OpKind::MarkSelected:
            return l + ".markSelected()";
        case OpKind::SetAllMarks:
            return l + ".setAllMarks(" + v + ")";
        case OpKind::SetTop:
            return l + ": the user scrolls the view to row " + v;
        case OpKind::JumpToMark:
            return l + ".scrollToMark(" + std::string(op.value ? "forward" : "backward") + ")";
        case OpKind::ColumnClick:
            return l + ": click on logical column " + v + " (sync, sort, push)";
        case OpKind::Sort:
            return l + ".sort(" + v + ")";
        case OpKind::Resort:
            return l + ": sorted again in its order (direction inverted, then sort of its column)";
        case OpKind::FindHash:
            return l + ".findHash(" + shown(op.hash) + "), hashInFilters, usesFilter(" + o + ")";
        case OpKind::MarkHash:
            return l + ".markHash(" + shown(op.hash) + ")";
        case OpKind::Renew:
            return l + ": tab closed, a new normal list in its place";
    }
    return "?";
}

// ---------------------------------------------------------------------------------------------------------------
// The generator

struct Rng {
    std::mt19937 g;
    explicit Rng(uint32_t seed) : g(seed) {}
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(g() % n); }
    bool chance(int percent) { return below(100) < static_cast<uint32_t>(percent); }
    const std::string& pick(const std::vector<std::string>& v) {
        return v[below(static_cast<uint32_t>(v.size()))];
    }
};

const std::string kHash35(35, 'Z');
// Mostly eight hashes, so that the lists share them often; the others are neighbours in the hash order, a
// hash of 40 bytes whose first 35 are another one of the pool, and the empty hash.
const std::vector<std::string> kCommonHashes = {"H0", "H1", "H2", "H3", "H4", "H5", "H6", "H7"};
const std::vector<std::string> kRareHashes = {
    "h3", "H-3", "H30", "", kHash35, kHash35 + "TAIL1", kHash35 + "TAIL2"};
const std::vector<std::string> kNames = {"alpha",
                                         "beta",
                                         "Alpha",
                                         "gamma.zip",
                                         "gamma.zip.001",
                                         "prefix__A",
                                         "prefix__B",
                                         "prefix__",
                                         "",
                                         "ファイル名",
                                         "ﾌｧｲﾙ",
                                         "z",
                                         "n" + std::string(299, 'x')};
const std::vector<std::string> kTrips = {"", "◆trip", "abcdefghijklmnop", "t1", "T1"};
const std::vector<std::string> kSizes = {"100",           "999", "1,000", "12,345",
                                         "1,277,007,104", "",    "0",     "12345678901234567890"};
const std::vector<std::string> kStatuses = {
    "完全キャッシュ", "部分キャッシュ", "受可キャッシュ", "仮想スレッド", "", "a-status-word-too-long"};
const std::vector<std::string> kRefs = {"1", "2",     "9",    "10", "100", " 5",
                                        "?", "1,000", "abc7", "",   "0",   "99999999999999999"};
const std::vector<std::string> kTimes = {
    "Jan 03 10:00", "Feb 01 00:00",          "Mar 09 09:09", "Apr 30 23:00",
    "May 01 12:00", "May 02 12:00",          "Jun 15 08:00", "Jul 07 07:07",
    "Aug 31 18:00", "Sep 01 01:00",          "Oct 10 10:10", "Nov 11 11:11",
    "Dec 24 20:00", "Dec 31 23:59",          "Xyz 01 00:00", "",
    "2024/05/01",   "May 05 12:00:00 +0900", "Ma",           "ＡＢＣ"};
const std::vector<std::string> kVers = {"1", "0.9", "10", "1234", ""};
const std::vector<std::string> kExtras = {"u", "U", "", "zz", "ユーザー"};

std::string randomHash(Rng& r) {
    return r.chance(85) ? r.pick(kCommonHashes) : r.pick(kRareHashes);
}

std::vector<std::string> randomTexts(Rng& r) {
    int n = 8;
    uint32_t k = r.below(100);
    if (k < 15)
        n = 9;
    else if (k < 25)
        n = 10;
    else if (k < 28)
        n = 7;
    else if (k < 30)
        n = 3;
    std::vector<std::string> t = {r.pick(kNames), r.pick(kTrips), r.pick(kSizes), r.pick(kStatuses),
                                  r.pick(kRefs),  r.pick(kTimes), r.pick(kVers),  randomHash(r)};
    for (int i = 8; i < n; ++i) t.push_back(r.pick(kExtras));
    t.resize(static_cast<std::size_t>(n));
    return t;
}

// The rows of a Grow: unique hashes of their own, and now and then one of the pool.
std::vector<std::vector<std::string>> grownRows(uint32_t seed, int n) {
    Rng r(seed);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < n; ++i) {
        std::vector<std::string> t = randomTexts(r);
        t.resize(8);
        t[0] = "g" + std::to_string(r.below(100000));
        char hash[16];
        std::snprintf(hash, sizeof hash, "G%05u", static_cast<unsigned>((i * 7919u + seed) % 100000u));
        t[7] = i % 97 == 5 ? randomHash(r) : hash;
        rows.push_back(t);
    }
    return rows;
}

int randomList(Rng& r) {
    return static_cast<int>(r.below(kLists));
}
int otherList(Rng& r, int list) {
    return (list + 1 + static_cast<int>(r.below(kLists - 1))) % kLists;
}

// A list grown past one page (1024 rows), by a batch or row by row.
Op growOp(Rng& r) {
    Op op;
    op.kind = OpKind::Grow;
    op.list = randomList(r);
    op.mode = static_cast<int>(r.below(2));
    op.other = r.chance(30) ? 1 : 0;
    op.value = 1030 + static_cast<int>(r.below(70));
    op.seed = r.g();
    return op;
}

// `counts` are the row counts of the lists as the sequence goes (from the model), so that positions are
// mostly in range.
Op randomOp(Rng& r, const std::vector<int>& counts) {
    Op op;
    op.kind = OpKind::Sync;
    op.list = randomList(r);
    op.other = otherList(r, op.list);
    const int n = counts[static_cast<std::size_t>(op.list)];
    uint32_t k = r.below(1000);
    auto within = [&](uint32_t& acc, uint32_t w) {
        acc += w;
        return k < acc;
    };
    uint32_t acc = 0;
    if (within(acc, 190)) {
        op.kind = OpKind::AddTexts;
        op.mode = static_cast<int>(r.below(3));  // 2: any other value appends
        op.rows.push_back(randomTexts(r));
    } else if (within(acc, 50)) {
        op.kind = OpKind::AddRaw;
        op.mode = static_cast<int>(r.below(2));
        std::vector<std::string> t = randomTexts(r);
        t.resize(8);
        op.rows.push_back(t);
    } else if (within(acc, 50)) {
        op.kind = OpKind::AddEntry;
        std::vector<std::string> t = randomTexts(r);
        if (t.size() < 8) t.resize(8);
        op.rows.push_back(t);
    } else if (within(acc, 40)) {
        op.kind = OpKind::Batch;
        op.mode = static_cast<int>(r.below(2));
        int rows = 1 + static_cast<int>(r.below(6));
        for (int i = 0; i < rows; ++i) op.rows.push_back(randomTexts(r));
    } else if (within(acc, 35)) {
        op.kind = OpKind::Purge;
    } else if (within(acc, 10)) {
        op.kind = OpKind::PurgeMarked;
    } else if (within(acc, 120)) {
        op.kind = OpKind::Select;
        int picks = static_cast<int>(r.below(4));
        if (r.chance(10)) picks = n + 1;  // everything
        for (int i = 0; i < picks; ++i)
            op.picks.push_back(static_cast<int>(r.below(static_cast<uint32_t>(n + 2))));
    } else if (within(acc, 50)) {
        op.kind = OpKind::Sync;
    } else if (within(acc, 20)) {
        op.kind = OpKind::Push;
    } else if (within(acc, 130)) {
        op.kind = OpKind::Move;
        op.value = r.chance(85) ? 1 : 0;
    } else if (within(acc, 35)) {
        op.kind = OpKind::Delete;
        op.value = r.chance(85) ? 1 : 0;
    } else if (within(acc, 25)) {
        op.kind = OpKind::Remove;
        op.value = static_cast<int>(r.below(static_cast<uint32_t>(n + 2))) - (r.chance(10) ? 1 : 0);
    } else if (within(acc, 10)) {
        op.kind = OpKind::Clear;
    } else if (within(acc, 35)) {
        op.kind = OpKind::Link;
        if (r.chance(5)) op.other = op.list;  // a list as its own filter list (the window never makes one)
    } else if (within(acc, 25)) {
        op.kind = OpKind::Unlink;
    } else if (within(acc, 25)) {
        op.kind = OpKind::SelectMarked;
    } else if (within(acc, 35)) {
        op.kind = OpKind::MarkSelected;
    } else if (within(acc, 15)) {
        op.kind = OpKind::SetAllMarks;
        op.value = r.chance(50) ? 1 : 0;
    } else if (within(acc, 10)) {
        op.kind = OpKind::SetTop;
        op.value = static_cast<int>(r.below(static_cast<uint32_t>(n + 2)));
    } else if (within(acc, 20)) {
        op.kind = OpKind::JumpToMark;
        op.value = r.chance(50) ? 1 : 0;
    } else if (within(acc, 60)) {
        op.kind = OpKind::ColumnClick;
        op.value = static_cast<int>(r.below(12));
    } else if (within(acc, 15)) {
        op.kind = OpKind::Sort;
        op.value = static_cast<int>(r.below(12));
    } else if (within(acc, 10)) {
        op.kind = OpKind::Resort;
    } else if (within(acc, 20)) {
        op.kind = OpKind::FindHash;
        op.hash = randomHash(r);
    } else if (within(acc, 10)) {
        op.kind = OpKind::MarkHash;
        op.hash = randomHash(r);
    } else if (within(acc, 6)) {
        op.kind = OpKind::Renew;
        op.list = r.chance(50) ? kC : (r.chance(50) ? kA : kB);
    } else {
        op.kind = OpKind::ColumnClick;
        op.value = kColName;
    }
    return op;
}

// ---------------------------------------------------------------------------------------------------------------
// Running a sequence on both

// Texts as the program's calls take them.
struct CTexts {
    std::vector<const char*> p;
    explicit CTexts(const std::vector<std::string>& t) {
        for (const std::string& s : t) p.push_back(s.c_str());
    }
    int n() const { return static_cast<int>(p.size()); }
    const char* const* data() const { return p.data(); }
};

RawRecord rawRecordOf(const std::vector<std::string>& t) {
    RawRecord raw;
    for (int i = 0; i < 8; ++i)
        copyCut(raw.field(i), static_cast<std::size_t>(RawRecord::capacity(i)), t[i].c_str());
    return raw;
}

// Something that watches every sequence besides the model (the recovery journal's test): it hears when the
// lists are made, when a tab's list is about to go and its new list came, after every step (a text it returns
// is a difference) and when the lists go.
class Pair;
class SequenceWatcher {
  public:
    virtual ~SequenceWatcher() = default;
    virtual void listsMade(Pair&) {}
    virtual void listClosing(Pair&, int) {}
    virtual void listRenewed(Pair&, int) {}
    virtual std::string stepped(Pair&) { return ""; }
    virtual void listsGoing(Pair&) {}
};
SequenceWatcher* g_watcher = nullptr;

class Pair {
  public:
    explicit Pair(int month) : clock_(test::makeTime(2024, month, 15)), scope_(&clock_) {
        model_.month = month;
        for (int l = 0; l < kLists; ++l) {
            views_.push_back(std::make_unique<ModelledView>());
            lists_.push_back(std::make_unique<EntryList>(kKinds[l]));
            lists_.back()->setView(views_.back().get());
            model::List m;
            m.kind = kKinds[l];
            model_.lists.push_back(m);
        }
        // As at start: the ignore list filters the first normal list and the BBS list (and here B too); the
        // BBS list is sorted by its update time.
        for (int l : {kA, kB, kS}) {
            lists_[l]->linkFilter(lists_[kI].get());
            model_.linkFilter(l, kI);
        }
        lists_[kS]->sort(kColUpdateTime);
        model_.sort(kS, kColUpdateTime);
        if (g_watcher) g_watcher->listsMade(*this);
    }
    ~Pair() {
        if (g_watcher) g_watcher->listsGoing(*this);
        // The lists go before their views.
        lists_.clear();
    }

    EntryList& list(int l) { return *lists_[static_cast<std::size_t>(l)]; }
    const model::Store& model() const { return model_; }

    std::vector<int> counts() const {
        std::vector<int> out;
        for (int l = 0; l < kLists; ++l) out.push_back(model_.count(l));
        return out;
    }

    // Runs one operation on both; the text of the first difference afterwards, or nothing.
    std::string apply(const Op& op) {
        std::vector<int> got, want;
        run(op, got);
        runModel(op, want);
        if (got != want) {
            std::string out = "the calls of the step returned: program";
            for (int v : got) out += " " + std::to_string(v);
            out += ", model";
            for (int v : want) out += " " + std::to_string(v);
            return out;
        }
        std::string difference = compare();
        if (difference.empty() && g_watcher) difference = g_watcher->stepped(*this);
        return difference;
    }

  private:
    void run(const Op& op, std::vector<int>& out) {
        EntryList& list = *lists_[op.list];
        EntryList& other = *lists_[op.other];
        ModelledView& view = *views_[op.list];
        switch (op.kind) {
            case OpKind::AddTexts: {
                CTexts t(op.rows[0]);
                out.push_back(list.addTexts(t.n(), t.data(), op.mode));
                break;
            }
            case OpKind::AddRaw:
                out.push_back(list.addRawRecord(rawRecordOf(op.rows[0]), op.mode));
                break;
            case OpKind::AddEntry: {
                CTexts t(op.rows[0]);
                out.push_back(list.addEntry(makeEntry(t.data(), t.n())));
                break;
            }
            case OpKind::Batch:
            case OpKind::Grow: {
                const auto rows = op.kind == OpKind::Batch ? op.rows : grownRows(op.seed, op.value);
                int added = 0;
                if (op.kind == OpKind::Grow && op.other == 1) {
                    for (const auto& r : rows) {
                        CTexts t(r);
                        added += list.addTexts(t.n(), t.data(), op.mode);
                    }
                } else {
                    AppendBatch batch(list, op.mode);
                    for (const auto& r : rows) {
                        CTexts t(r);
                        batch.add(t.n(), t.data());
                    }
                    added = batch.finish();
                }
                if (added > 0) list.purgeDependents();
                out.push_back(added);
                break;
            }
            case OpKind::Purge:
                list.purgeDependents();
                break;
            case OpKind::PurgeMarked:
                out.push_back(list.purgeMarked());
                break;
            case OpKind::Select:
                for (int p = 0; p < view.itemCount(); ++p) view.setSelected(p, false);
                for (int p : op.picks) view.setSelected(p, true);
                break;
            case OpKind::Sync:
                out.push_back(list.syncSelectionFromView());
                break;
            case OpKind::Push:
                out.push_back(list.pushSelectionToView());
                break;
            case OpKind::Move:
                if (op.value) out.push_back(list.syncSelectionFromView());
                out.push_back(list.moveSelectedTo(other));
                break;
            case OpKind::Delete:
                if (op.value) out.push_back(list.syncSelectionFromView());
                out.push_back(list.deleteSelected());
                break;
            case OpKind::Remove: {
                int r = list.removeAt(op.value, true);
                if (r == 1) view.deleteItem(op.value);
                out.push_back(r);
                break;
            }
            case OpKind::Clear:
                out.push_back(list.clear());
                view.deleteAllItems();
                break;
            case OpKind::Link:
                out.push_back(list.linkFilter(&other));
                break;
            case OpKind::Unlink:
                out.push_back(list.unlinkFilter(&other));
                break;
            case OpKind::SelectMarked:
                out.push_back(list.selectMarked());
                break;
            case OpKind::MarkSelected:
                out.push_back(list.markSelected());
                break;
            case OpKind::SetAllMarks:
                list.setAllMarks(op.value == 1);
                break;
            case OpKind::SetTop:
                view.top = ModelledView::clampTop(op.value, view.itemCount());
                break;
            case OpKind::JumpToMark:
                out.push_back(list.scrollToMark(op.value == 1));
                break;
            case OpKind::ColumnClick:
                list.syncSelectionFromView();
                out.push_back(list.sort(op.value));
                list.pushSelectionToView();
                break;
            case OpKind::Sort:
                out.push_back(list.sort(op.value));
                break;
            case OpKind::Resort:
                list.setSortState(list.sortColumn(), 1 - list.sortDescending());
                out.push_back(list.sort(list.sortColumn()));
                break;
            case OpKind::FindHash:
                out.push_back(list.findHash(op.hash.c_str()));
                out.push_back(list.hashInFilters(op.hash.c_str()));
                out.push_back(list.usesFilter(&other));
                break;
            case OpKind::MarkHash:
                out.push_back(list.markHash(op.hash.c_str()));
                break;
            case OpKind::Renew: {
                // The tab's list goes (the window cuts its links; the list's own destruction does the same)
                // and a new list, made by the new-list command, uses every ignore list.
                if (g_watcher) g_watcher->listClosing(*this, op.list);
                lists_[op.list].reset();
                views_[op.list] = std::make_unique<ModelledView>();
                lists_[op.list] = std::make_unique<EntryList>(ListKind::Normal);
                lists_[op.list]->setView(views_[op.list].get());
                for (int l = 0; l < kLists; ++l)
                    if (l != op.list && lists_[l]->kind() == ListKind::Ignore)
                        lists_[op.list]->linkFilter(lists_[l].get());
                if (g_watcher) g_watcher->listRenewed(*this, op.list);
                break;
            }
        }
    }

    void runModel(const Op& op, std::vector<int>& out) {
        model::Store& m = model_;
        model::View& view = m.lists[op.list].view;
        const int l = op.list, o = op.other;
        switch (op.kind) {
            case OpKind::AddTexts:
                out.push_back(m.addTexts(l, op.rows[0], op.mode));
                break;
            case OpKind::AddRaw:
                out.push_back(m.addRawRecord(l, op.rows[0], op.mode));
                break;
            case OpKind::AddEntry:
                out.push_back(m.addEntry(l, model::makeRow(op.rows[0])));
                break;
            case OpKind::Batch:
            case OpKind::Grow: {
                const auto rows = op.kind == OpKind::Batch ? op.rows : grownRows(op.seed, op.value);
                int added = 0;
                for (const auto& r : rows) added += m.addTexts(l, r, op.mode);
                if (added > 0) m.purgeDependents(l);
                out.push_back(added);
                break;
            }
            case OpKind::Purge:
                m.purgeDependents(l);
                break;
            case OpKind::PurgeMarked:
                out.push_back(m.purgeMarked(l));
                break;
            case OpKind::Select:
                for (std::size_t p = 0; p < view.items.size(); ++p) view.items[p] = false;
                for (int p : op.picks)
                    if (p >= 0 && p < static_cast<int>(view.items.size())) view.items[p] = true;
                break;
            case OpKind::Sync:
                out.push_back(m.syncSelectionFromView(l));
                break;
            case OpKind::Push:
                out.push_back(m.pushSelectionToView(l));
                break;
            case OpKind::Move:
                if (op.value) out.push_back(m.syncSelectionFromView(l));
                out.push_back(m.moveSelectedTo(l, o));
                break;
            case OpKind::Delete:
                if (op.value) out.push_back(m.syncSelectionFromView(l));
                out.push_back(m.deleteSelected(l));
                break;
            case OpKind::Remove: {
                int r = m.removeAt(l, op.value);
                if (r == 1) view.items.erase(view.items.begin() + op.value);
                out.push_back(r);
                break;
            }
            case OpKind::Clear:
                out.push_back(m.clear(l));
                view.items.clear();
                break;
            case OpKind::Link:
                out.push_back(m.linkFilter(l, o));
                break;
            case OpKind::Unlink:
                out.push_back(m.unlinkFilter(l, o));
                break;
            case OpKind::SelectMarked:
                out.push_back(m.selectMarked(l));
                break;
            case OpKind::MarkSelected:
                out.push_back(m.markSelected(l));
                break;
            case OpKind::SetAllMarks:
                m.setAllMarks(l, op.value == 1);
                break;
            case OpKind::SetTop:
                view.top = ModelledView::clampTop(op.value, static_cast<int>(view.items.size()));
                break;
            case OpKind::JumpToMark:
                out.push_back(m.scrollToMark(l, op.value == 1));
                break;
            case OpKind::ColumnClick:
                m.syncSelectionFromView(l);
                out.push_back(m.sort(l, op.value));
                m.pushSelectionToView(l);
                break;
            case OpKind::Sort:
                out.push_back(m.sort(l, op.value));
                break;
            case OpKind::Resort:
                m.lists[l].sortDescending = 1 - m.lists[l].sortDescending;
                out.push_back(m.sort(l, m.lists[l].sortColumn));
                break;
            case OpKind::FindHash:
                out.push_back(m.findHash(l, op.hash));
                out.push_back(m.hashInFilters(l, op.hash));
                out.push_back(m.usesFilter(l, o));
                break;
            case OpKind::MarkHash:
                out.push_back(m.markHash(l, op.hash));
                break;
            case OpKind::Renew: {
                // Every link to and from the list is cut; the new list has no rows and uses every ignore
                // list.
                for (int x = 0; x < kLists; ++x) {
                    m.unlinkFilter(l, x);
                    m.unlinkFilter(x, l);
                }
                m.lists[l] = model::List();
                for (int x = 0; x < kLists; ++x)
                    if (x != l && m.lists[x].kind == ListKind::Ignore) m.linkFilter(l, x);
                break;
            }
        }
    }

    // The state of every list, as lines; the program's adds the page invariants when one is broken.
    static std::string rowLine(int p, int purgeMark, int selected, const std::string& mark,
                               const std::vector<std::string>& fields,
                               const std::vector<std::string>& extras) {
        std::string out = "  row " + std::to_string(p) + ": purge " + std::to_string(purgeMark) +
                          " selected " + std::to_string(selected) + " mark " + shown(mark);
        for (const std::string& f : fields) out += " | " + shown(f);
        out += " | extras " + std::to_string(extras.size());
        for (const std::string& x : extras) out += " " + shown(x);
        return out;
    }
    static std::string viewLine(const std::vector<bool>& items, int top) {
        std::string out = "  view: " + std::to_string(items.size()) + " items, top " +
                          std::to_string(ModelledView::clampTop(top, static_cast<int>(items.size()))) +
                          ", selected {";
        bool first = true;
        for (std::size_t p = 0; p < items.size(); ++p)
            if (items[p]) {
                out += (first ? "" : ",") + std::to_string(p);
                first = false;
            }
        return out + "}";
    }
    static std::string indices(const std::vector<int>& v) {
        std::string out = "[";
        for (std::size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + std::string(kListNames[v[i]]);
        return out + "]";
    }
    int indexOf(const EntryList* l) const {
        for (int i = 0; i < kLists; ++i)
            if (lists_[i].get() == l) return i;
        return -1;
    }

    std::vector<std::string> programLines(int l) const {
        const EntryList& list = *lists_[l];
        std::vector<std::string> out;
        std::vector<int> filters, dependents;
        for (const EntryList* f : list.filterLists()) filters.push_back(indexOf(f));
        for (const EntryList* d : list.dependentLists()) dependents.push_back(indexOf(d));
        out.push_back(std::string("list ") + kListNames[l] + ": kind " +
                      std::to_string(static_cast<int>(list.kind())) + " count " +
                      std::to_string(list.count()) + " sort " + std::to_string(list.sortColumn()) + "/" +
                      std::to_string(list.sortDescending()) + " selectedCount " +
                      std::to_string(list.selectedCount()) + " modified " + std::to_string(list.modified()) +
                      " purgePending " + std::to_string(list.purgePending()) + " filters " +
                      indices(filters) + " dependents " + indices(dependents));
        for (int p = 0; p < list.count(); ++p) {
            const Entry& e = *list.entryAt(p);
            out.push_back(rowLine(p, e.purgeMark, e.selected, e.mark(),
                                  {e.name().str(), e.trip(), e.size(), e.status(), e.refAmount(),
                                   e.updateTime(), e.ver(), e.hash()},
                                  e.extraColumns()));
        }
        out.push_back(viewLine(views_[l]->items, views_[l]->top));
        if (views_[l]->faults)
            out.push_back("  the list asked its view " + std::to_string(views_[l]->faults) +
                          " times to insert or delete an item that cannot be");
        std::string broken = pageFault(list);
        if (!broken.empty()) out.push_back("  pages: " + broken);
        return out;
    }

    // What is wrong with the pages of the two orders, or nothing.
    static std::string pageFault(const EntryList& list) {
        std::vector<const Entry*> byDisplay, byHash;
        for (const PageArray* pa : {&list.displayPages(), &list.hashPages()}) {
            int sum = 0;
            for (int i = 0; i < pa->pageCount(); ++i) {
                if (pa->pageSize(i) < 1 || pa->pageSize(i) > PageArray::kPageSize)
                    return "a page holds " + std::to_string(pa->pageSize(i)) + " rows";
                sum += pa->pageSize(i);
            }
            if (sum != list.count()) return "the page counts add up to " + std::to_string(sum);
            if (pa->size() != list.count()) return "an order holds " + std::to_string(pa->size()) + " rows";
        }
        for (int p = 0; p < list.count(); ++p) {
            byDisplay.push_back(list.displayPages().at(p));
            byHash.push_back(list.hashPages().at(p));
            if (p > 0 &&
                localeCompare(list.hashPages().at(p - 1)->hash(), list.hashPages().at(p)->hash()) >= 0)
                return "the hash order does not ascend at " + std::to_string(p);
        }
        std::sort(byDisplay.begin(), byDisplay.end());
        std::sort(byHash.begin(), byHash.end());
        if (byDisplay != byHash) return "the two orders hold different rows";
        return "";
    }

    std::vector<std::string> modelLines(int l) const {
        const model::List& list = model_.lists[l];
        std::vector<std::string> out;
        out.push_back(std::string("list ") + kListNames[l] + ": kind " +
                      std::to_string(static_cast<int>(list.kind)) + " count " +
                      std::to_string(list.rows.size()) + " sort " + std::to_string(list.sortColumn) + "/" +
                      std::to_string(list.sortDescending) + " selectedCount " +
                      std::to_string(list.selectedCount) + " modified " + std::to_string(list.modified) +
                      " purgePending " + std::to_string(list.purgePending) + " filters " +
                      indices(list.filterLists) + " dependents " + indices(list.dependentLists));
        for (std::size_t p = 0; p < list.rows.size(); ++p) {
            const model::Row& r = list.rows[p];
            out.push_back(
                rowLine(static_cast<int>(p), r.purgeMark, r.selected, r.mark,
                        {r.name, r.trip, r.size, r.status, r.refAmount, r.updateTime, r.ver, r.hash},
                        r.extraColumns));
        }
        out.push_back(viewLine(list.view.items, list.view.top));
        return out;
    }

    // Whether a list of the program is the model's, read directly (the lines below are made only to show a
    // difference).
    bool same(int l) const {
        const EntryList& list = *lists_[l];
        const model::List& m = model_.lists[l];
        if (list.count() != static_cast<int>(m.rows.size()) || list.sortColumn() != m.sortColumn ||
            list.sortDescending() != m.sortDescending || list.selectedCount() != m.selectedCount ||
            list.modified() != (m.modified != 0) || list.purgePending() != (m.purgePending != 0) ||
            list.filterLists().size() != m.filterLists.size() ||
            list.dependentLists().size() != m.dependentLists.size())
            return false;
        for (std::size_t i = 0; i < m.filterLists.size(); ++i)
            if (indexOf(list.filterLists()[i]) != m.filterLists[i]) return false;
        for (std::size_t i = 0; i < m.dependentLists.size(); ++i)
            if (indexOf(list.dependentLists()[i]) != m.dependentLists[i]) return false;
        for (int p = 0; p < list.count(); ++p) {
            const Entry& e = *list.entryAt(p);
            const model::Row& r = m.rows[static_cast<std::size_t>(p)];
            if (e.purgeMark != r.purgeMark || e.selected != r.selected || r.mark != e.mark() ||
                e.name() != r.name || r.trip != e.trip() || r.size != e.size() || r.status != e.status() ||
                r.refAmount != e.refAmount() || r.updateTime != e.updateTime() || r.ver != e.ver() ||
                r.hash != e.hash() || e.extraCount() != static_cast<int>(r.extraColumns.size()))
                return false;
            for (int i = 0; i < e.extraCount(); ++i)
                if (r.extraColumns[static_cast<std::size_t>(i)] != e.extra(i)) return false;
        }
        const ModelledView& view = *views_[l];
        if (view.items != m.view.items || view.faults != 0 || view.topRow() != m.view.firstRow())
            return false;
        return pageFault(list).empty();
    }

    std::string compare() const {
        for (int l = 0; l < kLists; ++l) {
            if (same(l)) continue;
            std::vector<std::string> got = programLines(l), want = modelLines(l);
            for (std::size_t i = 0; i < got.size() || i < want.size(); ++i) {
                const std::string g = i < got.size() ? got[i] : "(nothing)";
                const std::string w = i < want.size() ? want[i] : "(nothing)";
                if (g != w) {
                    // The list's line, for the context of a row's difference.
                    std::string head = i > 0 ? "in " + got[0] + "\n      " : "";
                    return head + "program: " + g + "\n      model:   " + w;
                }
            }
            return std::string("list ") + kListNames[l] + " differs";
        }
        return "";
    }

    test::FixedClock clock_;
    test::ScopedClock scope_;
    std::vector<std::unique_ptr<ModelledView>> views_;
    std::vector<std::unique_ptr<EntryList>> lists_;
    model::Store model_;
};

// ---------------------------------------------------------------------------------------------------------------
// Sequences, their replay and their shrinking

struct Sequence {
    uint32_t seed;
    int month;
    std::vector<Op> ops;
};

// The month of a sequence and its operations, made as they run on both (positions are drawn from the lists'
// counts); stops after the first operation that makes a difference, and says so.
Sequence generate(uint32_t seed, int steps, bool* differed) {
    Rng r(seed);
    Sequence s{seed, 1 + static_cast<int>(r.below(12)), {}};
    // Some sequences grow a list past one page once (the rest of such a sequence takes longer to compare).
    const int growAt = r.chance(3) ? static_cast<int>(r.below(static_cast<uint32_t>(steps / 2 + 1))) : -1;
    Pair pair(s.month);
    *differed = false;
    for (int i = 0; i < steps && !*differed; ++i) {
        s.ops.push_back(i == growAt ? growOp(r) : randomOp(r, pair.counts()));
        *differed = !pair.apply(s.ops.back()).empty();
    }
    return s;
}

// Runs the operations from the start; the index of the first one after which the two differ (-1: none) and
// the difference.
int replay(int month, const std::vector<Op>& ops, std::string* difference) {
    Pair pair(month);
    for (std::size_t i = 0; i < ops.size(); ++i) {
        std::string d = pair.apply(ops[i]);
        if (!d.empty()) {
            if (difference) *difference = d;
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Delta debugging (ddmin): the smallest sequence found whose replay still differs.
std::vector<Op> shrink(int month, std::vector<Op> ops) {
    auto fails = [&](const std::vector<Op>& candidate) { return replay(month, candidate, nullptr) >= 0; };
    int last = replay(month, ops, nullptr);
    ops.resize(static_cast<std::size_t>(last) + 1);
    std::size_t chunks = 2;
    while (ops.size() >= 2) {
        const std::size_t size = ops.size();
        chunks = std::min(chunks, size);
        bool reduced = false;
        for (std::size_t c = 0; c < chunks && !reduced; ++c) {
            const std::size_t from = c * size / chunks, to = (c + 1) * size / chunks;
            std::vector<Op> rest(ops.begin(), ops.begin() + static_cast<long>(from));
            rest.insert(rest.end(), ops.begin() + static_cast<long>(to), ops.end());
            if (fails(rest)) {
                int at = replay(month, rest, nullptr);
                rest.resize(static_cast<std::size_t>(at) + 1);
                ops = rest;
                chunks = std::max<std::size_t>(chunks - 1, 2);
                reduced = true;
            }
        }
        if (!reduced) {
            if (chunks >= size) break;
            chunks = std::min(size, chunks * 2);
        }
    }
    // Simpler steps: a batch cut to the rows it needs, a selection to the items it needs.
    for (Op& op : ops) {
        auto cutDown = [&](auto& items, std::size_t keep) {
            for (std::size_t i = 0; i < items.size() && items.size() > keep;) {
                Op saved = op;
                items.erase(items.begin() + static_cast<long>(i));
                if (!fails(ops)) {
                    op = saved;
                    ++i;
                }
            }
        };
        if (op.kind == OpKind::Batch) cutDown(op.rows, 1);
        if (op.kind == OpKind::Select) cutDown(op.picks, 0);
    }
    return ops;
}

std::string reproduction(const Sequence& s) {
    std::vector<Op> small = shrink(s.month, s.ops);
    std::string difference;
    int at = replay(s.month, small, &difference);
    std::ostringstream out;
    out << "seed " << s.seed << " (TWK_MODEL_SEED=" << s.seed << "), current month " << s.month << ": "
        << s.ops.size() << " operations, shrunk to " << small.size() << ":\n";
    out << "  lists I (ignore), A, B (normal) and S (BBS, sorted by column 6); A, B and S use I as a filter "
           "list\n";
    for (std::size_t i = 0; i < small.size(); ++i) out << "  " << i + 1 << ". " << describe(small[i]) << "\n";
    out << "  after step " << at + 1 << ":\n      " << difference << "\n";
    return out.str();
}

long environmentNumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

// Runs sequences; reports each one that differs (at most a few) and returns how many did.
int runSequences(uint32_t first, long count, double seconds, int steps, long reports, long* ran) {
    const auto start = std::chrono::steady_clock::now();
    int differing = 0;
    *ran = 0;
    for (uint32_t seed = first;; ++seed) {
        if (seconds > 0) {
            std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
            if (spent.count() >= seconds) break;
        } else if (*ran >= count) {
            break;
        }
        ++*ran;
        bool differed = false;
        Sequence s = generate(seed, steps, &differed);
        if (!differed) continue;
        ++differing;
        ADD_FAILURE() << "The program and the model differ.\n" << reproduction(s);
        if (differing >= reports) break;
    }
    return differing;
}

// The oracle itself against the edge cases of rows, lists and sorting, so that a difference found by the
// sequences is the program's.

}  // namespace
}  // namespace twk
