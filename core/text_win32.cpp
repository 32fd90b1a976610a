#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/text.h"

namespace twk {

namespace {
const LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);

// Eight bytes of the text's sort key from `offset` on (0 or 8), asked of the system; zero-padded.
uint64_t mappedSortKeyWindow(const char* text, int offset) {
    BYTE key[256];
    const BYTE* bytes = key;
    std::string big;
    int n = LCMapStringA(kJapanese, LCMAP_SORTKEY, text, -1, reinterpret_cast<char*>(key), sizeof key);
    if (n <= 0) {
        // Too long for the buffer: ask for the size and map into a buffer of that size.
        int need = LCMapStringA(kJapanese, LCMAP_SORTKEY, text, -1, nullptr, 0);
        if (need <= 0) return 0;
        big.assign(static_cast<std::size_t>(need), '\0');
        n = LCMapStringA(kJapanese, LCMAP_SORTKEY, text, -1, &big[0], need);
        if (n <= 0) return 0;
        bytes = reinterpret_cast<const BYTE*>(big.data());
    }
    uint64_t window = 0;
    for (int i = offset; i < offset + 8; ++i) window = (window << 8) | (i < n ? bytes[i] : 0u);
    return window;
}

class JapaneseLocaleComparer final : public TextComparer {
  public:
    JapaneseLocaleComparer() {
        // Each ASCII character's primary weight, as its own sort key shows it: two bytes before the level
        // separator, or none (a character that counts only at a later level).
        for (int c = 1; c < 0x80; ++c) {
            const char one[2] = {static_cast<char>(c), 0};
            BYTE key[64];
            const int n =
                LCMapStringA(kJapanese, LCMAP_SORTKEY, one, -1, reinterpret_cast<char*>(key), sizeof key);
            if (n >= 1 && key[0] == kLevelSeparator) {
                ascii_[c] = Weight{kNoPrimary, 0};
            } else if (n >= 3 && key[2] == kLevelSeparator) {
                ascii_[c] = Weight{kPair, static_cast<uint16_t>(key[0] << 8 | key[1])};
            }  // else: left to the system
        }
    }

    int compare(const char* a, const char* b) const override {
        // CompareStringA with the Japanese locale reads the bytes as cp932 whatever the ANSI code page is.
        int r = CompareStringA(kJapanese, 0, a, -1, b, -1);
        if (r == 0) return lstrcmpA(a, b);  // not expected: the locale is always there
        return r - CSTR_EQUAL;
    }

    // The sort key's bytes order texts as the comparison does: its first eight bytes are a valid prefix, and
    // the next eight a valid second window. In a text of ASCII characters they are the primary weights of its
    // first four and next four weighted characters, which the table gives without asking the system (a text
    // with fewer has level bytes among them).
    uint64_t sortKeyPrefix(const char* text) const override { return window(text, 0); }
    uint64_t sortKeySecond(const char* text) const override { return window(text, 1); }

  private:
    uint64_t window(const char* text, int index) const {
        uint64_t bytes = 0;
        int pairs = 0;
        const int skip = 4 * index;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && pairs < skip + 4;
             ++p) {
            const Weight w = *p < 0x80 ? ascii_[*p] : Weight{};
            if (w.kind == kPair) {
                if (pairs++ >= skip) bytes = bytes << 16 | w.pair;
            } else if (w.kind != kNoPrimary) {
                return mappedSortKeyWindow(text, 8 * index);
            }
        }
        return pairs == skip + 4 ? bytes : mappedSortKeyWindow(text, 8 * index);
    }

    static constexpr BYTE kLevelSeparator = 0x01;
    enum Kind : uint8_t { kAsk = 0, kPair, kNoPrimary };
    struct Weight {
        Kind kind = kAsk;
        uint16_t pair = 0;
    };
    Weight ascii_[0x80];
};
}  // namespace

uint64_t systemSortKeyPrefixAsMapped(const char* text) {
    return mappedSortKeyWindow(text, 0);
}
uint64_t systemSortKeySecondAsMapped(const char* text) {
    return mappedSortKeyWindow(text, 8);
}

const TextComparer& systemTextComparer() {
    static const JapaneseLocaleComparer c;
    return c;
}

}  // namespace twk
