#include "match/search.h"

#include <cstring>
#include <memory>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/report.h"
#include "core/text.h"
#include "match/condition_list.h"
#include "match/regex.h"

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

}  // namespace

int searchList(EntryList& list, SearchField field, const char* text, bool useRegex) {
    if (list.count() == 0) return 0;
    if (text == nullptr) return -1;
    int marked = 0;
    if (useRegex) {
        std::unique_ptr<Regex> re = compileRegex(text);
        if (!re) return -1;
        forEachRow(list, [&](Entry& e) {
            bool hit = matchRegex(*re, regexField(e, field)) > 0;
            e.setMarked(hit);
            marked += hit ? 1 : 0;
        });
        releaseRegex(re);
    } else {
        ConditionList conditions;
        if (conditions.add(text, "", false) < 0) return -1;
        forEachRow(list, [&](Entry& e) {
            bool hit = findMatchingCondition(conditions, e) != -1;
            e.setMarked(hit);
            marked += hit ? 1 : 0;
        });
    }
    if (list.sortColumn() == kColMark && marked > 0) {
        // sort() flips the direction of the column the list is already sorted by: flip it first so that the
        // direction stays as it was.
        list.setSortState(kColMark, 1 - list.sortDescending());
        list.sort(kColMark);
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
    int result = searchList(list, field, pattern, useRegex);
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
