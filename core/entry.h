// One row of a list: a file or a BBS thread as the host listed it. Every value is kept as the text shown.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
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

// A row's texts as they were laid out, kept aside so that a change of them can be taken back without
// needing memory then (Entry::saveTexts, Entry::restoreTexts).
struct SavedRowTexts {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    uint8_t nameAt = 0;
};

// A row is one block: four bytes of flags and the mark, then its texts one after another, each ended by a 0:
// hash, trip, size, status, refAmount, updateTime, ver (each already cut to its capacity), the name, and the
// user columns when there are any (their count first). Rows are made by makeEntry and freed by
// EntryDeleter; the block is exactly as long as its texts, with no room to spare.
struct Entry {
    int8_t purgeMark = 0;
    int8_t selected = 0;
    // The search mark: kMarkText or nothing. Changed often (searches), so it is a bit of the header.
    bool isMarked() const { return (shape_ & kMarked) != 0; }
    const char* mark() const { return isMarked() ? kMarkText : ""; }
    void setMarked(bool on) { shape_ = static_cast<uint8_t>(on ? shape_ | kMarked : shape_ & ~kMarked); }

    const char* hash() const { return texts(); }
    const char* trip() const { return fixed(1); }
    const char* size() const { return fixed(2); }
    const char* status() const { return fixed(3); }
    const char* refAmount() const { return fixed(4); }
    const char* updateTime() const { return fixed(5); }
    const char* ver() const { return fixed(6); }
    RowName name() const;
    const char* nameText() const { return texts() + nameAt_; }  // the name without measuring it
    int extraCount() const;
    const char* extra(int i) const;                 // 0 <= i < extraCount()
    std::vector<std::string> extraColumns() const;  // copies of them all
    // The memory the row holds: its header and its texts.
    std::size_t heldBytes() const;

    // The text of a logical column; nullptr for a user column this row has no value for.
    const char* column(int logical) const;

    // Takes the name, trip, status, refAmount, updateTime and ver of `other` (a merge); the rest stays.
    // Throws std::bad_alloc when the texts need more room and none can be had (the row is then unchanged).
    void takeTextsOf(const Entry& other);
    // Gives the row another name (which holds no 0); throws as takeTextsOf.
    void rename(std::string_view name);
    // A copy of the texts as they are now (throws std::bad_alloc), and the row given them back: this never
    // needs memory, as the saved block itself becomes the row's texts when they no longer fit where they are.
    SavedRowTexts saveTexts() const;
    void restoreTexts(SavedRowTexts& saved) noexcept;

    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

  private:
    friend struct EntryDeleter;
    friend class RowPacker;
    enum Shape : uint8_t { kMoved = 1, kExtras = 2, kHeapBlock = 4, kMarked = 8 };

    Entry() = default;
    ~Entry() = default;

    // The texts: after the header, or, once the row outgrew its block, in a block of their own whose address
    // the first bytes after the header hold.
    const char* texts() const {
        const char* inline_ = reinterpret_cast<const char*>(this + 1);
        if (!(shape_ & kMoved)) return inline_;
        const char* moved;
        std::memcpy(&moved, inline_, sizeof moved);
        return moved;
    }
    // The k-th fixed field (0 = hash .. 6 = ver).
    const char* fixed(int k) const {
        const char* p = texts();
        while (k-- > 0) p += std::strlen(p) + 1;
        return p;
    }
    // Lays out the texts (makeEntry's order; n = 8 + extraCount()) anew, where they are or in a block of
    // their own.
    void repack(const char* const* texts, const std::size_t* lengths, int n);
    const char* extrasStart() const;  // the count of the user columns
    std::size_t textBytes() const;    // of the texts where they are now

    uint8_t nameAt_ = 0;  // offset of the name in the texts
    uint8_t shape_ = 0;
};
static_assert(sizeof(Entry) == 4 && alignof(Entry) == 1, "a row's header is four bytes");

struct EntryDeleter {
    void operator()(Entry* row) const noexcept;
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

using EntryPtr = std::unique_ptr<Entry, EntryDeleter>;
// Frees a row (nullptr is allowed).
inline void freeEntry(Entry* row) noexcept {
    EntryDeleter()(row);
}

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
