// Matching: a depth-first walk over the automaton that stops at the first path reaching the final state. The
// walk keeps its own stack (a field may be 100 KB long; the thread stack is 1 MB) and enters every
// (state, position) pair at most once per call, which bounds the work by states x text length for any
// pattern; the budget bounds it further, across the calls of a search, and the visited set and the stack
// have fixed limits, so that no pattern and no text can take more than some tens of MB.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "core/text.h"
#include "match/regex_internal.h"

namespace twk {
namespace regex_detail {
namespace {

struct Endpoint {
    unsigned char byte;
    std::size_t next;  // index after the endpoint
};

// Reads a single-byte range endpoint at i: a plain byte or "\" + byte (an escaped character; an escaped
// predefined class such as 「\d」 is no endpoint). A double-byte endpoint counts by its first byte and is
// stepped over whole.
bool readEndpoint(const unsigned char* t, std::size_t n, std::size_t i, Endpoint* out) {
    if (i >= n) return false;
    if (t[i] == '\\') {
        if (i + 1 >= n || predefinedClassText(t[i + 1])) return false;
        *out = {t[i + 1], i + 2};
        return true;
    }
    std::size_t next = i + 1;
    if (isLeadByte(t[i]) && next < n) ++next;
    *out = {t[i], next};
    return true;
}

// Adds the first bytes of the characters a consuming transition takes.
void addFirstBytes(const Regex::Program& program, const Transition& t, uint64_t* bits) {
    if (t.kind == kTransChar) {
        bits[t.c1 >> 6] |= uint64_t(1) << (t.c1 & 63);
        return;
    }
    const uint64_t* single = program.classes[t.arg].singleBits();
    for (int w = 0; w < 4; ++w) bits[w] |= single[w];
    for (int c = 0x81; c <= 0xFC; ++c) {
        if (isLeadByte(static_cast<unsigned char>(c))) bits[c >> 6] |= uint64_t(1) << (c & 63);
    }
}

}  // namespace

bool classMatches(const char* text, std::size_t length, unsigned char c1, unsigned char c2) {
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    bool negate = false;
    if (length > 0 && t[0] == '^') {
        negate = true;
        i = 1;
    }
    bool hit = false;
    while (i < length && !hit) {
        const unsigned char b = t[i];
        if (isLeadByte(b) && i + 1 < length) {
            const unsigned char b2 = t[i + 1];
            if (i + 4 < length && t[i + 2] == '-' && isLeadByte(t[i + 3])) {
                // A box range: lead and second bytes each within their own bounds.
                const unsigned char y1 = t[i + 3];
                const unsigned char y2 = t[i + 4];
                hit = b <= c1 && c1 <= y1 && b2 <= c2 && c2 <= y2;
                i += 5;
            } else {
                hit = c1 == b && c2 == b2;
                i += 2;
            }
            continue;
        }
        Endpoint low{b, i + 1};
        if (b == '\\' && i + 1 < length) {
            if (const char* predefined = predefinedClassText(t[i + 1])) {
                // Tested as a class of its own, so 「[\D]」 negates only its own part.
                hit = classMatches(predefined, std::strlen(predefined), c1, c2);
                i += 2;
                continue;
            }
            low = {t[i + 1], i + 2};
        }
        Endpoint high;
        if (low.next < length && t[low.next] == '-' && readEndpoint(t, length, low.next + 1, &high)) {
            // A byte range compares the first byte only, which is how "." takes double-byte characters.
            hit = low.byte <= c1 && c1 <= high.byte;
            i = high.next;
            continue;
        }
        hit = c1 == low.byte;
        i = low.next;
    }
    return hit != negate;
}

ClassSet::ClassSet(std::string text) : text_(std::move(text)) {
    for (int c = 1; c < 256; ++c) {
        if (classMatches(text_.data(), text_.size(), static_cast<unsigned char>(c), 0))
            single_[c >> 6] |= uint64_t(1) << (c & 63);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
        uint64_t* row = doubles_[leadIndex(static_cast<unsigned char>(lead))];
        for (int c = 1; c < 256; ++c) {
            if (classMatches(text_.data(), text_.size(), static_cast<unsigned char>(lead),
                             static_cast<unsigned char>(c)))
                row[c >> 6] |= uint64_t(1) << (c & 63);
        }
    }
}

void VisitedSet::reset(std::size_t states, std::size_t positions) {
    if (clearAll_) {
        std::fill(bits_.begin(), bits_.begin() + static_cast<std::ptrdiff_t>(usedWords_), 0);
    } else {
        for (std::size_t w : touched_) bits_[w] = 0;
    }
    touched_.clear();
    clearAll_ = false;
    positions_ = positions;
    dense_ = states <= kDenseLimit / (positions ? positions : 1);
    if (dense_) {
        usedWords_ = (states * positions + 63) / 64;
        if (bits_.size() < usedWords_) bits_.resize(usedWords_, 0);
    } else {
        usedWords_ = 0;
    }
    // A table grown by an earlier call is dropped rather than cleared: clearing it for every short text
    // would cost more than growing it again where needed.
    if (entries_ != 0 || table_.size() > 1024) std::vector<uint64_t>().swap(table_);
    entries_ = 0;
}

VisitedSet::Result VisitedSet::enterSparse(uint64_t key) {
    if (entries_ * 2 >= table_.size()) {
        if (entries_ >= kSparseLimit) return kFull;
        std::vector<uint64_t> old;
        old.swap(table_);
        table_.assign(old.empty() ? 1024 : old.size() * 2, 0);
        for (uint64_t slot : old) {
            if (slot == 0) continue;
            std::size_t i = slotOf(slot - 1);
            while (table_[i] != 0) i = (i + 1) & (table_.size() - 1);
            table_[i] = slot;
        }
    }
    std::size_t i = slotOf(key);
    while (table_[i] != 0) {
        if (table_[i] == key + 1) return kSeen;
        i = (i + 1) & (table_.size() - 1);
    }
    table_[i] = key + 1;
    ++entries_;
    return kEntered;
}

void computeStartBytes(Regex::Program& program) {
    // The consuming transitions reachable from the start state through epsilon transitions alone.
    uint64_t bits[4] = {0, 0, 0, 0};
    std::vector<bool> seen(program.first.size() - 1, false);
    std::vector<uint32_t> pending{0};
    seen[0] = true;
    while (!pending.empty()) {
        const uint32_t state = pending.back();
        pending.pop_back();
        if (state == 1) return;  // a match can be empty: every position may start one
        for (uint32_t i = program.first[state]; i < program.first[state + 1]; ++i) {
            const Transition& t = program.transitions[i];
            if (t.kind == kTransChar || t.kind == kTransClass) {
                addFirstBytes(program, t, bits);
            } else if (!seen[t.target]) {
                seen[t.target] = true;
                pending.push_back(t.target);
            }
        }
    }
    for (int w = 0; w < 4; ++w) program.startBytes[w] = bits[w];
}

void computeLastBytes(Regex::Program& program) {
    // The states that reach the final state through epsilon transitions alone, found backwards from it.
    const std::size_t states = program.first.size() - 1;
    std::vector<uint32_t> from(program.transitions.size());
    std::vector<uint32_t> into(states + 1, 0);  // epsilon transitions into each state, counted then placed
    for (uint32_t s = 0; s < states; ++s) {
        for (uint32_t i = program.first[s]; i < program.first[s + 1]; ++i) {
            const Transition& t = program.transitions[i];
            if (t.kind != kTransChar && t.kind != kTransClass) ++into[t.target + 1];
        }
    }
    for (std::size_t s = 0; s < states; ++s) into[s + 1] += into[s];
    std::vector<uint32_t> fill(into.begin(), into.end() - 1);
    for (uint32_t s = 0; s < states; ++s) {
        for (uint32_t i = program.first[s]; i < program.first[s + 1]; ++i) {
            const Transition& t = program.transitions[i];
            if (t.kind != kTransChar && t.kind != kTransClass) from[fill[t.target]++] = s;
        }
    }
    std::vector<bool> ends(states, false);
    std::vector<uint32_t> pending{1};
    ends[1] = true;
    while (!pending.empty()) {
        const uint32_t state = pending.back();
        pending.pop_back();
        if (state == 0) return;  // a match can be empty: no filter
        for (uint32_t k = into[state]; k < into[state + 1]; ++k) {
            if (!ends[from[k]]) {
                ends[from[k]] = true;
                pending.push_back(from[k]);
            }
        }
    }
    uint64_t bits[4] = {0, 0, 0, 0};
    for (const Transition& t : program.transitions) {
        if ((t.kind == kTransChar || t.kind == kTransClass) && ends[t.target])
            addFirstBytes(program, t, bits);
    }
    for (int w = 0; w < 4; ++w) program.lastBytes[w] = bits[w];
    program.lastFilter = true;
}

namespace {

constexpr long long kGaveUp = -2;

// Walks from state 0 at start; returns the end position of the first match, -1 when there is none, or
// kGaveUp when the steps ran out or the walk would hold more than its memory allows. *steps counts down.
template <bool kDense>
long long walk(const Regex::Program& program, const unsigned char* text, std::size_t start, Scratch& scratch,
               long long* steps) {
    // The path being walked is at most this deep (12 bytes a frame): more than a text of some hundred KB
    // needs with an ordinary pattern.
    constexpr std::size_t kMaxDepth = std::size_t(1) << 21;
    // A step that looks a pair up in the table rather than in the bits takes about as long as this many.
    constexpr long long kStepCost = kDense ? 1 : 16;
    VisitedSet& visited = scratch.visited;
    std::vector<Frame>& stack = scratch.stack;
    stack.clear();
    auto enter = [&visited](uint32_t state, std::size_t position) {
        return kDense ? visited.enterDense(state, position) : visited.enterSparse(state, position);
    };
    switch (enter(0, start)) {
        case VisitedSet::kEntered:
            break;
        case VisitedSet::kSeen:
            return -1;
        case VisitedSet::kFull:
            return kGaveUp;
    }
    stack.push_back({program.first[0], program.first[1], static_cast<uint32_t>(start)});
    const bool lineEnd = program.lineEnd;
    long long left = *steps;
    long long result = -1;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.end) {
            stack.pop_back();
            continue;
        }
        left -= kStepCost;
        if (left < 0) {
            result = kGaveUp;
            break;
        }
        const Transition& t = program.transitions[top.next++];
        const std::size_t position = top.position;
        std::size_t to = position;
        switch (t.kind) {
            case kTransEpsilon:
                break;
            case kGroupOpen:
                scratch.spans[t.arg].start = static_cast<int>(position);
                break;
            case kGroupClose:
                scratch.spans[t.arg].end = static_cast<int>(position);
                break;
            case kTransChar:
            case kTransClass: {
                const unsigned char c1 = text[position];
                if (c1 == 0) continue;
                if (lineEnd && (c1 == '\r' || c1 == '\n')) continue;
                // A lead byte takes the byte after it, unless the text ends there (a field cut inside a
                // double-byte character): then the lone byte is a character of its own and the walk never
                // steps past the end.
                unsigned char c2 = 0;
                if (isLeadByte(c1) && text[position + 1] != 0) c2 = text[position + 1];
                const bool ok = t.kind == kTransChar ? (c1 == t.c1 && c2 == t.c2)
                                                     : program.classes[t.arg].matches(c1, c2);
                if (!ok) continue;
                to = position + (c2 ? 2 : 1);
                break;
            }
        }
        const VisitedSet::Result entered = enter(t.target, to);
        if (entered == VisitedSet::kSeen) continue;
        if (entered == VisitedSet::kFull) {
            result = kGaveUp;
            break;
        }
        if (t.target == 1) {
            if (!lineEnd || text[to] == 0 || text[to] == '\r' || text[to] == '\n') {
                result = static_cast<long long>(to);
                break;
            }
            continue;
        }
        const Frame next{program.first[t.target], program.first[t.target + 1], static_cast<uint32_t>(to)};
        if (top.next == top.end) {
            // The last way out of this state: nothing is left to come back to, so the target takes its frame.
            top = next;
        } else if (stack.size() < kMaxDepth) {
            stack.push_back(next);
        } else {
            result = kGaveUp;
            break;
        }
    }
    *steps = left < 0 ? 0 : left;
    return result;
}

}  // namespace
}  // namespace regex_detail

int matchRegex(const Regex& regex, const char* text, MatchSlots* slots, RegexBudget* budget) {
    using namespace regex_detail;
    if (!text || text[0] == 0) return 0;
    const Regex::Program& program = regex.program();
    Scratch& scratch = program.scratch;
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    const std::size_t length = std::strlen(text);
    // The walk's frames hold 32-bit positions.
    if (length >= UINT32_MAX) return kRegexGaveUp;
    if (program.lastFilter) {
        bool possible = false;
        for (std::size_t i = 0; i < length && !possible; ++i)
            possible = (program.lastBytes[t[i] >> 6] >> (t[i] & 63)) & 1;
        if (!possible) return 0;
    }
    RegexBudget own{regexStepsFor(length + 1)};
    if (!budget) budget = &own;
    constexpr unsigned long long kMaxSteps = static_cast<unsigned long long>(LLONG_MAX);
    const long long granted = static_cast<long long>(budget->steps < kMaxSteps ? budget->steps : kMaxSteps);
    long long steps = granted;
    scratch.visited.reset(program.first.size() - 1, length + 1);
    scratch.spans.assign(static_cast<std::size_t>(program.groups) + 1, MatchSpan{});

    int result = 0;
    std::size_t start = 0;
    while (start < length) {
        long long end = -1;
        if (program.canStartWith(t[start])) {
            for (MatchSpan& span : scratch.spans) span = MatchSpan{};
            end = scratch.visited.dense() ? walk<true>(program, t, start, scratch, &steps)
                                          : walk<false>(program, t, start, scratch, &steps);
        }
        if (end == kGaveUp) {
            result = kRegexGaveUp;
            break;
        }
        if (end >= 0) {
            scratch.spans[0] = {static_cast<int>(start), static_cast<int>(end)};
            if (slots) slots->spans = scratch.spans;
            result = program.groups + 1;
            break;
        }
        if (program.lineStart) {
            while (start < length && t[start] != '\r' && t[start] != '\n') ++start;
            while (start < length && (t[start] == '\r' || t[start] == '\n')) ++start;
        } else {
            // The next start is the next character: a match never begins on the second byte of a double-byte
            // character, where "A" would be found inside "ア" (0x83 0x41) and a backslash inside "表" (0x95
            // 0x5C).
            start += isLeadByte(t[start]) && t[start + 1] != 0 ? 2 : 1;
        }
    }
    budget->steps -= static_cast<unsigned long long>(granted - steps);
    return result;
}

}  // namespace twk
