#include "core/text.h"

namespace twk {

void copyCut(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return;
    copyCut(dst, capacity, src, std::strlen(src));
}

namespace {

// Weights of the emulated comparison, as the Japanese system comparison orders single-byte text ("word
// sort"):
//  - primary: white space, punctuation and symbols first (in the system's own order, not ASCII order), then
//    digits, then letters without regard to case;
//  - control characters, the apostrophe and the hyphen carry no primary weight: they count only when
//  everything
//    else is equal ("special" weights);
//  - case: when the primary weights are equal, the first difference in case decides, lower case first;
//  - special: the ignorable characters of both texts in order, as (position, weight); at the first difference
//    the one at the earlier position, or else with the larger weight, makes its text the greater; a text with
//    more of them is the greater when all before are equal.
// Bytes 0x80 and above (kana and double-byte characters) are ordered after all ASCII by byte value, byte for
// byte. This is where the emulation stops agreeing with the system: the product installs the platform's own
// comparison and uses the emulation only in builds that have none.
struct Weights {
    unsigned short primary[256];
    unsigned char caseWeight[256];
    unsigned char special[256];  // 0: not ignorable

    Weights() {
        static const char kPunctuation[] = " \t\n\v\f\r!\"#$%&()*,./:;?@[]^_`{|}~\\+<=>";
        for (int c = 0; c < 256; ++c) {
            primary[c] = 0;
            caseWeight[c] = 0;
            special[c] = 0;
        }
        unsigned char sw = 1;
        for (int c = 1; c < 0x20; ++c)
            if (c < 0x09 || c > 0x0D) special[c] = sw++;
        special[0x7F] = sw++;
        special[static_cast<unsigned char>('\'')] = sw++;
        special[static_cast<unsigned char>('-')] = sw++;
        unsigned short w = 1;
        for (const char* p = kPunctuation; *p; ++p) primary[static_cast<unsigned char>(*p)] = w++;
        for (int c = '0'; c <= '9'; ++c) primary[c] = w++;
        for (int c = 'A'; c <= 'Z'; ++c) {
            primary[c] = w;
            primary[c + 32] = w;
            caseWeight[c] = 1;
            ++w;
        }
        for (int c = 0x80; c < 256; ++c) primary[c] = static_cast<unsigned short>(w + (c - 0x80));
        // Every primary weight fits a byte (sortKeyPrefix relies on it).
    }
};

const Weights& weights() {
    static const Weights w;
    return w;
}

}  // namespace

int EmulatedComparer::compare(const char* a, const char* b) const {
    const Weights& w = weights();
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b);
    // Identical leading bytes with a primary weight compare equal at every level and shift positions alike.
    while (*pa && *pa == *pb && !w.special[*pa]) {
        ++pa;
        ++pb;
    }
    if (*pa == 0 && *pb == 0) return 0;
    const unsigned char* const sa = pa;
    const unsigned char* const sb = pb;
    // Primary level.
    for (;;) {
        while (*pa && w.special[*pa]) ++pa;
        while (*pb && w.special[*pb]) ++pb;
        if (*pa == 0 || *pb == 0) {
            if (*pa != *pb) return *pa ? 1 : -1;
            break;
        }
        if (w.primary[*pa] != w.primary[*pb]) return w.primary[*pa] < w.primary[*pb] ? -1 : 1;
        ++pa;
        ++pb;
    }
    // Case level.
    pa = sa;
    pb = sb;
    for (;;) {
        while (*pa && w.special[*pa]) ++pa;
        while (*pb && w.special[*pb]) ++pb;
        if (*pa == 0 || *pb == 0) break;
        if (w.caseWeight[*pa] != w.caseWeight[*pb]) return w.caseWeight[*pa] < w.caseWeight[*pb] ? -1 : 1;
        ++pa;
        ++pb;
    }
    // Special level.
    pa = sa;
    pb = sb;
    for (;;) {
        while (*pa && !w.special[*pa]) ++pa;
        while (*pb && !w.special[*pb]) ++pb;
        if (*pa == 0 || *pb == 0) {
            if (*pa == *pb) return 0;
            return *pa ? 1 : -1;
        }
        long posA = pa - sa, posB = pb - sb;
        if (posA != posB) return posA < posB ? 1 : -1;
        if (w.special[*pa] != w.special[*pb]) return w.special[*pa] > w.special[*pb] ? 1 : -1;
        ++pa;
        ++pb;
    }
}

namespace {
// Eight primary weights (all below 256) of the text's weighted characters, from the `skip`-th one on,
// zero-padded: the primary level decides first, and a text that ends sooner is the smaller.
uint64_t primaryWindow(const char* text, int skip) {
    const Weights& w = weights();
    uint64_t key = 0;
    int n = 0;
    if (skip == 0) {
        // Most texts (hashes among them) start with eight weighted characters.
        const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
        for (; n < 8 && p[n] && !w.special[p[n]]; ++n) key = (key << 8) | w.primary[p[n]];
        if (n == 8) return key;
        key = 0;
        n = 0;
    }
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && n < 8; ++p) {
        if (w.special[*p]) continue;
        if (skip > 0) {
            --skip;
            continue;
        }
        key = (key << 8) | w.primary[*p];
        ++n;
    }
    return n == 0 ? 0 : key << (8 * (8 - n));
}
}  // namespace

uint64_t EmulatedComparer::sortKeyPrefix(const char* text) const {
    return primaryWindow(text, 0);
}

uint64_t EmulatedComparer::sortKeySecond(const char* text) const {
    return primaryWindow(text, 8);
}

namespace {
const EmulatedComparer& emulated() {
    static const EmulatedComparer c;
    return c;
}
const TextComparer* g_comparer = nullptr;
}  // namespace

const TextComparer& textComparer() {
    return g_comparer ? *g_comparer : emulated();
}

const TextComparer* setTextComparer(const TextComparer* comparer) {
    const TextComparer* old = g_comparer;
    g_comparer = comparer;
    return old;
}

namespace {

// Where the part after the last "\\" starts (0 when there is none), stepping over double-byte characters,
// whose second byte may be 0x5C.
size_t afterLastBackslash(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte(path[i]) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\') start = i + 1;
    }
    return start;
}

}  // namespace

std::string fileNamePart(const std::string& path) {
    return path.substr(afterLastBackslash(path));
}

std::string folderPart(const std::string& path) {
    return path.substr(0, afterLastBackslash(path));
}

}  // namespace twk
