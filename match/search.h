// The search of a list page: marks the rows that match a keyword condition or a regular expression.
#pragma once

#include "core/entry.h"

namespace twk {

class EntryList;

// The field a regular expression is matched against (keyword conditions choose their own fields).
enum class SearchField { Name, Trip, Hash };

// Longest search text read from the search box, in bytes.
constexpr int kSearchTextMax = 259;

extern const char* const kMsgSearchHits;       // "%d件の情報が検索されました"
extern const char* const kMsgSearchTextWrong;  // "検索文字列の指定に誤りがあります"

// Marks every row that matches `text` with "○" and clears the mark of every other row; returns the number of
// marked rows, or -1 (all marks left as they were) when the text is wrong. An empty list gives 0 without
// looking at the text. A list sorted by the mark column is sorted again in the same direction when rows were
// marked. Throws std::bad_alloc when memory runs out, with every mark and the order as they were.
int searchList(EntryList& list, SearchField field, const char* text, bool useRegex);

// What the search command reports back to its page.
struct SearchOutcome {
    int result;     // marked rows, or -1 for a wrong text
    bool remember;  // whether the text goes to the top of the page's search history
};

// The search command of a list page, given the search box text, the "RegExp" option and the kind of the
// page's list (the BBS page recognises only the "%" prefix). Reads at most kSearchTextMax bytes of the text;
// keeps the view's selection across a re-sort by the mark column, invalidates the view once and reports the
// counts and the result line. The caller adds the text to its history when `remember` is set. When memory
// runs out the list is as it was and the memory message is the only report.
SearchOutcome runSearchCommand(EntryList& list, const char* text, bool useRegex, ListKind pageKind);

}  // namespace twk
