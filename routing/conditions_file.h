// "ConditionList.txt": the move-and-ignore conditions, one a line, and the routing of collected records by
// them.
#pragma once

#include <string>

#include "core/entry.h"
#include "host/host_link.h"

namespace twk {

class ConditionList;
class EntryList;
class ListTabs;
class ListViewOps;
class TextBuffer;

extern const char* const kConditionFileName;  // "ConditionList.txt"

// Reads a number as the conditions file stores it: optional spaces and sign, then "0x" and hex digits or
// decimal digits, up to the first other character. No digits read as 0; values beyond the 32-bit range are
// held at its ends.
long parseFileInteger(const char* text);

// Replaces the conditions by those of the file. `view` (the condition list view, optional) is emptied first
// and gets one item per condition loaded. Lines of fewer than 3 fields and lines whose condition text is
// wrong are skipped. Destinations are resolved against the tabs. Returns the number of conditions, or -1 when
// the file cannot be read (the list is then empty).
int loadConditionFile(ConditionList& conditions, const std::string& path, const ListTabs& tabs,
                      ListViewOps* view = nullptr);

// Adds the conditions of the text's lines (as loadConditionFile does, without emptying anything first or
// resolving destinations). Returns the number added.
int addConditionLines(ConditionList& conditions, TextBuffer& text, ListViewOps* view = nullptr);

// The file's text for the conditions: one line each, ended by CR LF.
std::string conditionFileText(const ConditionList& conditions);

// Writes every condition as its line (use, text, destination, flag), replacing the file only once the new
// text is completely written. Returns the number written, or -1 when the file could not be written.
int saveConditionFile(const ConditionList& conditions, const std::string& path);

// Binds every condition that names a destination to the leftmost tab holding a list with exactly that title
// (state 0), or unbinds it (state 1 with ignoreIfAbsent, else 2). Conditions without a destination stay
// state 1.
void resolveDestinations(ConditionList& conditions, const ListTabs& tabs);

// What became of a collected record.
enum class RouteAction {
    Kept,     // no condition matched: offered to the collecting list
    Moved,    // a move condition matched: offered to its destination list
    Dropped,  // an ignore condition matched
};

// Offers one collected record to the collecting list, unless a usable condition matches it first: then the
// record goes to that condition's destination (addRawRecord, same mode) or is dropped. Records collected into
// the BBS list are never routed. Returns 1 when the collecting list gained a row, else 0.
int routeCollectedRecord(const ConditionList& conditions, const RawRecord& record, EntryList& collecting,
                         int mode, RouteAction* action = nullptr);
// The routing part alone: true when a condition took the record away (to its destination, or dropped);
// false when the collecting list should receive it.
bool routeRecordAway(const ConditionList& conditions, const RawRecord& record, EntryList& collecting,
                     int mode, RouteAction* action = nullptr);

// The conditions as the host reader's router: the reader offers each collected record here first.
class ConditionRouter final : public RecordRouter {
  public:
    explicit ConditionRouter(const ConditionList& conditions) : conditions_(conditions) {}
    bool routeAway(const RawRecord& record, EntryList& collecting, int mode) override;

  private:
    const ConditionList& conditions_;
};

}  // namespace twk
