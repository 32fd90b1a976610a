#include "core/entry.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "core/entry_pool.h"
#include "core/text.h"

// Under the address sanitizer every row is a heap block of its own, so that it can watch each one.
#if defined(__SANITIZE_ADDRESS__)
#define TWK_ROWS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TWK_ROWS_FROM_HEAP 1
#endif
#endif

namespace twk {

const char* const kMarkText = "○";

namespace {
int g_allocationFailAfter = -1;
// Texts of a row whose lengths are measured on the stack.
constexpr int kMaxEntryTexts = 32;

void checkInjectedFailure() {
    if (g_allocationFailAfter < 0) return;
    if (g_allocationFailAfter == 0) throw std::bad_alloc();
    --g_allocationFailAfter;
}

struct FieldInfo {
    int offset;
    int capacity;
};
constexpr FieldInfo kRawFields[8] = {
    {offsetof(RawRecord, name), kRawNameCap},
    {offsetof(RawRecord, trip), kTripCap},
    {offsetof(RawRecord, size), kSizeCap},
    {offsetof(RawRecord, status), kStatusCap},
    {offsetof(RawRecord, refAmount), kRefAmountCap},
    {offsetof(RawRecord, updateTime), kUpdateTimeCap},
    {offsetof(RawRecord, ver), kVerCap},
    {offsetof(RawRecord, hash), kHashCap},
};
}  // namespace

void injectEntryAllocationFailure(int failAfter) {
    g_allocationFailAfter = failAfter;
}

namespace {
// Rooms for names come in steps of 16 bytes up to 256; a longer name gets a block of its own.
constexpr std::size_t kNameRoomStep = 16;
constexpr std::size_t kNameRoomClasses = 17;

std::size_t nameRoomFor(std::size_t length) {
    const std::size_t steps = (length + kNameRoomStep) / kNameRoomStep;  // room for the final 0 too
    return steps < kNameRoomClasses ? steps * kNameRoomStep : 0;
}
}  // namespace

#ifndef TWK_ROWS_FROM_HEAP
namespace {
// One pool for each size of room; never destroyed, as rows may outlive every other static object.
SlotPool& rowPool(std::size_t room) {
    static SlotPool* pools[kNameRoomClasses] = {};
    SlotPool*& pool = pools[room / kNameRoomStep];
    if (!pool) pool = new SlotPool(sizeof(Entry) + room, alignof(Entry));
    return *pool;
}
}  // namespace

void* Entry::operator new(std::size_t size) {
    return size == sizeof(Entry) ? rowPool(0).allocate() : ::operator new(size);
}

void* Entry::operator new(std::size_t size, NameRoom room) {
    return size == sizeof(Entry) ? rowPool(room.bytes).allocate() : ::operator new(size + room.bytes);
}

void Entry::operator delete(void* row, std::size_t size) noexcept {
    if (size == sizeof(Entry))
        SlotPool::releaseToOwner(row);
    else
        ::operator delete(row);
}

void Entry::operator delete(void* row, NameRoom) noexcept {
    SlotPool::releaseToOwner(row);
}
#else
void* Entry::operator new(std::size_t size) {
    return ::operator new(size);
}
void* Entry::operator new(std::size_t size, NameRoom room) {
    return ::operator new(size + room.bytes);
}
void Entry::operator delete(void* row, std::size_t) noexcept {
    ::operator delete(row);
}
void Entry::operator delete(void* row, NameRoom) noexcept {
    ::operator delete(row);
}
#endif

const char* Entry::column(int logical) const {
    switch (logical) {
        case kColMark:
            return mark;
        case kColName:
            return name.c_str();
        case kColTrip:
            return trip;
        case kColSize:
            return size;
        case kColStatus:
            return status;
        case kColRefAmount:
            return refAmount;
        case kColUpdateTime:
            return updateTime;
        case kColVer:
            return ver;
        case kColHash:
            return hash;
        default:
            break;
    }
    int i = logical - kColFirstUser;
    if (i < 0 || i >= static_cast<int>(extraColumns.size())) return nullptr;
    return extraColumns[i].c_str();
}

char* RawRecord::field(int index) {
    return reinterpret_cast<char*>(this) + kRawFields[index].offset;
}
const char* RawRecord::field(int index) const {
    return reinterpret_cast<const char*>(this) + kRawFields[index].offset;
}
int RawRecord::capacity(int index) {
    return kRawFields[index].capacity;
}
int RawRecord::offsetOf(int index) {
    return kRawFields[index].offset;
}

std::size_t Entry::heldBytes() const {
    std::size_t bytes = sizeof(Entry) + name.heldBytes() + extraColumns.capacity() * sizeof(std::string);
    // A short column lives inside its string object; a longer one in a block of its own.
    const std::size_t inside = std::string().capacity();
    for (const std::string& column : extraColumns)
        if (column.capacity() > inside) bytes += column.capacity() + 1;
    return bytes;
}

EntryPtr makeEntry(const char* const* texts, const std::size_t* lengths, int n) {
    checkInjectedFailure();
    // The row and its name in one block.
    const std::size_t room = nameRoomFor(lengths[0]);
    EntryPtr e(new (Entry::NameRoom{room}) Entry);
    if (room > 0) e->name.setRoom(reinterpret_cast<char*>(e.get() + 1), room);
    e->name.assign(texts[0], lengths[0]);
    copyCut(e->trip, sizeof e->trip, texts[1], lengths[1]);
    copyCut(e->size, sizeof e->size, texts[2], lengths[2]);
    copyCut(e->status, sizeof e->status, texts[3], lengths[3]);
    copyCut(e->refAmount, sizeof e->refAmount, texts[4], lengths[4]);
    copyCut(e->updateTime, sizeof e->updateTime, texts[5], lengths[5]);
    copyCut(e->ver, sizeof e->ver, texts[6], lengths[6]);
    copyCut(e->hash, sizeof e->hash, texts[7], lengths[7]);
    if (n > 8) {
        e->extraColumns.reserve(n - 8);
        for (int i = 8; i < n; ++i) e->extraColumns.emplace_back(texts[i], lengths[i]);
    }
    return e;
}

EntryPtr makeEntry(const char* const* texts, int n) {
    std::size_t lengths[kMaxEntryTexts];
    if (n > kMaxEntryTexts) {
        std::vector<std::size_t> more(n);
        for (int i = 0; i < n; ++i) more[i] = std::strlen(texts[i]);
        return makeEntry(texts, more.data(), n);
    }
    for (int i = 0; i < n; ++i) lengths[i] = std::strlen(texts[i]);
    return makeEntry(texts, lengths, n);
}

EntryPtr makeEntry(const RawRecord& raw) {
    const char* texts[8];
    for (int i = 0; i < 8; ++i) texts[i] = raw.field(i);
    return makeEntry(texts, 8);
}

int logicalColumnFromView(ListKind kind, int viewColumn) {
    if (kind == ListKind::Bbs && viewColumn >= 2) return viewColumn + 1;
    return viewColumn;
}

int viewColumnFromLogical(ListKind kind, int logical) {
    if (kind != ListKind::Bbs || logical < 2) return logical;
    if (logical == kColTrip) return -1;
    return logical - 1;
}

const char* columnTitle(ListKind kind, int logical) {
    static const char* const kFileTitles[9] = {"　",       "ファイル名", "トリップ", "サイズ",  "状態",
                                               "被参照量", "更新時刻",   "Ver",      "ハッシュ"};
    static const char* const kBbsTitles[9] = {"　",     "スレッドタイトル", nullptr, "サイズ",  "状態",
                                              "発言数", "更新時刻",         "Ver",   "ハッシュ"};
    if (logical < 0 || logical > kColHash) return nullptr;
    return kind == ListKind::Bbs ? kBbsTitles[logical] : kFileTitles[logical];
}

}  // namespace twk
