#include "match/search.h"

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/report.h"
#include "core/text.h"
#include "match/condition.h"
#include "match/regex.h"
#include "match/regex_scan.h"

namespace twk {

const char* const kMsgSearchHits = "%d件の情報が検索されました";
const char* const kMsgSearchTextWrong = "検索文字列の指定に誤りがあります";

namespace {

const char* regexField(const Entry& e, SearchField field) {
    switch (field) {
        case SearchField::Trip:
            return e.trip();
        case SearchField::Hash:
            return e.hash();
        case SearchField::Name:
            break;
    }
    return e.nameText();
}

// Calls f(entry) for every row in display order.
template <class F>
void forEachRow(const EntryList& list, F&& f) {
    const PageArray& pages = list.displayPages();
    for (int page = 0; page < pages.pageCount(); ++page) {
        int n = pages.pageSize(page);
        for (int slot = 0; slot < n; ++slot) f(*pages.get(PageArray::Slot{page, slot}));
    }
}

// Marks the rows as step decides and clears the others, in one pass: a row is a block of its own, and a
// second pass would fetch every row from memory again. step(&row, mark) is called for each row in order and
// step(nullptr, mark) once at the end; it calls mark(row, on) once for every row, then or later. Returns the
// number marked. When step throws, the marks of the rows passed are given back from `before` (a bit per row,
// had beforehand: as bits, a million rows take 125 KB, which the allocator hands out again without asking
// the system for fresh pages).
template <class Step>
int markRows(EntryList& list, std::vector<uint64_t>& before, Step&& step) {
    int marked = 0;
    std::size_t row = 0;
    auto mark = [&marked](Entry& e, bool on) {
        // A row whose mark stays is not written: its memory need not be written back.
        if (on != e.isMarked()) e.setMarked(on);
        marked += on ? 1 : 0;
    };
    try {
        forEachRow(list, [&](Entry& e) {
            if (e.isMarked()) before[row >> 6] |= uint64_t(1) << (row & 63);
            ++row;
            step(&e, mark);
        });
        step(nullptr, mark);
    } catch (...) {
        std::size_t back = 0;
        forEachRow(list, [&](Entry& e) {
            if (back < row) e.setMarked((before[back >> 6] >> (back & 63)) & 1);
            ++back;
        });
        list.marksWritten();
        throw;
    }
    list.marksWritten();
    return marked;
}

}  // namespace

int searchList(EntryList& list, SearchField field, const char* text, bool useRegex) {
    if (list.count() == 0) return 0;
    if (text == nullptr) return -1;
    // The room to give the marks back and for the sort by the mark is had before the first mark changes: a
    // search that runs out of memory leaves every mark and the order as they were.
    const auto rows = static_cast<std::size_t>(list.count());
    std::vector<uint64_t> before((rows + 63) / 64, 0);
    std::vector<RowRef> sortRoom;
    const bool byMark = list.sortColumn() == kColMark;
    if (byMark) sortRoom.reserve(rows);
    int marked = 0;
    if (useRegex) {
        RegexError error = RegexError::None;
        std::unique_ptr<Regex> re = compileRegex(text, &error);
        if (error == RegexError::OutOfMemory) throw std::bad_alloc();
        if (!re) return -1;
        // Every pattern that compiles is answered: the scanner's work is linear in the bytes of the rows.
        RegexScanner scanner(*re);
        // Rows are read two at a time: see RegexScanner::matchesTwo.
        Entry* waiting = nullptr;
        marked = markRows(list, before, [&](Entry* e, auto& mark) {
            if (e != nullptr && waiting == nullptr) {
                waiting = e;
            } else if (e != nullptr) {
                bool first = false, second = false;
                scanner.matchesTwo(regexField(*waiting, field), regexField(*e, field), &first, &second);
                mark(*waiting, first);
                mark(*e, second);
                waiting = nullptr;
            } else if (waiting != nullptr) {
                mark(*waiting, scanner.matches(regexField(*waiting, field)));
            }
        });
    } else {
        ConditionTerms terms;
        if (!parseConditionText(text, terms)) return -1;
        const TermMatcher matcher(terms);
        marked = markRows(list, before, [&](Entry* e, auto& mark) {
            if (e != nullptr) mark(*e, matcher.matches(*e));
        });
    }
    if (byMark && marked > 0) {
        // sort() flips the direction of the column the list is already sorted by: flip it first so that the
        // direction stays as it was.
        list.setSortState(kColMark, 1 - list.sortDescending());
        list.sort(kColMark, sortRoom);
    }
    return marked;
}

SearchOutcome runSearchCommand(EntryList& list, const char* text, bool useRegex, ListKind pageKind) {
    char buf[kSearchTextMax + 1];
    copyCut(buf, sizeof buf, text ? text : "");
    if (buf[0] == 0) {
        list.setAllMarks(false);
        showMessage(kMsgSearchHits, 0);
        return {0, false};
    }
    SearchField field = SearchField::Name;
    const char* pattern = buf;
    if (useRegex && buf[1] != 0) {
        if (buf[0] == '%') {
            field = SearchField::Hash;
            pattern = buf + 1;
        } else if (buf[0] == '$' && pageKind != ListKind::Bbs) {
            field = SearchField::Trip;
            pattern = buf + 1;
        }
    }
    const bool byMark = list.sortColumn() == kColMark;
    if (byMark) list.syncSelectionFromView();
    int result = 0;
    if (!guardAllocation(MemoryPlace::Search, [&] { result = searchList(list, field, pattern, useRegex); }))
        return {-1, false};
    if (byMark) list.pushSelectionToView();
    if (ListViewOps* view = list.view()) view->invalidate();
    showCounts(list.view());
    if (result == -1)
        showMessage("%s", kMsgSearchTextWrong);
    else
        showMessage(kMsgSearchHits, result);
    return {result, true};
}

}  // namespace twk
