// Byte masks for reading list text 64 bytes at a time: where the tabs, line ends and lead bytes of a block
// are, and which bytes are the second bytes of double-byte characters. Bit i stands for byte i of the block.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace twk {

constexpr int kLineBlockSize = 64;

struct LineBlockMasks {
    uint64_t tab;      // '\t'
    uint64_t lineEnd;  // NUL, LF and CR
    uint64_t zero;     // NUL
    uint64_t lead;     // 0x81..0x9F and 0xE0..0xFC
};

// One byte at a time: the reference, and what targets without SSE2 use.
inline LineBlockMasks lineBlockMasksPortable(const unsigned char* block) {
    LineBlockMasks m = {0, 0, 0, 0};
    for (int i = 0; i < kLineBlockSize; ++i) {
        const unsigned c = block[i];
        const uint64_t bit = uint64_t{1} << i;
        if (c == '\t') m.tab |= bit;
        if (c == 0 || c == '\n' || c == '\r') m.lineEnd |= bit;
        if (c == 0) m.zero |= bit;
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) m.lead |= bit;
    }
    return m;
}

inline LineBlockMasks lineBlockMasks(const unsigned char* block) {
#if defined(__SSE2__)
    LineBlockMasks m = {0, 0, 0, 0};
    const __m128i zero = _mm_setzero_si128();
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    for (int k = 0; k < kLineBlockSize / 16; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
        const __m128i z = _mm_cmpeq_epi8(v, zero);
        const __m128i ends = _mm_or_si128(z, _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        // With the top bit flipped the lead ranges become the signed ranges 0x01..0x1F and 0x60..0x7C.
        const __m128i s = _mm_xor_si128(v, flip);
        const __m128i low = _mm_and_si128(_mm_cmpgt_epi8(s, zero), _mm_cmplt_epi8(s, _mm_set1_epi8(0x20)));
        const __m128i high =
            _mm_and_si128(_mm_cmpgt_epi8(s, _mm_set1_epi8(0x5F)), _mm_cmplt_epi8(s, _mm_set1_epi8(0x7D)));
        const int shift = 16 * k;
        auto bits = [shift](__m128i x) {
            return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(x))) << shift;
        };
        m.tab |= bits(_mm_cmpeq_epi8(v, tab));
        m.lineEnd |= bits(ends);
        m.zero |= bits(z);
        m.lead |= bits(_mm_or_si128(low, high));
    }
    return m;
#else
    return lineBlockMasksPortable(block);
#endif
}

// The bytes of a block that are second bytes of a character while not being lead bytes themselves, for a
// block whose byte 0 starts a character: a run of lead bytes pairs up from its start, so the byte after the
// run is a second byte exactly when the run is odd in length. Runs reaching bit 63 are not resolved (their
// end is in the next block). The same carry trick finds every run's end at once: adding a run's lowest bit
// clears the run and sets the bit after it.
inline uint64_t secondBytesAfterLeadRuns(uint64_t lead) {
    constexpr uint64_t kEven = 0x5555555555555555ull;
    const uint64_t starts = lead & ~(lead << 1);
    const uint64_t endsOfEvenStarts = (lead + (starts & kEven)) & ~lead;
    const uint64_t endsOfOddStarts = (lead + (starts & ~kEven)) & ~lead;
    return (endsOfEvenStarts & ~kEven) | (endsOfOddStarts & kEven);
}

// A block resolved against the characters around it: which bytes split fields, end lines or are NULs inside a
// character. Blocks are resolved one after another over a text, each from the state the one before left.
struct LineBlock {
    uint64_t tab;        // every tab (one that is a second byte splits too)
    uint64_t lineEnd;    // NUL, LF and CR that are not second bytes
    uint64_t secondNul;  // NULs that are second bytes
    bool carry;          // the byte after the block is the second byte of a character begun at bit 63
};

// Resolves a block whose byte 0 starts a character, or is the second byte of one begun before it
// (secondFirst).
inline LineBlock resolveLineBlock(const LineBlockMasks& m, bool secondFirst) {
    const uint64_t first = secondFirst ? 1 : 0;
    const uint64_t lead = m.lead & ~first;
    const uint64_t seconds = secondBytesAfterLeadRuns(lead) | first;
    LineBlock b;
    b.tab = m.tab;
    b.lineEnd = m.lineEnd & ~seconds;
    b.secondNul = m.zero & seconds;
    // The run of lead bytes reaching bit 63 pairs up from its start: an odd run leaves bit 63 a first byte.
    const unsigned run = ~lead == 0 ? 64u : static_cast<unsigned>(__builtin_clzll(~lead));
    b.carry = (run & 1) != 0;
    return b;
}

}  // namespace twk
