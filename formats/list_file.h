// List text files: one row per line, fields separated by TAB, and the reader that adds such lines to a list.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "formats/file_io.h"

namespace twk {

class EntryList;
class TextBuffer;

// The most fields a line is split into: list files and pasted text.
constexpr int kListFileFields = 19;
constexpr int kPastedTextFields = 18;

// Splits a line in place: TABs become NULs and `fields` receives the start of each field. At most maxFields
// fields; later TABs stay inside the last one. A TAB at the very end gives a last, empty field. Returns the
// number of fields (at least 1).
int splitFields(char* line, char** fields, int maxFields);

// How the lines of a text become rows.
struct ListLineRules {
    int maxFields;         // kListFileFields or kPastedTextFields
    bool acceptOlderForm;  // a line of exactly 7 fields is a row without the version field
    int mode;              // addTexts mode: 1 sorted position, otherwise appended
};
constexpr ListLineRules kListFileRules{kListFileFields, true, 0};
inline ListLineRules pastedTextRules(int mode) {
    return ListLineRules{kPastedTextFields, false, mode};
}

// Adds every usable line of the text to the list (addTexts), however long the line; empty lines and lines of
// too few fields are skipped. Returns the number of rows added. Neither the list's path and modified flag nor
// its dependents are touched. When memory runs out the list is as it was (the memory message was shown) and 0
// is returned.
int addListLines(EntryList& list, TextBuffer& text, const ListLineRules& rules);

struct ListFileLoad {
    FileReadStatus status = FileReadStatus::NotFound;
    bool reported = false;  // memory ran out: the memory message has been shown
    int added = 0;
    bool ok() const { return status == FileReadStatus::Ok; }
};

// Appends the rows of a list file to the list. When the file cannot be loaded, or memory runs out for its
// rows (status NoMemory, the memory message shown and `reported` set), the list, its path and its modified
// flag are left untouched. Otherwise path := the file, modified := whether the list held rows before, and the
// lists that use this one as a filter drop the hashes just added.
ListFileLoad loadListFile(EntryList& list, const std::string& path);
// The same, returning the number of rows added (0 when the file could not be loaded).
int readListFile(EntryList& list, const std::string& path);
// Replaces the rows of the list with those of a list file. The file is read whole first; only when that
// worked are the old rows dropped (`emptied` runs then, for the view that shows them) and the file's rows
// added, so that a file that cannot be loaded leaves the list, its path and its modified flag as they were.
// After a load path := the file and modified := 0.
ListFileLoad replaceWithListFile(EntryList& list, const std::string& path,
                                 const std::function<void()>& emptied);

}  // namespace twk

namespace twk {

// Writes every row of the list in the list-file form to `path`. The old file is replaced only once the new
// text is completely written; an empty list gives an empty file. Returns the number of rows written, or -1
// when the file could not be written (the old one then stays as it was). The list itself is not changed.
int saveListFile(const EntryList& list, const std::string& path);

}  // namespace twk
