#include "core/entry.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

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
// The fixed fields in the order a row keeps them (the hash first: the hash order reads it most), by their
// index among makeEntry's texts, with their capacities.
constexpr int kPackedFixed[7] = {7, 1, 2, 3, 4, 5, 6};
// Where each of makeEntry's texts 1..7 is among the fixed fields.
constexpr int kFixedIndexOfText[8] = {-1, 1, 2, 3, 4, 5, 6, 0};
constexpr int kCapacityOfText[8] = {0,       kTripCap, kSizeCap, kStatusCap, kRefAmountCap, kUpdateTimeCap,
                                    kVerCap, kHashCap};
static_assert(kTripCap + kSizeCap + kStatusCap + kRefAmountCap + kUpdateTimeCap + kVerCap + kHashCap <=
                  UINT8_MAX,
              "the name's offset fits in a byte");
// The user columns' count before their texts.
using ExtraCount = uint32_t;

#ifndef TWK_ROWS_FROM_HEAP
// Never destroyed, as rows may outlive every other static object.
RowArena& rowArena() {
    static RowArena* arena = new RowArena;
    return *arena;
}
#endif
}  // namespace

// Lays out a row's texts and makes rows.
class RowPacker {
  public:
    // The texts of a row: makeEntry's order (name, trip, size, status, refAmount, updateTime, ver, hash,
    // user columns...).
    RowPacker(const char* const* texts, const std::size_t* lengths, int n)
        : texts_(texts), lengths_(lengths), n_(n) {
        std::size_t total = 0;
        for (int k : kPackedFixed) total += cut(k) + 1;
        nameAt_ = static_cast<uint8_t>(total);
        total += lengths_[0] + 1;
        if (n_ > 8) {
            total += sizeof(ExtraCount);
            for (int i = 8; i < n_; ++i) total += lengths_[i] + 1;
        }
        // Room for the address of the texts, should the row ever outgrow its block.
        bytes_ = total < sizeof(char*) ? sizeof(char*) : total;
    }

    std::size_t bytes() const { return bytes_; }
    uint8_t nameAt() const { return nameAt_; }
    bool hasExtras() const { return n_ > 8; }

    void write(char* out) const {
        for (int k : kPackedFixed) out = put(out, texts_[k], cut(k));
        out = put(out, texts_[0], lengths_[0]);
        if (n_ > 8) {
            const ExtraCount count = static_cast<ExtraCount>(n_ - 8);
            std::memcpy(out, &count, sizeof count);
            out += sizeof count;
            for (int i = 8; i < n_; ++i) out = put(out, texts_[i], lengths_[i]);
        }
    }

    EntryPtr make() const {
        const std::size_t block = sizeof(Entry) + bytes_;
        void* memory;
        uint8_t shape = hasExtras() ? Entry::kExtras : 0;
#ifndef TWK_ROWS_FROM_HEAP
        if (block <= RowArena::kLargestBlock) {
            memory = rowArena().allocate(block);
        } else
#endif
        {
            memory = ::operator new(block);
            shape |= Entry::kHeapBlock;
        }
        Entry* e = new (memory) Entry;
        e->nameAt_ = nameAt_;
        e->shape_ = shape;
        write(reinterpret_cast<char*>(e + 1));
        return EntryPtr(e);
    }

  private:
    std::size_t cut(int k) const {
        const std::size_t most = static_cast<std::size_t>(kCapacityOfText[k] - 1);
        return lengths_[k] < most ? lengths_[k] : most;
    }
    static char* put(char* out, const char* text, std::size_t length) {
        std::memcpy(out, text, length);
        out[length] = 0;
        return out + length + 1;
    }

    const char* const* texts_;
    const std::size_t* lengths_;
    int n_;
    std::size_t bytes_;
    uint8_t nameAt_;
};

void EntryDeleter::operator()(Entry* row) const noexcept {
    if (!row) return;
    const uint8_t shape = row->shape_;
    // The size of a block whose texts moved out is not known any more.
    const std::size_t bytes = shape & Entry::kMoved ? 0 : sizeof(Entry) + row->textBytes();
    if (shape & Entry::kMoved) delete[] row->texts();
    row->~Entry();
    if (shape & Entry::kHeapBlock) {
        ::operator delete(row);
        return;
    }
#ifndef TWK_ROWS_FROM_HEAP
    RowArena::release(row, bytes);
#else
    (void)bytes;
#endif
}

RowName Entry::name() const {
    const char* p = texts() + nameAt_;
    return RowName(p, std::strlen(p));
}

const char* Entry::extrasStart() const {
    if (!(shape_ & kExtras)) return nullptr;
    const char* p = texts() + nameAt_;
    return p + std::strlen(p) + 1;
}

int Entry::extraCount() const {
    const char* p = extrasStart();
    if (!p) return 0;
    ExtraCount count;
    std::memcpy(&count, p, sizeof count);
    return static_cast<int>(count);
}

const char* Entry::extra(int i) const {
    const char* p = extrasStart() + sizeof(ExtraCount);
    while (i-- > 0) p += std::strlen(p) + 1;
    return p;
}

std::vector<std::string> Entry::extraColumns() const {
    std::vector<std::string> out;
    const int n = extraCount();
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out.emplace_back(extra(i));
    return out;
}

std::size_t Entry::textBytes() const {
    const char* start = texts();
    const char* p = start + nameAt_;
    p += std::strlen(p) + 1;
    if (shape_ & kExtras) {
        const int n = extraCount();
        p += sizeof(ExtraCount);
        for (int i = 0; i < n; ++i) p += std::strlen(p) + 1;
    }
    const std::size_t bytes = static_cast<std::size_t>(p - start);
    return bytes < sizeof(char*) ? sizeof(char*) : bytes;
}

void Entry::takeTextsOf(const Entry& other) {
    const int n = 8 + extraCount();
    std::vector<const char*> given(static_cast<std::size_t>(n));
    std::vector<std::size_t> lengths(static_cast<std::size_t>(n));
    given[0] = other.nameText();
    given[1] = other.trip();
    given[2] = size();
    given[3] = other.status();
    given[4] = other.refAmount();
    given[5] = other.updateTime();
    given[6] = other.ver();
    given[7] = hash();
    for (int i = 8; i < n; ++i) given[i] = extra(i - 8);
    for (int i = 0; i < n; ++i) lengths[i] = std::strlen(given[i]);
    repack(given.data(), lengths.data(), n);
}

void Entry::rename(std::string_view name) {
    const int n = 8 + extraCount();
    std::vector<const char*> given(static_cast<std::size_t>(n));
    std::vector<std::size_t> lengths(static_cast<std::size_t>(n));
    for (int k = 1; k < 8; ++k) given[k] = fixed(kFixedIndexOfText[k]);
    for (int i = 8; i < n; ++i) given[i] = extra(i - 8);
    for (int i = 1; i < n; ++i) lengths[i] = std::strlen(given[i]);
    given[0] = name.data();
    lengths[0] = name.size();
    repack(given.data(), lengths.data(), n);
}

void Entry::repack(const char* const* given, const std::size_t* lengths, int n) {
    // The new texts are laid out aside first (they may be this row's own), then copied over the old ones.
    const RowPacker packer(given, lengths, n);
    std::unique_ptr<char[]> laid(new char[packer.bytes()]);
    packer.write(laid.get());
    if (packer.bytes() <= textBytes()) {
        std::memcpy(const_cast<char*>(texts()), laid.get(), packer.bytes());
    } else {
        // Out of its block: the texts move to a block of their own, whose address the block keeps.
        char* moved = laid.release();
        if (shape_ & kMoved) delete[] texts();
        std::memcpy(reinterpret_cast<char*>(this + 1), &moved, sizeof moved);
        shape_ |= kMoved;
    }
    nameAt_ = packer.nameAt();
}

SavedRowTexts Entry::saveTexts() const {
    SavedRowTexts saved;
    saved.size = textBytes();
    saved.bytes.reset(new char[saved.size]);
    std::memcpy(saved.bytes.get(), texts(), saved.size);
    saved.nameAt = nameAt_;
    return saved;
}

void Entry::restoreTexts(SavedRowTexts& saved) noexcept {
    if (!saved.bytes) return;
    // The texts where they are now have at least textBytes() of room.
    if (saved.size <= textBytes()) {
        std::memcpy(const_cast<char*>(texts()), saved.bytes.get(), saved.size);
        saved.bytes.reset();
    } else {
        char* moved = saved.bytes.release();
        if (shape_ & kMoved) delete[] texts();
        std::memcpy(reinterpret_cast<char*>(this + 1), &moved, sizeof moved);
        shape_ |= kMoved;
    }
    nameAt_ = saved.nameAt;
}

const char* Entry::column(int logical) const {
    switch (logical) {
        case kColMark:
            return mark();
        case kColName:
            return texts() + nameAt_;
        case kColTrip:
            return trip();
        case kColSize:
            return size();
        case kColStatus:
            return status();
        case kColRefAmount:
            return refAmount();
        case kColUpdateTime:
            return updateTime();
        case kColVer:
            return ver();
        case kColHash:
            return hash();
        default:
            break;
    }
    int i = logical - kColFirstUser;
    if (i < 0 || i >= extraCount()) return nullptr;
    return extra(i);
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
    // A row whose texts outgrew its block keeps the block too (the header and the address of the texts).
    const std::size_t texts = textBytes();
    return shape_ & kMoved ? sizeof(Entry) + sizeof(char*) + texts : sizeof(Entry) + texts;
}

EntryPtr makeEntry(const char* const* texts, const std::size_t* lengths, int n) {
    checkInjectedFailure();
    return RowPacker(texts, lengths, n).make();
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
