#include "core/text.h"

namespace twk {

void copyCut(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return;
    std::size_t n = std::strlen(src);
    if (n > capacity - 1) n = capacity - 1;
    std::memcpy(dst, src, n);
    dst[n] = 0;
}

namespace {

// Weights of the emulated comparison, as the Japanese system comparison orders single-byte text ("word sort"):
//  - primary: punctuation and symbols first (in the system's own order, not ASCII order), then digits, then
//    letters without regard to case;
//  - hyphen and apostrophe carry no primary weight: they count only when everything else is equal;
//  - case: when the primary weights are equal, the first difference in case decides, lower case first.
// Bytes 0x80 and above (kana, double-byte characters) are ordered after all ASCII by byte value, byte for byte.
// This is where the emulation stops agreeing with the system: it is not used to order Japanese text in the
// product, where the platform's own comparison is installed.
struct Weights {
    unsigned short primary[256];
    unsigned char caseWeight[256];
    bool ignorable[256];

    Weights() {
        // The order of ASCII punctuation under the system comparison.
        static const char kPunctuation[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";
        unsigned short w = 1;
        for (int c = 0; c < 256; ++c) {
            primary[c] = 0;
            caseWeight[c] = 0;
            ignorable[c] = false;
        }
        for (int c = 1; c < 0x20; ++c) primary[c] = w++;  // control characters first
        for (const char* p = kPunctuation; *p; ++p) primary[static_cast<unsigned char>(*p)] = w++;
        primary[0x7F] = w++;
        for (int c = '0'; c <= '9'; ++c) primary[c] = w++;
        for (int c = 'A'; c <= 'Z'; ++c) {
            primary[c] = w;
            primary[c + 32] = w;
            caseWeight[c] = 1;
            ++w;
        }
        for (int c = 0x80; c < 256; ++c) primary[c] = static_cast<unsigned short>(w + (c - 0x80));
        ignorable[static_cast<unsigned char>('-')] = true;
        ignorable[static_cast<unsigned char>('\'')] = true;
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
    // Fast path: identical prefixes of ordinary bytes compare equal at every level.
    while (*pa && *pa == *pb && !w.ignorable[*pa]) {
        ++pa;
        ++pb;
    }
    if (*pa == 0 && *pb == 0) return 0;
    const unsigned char* sa = pa;
    const unsigned char* sb = pb;
    // Primary level, skipping the ignorable bytes.
    for (;;) {
        while (*pa && w.ignorable[*pa]) ++pa;
        while (*pb && w.ignorable[*pb]) ++pb;
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
        while (*pa && w.ignorable[*pa]) ++pa;
        while (*pb && w.ignorable[*pb]) ++pb;
        if (*pa == 0 || *pb == 0) break;
        if (w.caseWeight[*pa] != w.caseWeight[*pb]) return w.caseWeight[*pa] < w.caseWeight[*pb] ? -1 : 1;
        ++pa;
        ++pb;
    }
    // The ignorable bytes decide last: compare the whole texts byte for byte.
    int r = std::strcmp(reinterpret_cast<const char*>(sa), reinterpret_cast<const char*>(sb));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {
const EmulatedComparer& emulated() {
    static const EmulatedComparer c;
    return c;
}
const TextComparer* g_comparer = nullptr;
}  // namespace

const TextComparer& textComparer() { return g_comparer ? *g_comparer : emulated(); }

const TextComparer* setTextComparer(const TextComparer* comparer) {
    const TextComparer* old = g_comparer;
    g_comparer = comparer;
    return old;
}

}  // namespace twk
