// "ConditionList.txt": the move-and-ignore conditions, one a line, and the routing of collected records by
// them.
#pragma once

#include <string>

#include "core/entry.h"
#include "formats/file_io.h"
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

// Replaces the conditions by those of the file. The file is read whole first; then `view` (the condition list
// view, optional) is emptied and gets one item per condition loaded. Lines of fewer than 3 fields and lines
// whose condition text is wrong are skipped. Destinations are resolved against the tabs. Returns the number
// of conditions, or -1 when the file cannot be read: the conditions and the view are then left as they were,
// and `status` (when given) says why.
int loadConditionFile(ConditionList& conditions, const std::string& path, const ListTabs& tabs,
                      ListViewOps* view = nullptr, FileReadStatus* status = nullptr);

// Adds the conditions of the text's lines (as loadConditionFile does, without emptying anything first or
// resolving destinations). Returns the number added.
int addConditionLines(ConditionList& conditions, TextBuffer& text, ListViewOps* view = nullptr);

// The file's text for the conditions: one line each, ended by CR LF.
std::string conditionFileText(const ConditionList& conditions);

// Writes every condition as its line (use, text, destination, flag), replacing the file only once the new
// text is completely written. Returns the number written, or -1 when the file could not be written.
int saveConditionFile(const ConditionList& conditions, const std::string& path);

// The conditions file of the program's folder, read at the start and by 開き直す, written by 上書き保存 and
// at the end. A file that is there but could not be read at the start holds conditions this run never saw:
// the end does not replace them with this run's, until the file has been read or saved on the user's command.
class ConditionFile {
  public:
    explicit ConditionFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    // loadConditionFile on the file.
    int load(ConditionList& conditions, const ListTabs& tabs, ListViewOps* view = nullptr);
    // saveConditionFile on the file.
    int save(const ConditionList& conditions);
    // The save at the end: as save, or 0 without writing while the file's conditions are unknown.
    int saveAtEnd(const ConditionList& conditions);
    // Whether the conditions held are those of the file as far as the program knows (the file was read,
    // saved, or found missing).
    bool known() const { return known_; }

  private:
    std::string path_;
    bool known_ = false;
};

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
