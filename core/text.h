// Text helpers of the engine. All text is cp932 (Shift_JIS) bytes; nothing here asks the system code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace twk {

// The cp932 lead-byte test: a byte in 0x81..0x9F or 0xE0..0xFC starts a double-byte character.
inline bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline bool isLeadByte(char c) {
    return isLeadByte(static_cast<unsigned char>(c));
}

// Copies at most capacity - 1 bytes of src into dst and terminates it. Cuts by byte count (a double-byte
// character may be split).
void copyCut(char* dst, std::size_t capacity, const char* src);
// The same for a source of known length (its first `length` bytes, which hold no NUL).
inline void copyCut(char* dst, std::size_t capacity, const char* src, std::size_t length) {
    if (capacity == 0) return;
    if (length > capacity - 1) length = capacity - 1;
    std::memcpy(dst, src, length);
    dst[length] = 0;
}

// The locale-aware, case-sensitive comparison the program orders hashes, trips and statuses by (what lstrcmpA
// does on a Japanese system). Negative, 0 or positive as a before, equal to or after b.
class TextComparer {
  public:
    virtual ~TextComparer() = default;
    virtual int compare(const char* a, const char* b) const = 0;
    // A prefix of the text's sort key: whenever sortKeyPrefix(a) < sortKeyPrefix(b) (unsigned), compare(a, b)
    // is negative. Lets searches decide most probes without touching the texts. A comparison that cannot tell
    // returns 0 for every text. Install a comparison before any list holds rows: lists keep these prefixes.
    virtual uint64_t sortKeyPrefix(const char* text) const {
        (void)text;
        return 0;
    }
    // The next eight bytes of the sort key: for two texts with equal prefixes, whenever sortKeySecond(a) <
    // sortKeySecond(b), compare(a, b) is negative. 0 for every text when the comparison cannot tell.
    virtual uint64_t sortKeySecond(const char* text) const {
        (void)text;
        return 0;
    }
};

// A portable comparison that agrees with the Japanese system comparison on ASCII letters, digits and
// punctuation (see text.cpp for what it does with other bytes).
class EmulatedComparer final : public TextComparer {
  public:
    int compare(const char* a, const char* b) const override;
    uint64_t sortKeyPrefix(const char* text) const override;
    uint64_t sortKeySecond(const char* text) const override;
};

// The comparison in force for the whole process: the emulation until the platform installs its own.
const TextComparer& textComparer();
// Installs a comparison (the platform's, or a test's); nullptr restores the emulation. Returns the previous
// one.
const TextComparer* setTextComparer(const TextComparer* comparer);

inline int localeCompare(const char* a, const char* b) {
    return textComparer().compare(a, b);
}

// The part of a path after its last "\" (a double-byte character's second byte is never taken for one).
std::string fileNamePart(const std::string& path);
// The part up to and including its last "\" ("" when there is none).
std::string folderPart(const std::string& path);

#ifdef _WIN32
// The platform's comparison for the Japanese locale (what lstrcmpA does on a Japanese system), whatever the
// system's own locale is. Installed by the program at start-up.
const TextComparer& systemTextComparer();
// The system's own first eight sort-key bytes of a text (what systemTextComparer's prefixes must equal).
uint64_t systemSortKeyPrefixAsMapped(const char* text);
uint64_t systemSortKeySecondAsMapped(const char* text);
#endif

}  // namespace twk
