#include "match/condition.h"

#include <cstdint>
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

// Sets a "contains" term's lanes from its folded key.
void setLanes(ConditionTerm& term);

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
    if (isContainsTest(term.test)) {
        foldKey(term.text, term.folded);
        setLanes(term);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Field sources: the same tests read an Entry and a RawRecord.

struct FieldView {
    const char* text;
    std::size_t length;  // or kToNul
};

// The length of a field that ends at its first NUL and has not been measured. The substring search reads such
// a field in aligned blocks of 16 bytes, which never cross into a page the field does not reach; the bytes
// after the NUL in the last block are read but not looked at. Builds that check every byte read (the
// sanitizers) measure the field first instead.
constexpr std::size_t kToNul = ~std::size_t(0);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TWK_EXACT_READS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define TWK_EXACT_READS 1
#endif
#endif
#if defined(__SSE2__) && !defined(TWK_EXACT_READS)
constexpr bool kReadsToNul = true;
#else
constexpr bool kReadsToNul = false;
#endif

// The most keys one pass over a field looks for.
constexpr int kScanKeys = 8;
// Bit i is set when the field (no NUL in its `length` bytes) contains the key of keys[i], a "contains" term.
// With `settled`, the pass ends as soon as settled[the set found so far] is set: the keys not found yet then
// do not change what the caller makes of the answer, and are left out of it.
unsigned containsKeys(FieldView field, const ConditionTerm* const* keys, int count,
                      const unsigned char* settled = nullptr);
bool containsKey(FieldView f, const ConditionTerm& key) {
    const ConditionTerm* keys[1] = {&key};
    return containsKeys(f, keys, 1) != 0;
}

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
    // The name is measured at most once for all the terms that read it.
    mutable FieldView name_{nullptr, 0};
    FieldView name() const {
        if (name_.text == nullptr) {
            if (kReadsToNul) {
                name_ = {e.nameText(), kToNul};
            } else {
                const RowName n = e.name();
                name_ = {n.data(), n.size()};
            }
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
            return containsKey(f.name(), t);
        case FieldTest::TripContains:
            return containsKey(f.trip(), t);
        case FieldTest::HashContains:
            return containsKey(f.hash(), t);
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

// The name tests of a chain: the first that is asked for looks for the keys of the first kScanKeys of them in
// one pass over the name, and the others read their answer from it.
template <class Fields>
class NameTests {
  public:
    NameTests(const ConditionTerms& terms, const Fields& f) : terms_(terms), f_(f) {}
    bool contains(int slot, const ConditionTerm& t) {
        if (slot >= kScanKeys) return containsKey(f_.name(), t);
        if (!scanned_) {
            const ConditionTerm* keys[kScanKeys];
            int n = 0;
            for (const ConditionTerm& term : terms_)
                if (term.test == FieldTest::NameContains && n < kScanKeys) keys[n++] = &term;
            found_ = containsKeys(f_.name(), keys, n);
            scanned_ = true;
        }
        return (found_ >> slot) & 1;
    }

  private:
    const ConditionTerms& terms_;
    const Fields& f_;
    unsigned found_ = 0;
    bool scanned_ = false;
};

// Reads a chain left to right without precedence; test(term, slot) answers a term whose answer is wanted,
// slot being its place among the chain's name tests (-1 for the other tests).
template <class Test>
bool runChain(const ConditionTerms& terms, Test&& test) {
    int nameSlot = 0;
    bool result = false;
    for (const ConditionTerm& t : terms) {
        const int slot = t.test == FieldTest::NameContains ? nameSlot++ : -1;
        bool wanted = false;
        switch (t.op) {
            case TermOperator::None:
                wanted = true;
                break;
            case TermOperator::And:
            case TermOperator::AndNot:
                wanted = result;
                break;
            case TermOperator::Or:
                wanted = !result;
                break;
        }
        if (!wanted) continue;
        const bool hit = test(t, slot);
        result = t.op == TermOperator::AndNot ? !hit : hit;
    }
    return result;
}

template <class Fields>
bool evaluate(const ConditionTerms& terms, const Fields& f) {
    NameTests<Fields> names(terms, f);
    return runChain(terms, [&](const ConditionTerm& t, int slot) {
        return slot >= 0 ? names.contains(slot, t) : runTest(t, f);
    });
}

// ---------------------------------------------------------------------------------------------------------------
// Substring search: blocks of field positions are filtered by the first two bytes of each key.

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

// The test of a field byte b against a key byte: (b | orByte) == byte. For an upper-case letter that may be
// folded, setting bit 5 maps exactly the two cases of the letter to its lower case; other bytes match only
// themselves.
struct ByteFilter {
    ByteFilter(unsigned char c, bool folds) {
        const bool letter = folds && c >= 'A' && c <= 'Z';
        orByte = letter ? 0x20 : 0;
        byte = letter ? static_cast<unsigned char>(c | 0x20) : c;
    }
    unsigned char orByte;
    unsigned char byte;
};

// Whether a position starts a character, asked for positions in increasing order. A byte outside the
// lead-byte range always ends a character, so the position after the last such byte before p starts one, and
// from there the bytes of the lead-byte range run in pairs: p starts a character when that run has even
// length. The run is looked at only back to `known`, the last position known to start a character (moved on
// by each call), so a scan stays linear.
struct CharacterStarts {
    static bool at(const unsigned char*& known, const unsigned char* p) {
        const unsigned char* q = p;
        while (q > known && isLeadByte(q[-1])) --q;
        const bool start = ((p - q) & 1) == 0;
        known = start ? p : p + 1;  // not a start: p is a second byte, so p + 1 starts the next character
        return start;
    }
};

void setLanes(ConditionTerm& term) {
    const std::string& key = term.folded;
    const unsigned char first = key.empty() ? 0 : static_cast<unsigned char>(key[0]);
    const ByteFilter a(first, true);
    // The second byte is folded unless it ends a double-byte pair; a one-byte key lets every byte after it
    // through.
    const ByteFilter b = key.size() >= 2 ? ByteFilter(static_cast<unsigned char>(key[1]), !isLeadByte(first))
                                         : ByteFilter(0xFF, false);
    std::memset(term.lanes.firstMask, a.orByte, 16);
    std::memset(term.lanes.firstValue, a.byte, 16);
    std::memset(term.lanes.secondMask, key.size() >= 2 ? b.orByte : 0xFF, 16);
    std::memset(term.lanes.secondValue, b.byte, 16);
}

// One pass over a field for up to kScanKeys keys. Blocks of positions are tested for all keys at once by the
// first two bytes of each; only a block where a key may start is looked at key by key.
class KeyScan {
  public:
    KeyScan(FieldView field, const ConditionTerm* const* keys, int count, const unsigned char* settled)
        : keys_(keys),
          count_(count),
          settled_(settled),
          start_(reinterpret_cast<const unsigned char*>(field.text)),
          toNul_(field.length == kToNul),
          end_(toNul_ ? nullptr : start_ + field.length) {
        for (int i = 0; i < count; ++i) {
            const std::size_t n = keys[i]->folded.size();
            if (n > 0 && n <= field.length) active_ |= 1u << i;
            known_[i] = start_;
        }
    }

    unsigned run() {
        if (active_ == 0) return 0;
#if defined(__SSE2__)
        return toNul_ ? runSse2ToNul() : runSse2Bounded();
#else
        return runBytes(start_);
#endif
    }

  private:
    // Whether key i starts at q; a key found is looked for no more. A field read to its NUL cannot match past
    // it: no key holds a NUL.
    void test(int i, const unsigned char* q) {
        const std::string& key = keys_[i]->folded;
        const auto* k = reinterpret_cast<const unsigned char*>(key.data());
        if (fold(*q) == k[0] && CharacterStarts::at(known_[i], q) &&
            matchesAt(q, toNul_ ? key.size() : static_cast<std::size_t>(end_ - q), k, key.size())) {
            found_ |= 1u << i;
            active_ = settled_ && settled_[found_] ? 0 : active_ & ~(1u << i);
        }
    }
    // Every position from p to the end of a measured field, byte by byte.
    unsigned runBytes(const unsigned char* p) {
        for (; active_ != 0 && p < end_; ++p)
            for (unsigned a = active_; a != 0; a &= a - 1) test(__builtin_ctz(a), p);
        return found_;
    }
    // The candidates of a block at q: bit j of masks[i] when key i may start at q + j.
    void candidates(const unsigned char* q, const std::uint32_t* masks) {
        for (unsigned a = active_; a != 0; a &= a - 1) {
            const int i = __builtin_ctz(a);
            for (std::uint32_t m = masks[i]; m != 0 && (active_ >> i & 1); m &= m - 1)
                test(i, q + __builtin_ctz(m));
        }
    }

#if defined(__SSE2__)
    static __m128i lane(const unsigned char* bytes) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    }
    __m128i hits(int i, __m128i v0, __m128i v1) const {
        const ConditionTerm::Lanes& l = keys_[i]->lanes;
        return _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(v0, lane(l.firstMask)), lane(l.firstValue)),
                             _mm_cmpeq_epi8(_mm_or_si128(v1, lane(l.secondMask)), lane(l.secondValue)));
    }
    // The positions in `allowed` of the block at q (its bytes v0, the bytes after them v1).
    void block(const unsigned char* q, __m128i v0, __m128i v1, unsigned allowed) {
        __m128i any = hits(0, v0, v1);
        for (int i = 1; i < count_; ++i) any = _mm_or_si128(any, hits(i, v0, v1));
        if ((static_cast<unsigned>(_mm_movemask_epi8(any)) & allowed) == 0) return;
        std::uint32_t masks[kScanKeys];
        for (int i = 0; i < count_; ++i)
            masks[i] = static_cast<unsigned>(_mm_movemask_epi8(hits(i, v0, v1))) & allowed;
        candidates(q, masks);
    }
    // Aligned blocks, the first without the positions before the field. The next block is read only when this
    // one holds no NUL, so the field goes on into it.
    unsigned runSse2ToNul() {
        const __m128i zero = _mm_setzero_si128();
        const unsigned skip = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(start_) & 15);
        const unsigned char* q = start_ - skip;
        __m128i v0 = _mm_load_si128(reinterpret_cast<const __m128i*>(q));
        unsigned allowed = 0xFFFFu >> skip << skip;
        for (;;) {
            const unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, zero))) & allowed;
            const __m128i next = nul ? zero : _mm_load_si128(reinterpret_cast<const __m128i*>(q + 16));
            if (nul) allowed &= (nul & (0u - nul)) - 1;  // the positions before the NUL
            block(q, v0, _mm_or_si128(_mm_srli_si128(v0, 1), _mm_slli_si128(next, 15)), allowed);
            if (nul || active_ == 0) return found_;
            q += 16;
            v0 = next;
            allowed = 0xFFFFu;
        }
    }
    unsigned runSse2Bounded() {
        const unsigned char* p = start_;
        while (end_ - p >= 17) {
            block(p, lane(p), lane(p + 1), 0xFFFFu);
            if (active_ == 0) return found_;
            p += 16;
        }
        if (p == end_) return found_;
        if (end_ - start_ >= 16) {
            // One block that ends with the field, its positions before p left out. The second bytes are the
            // block moved by one, so that nothing past the field is read.
            const unsigned char* q = end_ - 16;
            const __m128i v0 = lane(q);
            block(q, v0, _mm_srli_si128(v0, 1), 0xFFFFu >> (p - q) << (p - q));
            return found_;
        }
        return runBytes(p);
    }
#endif

    const ConditionTerm* const* keys_;
    int count_;
    const unsigned char* settled_;  // when given: by the set found, whether the keys not found still matter
    const unsigned char* start_;
    bool toNul_;
    const unsigned char* end_;
    unsigned active_ = 0;
    unsigned found_ = 0;
    // Where characters start, known up to a position; each key asks for its positions in increasing order.
    const unsigned char* known_[kScanKeys];
};

unsigned containsKeys(FieldView field, const ConditionTerm* const* keys, int count,
                      const unsigned char* settled) {
    if (!kReadsToNul && field.length == kToNul) field.length = std::strlen(field.text);
    if (field.length == 0 || count <= 0) return 0;
    return KeyScan(field, keys, count > kScanKeys ? kScanKeys : count, settled).run();
}

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

TermMatcher::TermMatcher(const ConditionTerms& terms) : terms_(terms) {
    for (const ConditionTerm& t : terms) {
        if (t.test != FieldTest::NameContains || keys_.size() == kScanKeys) return;  // read term by term
        keys_.push_back(&t);
    }
    // Every term tests the name: the chain's answer for each set of keys found, and whether finding more keys
    // could still change it.
    const unsigned sets = 1u << keys_.size();
    answers_.resize(sets);
    settled_.assign(sets, 1);
    for (unsigned found = 0; found < sets; ++found)
        answers_[found] =
            runChain(terms, [&](const ConditionTerm&, int slot) { return (found >> slot & 1) != 0; });
    for (unsigned found = 0; found < sets; ++found)
        for (unsigned more = found; more < sets; more = (more + 1) | found)
            if (answers_[more] != answers_[found]) settled_[found] = 0;
}

bool TermMatcher::matches(const Entry& row) const {
    if (answers_.empty()) return evaluateTerms(terms_, row);
    const FieldView name = EntryFields{row, {nullptr, 0}}.name();
    return answers_[containsKeys(name, keys_.data(), static_cast<int>(keys_.size()), settled_.data())] != 0;
}

bool fieldContains(const char* field, std::size_t length, const std::string& key) {
    ConditionTerm term;
    term.folded = key;
    setLanes(term);
    return containsKey(boundedField(field, length), term);
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
