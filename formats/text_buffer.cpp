#include "formats/text_buffer.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "core/text.h"
#include "formats/line_scan.h"

namespace twk {

FileReadStatus TextBuffer::loadFile(const std::string& path) {
    release();
    FileBytes bytes;
    FileReadStatus status = readWholeFile(path, kMaxTextFileSize, bytes);
    if (status != FileReadStatus::Ok) return status;
    data_ = std::move(bytes.data);
    size_ = bytes.size;
    path_ = path;
    return status;
}

FileReadStatus TextBuffer::openFile(const std::string& path, std::size_t window) {
    release();
    auto input = std::make_unique<InputFile>();
    FileReadStatus status = input->open(path, kMaxTextFileSize);
    if (status != FileReadStatus::Ok) return status;
    total_ = remaining_ = input->size();
    capacity_ = window < total_ ? (window > 0 ? window : 1) : total_;
    data_.reset(new (std::nothrow) char[capacity_ + 1]);
    if (!data_) {
        release();
        return FileReadStatus::NoMemory;
    }
    data_[0] = 0;
    input_ = std::move(input);
    path_ = path;
    if (!refill()) {
        status = readStatus_;
        release();
        return status;
    }
    return FileReadStatus::Ok;
}

bool TextBuffer::refill() {
    blockValid_ = false;
    const std::size_t keep = size_ - cursor_;
    if (cursor_ > 0 && keep > 0) std::memmove(data_.get(), data_.get() + cursor_, keep);
    cursor_ = 0;
    size_ = keep;
    if (size_ == capacity_ && remaining_ > 0) {
        // A line longer than the window: twice the room.
        const std::size_t bigger = capacity_ * 2;
        std::unique_ptr<char[]> grown(new (std::nothrow) char[bigger + 1]);
        if (!grown) {
            readStatus_ = FileReadStatus::NoMemory;
            return false;
        }
        std::memcpy(grown.get(), data_.get(), size_);
        data_ = std::move(grown);
        capacity_ = bigger;
    }
    return readOn();
}

bool TextBuffer::nextWindow(Window& spare) {
    const std::size_t keep = size_ - cursor_;
    // A line longer than the window needs twice the room.
    const std::size_t needed = keep == capacity_ && remaining_ > 0 ? capacity_ * 2 : capacity_;
    Window next;
    if (spare.bytes && spare.capacity >= needed) {
        next = std::move(spare);
    } else {
        next.bytes.reset(new (std::nothrow) char[needed + 1]);
        if (!next.bytes) {
            readStatus_ = FileReadStatus::NoMemory;
            return false;
        }
        next.capacity = needed;
    }
    blockValid_ = false;
    if (keep > 0) std::memcpy(next.bytes.get(), data_.get() + cursor_, keep);
    spare.bytes = std::move(data_);
    spare.capacity = capacity_;
    data_ = std::move(next.bytes);
    capacity_ = next.capacity;
    cursor_ = 0;
    size_ = keep;
    return readOn();
}

bool TextBuffer::readOn() {
    const std::size_t n = remaining_ < capacity_ - size_ ? remaining_ : capacity_ - size_;
    if (n > 0 && !input_->read(data_.get() + size_, n)) {
        readStatus_ = FileReadStatus::ShortRead;
        data_[size_] = 0;
        return false;
    }
    size_ += n;
    remaining_ -= n;
    data_[size_] = 0;
    return true;
}

bool TextBuffer::loadText(const char* text, std::size_t size) {
    release();
    std::unique_ptr<char[]> data(new (std::nothrow) char[size + 1]);
    if (!data) return false;
    if (size > 0) std::memcpy(data.get(), text, size);
    data[size] = 0;
    data_ = std::move(data);
    size_ = size;
    return true;
}

void TextBuffer::release() {
    data_.reset();
    size_ = 0;
    cursor_ = 0;
    path_.clear();
    input_.reset();
    capacity_ = remaining_ = total_ = 0;
    readStatus_ = FileReadStatus::Ok;
    blockValid_ = false;
}

namespace {

// Byte classes of the line scan: ordinary bytes, the three line ends, and lead bytes.
enum ByteClass : unsigned char { kPlain = 0, kLineEnd = 1, kLead = 2 };

struct ByteClasses {
    unsigned char of[256];
    ByteClasses() {
        for (int c = 0; c < 256; ++c) of[c] = isLeadByte(static_cast<unsigned char>(c)) ? kLead : kPlain;
        of[0] = of[static_cast<unsigned char>('\n')] = of[static_cast<unsigned char>('\r')] = kLineEnd;
    }
};
const ByteClasses kClasses;

// The first byte from p on that may end a line, start a double-byte character or be a tab, looking at eight
// bytes at once while at least eight remain. Every byte below 0x0E or from 0x80 up counts as one that may. In
// each word the lowest byte flagged is always one that may (the subtraction's borrows only run upwards), and
// the bytes of a word are in memory order from its low end (the targets are little-endian).
inline std::size_t skipPlainBytes(const unsigned char* text, std::size_t p, std::size_t size) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    while (p + sizeof(uint64_t) <= size) {
        uint64_t x;
        std::memcpy(&x, text + p, sizeof x);
        const uint64_t flagged = (((x - kOnes * 0x0E) & ~x) | x) & kHigh;
        if (flagged) return p + (__builtin_ctzll(flagged) >> 3);
        p += sizeof(uint64_t);
    }
    return p;
}

}  // namespace

std::size_t TextBuffer::scanLine(std::size_t limit, std::size_t* contentEnd) {
    // A line cut at `limit` may end inside a character: the resolved block no longer says where lines start.
    blockValid_ = false;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(data_.get());
    std::size_t p = cursor_;
    if (limit >= size_ - p) {
        // The whole rest of the text fits: no count to keep. The block's final 0 stops the inner loop.
        for (;;) {
            while (kClasses.of[text[p]] == kPlain) ++p;
            if (p >= size_) break;
            if (kClasses.of[text[p]] == kLineEnd) break;
            p += p + 1 < size_ ? 2 : 1;  // a lead byte takes the byte after it along, whatever that byte is
        }
    } else {
        std::size_t taken = 0;
        while (p < size_ && taken < limit) {
            unsigned char cls = kClasses.of[text[p]];
            if (cls == kLineEnd) break;
            if (cls == kLead && p + 1 < size_ && taken + 2 <= limit) {
                p += 2;
                taken += 2;
            } else {
                ++p;
                ++taken;
            }
        }
    }
    *contentEnd = p;
    if (p < size_ && kClasses.of[text[p]] == kLineEnd) {
        // LF and NUL end the line; CR ends it together with every LF right after it.
        if (text[p++] == '\r')
            while (p < size_ && text[p] == '\n') ++p;
    }
    cursor_ = p;
    return *contentEnd;
}

bool TextBuffer::readLine(char* out, std::size_t capacity) {
    if (!data_ || size_ == 0 || !out || capacity == 0) return false;
    std::size_t start = cursor_;
    std::size_t end = 0;
    scanLine(capacity - 1, &end);
    if (cursor_ == start) return false;
    std::memcpy(out, data_.get() + start, end - start);
    out[end - start] = 0;
    return true;
}

char* TextBuffer::nextLine(std::size_t* length) {
    if (!data_ || size_ == 0) return nullptr;
    std::size_t start = cursor_;
    std::size_t end = 0;
    scanLine(static_cast<std::size_t>(-1), &end);
    if (cursor_ == start) return nullptr;
    // The byte at `end` is the line end (consumed) or the block's final 0.
    data_[end] = 0;
    if (length) *length = end - start;
    return data_.get() + start;
}

int TextBuffer::nextFields(char** fields, int maxFields, std::size_t* lengths) {
    for (;;) {
        const int n = scanFields(fields, maxFields, lengths);
        if (n != kNeedMore) return n;
        if (!refill()) return -1;  // readStatus() tells why
    }
}

int TextBuffer::nextFieldsInWindow(char** fields, int maxFields, std::size_t* lengths) {
    const int n = scanFields(fields, maxFields, lengths);
    return n == kNeedMore ? kWindowEnd : n;
}

int TextBuffer::scanFields(char** fields, int maxFields, std::size_t* lengths) {
    // Bytes of the file after the window: a line that reaches the window's end is read again with them.
    const bool pending = remaining_ > 0;
    if (!data_ || cursor_ >= size_) return pending ? kNeedMore : -1;
    // Locals only: the stores into the text could alias the members.
    char* const base = data_.get();
    unsigned char* const text = reinterpret_cast<unsigned char*>(base);
    const std::size_t size = size_;
    const std::size_t start = cursor_;
    std::size_t p = start;
    int n = 1;
    fields[0] = base + start;
    // Splitting stops at the field limit and at a NUL kept inside the line (the second byte of a character).
    bool splitting = maxFields > 1;
    bool nulInside = false;
    auto split = [&](std::size_t at) {
        text[at] = 0;
        fields[n++] = base + at + 1;
        splitting = n < maxFields;
    };
    // Puts back the tabs of the splits made, for the line to be read again.
    auto unsplit = [&] {
        for (int k = 1; k < n; ++k) fields[k][-1] = '\t';
        return kNeedMore;
    };
    // One character at a time from p, which starts a character, up to `limit` or the line's end: true at the
    // end (p is then on it).
    auto scanCharacters = [&](std::size_t limit) {
        while (p < limit) {
            p = skipPlainBytes(text, p, limit);
            if (p >= limit) break;
            const unsigned char c = text[p];
            const unsigned char cls = kClasses.of[c];
            if (cls == kLineEnd) return true;
            if (cls == kLead) {
                if (p + 1 < size) {
                    // The byte after a lead byte belongs to the line whatever it is; a tab there still
                    // splits.
                    if (text[p + 1] == '\t' && splitting) {
                        split(p + 1);
                    } else if (text[p + 1] == 0) {
                        splitting = false;
                        nulInside = true;
                    }
                    p += 2;
                } else {
                    ++p;
                }
                continue;
            }
            if (c == '\t' && splitting) split(p);
            ++p;
        }
        return text[p] == 0 && p >= size;  // the block's final 0
    };
    // Blocks of 64 bytes, each resolved once: the line goes on in the block the last one ended in, or, when
    // it starts beyond that block, in a block begun at its start (a line always starts a character).
    std::size_t blockStart = blockStart_;
    LineBlock block = block_;
    bool resolve = !blockValid_ || p < blockStart || p >= blockStart + kLineBlockSize;
    bool secondFirst = false;
    if (resolve) blockStart = p;
    blockValid_ = false;
    for (;;) {
        if (resolve) {
            // While more of the file follows, a block also needs the byte after it in the window.
            if (blockStart + kLineBlockSize + (pending ? 1 : 0) > size) {
                if (pending) return unsplit();
                // The last bytes of the text, one character at a time from where the blocks stopped (from the
                // lead byte of a character the last block left open, which has no effect of its own).
                p = secondFirst ? blockStart - 1 : blockStart;
                scanCharacters(size + 1);
                break;
            }
            block = resolveLineBlock(lineBlockMasks(text + blockStart), secondFirst);
            resolve = false;
        }
        const uint64_t live = ~uint64_t{0} << (p - blockStart);
        const uint64_t ends = block.lineEnd & live;
        // Bytes of this line in the block: up to its end, or to the block's end.
        const uint64_t inLine = (ends ? (ends & (0 - ends)) - 1 : ~uint64_t{0}) & live;
        const uint64_t nuls = block.secondNul & inLine;
        if (splitting) {
            // Tabs split up to the first NUL kept inside the line.
            uint64_t tabs = block.tab & inLine & (nuls ? (nuls & (0 - nuls)) - 1 : ~uint64_t{0});
            for (; tabs && splitting; tabs &= tabs - 1)
                split(blockStart + static_cast<unsigned>(__builtin_ctzll(tabs)));
        }
        if (nuls) {
            splitting = false;
            nulInside = true;
        }
        if (ends) {
            p = blockStart + static_cast<unsigned>(__builtin_ctzll(ends));
            blockStart_ = blockStart;
            block_ = block;
            blockValid_ = true;
            break;
        }
        secondFirst = block.carry;
        blockStart += kLineBlockSize;
        p = blockStart;
        resolve = true;
    }
    const std::size_t end = p;
    if (p < size && text[p++] == '\r') {
        while (p < size && text[p] == '\n') ++p;
        if (p == size && pending) return unsplit();  // more line feeds may follow
    }
    cursor_ = p;
    text[end] = 0;
    if (end == start) return 0;
    if (lengths) {
        // Fields before the last one end at a tab; only the last one may hold a NUL of its own.
        for (int k = 0; k + 1 < n; ++k) lengths[k] = static_cast<std::size_t>(fields[k + 1] - fields[k] - 1);
        const std::size_t lastStart = static_cast<std::size_t>(fields[n - 1] - base);
        lengths[n - 1] = nulInside ? std::strlen(fields[n - 1]) : end - lastStart;
    }
    return n;
}

}  // namespace twk
