#include "formats/list_file.h"

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/progress.h"
#include "core/report.h"
#include "formats/read_ahead.h"
#include "formats/serialize.h"
#include "formats/text_buffer.h"

namespace twk {

namespace {
// Fields of the current line form: the eight fields of a row, the version being the seventh.
constexpr int kRowFields = 8;
constexpr int kOlderFormFields = 7;
constexpr int kVerField = 6;
}  // namespace

int splitFields(char* line, char** fields, int maxFields) {
    int n = 1;
    fields[0] = line;
    for (char* p = line; *p && n < maxFields; ++p) {
        if (*p == '\t') {
            *p = 0;
            fields[n++] = p + 1;
        }
    }
    return n;
}

namespace {

// The rows added, or -1 when memory ran out (the list is then as it was, and the message was shown).
template <class Lines>
int addLines(EntryList& list, Lines& text, const ListLineRules& rules) {
    char* fields[kListFileFields + 1];
    const int maxFields = rules.maxFields > kListFileFields ? kListFileFields : rules.maxFields;
    static char empty[1] = {0};
    AppendBatch batch(list, rules.mode);
    // Lines of a list are rarely shorter than this: room for them all at once, so they never move.
    constexpr std::size_t kShortLine = 64;
    batch.reserve(text.size() / kShortLine + 1);
    std::size_t lengths[kListFileFields + 1];
    // How far the text has been read, every so many lines.
    constexpr unsigned kLinesPerReport = 4096;
    unsigned lines = 0;
    for (int n; (n = text.nextFields(fields, maxFields, lengths)) >= 0;) {
        if (++lines % kLinesPerReport == 0) reportProgress(text.position(), text.size());
        if (n == 0) continue;
        if (n == kOlderFormFields && rules.acceptOlderForm) {
            fields[kRowFields - 1] = fields[kVerField];
            lengths[kRowFields - 1] = lengths[kVerField];
            fields[kVerField] = empty;
            lengths[kVerField] = 0;
            n = kRowFields;
        }
        if (n < kRowFields) continue;
        batch.add(n, fields, lengths);
    }
    // A text read in windows that could not be read to its end adds nothing.
    if (text.readStatus() != FileReadStatus::Ok) {
        batch.abandon();
        return 0;
    }
    const int added = batch.finish();
    return batch.failed() ? -1 : added;
}

// Adds the lines of a file that opened: the rest of loadListFile.
template <class Lines>
ListFileLoad addFileLines(EntryList& list, Lines& text, const std::string& path, bool hadRows) {
    ListFileLoad result;
    result.status = FileReadStatus::Ok;
    std::string newPath = path;  // made before the rows: nothing after them may fail
    {
        BulkUpdate bulk(list.view());
        result.added = addLines(list, text, kListFileRules);
    }
    if (result.added < 0) {
        result.status = FileReadStatus::NoMemory;
        result.reported = true;
        result.added = 0;
        return result;
    }
    if (text.readStatus() != FileReadStatus::Ok) {
        result.status = text.readStatus();
        result.added = 0;
        return result;
    }
    list.setPath(std::move(newPath));
    list.setModified(hadRows);
    if (result.added > 0) list.purgeDependents();
    return result;
}

// A file that could not be read for want of memory says so with the memory message, as rows that could not
// be made do.
ListFileLoad reportNoMemory(ListFileLoad result) {
    if (result.status == FileReadStatus::NoMemory && !result.reported) {
        reportAllocationFailure(MemoryPlace::OpenFile);
        result.reported = true;
    }
    return result;
}

}  // namespace

int addListLines(EntryList& list, TextBuffer& text, const ListLineRules& rules) {
    const int added = addLines(list, text, rules);
    return added < 0 ? 0 : added;
}

ListFileLoad loadListFile(EntryList& list, const std::string& path) {
    ListFileLoad result;
    if (list.count() > 0) {
        // Rows added to rows already there show at once, so the file is read whole before the first one.
        TextBuffer text;
        result.status = text.loadFile(path);
        return reportNoMemory(result.ok() ? addFileLines(list, text, path, true) : result);
    }
    // Into an empty list the rows wait aside until the whole file is read, so the file can be read a window
    // at a time (and split into lines on a second thread): a failed read then leaves the list as it was.
    ReadAheadLines lines;
    result.status = lines.open(path, kListFileRules.maxFields);
    return reportNoMemory(result.ok() ? addFileLines(list, lines, path, false) : result);
}

int readListFile(EntryList& list, const std::string& path) {
    return loadListFile(list, path).added;
}

ListFileLoad replaceWithListFile(EntryList& list, const std::string& path,
                                 const std::function<void()>& emptied) {
    ListFileLoad result;
    TextBuffer text;
    result.status = text.loadFile(path);
    if (!result.ok()) return reportNoMemory(result);
    // The file's rows are made in a list of their own first, refused by the same filter lists: when memory
    // runs out for them, the list still has its rows.
    EntryList fresh(list.kind());
    for (EntryList* filter : list.filterLists()) fresh.linkFilter(filter);
    fresh.setSortState(list.sortColumn(), list.sortDescending());
    std::string newPath = path;
    result = addFileLines(fresh, text, path, false);
    if (!result.ok()) return reportNoMemory(result);
    list.clear();
    if (emptied) emptied();
    list.takeRows(fresh);
    list.setPath(std::move(newPath));
    list.setModified(false);
    if (result.added > 0) list.purgeDependents();
    return result;
}

}  // namespace twk

namespace twk {

int saveListFile(const EntryList& list, const std::string& path) {
    SerializedRows rows = serializeRows(list, ListForm);
    if (rows.noMemory) return -1;
    if (!replaceFileContents(path, rows.block.get(), rows.length)) return -1;
    return rows.lines;
}

}  // namespace twk
