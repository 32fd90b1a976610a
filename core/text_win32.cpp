#include <windows.h>

#include <string>

#include "core/text.h"

namespace twk {

namespace {
const LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);

class JapaneseLocaleComparer final : public TextComparer {
public:
    int compare(const char* a, const char* b) const override {
        // CompareStringA with the Japanese locale reads the bytes as cp932 whatever the ANSI code page is.
        int r = CompareStringA(kJapanese, 0, a, -1, b, -1);
        if (r == 0) return lstrcmpA(a, b);  // not expected: the locale is always there
        return r - CSTR_EQUAL;
    }

    uint64_t sortKeyPrefix(const char* text) const override {
        // The sort key's bytes order texts as the comparison does; its first eight bytes are a valid prefix.
        BYTE key[256];
        int n = LCMapStringA(kJapanese, LCMAP_SORTKEY, text, -1, reinterpret_cast<char*>(key), sizeof key);
        if (n <= 0) {
            // Too long for the buffer: ask for the size and map into a buffer of that size.
            int need = LCMapStringA(kJapanese, LCMAP_SORTKEY, text, -1, nullptr, 0);
            if (need <= 0) return 0;
            std::string big(static_cast<std::size_t>(need), '\0');
            n = LCMapStringA(kJapanese, LCMAP_SORTKEY, text, -1, &big[0], need);
            if (n <= 0) return 0;
            std::memcpy(key, big.data(), 8 < n ? 8 : n);
        }
        uint64_t prefix = 0;
        for (int i = 0; i < 8; ++i) prefix = (prefix << 8) | (i < n ? key[i] : 0u);
        return prefix;
    }
};
}  // namespace

const TextComparer& systemTextComparer() {
    static const JapaneseLocaleComparer c;
    return c;
}

}  // namespace twk
