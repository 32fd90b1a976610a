// The journal file's form, and the reader that rebuilds the lists from it.
//
// The file begins with a header: 8 bytes of magic, the version (32 bits, little-endian) and the CRC-32 of
// those 12 bytes. Records follow, each [length: 32 bits][CRC-32: 32 bits][body of `length` bytes], the CRC
// taken over the length's four bytes and the body; the body's first byte is the record's type. Numbers inside
// bodies are unsigned LEB128 varints; a text is a varint length and its bytes.
//
// A row is a varint n (8 or more) and its n texts in makeEntry's order (name, trip, size, status, refAmount,
// updateTime, ver, hash, user columns), each ended by a 0 byte: any byte but 0 is kept, TABs and line ends in
// names included, and the reader hands the texts to the list where they lie.
//
// A point is a run of records closed by a Commit record. Lists are known by a number given in the file:
//   Reset       id, kind, sort column, descending: the list is (again) empty with that sort state
//   Rows        id, rows...: appended in order (the whole list after a Reset, in pieces of about 1 MiB)
//   Edits       id, edits...: each an edit byte and its operands, applied in order:
//                 Insert position row | Remove position | Texts row (the row of that hash takes its texts)
//                 | Sort column descending month | Marks count bitmap (1 bit per row in display order, low
//                 bit first; count is the list's row count)
//   ListState   id, modified, sort column, descending, title, path
//   Drop        id: the list's part is gone
//   Conditions  present, text
//   Commit      point number
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "core/entry.h"

namespace twk {

class EntryList;
class InputFile;

namespace journal {

constexpr char kMagic[8] = {'T', 'W', 'K', 'J', 'R', 'N', 'L', '\x1a'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kRecordHeadSize = 8;
// No record is longer (a row of texts longer than this cannot be kept).
constexpr std::size_t kMaxRecordBody = std::size_t(1) << 28;
// The most texts a row may have in the file.
constexpr int kMaxRowTexts = 1024;

enum RecordType : std::uint8_t {
    kReset = 1,
    kRows = 2,
    kEdits = 3,
    kListState = 4,
    kDrop = 5,
    kConditions = 6,
    kCommit = 7,
};
enum EditOp : std::uint8_t { kInsert = 1, kRemove = 2, kTexts = 3, kSort = 4, kMarks = 5 };

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

// The 16 header bytes.
std::string header();

// Builds records at the end of a byte string.
class RecordWriter {
  public:
    explicit RecordWriter(std::string& out) : out_(out) {}
    void begin(RecordType type);
    // Closes the record: its length and CRC.
    void end();
    std::size_t recordBytes() const { return out_.size() - start_; }

    void varint(std::uint64_t v);
    void byte(std::uint8_t b) { out_.push_back(static_cast<char>(b)); }
    void text(const std::string& s);
    void bytes(const char* p, std::size_t n) { out_.append(p, n); }
    // A row; returns the bytes it took.
    std::size_t row(const Entry& e);

  private:
    std::string& out_;
    std::size_t start_ = 0;
};

// A list as the file's last whole point left it.
struct JournaledList {
    ListKind kind = ListKind::Normal;
    bool modified = false;
    std::string title;
    std::string path;
    std::unique_ptr<EntryList> rows;
};

struct JournalImage {
    std::map<std::uint32_t, JournaledList> lists;  // by number, which follows the order they were attached
    bool hasConditions = false;
    std::string conditions;
    std::uint64_t points = 0;  // whole points applied
    // Bytes from the start of the file up to the end of the last whole point that was applied.
    std::uint64_t usedBytes = 0;
};

enum class ReadResult {
    Ok,        // the image holds the last whole point (or nothing, for a file without one)
    Unusable,  // not a journal, or a version this program does not read; or it could not be read
};

// Where the reader takes its bytes from: the file (read twice, once to check and once to apply) or a block.
class JournalBytes {
  public:
    virtual ~JournalBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Starts again at the first byte.
    virtual bool rewind() = 0;
    // Exactly n bytes, or false.
    virtual bool read(char* out, std::size_t n) = 0;
};

class MemoryBytes : public JournalBytes {
  public:
    MemoryBytes(const char* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool rewind() override {
        at_ = 0;
        return true;
    }
    bool read(char* out, std::size_t n) override;

  private:
    const char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Rebuilds the lists: whole points only, up to the first torn or damaged record; a point whose records make
// no sense (a position outside its list, a row of too few texts, ...) ends the journal there too. Throws
// std::bad_alloc when memory runs out.
ReadResult readJournal(JournalBytes& bytes, JournalImage& image);

}  // namespace journal
}  // namespace twk
