// The scanner reads a text as matchRegex's walk does, only on every path at once:
//  - a character is a lead byte with the byte after it (unless that is the terminator), else one byte; the
//    cached automaton takes it in two bytes, the first leading to a state that remembers it;
//  - a match begins at every character before the terminator (under "^": the first one, and each byte after
//    a CR or LF that is neither), so the start set joins the set there;
//  - the final state counts at a character boundary (under "$": only before the terminator, CR or LF) and
//    no consuming step takes a character beginning with CR or LF under "$".
#include "match/regex_scan.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "core/text.h"
#include "match/regex_internal.h"

namespace twk {

using regex_detail::kTransChar;
using regex_detail::kTransClass;
using regex_detail::Transition;

namespace {

bool isBreak(unsigned char b) {
    return b == '\r' || b == '\n';
}

bool consumes(const Transition& t) {
    return t.kind == kTransChar || t.kind == kTransClass;
}

// A set of bytes as 256 bits.
struct ByteSet {
    uint64_t bits[4] = {0, 0, 0, 0};
    void add(unsigned char b) { bits[b >> 6] |= uint64_t(1) << (b & 63); }
    bool has(unsigned char b) const { return (bits[b >> 6] >> (b & 63)) & 1; }
};

// Splits the byte classes so that every byte of a class is in `set` or every one is out of it.
void refine(uint8_t* classOf, int* count, const uint64_t* set) {
    int split[512];
    std::fill(split, split + 2 * *count, -1);
    int next = 0;
    for (int b = 0; b < 256; ++b) {
        const int key = classOf[b] * 2 + static_cast<int>((set[b >> 6] >> (b & 63)) & 1);
        if (split[key] < 0) split[key] = next++;
        classOf[b] = static_cast<uint8_t>(split[key]);
    }
    *count = next;
}

}  // namespace

RegexScanner::RegexScanner(const Regex& regex, std::size_t cacheBytes)
    : program_(regex.program()), cacheBytes_(cacheBytes) {
    const std::size_t states = program_.first.size() - 1;
    kept_.assign(states, 0);
    kept_[1] = 1;
    for (std::size_t s = 0; s < states; ++s) {
        for (uint32_t i = program_.first[s]; i < program_.first[s + 1]; ++i)
            if (consumes(program_.transitions[i])) kept_[s] = 1;
    }
    mark_.assign(states, 0);

    // The byte classes: the terminator, CR, LF and the lead bytes apart, then split by every test of the
    // pattern, as a byte of its own, as a lead byte and as the byte after one.
    int count = 1;
    std::vector<ByteSet> sets(4);
    sets[0].add(0);
    sets[1].add('\r');
    sets[2].add('\n');
    for (int b = 0x81; b <= 0xFC; ++b)
        if (isLeadByte(static_cast<unsigned char>(b))) sets[3].add(static_cast<unsigned char>(b));
    for (const Transition& t : program_.transitions) {
        if (t.kind != kTransChar) continue;
        sets.emplace_back();
        sets.back().add(t.c1);
        if (t.c2 != 0) {
            sets.emplace_back();
            sets.back().add(t.c2);
        }
    }
    for (const ByteSet& s : sets) refine(classOf_, &count, s.bits);
    for (const regex_detail::ClassSet& c : program_.classes) {
        refine(classOf_, &count, c.singleBits());
        // Lead bytes whose second bytes differ fall apart; each distinct row splits the second bytes.
        std::vector<const uint64_t*> rows;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
            const uint64_t* row = c.doubleBits(static_cast<unsigned char>(lead));
            bool seen = false;
            for (const uint64_t* r : rows) seen = seen || std::memcmp(r, row, 4 * sizeof(uint64_t)) == 0;
            if (seen) continue;
            rows.push_back(row);
            refine(classOf_, &count, row);
            ByteSet leads;
            for (int other = 0x81; other <= 0xFC; ++other) {
                const auto o = static_cast<unsigned char>(other);
                if (isLeadByte(o) && std::memcmp(c.doubleBits(o), row, 4 * sizeof(uint64_t)) == 0)
                    leads.add(o);
            }
            refine(classOf_, &count, leads.bits);
        }
    }
    stride_ = count;
    for (int b = 255; b >= 0; --b) classByte_[classOf_[b]] = static_cast<unsigned char>(b);

    ++stamp_;
    startSet_.push_back(0);
    mark_[0] = stamp_;
    closeOver(startSet_);

    // The fewest consuming steps from the start to the final state (each takes a byte at least): a search
    // of the fewest costs, epsilon transitions costing nothing.
    {
        std::vector<uint32_t> steps(states, UINT32_MAX);
        std::deque<uint32_t> queue{0};
        steps[0] = 0;
        while (!queue.empty()) {
            const uint32_t s = queue.front();
            queue.pop_front();
            for (uint32_t i = program_.first[s]; i < program_.first[s + 1]; ++i) {
                const Transition& t = program_.transitions[i];
                const uint32_t cost = steps[s] + (consumes(t) ? 1 : 0);
                if (cost >= steps[t.target]) continue;
                steps[t.target] = cost;
                if (consumes(t))
                    queue.push_back(t.target);
                else
                    queue.push_front(t.target);
            }
        }
        constexpr uint32_t kWorthMeasuring = 24;
        if (steps[1] != UINT32_MAX && steps[1] >= kWorthMeasuring) minBytes_ = steps[1];
    }

    // Without "^" a match may begin at any character; where few bytes begin one, the runs of the others are
    // passed over by a plain loop, which is several times as fast as the table. The table's idle state stays
    // idle on exactly those bytes: they begin no path, and a lead byte among them no double-byte character.
    if (!program_.lineStart && !holdsFinal(startSet_)) {
        int starting = 0;
        for (int b = 1; b < 256; ++b) starting += program_.canStartWith(static_cast<unsigned char>(b));
        constexpr int kFewStartingBytes = 24;
        if (starting <= kFewStartingBytes) {
            idleSkip_.assign(256, 0);
            idleSkip_[0] = 1;
            for (int b = 1; b < 256; ++b) {
                const auto c = static_cast<unsigned char>(b);
                if (program_.canStartWith(c))
                    idleSkip_[b] = 1;
                else if (isLeadByte(c))
                    idleSkip_[b] = 2;
            }
        }
    }
}

const unsigned char* RegexScanner::skipIdle(const unsigned char* p) const {
    const uint8_t* skip = idleSkip_.data();
    for (;;) {
        const uint8_t k = skip[*p];
        if (k == 0) {
            ++p;
        } else if (k == 2 && p[1] != 0) {
            p += 2;
        } else {
            return p;
        }
    }
}

// The sets are sorted while they are cached, so that equal sets meet; when stepping no order is needed.
bool RegexScanner::holdsFinal(const std::vector<uint32_t>& set) const {
    if (stepping_) return std::find(set.begin(), set.end(), 1u) != set.end();
    return std::binary_search(set.begin(), set.end(), 1u);
}

// Adds what the marked states in `set` reach through epsilon transitions (marking it too), keeps the states
// that count and, while they are cached, sorts them.
void RegexScanner::closeOver(std::vector<uint32_t>& set) {
    pending_.assign(set.begin(), set.end());
    set.clear();
    while (!pending_.empty()) {
        const uint32_t s = pending_.back();
        pending_.pop_back();
        if (kept_[s]) set.push_back(s);
        for (uint32_t i = program_.first[s]; i < program_.first[s + 1]; ++i) {
            const Transition& t = program_.transitions[i];
            if (consumes(t) || mark_[t.target] == stamp_) continue;
            mark_[t.target] = stamp_;
            pending_.push_back(t.target);
        }
    }
    if (!stepping_) std::sort(set.begin(), set.end());
}

// The states the character (c1, c2) leads to from `from`, closed over.
void RegexScanner::stepOver(const std::vector<uint32_t>& from, unsigned char c1, unsigned char c2,
                            std::vector<uint32_t>& to) {
    ++stamp_;
    to.clear();
    for (const uint32_t s : from) {
        for (uint32_t i = program_.first[s]; i < program_.first[s + 1]; ++i) {
            const Transition& t = program_.transitions[i];
            if (!consumes(t) || mark_[t.target] == stamp_) continue;
            const bool ok =
                t.kind == kTransChar ? (c1 == t.c1 && c2 == t.c2) : program_.classes[t.arg].matches(c1, c2);
            if (!ok) continue;
            mark_[t.target] = stamp_;
            to.push_back(t.target);
        }
    }
    closeOver(to);
}

int32_t RegexScanner::advance(const Position& from, unsigned char b, Position* to) {
    const bool lineStart = program_.lineStart;
    const uint8_t nextStart = !lineStart ? kStartAlways : isBreak(b) ? kStartUnlessBreak : kStartNever;
    if (from.lead != 0) {
        // The second byte of a character (none at the terminator: the lead byte alone is one).
        stepOver(from.set, from.lead, b, to->set);
        if (b == 0) return holdsFinal(to->set) ? kMatch : kNoMatch;
        to->lead = 0;
        to->start = nextStart;
        return 0;
    }
    const bool begins =
        b != 0 && (from.start == kStartAlways || (from.start == kStartUnlessBreak && !isBreak(b)));
    const std::vector<uint32_t>* here = &from.set;
    if (begins) {
        ++stamp_;
        effective_.assign(from.set.begin(), from.set.end());
        for (const uint32_t s : effective_) mark_[s] = stamp_;
        for (const uint32_t s : startSet_)
            if (mark_[s] != stamp_) effective_.push_back(s);
        if (!stepping_) std::sort(effective_.begin(), effective_.end());
        here = &effective_;
    }
    if (holdsFinal(*here) && (b == 0 || !program_.lineEnd || isBreak(b))) return kMatch;
    if (b == 0) return kNoMatch;
    to->start = nextStart;
    if (isLeadByte(b)) {
        to->set.assign(here->begin(), here->end());
        to->lead = classByte_[classOf_[b]];
        to->start = kStartNever;
        return 0;
    }
    to->lead = 0;
    if (program_.lineEnd && isBreak(b)) {
        to->set.clear();
        return 0;
    }
    stepOver(*here, b, 0, to->set);
    return 0;
}

void RegexScanner::flush() {
    if (flushes_ > 0 && bytesSinceFlush_ < 10 * statesSinceFlush_) stepping_ = true;
    ++flushes_;
    bytesSinceFlush_ = 0;
    statesSinceFlush_ = 0;
    std::vector<int32_t>().swap(table_);
    std::vector<Cached>().swap(states_);
    std::vector<uint32_t>().swap(sets_);
    std::unordered_map<std::string, int32_t>().swap(index_);
    initial_ = -1;
    dead_ = -1;
    held_ = 0;
}

int32_t RegexScanner::stateOf(const Position& position) {
    key_.assign(1, static_cast<char>(position.start));
    key_ += static_cast<char>(position.lead);
    key_.append(reinterpret_cast<const char*>(position.set.data()), position.set.size() * sizeof(uint32_t));
    auto found = index_.find(key_);
    if (found != index_.end()) return found->second;
    // A state costs its row of the table, its set (twice: in the pool and in the key) and the index's node.
    const std::size_t cost = static_cast<std::size_t>(stride_) * sizeof(int32_t) + sizeof(Cached) +
                             2 * position.set.size() * sizeof(uint32_t) + 64;
    if (!states_.empty() && held_ + cost > cacheBytes_) {
        flush();
        if (stepping_) return -1;
    }
    const auto offset = static_cast<int32_t>(table_.size());
    table_.resize(table_.size() + static_cast<std::size_t>(stride_), kUnknown);
    states_.push_back(
        {sets_.size(), static_cast<uint32_t>(position.set.size()), position.start, position.lead});
    sets_.insert(sets_.end(), position.set.begin(), position.set.end());
    index_.emplace(key_, offset);
    if (position.set.empty() && position.lead == 0) {
        if (position.start == kStartAlways) initial_ = offset;
        if (position.start == kStartNever) dead_ = offset;
    }
    held_ += cost;
    ++statesSinceFlush_;
    return offset;
}

void RegexScanner::load(int32_t offset, Position* out) const {
    const Cached& c = states_[static_cast<std::size_t>(offset / stride_)];
    out->set.assign(sets_.begin() + static_cast<std::ptrdiff_t>(c.setAt),
                    sets_.begin() + static_cast<std::ptrdiff_t>(c.setAt + c.setSize));
    out->start = c.start;
    out->lead = c.lead;
}

bool RegexScanner::matchesStepping(const unsigned char* p, Position& at) {
    for (;; ++p) {
        const int32_t r = advance(at, *p, &to_);
        if (r != 0) return r == kMatch;
        std::swap(at, to_);
    }
}

// The answers had without running the automaton: an empty text, one too short for a match, or a scanner that
// steps sets instead of caching them. Returns -1 when the text must be walked.
int RegexScanner::answerWithoutTable(const char* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    if (*p == 0) return 0;
    if (minBytes_ != 0 && std::strlen(text) < minBytes_) return 0;
    // Where every text begins: nothing alive, a match may begin at the first character.
    from_.set.clear();
    from_.start = kStartAlways;
    from_.lead = 0;
    if (!stepping_ && initial_ < 0) stateOf(from_);  // may empty a full cache, and so start the stepping
    if (!stepping_) return -1;
    return matchesStepping(p, from_) ? 1 : 0;
}

bool RegexScanner::matches(const char* text) {
    const int known = answerWithoutTable(text);
    if (known >= 0) return known != 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    return walk(p, p, initial_);
}

void RegexScanner::matchesTwo(const char* a, const char* b, bool* aMatches, bool* bMatches) {
    const int knownA = answerWithoutTable(a);
    const int knownB = answerWithoutTable(b);
    if (knownA >= 0 || knownB >= 0) {
        *aMatches = knownA >= 0 ? knownA != 0 : matches(a);
        *bMatches = knownB >= 0 ? knownB != 0 : matches(b);
        return;
    }
    // Both texts through the table in step while every transition is cached: each lookup waits for the one
    // before it in the same text, and the other text's lookup fills that time.
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    const int32_t* table = table_.data();
    int32_t s = initial_;
    int32_t t = initial_;
    for (;;) {
        const int32_t nextS = table[s + classOf_[*p]];
        const int32_t nextT = table[t + classOf_[*q]];
        if ((nextS | nextT) < 0) break;
        s = nextS;
        t = nextT;
        ++p;
        ++q;
    }
    // Each goes on alone from where it stands; a flush on the way of the first takes the state of the second
    // with it, which then starts again.
    const std::size_t flushesBefore = flushes_;
    *aMatches = walk(reinterpret_cast<const unsigned char*>(a), p, s);
    *bMatches =
        flushes_ == flushesBefore ? walk(reinterpret_cast<const unsigned char*>(b), q, t) : matches(b);
}

bool RegexScanner::walk(const unsigned char* counted, const unsigned char* p, int32_t s) {
    const int32_t* table = table_.data();
    for (;;) {
        const int32_t next = table[s + classOf_[*p]];
        if (next >= 0) {
            s = next;
            ++p;
            continue;
        }
        if (next == kIdle) {
            p = skipIdle(p + 1);
            s = initial_;
            continue;
        }
        if (next == kDead) {
            // Byte by byte: a CR or LF after a lead byte ends a line as well.
            ++p;
            p += std::strcspn(reinterpret_cast<const char*>(p), "\r\n");
            s = dead_;
            continue;
        }
        if (next != kUnknown) {
            bytesSinceFlush_ += static_cast<std::size_t>(p - counted) + 1;
            return next == kMatch;
        }
        // A transition not made yet.
        load(s, &from_);
        const int32_t r = advance(from_, *p, &to_);
        const std::size_t column = static_cast<std::size_t>(s) + classOf_[*p];
        if (r != 0) {
            table_[column] = r;
            bytesSinceFlush_ += static_cast<std::size_t>(p - counted) + 1;
            return r == kMatch;
        }
        bytesSinceFlush_ += static_cast<std::size_t>(p - counted);
        counted = p;
        const std::size_t flushesBefore = flushes_;
        const int32_t t = stateOf(to_);
        if (t < 0) {
            std::swap(from_, to_);
            return matchesStepping(p + 1, from_);
        }
        // After a flush the state read from is gone, and so is its row.
        if (flushes_ == flushesBefore) {
            int32_t code = t;
            if (t == dead_) code = kDead;
            if (t == initial_ && s == initial_ && !idleSkip_.empty()) code = kIdle;
            table_[column] = code;
        }
        table = table_.data();
        s = t;
        ++p;
    }
}

}  // namespace twk
