#include "routing/conditions_file.h"

#include <climits>
#include <string>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "formats/file_io.h"
#include "formats/list_file.h"
#include "formats/text_buffer.h"
#include "match/condition_list.h"
#include "routing/list_tabs.h"

namespace twk {

const char* const kConditionFileName = "ConditionList.txt";

namespace {
constexpr int kConditionFields = 4;
enum ConditionField { kFieldUse = 0, kFieldText = 1, kFieldDestination = 2, kFieldIgnoreIfAbsent = 3 };

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

long parseFileInteger(const char* text) {
    const char* p = text;
    while (*p == ' ') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    // Accumulate the magnitude, held just past the 32-bit range so that the sign can still be applied.
    const long long cap = static_cast<long long>(INT_MAX) + 1;
    long long value = 0;
    for (;; ++p) {
        int d = hexDigit(*p);
        if (d < 0 || d >= base) break;
        value = value * base + d;
        if (value > cap) value = cap;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<long>(value);
}

int addConditionLines(ConditionList& conditions, TextBuffer& text, ListViewOps* view) {
    // Lines are read whole: a condition saved with a long text and destination comes back as it was written.
    char* fields[kConditionFields];
    std::size_t length = 0;
    int added = 0;
    while (char* line = text.nextLine(&length)) {
        if (length == 0) continue;
        int n = splitFields(line, fields, kConditionFields);
        if (n < kConditionFields - 1) continue;
        bool ignoreIfAbsent = n == kConditionFields && parseFileInteger(fields[kFieldIgnoreIfAbsent]) != 0;
        int index = conditions.add(fields[kFieldText], fields[kFieldDestination], ignoreIfAbsent);
        if (index < 0) continue;
        conditions.at(index).used = parseFileInteger(fields[kFieldUse]) != 0;
        if (view) view->insertItem(index);
        ++added;
    }
    return added;
}

int loadConditionFile(ConditionList& conditions, const std::string& path, const ListTabs& tabs,
                      ListViewOps* view, FileReadStatus* status) {
    TextBuffer text;
    const FileReadStatus read = text.loadFile(path);
    if (status) *status = read;
    // A file that cannot be read takes nothing away.
    if (read != FileReadStatus::Ok) return -1;
    if (view) view->deleteAllItems();
    conditions.clear();
    addConditionLines(conditions, text, view);
    text.release();
    resolveDestinations(conditions, tabs);
    return conditions.count();
}

std::string conditionFileText(const ConditionList& conditions) {
    std::string out;
    for (const Condition& c : conditions) {
        out += c.used ? '1' : '0';
        out += '\t';
        out += c.text;
        out += '\t';
        out += c.destinationName;
        out += '\t';
        out += c.ignoreIfAbsent ? '1' : '0';
        out += "\r\n";
    }
    return out;
}

int saveConditionFile(const ConditionList& conditions, const std::string& path) {
    const std::string out = conditionFileText(conditions);
    if (!replaceFileContents(path, out.data(), out.size())) return -1;
    return conditions.count();
}

int ConditionFile::load(ConditionList& conditions, const ListTabs& tabs, ListViewOps* view) {
    FileReadStatus status = FileReadStatus::Ok;
    const int loaded = loadConditionFile(conditions, path_, tabs, view, &status);
    if (loaded >= 0 || status == FileReadStatus::NotFound) known_ = true;
    return loaded;
}

int ConditionFile::save(const ConditionList& conditions) {
    const int written = saveConditionFile(conditions, path_);
    if (written >= 0) known_ = true;
    return written;
}

int ConditionFile::saveAtEnd(const ConditionList& conditions) {
    return known_ ? save(conditions) : 0;
}

void resolveDestinations(ConditionList& conditions, const ListTabs& tabs) {
    for (Condition& c : conditions) {
        EntryList* list = c.destinationName.empty() ? nullptr : findListByTitle(tabs, c.destinationName);
        if (list)
            c.bindDestination(list);
        else
            c.unbindDestination();
    }
}

bool routeRecordAway(const ConditionList& conditions, const RawRecord& record, EntryList& collecting,
                     int mode, RouteAction* action) {
    int k = collecting.kind() == ListKind::Bbs ? -1 : findMatchingCondition(conditions, record);
    if (k < 0 || k >= conditions.count()) {
        if (action) *action = RouteAction::Kept;
        return false;
    }
    const Condition& c = conditions.at(k);
    if (c.state == kConditionMove && c.destination) {
        if (action) *action = RouteAction::Moved;
        // A condition may name the collecting list itself: it receives the record as usual.
        if (c.destination == &collecting) return false;
        c.destination->addRawRecord(record, mode);
        return true;
    }
    if (action) *action = RouteAction::Dropped;
    return true;
}

int routeCollectedRecord(const ConditionList& conditions, const RawRecord& record, EntryList& collecting,
                         int mode, RouteAction* action) {
    if (routeRecordAway(conditions, record, collecting, mode, action)) return 0;
    return collecting.addRawRecord(record, mode) == 1 ? 1 : 0;
}

bool ConditionRouter::routeAway(const RawRecord& record, EntryList& collecting, int mode) {
    return routeRecordAway(conditions_, record, collecting, mode, nullptr);
}

}  // namespace twk
