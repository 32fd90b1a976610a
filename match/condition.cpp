#include "match/condition.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/text.h"

namespace twk {

namespace {

// a-z to A-Z, every other byte unchanged. Built once, at compile time.
struct FoldTable {
    unsigned char map[256];
    constexpr FoldTable() : map() {
        for (int c = 0; c < 256; ++c) map[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
};
constexpr FoldTable kFold{};

inline unsigned char fold(unsigned char c) {
    return kFold.map[c];
}

bool isOperator(unsigned char c) {
    return c == '&' || c == '|' || c == '-';
}

// Collects the bytes of one term. A term keeps at most kMaxTermBytes bytes: once the next character does not
// fit, copying stops and the rest of the term is still read (so that it is not taken for the next term) but
// dropped: reading it as the next part of the text would make a term, or an error, the user never wrote. A
// double-byte character is never split by this cut. Trailing spaces of an unquoted term are cut later; `keep`
// is the length up to the last byte that must stay (a non-space or an escaped byte).
class TermText {
  public:
    explicit TermText(std::string& out) : out_(out) { out_.clear(); }
    void put(const unsigned char* c, std::size_t n, bool protect) {
        if (!full_ && out_.size() + n > static_cast<std::size_t>(kMaxTermBytes)) full_ = true;
        if (!full_) out_.append(reinterpret_cast<const char*>(c), n);
        // A space followed by more of the term (even beyond the cut) is not trailing.
        if (protect || c[0] != ' ') keep_ = out_.size();
    }
    void cutTrailingSpaces() { out_.resize(keep_); }

  private:
    std::string& out_;
    std::size_t keep_ = 0;
    bool full_ = false;
};

// Copies one character at p into the term and returns the byte after it. A "\" takes the next character
// literally: a lead byte together with its second byte, so that the second byte is never read on its own. A
// "\" at the very end of the text has nothing to escape and stays as it is.
const unsigned char* copyCharacter(const unsigned char* p, TermText& term, bool quoted) {
    if (*p == '\\') {
        if (p[1] == 0) {
            term.put(p, 1, true);
            return p + 1;
        }
        if (isLeadByte(p[1]) && p[2] != 0) {
            term.put(p + 1, 2, true);
            return p + 3;
        }
        term.put(p + 1, 1, true);
        return p + 2;
    }
    if (isLeadByte(*p) && p[1] != 0) {
        term.put(p, 2, true);
        return p + 2;
    }
    term.put(p, 1, quoted);
    return p + 1;
}

// Reads the term at p (spaces already skipped) into `text`; returns the byte after it.
const unsigned char* readTerm(const unsigned char* p, std::string& text) {
    TermText term(text);
    if (*p == '"') {
        ++p;
        while (*p != 0 && *p != '"') p = copyCharacter(p, term, true);
        if (*p == '"') ++p;  // the text may end before the closing quote
        return p;
    }
    while (*p != 0 && !isOperator(*p)) p = copyCharacter(p, term, false);
    term.cutTrailingSpaces();
    return p;
}

// The test of a term's first character, and whether that character is removed.
struct Prefix {
    char c;
    FieldTest test;
};
constexpr Prefix kPrefixes[] = {
    {'#', FieldTest::NameContains}, {'$', FieldTest::TripContains}, {'%', FieldTest::HashContains},
    {'=', FieldTest::SizeEqual},    {'<', FieldTest::SizeLess},     {'>', FieldTest::SizeGreater},
    {'!', FieldTest::VerEqual},     {'?', FieldTest::RefUnknown},   {'(', FieldTest::RefLess},
    {')', FieldTest::RefGreater},
};

bool isNumberTest(FieldTest t) {
    switch (t) {
        case FieldTest::SizeEqual:
        case FieldTest::SizeLess:
        case FieldTest::SizeGreater:
        case FieldTest::RefLess:
        case FieldTest::RefGreater:
            return true;
        default:
            return false;
    }
}

bool isContainsTest(FieldTest t) {
    return t == FieldTest::NameContains || t == FieldTest::TripContains || t == FieldTest::HashContains;
}

void foldKey(const std::string& text, std::string& key) {
    key = text;
    std::size_t n = key.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(key[i]);
        if (isLeadByte(c) && i + 1 < n) {
            ++i;  // the pair stays as it is
            continue;
        }
        key[i] = static_cast<char>(fold(c));
    }
}

// Turns the raw text of a term into its test and text. False when the term is wrong.
bool makeTerm(const std::string& raw, ConditionTerm& term) {
    if (raw.empty()) return false;
    term.test = FieldTest::NameContains;
    std::size_t skip = 0;
    for (const Prefix& prefix : kPrefixes) {
        if (raw[0] == prefix.c) {
            term.test = prefix.test;
            skip = 1;
            break;
        }
    }
    const char* rest = raw.c_str() + skip;
    if (term.test == FieldTest::RefUnknown) {
        if (*rest != 0) return false;
        term.text.clear();
        return true;
    }
    if (isNumberTest(term.test)) return normalizeNumber(rest, term.text);
    if (*rest == 0) return false;
    term.text.assign(rest);
    if (isContainsTest(term.test)) foldKey(term.text, term.folded);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Field sources: the same tests read an Entry and a RawRecord.

struct FieldView {
    const char* text;
    std::size_t length;
};

// A fixed field up to its first NUL (or its whole capacity when it has none).
FieldView boundedField(const char* text, std::size_t capacity) {
    const void* nul = std::memchr(text, 0, capacity);
    return {text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : capacity};
}

// A row's fields are terminated texts.
FieldView terminatedField(const char* text) {
    return {text, std::strlen(text)};
}

struct EntryFields {
    const Entry& e;
    // The name is measured once for all the terms that read it.
    mutable FieldView name_{nullptr, 0};
    FieldView name() const {
        if (name_.text == nullptr) {
            const RowName n = e.name();
            name_ = {n.data(), n.size()};
        }
        return name_;
    }
    FieldView trip() const { return terminatedField(e.trip()); }
    FieldView size() const { return terminatedField(e.size()); }
    FieldView refAmount() const { return terminatedField(e.refAmount()); }
    FieldView ver() const { return terminatedField(e.ver()); }
    FieldView hash() const { return terminatedField(e.hash()); }
};

struct RawFields {
    const RawRecord& r;
    FieldView name() const { return boundedField(r.name, sizeof r.name); }
    FieldView trip() const { return boundedField(r.trip, sizeof r.trip); }
    FieldView size() const { return boundedField(r.size, sizeof r.size); }
    FieldView refAmount() const { return boundedField(r.refAmount, sizeof r.refAmount); }
    FieldView ver() const { return boundedField(r.ver, sizeof r.ver); }
    FieldView hash() const { return boundedField(r.hash, sizeof r.hash); }
};

bool contains(FieldView f, const std::string& key) {
    return fieldContains(f.text, f.length, key);
}
int compareNumber(FieldView f, const std::string& number) {
    return compareNumberField(f.text, f.length, number);
}

bool startsWithUnknown(FieldView f) {
    std::size_t i = 0;
    while (i < f.length && f.text[i] == ' ') ++i;
    return i < f.length && f.text[i] == '?';
}

template <class Fields>
bool runTest(const ConditionTerm& t, const Fields& f) {
    switch (t.test) {
        case FieldTest::NameContains:
            return contains(f.name(), t.folded);
        case FieldTest::TripContains:
            return contains(f.trip(), t.folded);
        case FieldTest::HashContains:
            return contains(f.hash(), t.folded);
        case FieldTest::SizeEqual:
            return compareNumber(f.size(), t.text) == 0;
        case FieldTest::SizeLess:
            return compareNumber(f.size(), t.text) < 0;
        case FieldTest::SizeGreater:
            return compareNumber(f.size(), t.text) > 0;
        case FieldTest::VerEqual: {
            FieldView v = f.ver();
            return v.length == t.text.size() && std::memcmp(v.text, t.text.data(), v.length) == 0;
        }
        case FieldTest::RefUnknown:
            return startsWithUnknown(f.refAmount());
        case FieldTest::RefLess:
            return compareNumber(f.refAmount(), t.text) < 0;
        case FieldTest::RefGreater:
            return compareNumber(f.refAmount(), t.text) > 0;
    }
    return false;
}

template <class Fields>
bool evaluate(const ConditionTerms& terms, const Fields& f) {
    bool result = false;
    for (const ConditionTerm& t : terms) {
        switch (t.op) {
            case TermOperator::None:
                result = runTest(t, f);
                break;
            case TermOperator::And:
                if (result) result = runTest(t, f);
                break;
            case TermOperator::Or:
                if (!result) result = runTest(t, f);
                break;
            case TermOperator::AndNot:
                if (result) result = !runTest(t, f);
                break;
        }
    }
    return result;
}

// ---------------------------------------------------------------------------------------------------------------
// Substring search: blocks of field positions are filtered by the first two bytes of the key.

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

inline std::uint64_t zeroBytes(std::uint64_t v) {
    return (v - kOnes) & ~v & kHighs;
}

// Whether the folded key matches the field at p (at most `avail` bytes left).
inline bool matchesAt(const unsigned char* p, std::size_t avail, const unsigned char* key, std::size_t n) {
    if (n > avail) return false;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char k = key[i];
        if (isLeadByte(k) && i + 1 < n) {
            if (p[i] != k || p[i + 1] != key[i + 1]) return false;
            ++i;
        } else if (fold(p[i]) != k) {
            return false;
        }
    }
    return true;
}

// Marks (in the high bit of each byte, possibly with false alarms but never a miss) the bytes of a word equal
// to a key byte: for an upper-case letter that may be folded, either case. Setting bit 5 maps exactly the two
// cases of a letter to its lower case.
class ByteFilter {
  public:
    ByteFilter(unsigned char c, bool folds) {
        bool letter = folds && c >= 'A' && c <= 'Z';
        orMask_ = letter ? kOnes * 0x20 : 0;
        pattern_ = kOnes * (letter ? (c | 0x20) : c);
    }
    std::uint64_t hits(std::uint64_t w) const { return zeroBytes((w | orMask_) ^ pattern_); }
    unsigned char orByte() const { return static_cast<unsigned char>(orMask_); }
    unsigned char byte() const { return static_cast<unsigned char>(pattern_); }

  private:
    std::uint64_t orMask_;
    std::uint64_t pattern_;
};

// Whether a position starts a character, asked for positions in increasing order. A byte outside the
// lead-byte range always ends a character, so the position after the last such byte before p starts one, and
// from there the bytes of the lead-byte range run in pairs: p starts a character when that run has even
// length. The run is looked at only back to the last position already known to start a character, so a scan
// stays linear.
class CharacterStarts {
  public:
    explicit CharacterStarts(const unsigned char* start) : known_(start) {}
    bool isStart(const unsigned char* p) {
        const unsigned char* q = p;
        while (q > known_ && isLeadByte(q[-1])) --q;
        bool at = ((p - q) & 1) == 0;
        known_ = at ? p : p + 1;  // not a start: p is a second byte, so p + 1 starts the next character
        return at;
    }

  private:
    const unsigned char* known_;
};

// Number normalisation helpers.
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool normalizeNumber(const char* text, std::string& out) {
    out.clear();
    std::size_t digits = 0;
    while (isDigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == 0) return false;
    if (text[0] == '0' && digits > 1) return false;
    int groups = 0;
    const char* unit = text + digits;
    if (*unit != 0) {
        if (unit[1] != 0) return false;
        switch (fold(static_cast<unsigned char>(*unit))) {
            case 'K':
                groups = 1;
                break;
            case 'M':
                groups = 2;
                break;
            case 'G':
                groups = 3;
                break;
            default:
                return false;
        }
    }
    // Zero of any unit is zero: "0K" reads as "0", not as "0,000", which no size field ever shows.
    if (digits == 1 && text[0] == '0') groups = 0;
    out.reserve(digits + digits / 3 + 4 * groups);
    for (std::size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0) out.push_back(',');
        out.push_back(text[i]);
    }
    for (int g = 0; g < groups; ++g) out.append(",000");
    return true;
}

bool parseConditionText(const char* text, ConditionTerms& terms) {
    terms.clear();
    if (text == nullptr || *text == 0) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    std::string raw;
    TermOperator op = TermOperator::None;
    for (;;) {
        while (*p == ' ') ++p;
        p = readTerm(p, raw);
        ConditionTerm term;
        term.op = op;
        if (!makeTerm(raw, term)) {
            terms.clear();
            return false;
        }
        terms.push_back(std::move(term));
        while (*p == ' ') ++p;
        if (*p == 0) return true;
        switch (*p) {
            case '&':
                op = TermOperator::And;
                break;
            case '|':
                op = TermOperator::Or;
                break;
            case '-':
                op = TermOperator::AndNot;
                break;
            default:
                terms.clear();
                return false;
        }
        ++p;
        if (*p == 0) {
            terms.clear();
            return false;
        }
    }
}

bool evaluateTerms(const ConditionTerms& terms, const Entry& row) {
    return evaluate(terms, EntryFields{row, {nullptr, 0}});
}

bool evaluateTerms(const ConditionTerms& terms, const RawRecord& record) {
    return evaluate(terms, RawFields{record});
}

bool fieldContains(const char* field, std::size_t length, const std::string& key) {
    if (key.empty() || length == 0) return false;
    const unsigned char* k = reinterpret_cast<const unsigned char*>(key.data());
    const std::size_t n = key.size();
    const unsigned char first = k[0];
    const bool twoBytes = n >= 2;
    // The key's first two bytes filter the positions; the second is folded unless it ends a double-byte pair.
    const ByteFilter firstFilter(first, true);
    const ByteFilter secondFilter(twoBytes ? k[1] : 0, !isLeadByte(first));
    const unsigned char* const start = reinterpret_cast<const unsigned char*>(field);
    const unsigned char* const end = start + length;
    CharacterStarts starts(start);
    auto candidate = [&](const unsigned char* q) {
        return fold(*q) == first && starts.isStart(q) &&
               matchesAt(q, static_cast<std::size_t>(end - q), k, n);
    };
    const unsigned char* p = start;
    // Skip blocks that hold neither a NUL nor a position where the key's first two bytes could begin.
#if defined(__SSE2__)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i or1 = _mm_set1_epi8(static_cast<char>(firstFilter.orByte()));
        const __m128i is1 = _mm_set1_epi8(static_cast<char>(firstFilter.byte()));
        const __m128i or2 = _mm_set1_epi8(static_cast<char>(secondFilter.orByte()));
        const __m128i is2 = _mm_set1_epi8(static_cast<char>(secondFilter.byte()));
        while (end - p >= 17) {
            __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            __m128i hits = _mm_cmpeq_epi8(_mm_or_si128(v0, or1), is1);
            if (twoBytes) {
                __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
                hits = _mm_and_si128(hits, _mm_cmpeq_epi8(_mm_or_si128(v1, or2), is2));
            }
            unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, zero)));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            if (nul != 0) mask &= (nul & (0u - nul)) - 1;  // only the positions before the first NUL
            for (; mask != 0; mask &= mask - 1) {
                if (candidate(p + __builtin_ctz(mask))) return true;
            }
            if (nul != 0) return false;
            p += 16;
        }
        // The last bytes: one block that ends with the field, its positions before p left out. The second
        // bytes are the block moved by one, so that nothing past the field is read.
        if (p < end && end - start >= 16) {
            const unsigned char* q = end - 16;
            const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            __m128i hits = _mm_cmpeq_epi8(_mm_or_si128(v0, or1), is1);
            if (twoBytes) {
                const __m128i v1 = _mm_srli_si128(v0, 1);
                hits = _mm_and_si128(hits, _mm_cmpeq_epi8(_mm_or_si128(v1, or2), is2));
            }
            const unsigned skip = static_cast<unsigned>(p - q);
            const unsigned nul =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, zero))) >> skip << skip;
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)) >> skip << skip;
            if (nul != 0) mask &= (nul & (0u - nul)) - 1;
            for (; mask != 0; mask &= mask - 1) {
                if (candidate(q + __builtin_ctz(mask))) return true;
            }
            return false;
        }
    }
#endif
    while (end - p >= 9) {
        std::uint64_t w0, w1;
        std::memcpy(&w0, p, 8);
        std::memcpy(&w1, p + 1, 8);
        std::uint64_t hits = firstFilter.hits(w0);
        if (twoBytes) hits &= secondFilter.hits(w1);
        if ((zeroBytes(w0) | hits) != 0) {
            for (const unsigned char* stop = p + 8; p < stop; ++p) {
                if (*p == 0) return false;
                if (candidate(p)) return true;
            }
        } else {
            p += 8;
        }
    }
    for (; p < end; ++p) {
        if (*p == 0) return false;
        if (candidate(p)) return true;
    }
    return false;
}

int compareNumberField(const char* field, std::size_t length, const std::string& number) {
    FieldView f = boundedField(field, length);
    std::size_t i = 0;
    while (i < f.length && !isDigit(static_cast<unsigned char>(f.text[i]))) ++i;
    std::size_t rest = f.length - i;
    if (rest != number.size()) return rest < number.size() ? -1 : 1;
    if (rest == 0) return 0;
    if (f.length < length) return localeCompare(f.text + i, number.c_str());
    // The field fills its whole buffer without a terminator: compare a terminated copy.
    char copy[2 * kMaxTermBytes + 2];
    if (rest >= sizeof copy) rest = sizeof copy - 1;
    std::memcpy(copy, f.text + i, rest);
    copy[rest] = 0;
    return localeCompare(copy, number.c_str());
}

}  // namespace twk
