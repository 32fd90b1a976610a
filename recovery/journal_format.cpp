#include "recovery/journal_format.h"

#include <cstring>
#include <new>
#include <vector>

#include "core/entry_list.h"
#include "core/progress.h"
#include "core/sort.h"

namespace twk::journal {

// ---------------------------------------------------------------------------------------------------------------
// CRC-32 (the reflected polynomial 0xEDB88320), eight bytes a step through eight tables.

namespace {

struct CrcTables {
    std::uint32_t t[8][256];
    CrcTables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i)
            for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
};

const CrcTables& crcTables() {
    static const CrcTables tables;
    return tables;
}

std::uint32_t load32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void store32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t crc) {
    const auto& t = crcTables().t;
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    while (size >= 8) {
        const std::uint32_t a = load32(p) ^ crc;
        const std::uint32_t b = load32(p + 4);
        crc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
              t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string header() {
    std::string h(kMagic, sizeof kMagic);
    h.resize(kHeaderSize);
    store32(&h[8], kVersion);
    store32(&h[12], crc32(h.data(), 12));
    return h;
}

// ---------------------------------------------------------------------------------------------------------------
// Writing

void RecordWriter::begin(RecordType type) {
    start_ = out_.size();
    out_.append(kRecordHeadSize, '\0');
    out_.push_back(static_cast<char>(type));
}

void RecordWriter::end() {
    char* head = &out_[start_];
    const std::size_t body = out_.size() - start_ - kRecordHeadSize;
    store32(head, static_cast<std::uint32_t>(body));
    std::uint32_t crc = crc32(head, 4);
    store32(head + 4, crc32(head + kRecordHeadSize, body, crc));
}

void RecordWriter::varint(std::uint64_t v) {
    while (v >= 0x80) {
        out_.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out_.push_back(static_cast<char>(v));
}

void RecordWriter::text(const std::string& s) {
    varint(s.size());
    out_.append(s);
}

std::size_t RecordWriter::row(const Entry& e) {
    const std::size_t before = out_.size();
    const int extras = e.extraCount();
    varint(static_cast<std::uint64_t>(8 + extras));
    const RowName name = e.name();
    out_.append(name.data(), name.size() + 1);  // with its 0
    const char* fixed[7] = {e.trip(), e.size(), e.status(), e.refAmount(), e.updateTime(), e.ver(), e.hash()};
    for (const char* f : fixed) out_.append(f, std::strlen(f) + 1);
    for (int i = 0; i < extras; ++i) {
        const char* x = e.extra(i);
        out_.append(x, std::strlen(x) + 1);
    }
    return out_.size() - before;
}

// ---------------------------------------------------------------------------------------------------------------
// Reading

bool MemoryBytes::read(char* out, std::size_t n) {
    if (n > size_ - at_) return false;
    if (n > 0) std::memcpy(out, data_ + at_, n);
    at_ += n;
    return true;
}

namespace {

// The bytes in order, through a buffer: take(n) gives the next n bytes in one piece.
class Cursor {
  public:
    explicit Cursor(JournalBytes& source) : source_(source), left_(source.size()) {}
    // The next n bytes (valid until the next call), or null when fewer remain or they cannot be read.
    const char* take(std::size_t n) {
        if (have_ - at_ < n && !fill(n)) return nullptr;
        const char* p = buffer_.get() + at_;
        at_ += n;
        position_ += n;
        return p;
    }
    std::uint64_t position() const { return position_; }

  private:
    static constexpr std::size_t kChunk = std::size_t(1) << 20;
    bool fill(std::size_t n) {
        const std::size_t rest = have_ - at_;
        if (rest + left_ < n) return false;
        if (rest > 0) std::memmove(buffer_.get(), buffer_.get() + at_, rest);
        at_ = 0;
        have_ = rest;
        // A chunk at a time, but no more than what is left.
        const std::uint64_t all = rest + left_;
        const std::size_t chunk = static_cast<std::size_t>(all < kChunk ? all : kChunk);
        const std::size_t want = n > chunk ? n : chunk;
        if (want > capacity_) {
            std::unique_ptr<char[]> bigger(new char[want]);
            if (rest > 0) std::memcpy(bigger.get(), buffer_.get(), rest);
            buffer_ = std::move(bigger);
            capacity_ = want;
        }
        const std::uint64_t room = capacity_ - have_;
        const std::size_t more = static_cast<std::size_t>(left_ < room ? left_ : room);
        if (!source_.read(buffer_.get() + have_, more)) {
            left_ = 0;
            return false;
        }
        have_ += more;
        left_ -= more;
        return true;
    }

    JournalBytes& source_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t have_ = 0;
    std::size_t at_ = 0;
    std::uint64_t left_;
    std::uint64_t position_ = 0;
};

// A record's body, read field by field; any read past its end sets `bad`.
struct Body {
    const char* p;
    const char* end;
    bool bad = false;

    bool atEnd() const { return p == end; }
    std::uint64_t varint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (p == end) break;
            const auto b = static_cast<unsigned char>(*p++);
            v |= std::uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        bad = true;
        return 0;
    }
    // A varint no larger than `max`.
    std::uint64_t number(std::uint64_t max) {
        const std::uint64_t v = varint();
        if (v > max) bad = true;
        return bad ? 0 : v;
    }
    std::uint8_t byte() {
        if (p == end) {
            bad = true;
            return 0;
        }
        return static_cast<std::uint8_t>(*p++);
    }
    void text(std::string& out) {
        const std::uint64_t n = varint();
        if (bad || n > static_cast<std::uint64_t>(end - p)) {
            bad = true;
            return;
        }
        out.assign(p, static_cast<std::size_t>(n));
        p += n;
    }
    const char* bytes(std::uint64_t n) {
        if (bad || n > static_cast<std::uint64_t>(end - p)) {
            bad = true;
            return nullptr;
        }
        const char* at = p;
        p += n;
        return at;
    }
};

// A row's texts where they lie in the body.
struct RowTexts {
    std::vector<const char*> texts;
    std::vector<std::size_t> lengths;
    int n = 0;

    bool read(Body& in) {
        const std::uint64_t count = in.varint();
        if (in.bad || count < 8 || count > static_cast<std::uint64_t>(kMaxRowTexts)) return false;
        n = static_cast<int>(count);
        texts.resize(n);
        lengths.resize(n);
        for (int i = 0; i < n; ++i) {
            const void* zero = std::memchr(in.p, 0, static_cast<std::size_t>(in.end - in.p));
            if (!zero) return false;
            texts[i] = in.p;
            lengths[i] = static_cast<std::size_t>(static_cast<const char*>(zero) - in.p);
            in.p = static_cast<const char*>(zero) + 1;
        }
        return true;
    }
    EntryPtr make() const { return makeEntry(texts.data(), lengths.data(), n); }
};

constexpr std::uint64_t kMaxColumn = 9 + kMaxRowTexts;

// Applies records to the image; false for a record that makes no sense there.
class Applier {
  public:
    explicit Applier(JournalImage& image) : image_(image) {}
    ~Applier() { batch_.reset(); }

    bool apply(const char* body, std::size_t size) {
        Body in{body + 1, body + size};
        const auto type = static_cast<std::uint8_t>(body[0]);
        if (type != kRows && !finishBatch()) return false;
        switch (type) {
            case kReset:
                return reset(in);
            case kRows:
                return rows(in);
            case kEdits:
                return edits(in);
            case kListState:
                return listState(in);
            case kDrop: {
                const std::uint64_t id = in.number(UINT32_MAX);
                return !in.bad && in.atEnd() && image_.lists.erase(static_cast<std::uint32_t>(id)) == 1;
            }
            case kConditions: {
                const std::uint8_t present = in.byte();
                std::string text;
                in.text(text);
                if (in.bad || present > 1 || !in.atEnd()) return false;
                image_.hasConditions = present == 1;
                image_.conditions = present ? std::move(text) : std::string();
                return true;
            }
            case kCommit:
                in.varint();
                if (in.bad || !in.atEnd()) return false;
                ++image_.points;
                return true;
            default:
                return false;
        }
    }

    bool finishBatch() {
        if (!batch_) return true;
        const int added = batch_->finish();
        const bool failed = batch_->failed();
        batch_.reset();
        if (failed) throw std::bad_alloc();
        return added == fed_;
    }

  private:
    JournaledList* find(Body& in) {
        const std::uint64_t id = in.number(UINT32_MAX);
        if (in.bad) return nullptr;
        auto it = image_.lists.find(static_cast<std::uint32_t>(id));
        return it == image_.lists.end() ? nullptr : &it->second;
    }

    bool reset(Body& in) {
        const std::uint64_t id = in.varint();
        const std::uint8_t kind = in.byte();
        const std::uint64_t column = in.number(kMaxColumn);
        const std::uint8_t descending = in.byte();
        if (in.bad || !in.atEnd() || id > UINT32_MAX || kind > 2 || descending > 1) return false;
        JournaledList& list = image_.lists[static_cast<std::uint32_t>(id)];
        list.kind = static_cast<ListKind>(kind);
        list.rows = std::make_unique<EntryList>(list.kind);
        list.rows->setSortState(static_cast<int>(column), descending);
        return true;
    }

    bool rows(Body& in) {
        const std::uint64_t id = in.number(UINT32_MAX);
        if (in.bad) return false;
        if (batch_ && id != batchId_ && !finishBatch()) return false;
        if (!batch_) {
            auto it = image_.lists.find(static_cast<std::uint32_t>(id));
            if (it == image_.lists.end()) return false;
            batchId_ = static_cast<std::uint32_t>(id);
            batch_ = std::make_unique<AppendBatch>(*it->second.rows, 0);
            fed_ = 0;
        }
        while (!in.atEnd()) {
            if (!row_.read(in)) return false;
            batch_->add(row_.n, row_.texts.data(), row_.lengths.data());
            if (batch_->failed()) throw std::bad_alloc();
            ++fed_;
        }
        return true;
    }

    bool edits(Body& in) {
        JournaledList* list = find(in);
        if (!list) return false;
        EntryList& rows = *list->rows;
        while (!in.atEnd()) {
            switch (in.byte()) {
                case kInsert: {
                    const std::uint64_t position = in.number(static_cast<std::uint64_t>(rows.count()));
                    if (in.bad || !row_.read(in)) return false;
                    if (rows.placeEntry(row_.make(), static_cast<int>(position)) != 1) return false;
                    break;
                }
                case kRemove: {
                    const std::uint64_t position = in.varint();
                    if (in.bad || position >= static_cast<std::uint64_t>(rows.count())) return false;
                    rows.removeAt(static_cast<int>(position), true);
                    break;
                }
                case kTexts: {
                    if (!row_.read(in)) return false;
                    EntryPtr from = row_.make();
                    const int at = rows.findHash(from->hash());
                    if (at < 0) return false;
                    rows.retakeTexts(*rows.hashPages().at(at), *from);
                    break;
                }
                case kSort: {
                    const std::uint64_t column = in.number(kMaxColumn);
                    const std::uint8_t descending = in.byte();
                    const std::uint8_t month = in.byte();
                    if (in.bad || descending > 1 || month < 1 || month > 12) return false;
                    rows.sortAs(static_cast<int>(column), descending, month);
                    break;
                }
                case kMarks: {
                    const std::uint64_t count = in.varint();
                    if (in.bad || count != static_cast<std::uint64_t>(rows.count())) return false;
                    const char* bits = in.bytes((count + 7) / 8);
                    if (!bits) return false;
                    const PageArray& pages = rows.displayPages();
                    std::size_t k = 0;
                    for (int page = 0; page < pages.pageCount(); ++page)
                        for (int slot = 0; slot < pages.pageSize(page); ++slot, ++k)
                            pages.get(PageArray::Slot{page, slot})->setMarked((bits[k >> 3] >> (k & 7)) & 1);
                    break;
                }
                default:
                    return false;
            }
            if (in.bad) return false;
        }
        return true;
    }

    bool listState(Body& in) {
        JournaledList* list = find(in);
        if (!list) return false;
        const std::uint8_t modified = in.byte();
        const std::uint64_t column = in.number(kMaxColumn);
        const std::uint8_t descending = in.byte();
        in.text(list->title);
        in.text(list->path);
        if (in.bad || !in.atEnd() || modified > 1 || descending > 1) return false;
        list->modified = modified == 1;
        EntryList& rows = *list->rows;
        if (rows.sortColumn() != static_cast<int>(column) || rows.sortDescending() != descending)
            rows.setSortState(static_cast<int>(column), descending);
        rows.setPath(list->path);
        return true;
    }

    JournalImage& image_;
    std::unique_ptr<AppendBatch> batch_;
    std::uint32_t batchId_ = 0;
    int fed_ = 0;
    RowTexts row_;
};

// Checks every record's length and CRC from the cursor on; returns the end of the last whole point.
// The journal is read twice: the check is the first half of the progress, the rebuilding the second.
constexpr unsigned kRecordsPerReport = 4096;

std::uint64_t lastWholePoint(Cursor& c, std::uint64_t size) {
    std::uint64_t good = c.position();
    for (unsigned records = 1;; ++records) {
        if (records % kRecordsPerReport == 0) reportProgress(c.position(), 2 * size);
        const char* head = c.take(kRecordHeadSize);
        if (!head) break;
        const std::uint32_t length = load32(reinterpret_cast<const unsigned char*>(head));
        const std::uint32_t crc = load32(reinterpret_cast<const unsigned char*>(head + 4));
        const std::uint32_t headCrc = crc32(head, 4);
        if (length == 0 || length > kMaxRecordBody) break;
        const char* body = c.take(length);
        if (!body || crc32(body, length, headCrc) != crc) break;
        if (static_cast<std::uint8_t>(body[0]) == kCommit) good = c.position();
    }
    return good;
}

// Applies the records up to `limit`; false with the start of the point that made no sense.
bool applyUpTo(Cursor& c, std::uint64_t limit, JournalImage& image, std::uint64_t* failedAt) {
    Applier applier(image);
    std::uint64_t pointStart = c.position();
    image.usedBytes = pointStart;
    for (unsigned records = 1; c.position() < limit; ++records) {
        if (records % kRecordsPerReport == 0) reportProgress(limit + c.position(), 2 * limit);
        const char* head = c.take(kRecordHeadSize);
        const std::uint32_t length = head ? load32(reinterpret_cast<const unsigned char*>(head)) : 0;
        const char* body = head ? c.take(length) : nullptr;
        if (!body || !applier.apply(body, length)) {
            *failedAt = pointStart;
            return false;
        }
        if (static_cast<std::uint8_t>(body[0]) == kCommit) {
            pointStart = c.position();
            image.usedBytes = pointStart;
        }
    }
    return true;
}

}  // namespace

ReadResult readJournal(JournalBytes& bytes, JournalImage& image) {
    image = JournalImage();
    if (bytes.size() == 0) return ReadResult::Ok;
    if (!bytes.rewind()) return ReadResult::Unusable;
    std::uint64_t limit;
    {
        Cursor c(bytes);
        const char* h = c.take(kHeaderSize);
        if (!h || std::memcmp(h, kMagic, sizeof kMagic) != 0 ||
            load32(reinterpret_cast<const unsigned char*>(h + 8)) != kVersion ||
            load32(reinterpret_cast<const unsigned char*>(h + 12)) != crc32(h, 12))
            return ReadResult::Unusable;
        limit = lastWholePoint(c, bytes.size());
    }
    for (;;) {
        image = JournalImage();
        if (!bytes.rewind()) return ReadResult::Unusable;
        Cursor c(bytes);
        if (!c.take(kHeaderSize)) return ReadResult::Unusable;
        std::uint64_t failedAt = 0;
        if (applyUpTo(c, limit, image, &failedAt)) return ReadResult::Ok;
        limit = failedAt;  // the points before it are whole and made sense: take them alone
    }
}

}  // namespace twk::journal
