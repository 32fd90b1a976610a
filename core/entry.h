// One row of a list: a file or a BBS thread as the host listed it. Every value is kept as the text shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/row_name.h"

namespace twk {

// Logical column index: every view and comparison numbers columns this way.
enum Column : int {
    kColMark = 0,
    kColName = 1,
    kColTrip = 2,
    kColSize = 3,
    kColStatus = 4,
    kColRefAmount = 5,
    kColUpdateTime = 6,
    kColVer = 7,
    kColHash = 8,
    kColFirstUser = 9,  // 9 + i: user column i
};

enum class ListKind : int { Normal = 0, Ignore = 1, Bbs = 2 };

// Field capacities (one more than the longest value kept).
constexpr int kMarkCap = 4;
constexpr int kTripCap = 12;
constexpr int kSizeCap = 16;
constexpr int kStatusCap = 20;
constexpr int kRefAmountCap = 16;
constexpr int kUpdateTimeCap = 16;
constexpr int kVerCap = 4;
constexpr int kHashCap = 36;
constexpr int kRawNameCap = 260;

// The search mark "○".
extern const char* const kMarkText;

struct Entry {
    int32_t purgeMark = 0;
    int32_t selected = 0;
    char mark[kMarkCap] = {};
    RowName name;
    char trip[kTripCap] = {};
    char size[kSizeCap] = {};
    char status[kStatusCap] = {};
    char refAmount[kRefAmountCap] = {};
    char updateTime[kUpdateTimeCap] = {};
    char ver[kVerCap] = {};
    char hash[kHashCap] = {};
    std::vector<std::string> extraColumns;

    bool isMarked() const { return mark[0] != 0; }
    // The memory the row holds: its fields, its name and its extra columns.
    std::size_t heldBytes() const;

    // Rows come from pools of their own (see entry_pool.h). A row may be made with room for its name after
    // it: `new (NameRoom{bytes}) Entry`, the room then given to the name (see makeEntry).
    struct NameRoom {
        std::size_t bytes;
    };
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, NameRoom room);
    static void operator delete(void* row, std::size_t size) noexcept;
    static void operator delete(void* row, NameRoom room) noexcept;
    // The text of a logical column; nullptr for a user column this row has no value for.
    const char* column(int logical) const;
};

// The eight fields read for one host row, in one buffer of 380 bytes. The last byte of every field is 0.
struct RawRecord {
    char name[kRawNameCap];
    char trip[kTripCap];
    char size[kSizeCap];
    char status[kStatusCap];
    char refAmount[kRefAmountCap];
    char updateTime[kUpdateTimeCap];
    char ver[kVerCap];
    char hash[kHashCap];

    // The field of a raw-record index 0..7 (name .. hash) and its capacity.
    char* field(int index);
    const char* field(int index) const;
    static int capacity(int index);
    static int offsetOf(int index);
};
static_assert(sizeof(RawRecord) == 380, "the raw record is one buffer of 380 bytes");

using EntryPtr = std::unique_ptr<Entry>;

// Makes a row from n >= 8 texts (name, trip, size, status, refAmount, updateTime, ver, hash, extra
// columns...): the name and extra columns whole, the other fields cut to their capacity. Throws
// std::bad_alloc when memory runs out (also when a test injected the failure).
EntryPtr makeEntry(const char* const* texts, int n);
// The same with the texts' lengths known (lengths[i] is strlen(texts[i])).
EntryPtr makeEntry(const char* const* texts, const std::size_t* lengths, int n);
EntryPtr makeEntry(const RawRecord& raw);

// Converts between a list view's column and the logical column: the BBS view has no trip column, so its view
// column k >= 2 is logical column k + 1.
int logicalColumnFromView(ListKind kind, int viewColumn);
int viewColumnFromLogical(ListKind kind, int logical);  // -1 for the BBS list's trip

// Column titles of the file lists and of the BBS list (logical columns 0..8); nullptr where the BBS list has
// no column.
const char* columnTitle(ListKind kind, int logical);

// Test hook: make the next allocations of rows fail. failAfter = k lets k more rows be made first; -1
// disables.
void injectEntryAllocationFailure(int failAfter);

}  // namespace twk
