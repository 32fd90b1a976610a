// Matching: a depth-first walk over the automaton that stops at the first path reaching the final state. The
// walk keeps its own stack (a field may be 100 KB long; the thread stack is 1 MB) and enters every
// (state, position) pair at most once per call, which bounds the work by states x text length for any
// pattern.
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
}

void VisitedSet::reset(std::size_t states, std::size_t positions) {
    for (std::size_t w : touched_) bits_[w] = 0;
    touched_.clear();
    sparse_.clear();
    states_ = states;
    dense_ = positions <= kDenseLimit / (states ? states : 1);
    if (dense_) {
        const std::size_t words = (states * positions + 63) / 64;
        if (bits_.size() < words) bits_.resize(words, 0);
    }
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
            if (t.kind == kTransChar) {
                bits[t.c1 >> 6] |= uint64_t(1) << (t.c1 & 63);
            } else if (t.kind == kTransClass) {
                const uint64_t* single = program.classes[t.arg].singleBits();
                for (int w = 0; w < 4; ++w) bits[w] |= single[w];
                for (int c = 0x81; c <= 0xFC; ++c) {
                    if (isLeadByte(static_cast<unsigned char>(c))) bits[c >> 6] |= uint64_t(1) << (c & 63);
                }
            } else if (!seen[t.target]) {
                seen[t.target] = true;
                pending.push_back(t.target);
            }
        }
    }
    for (int w = 0; w < 4; ++w) program.startBytes[w] = bits[w];
}

namespace {

// Walks from state 0 at start; returns the end position of the first match, or -1.
long long walk(const Regex::Program& program, const unsigned char* text, std::size_t start,
               Scratch& scratch) {
    VisitedSet& visited = scratch.visited;
    std::vector<Frame>& stack = scratch.stack;
    stack.clear();
    if (!visited.enter(0, start)) return -1;
    stack.push_back({0, program.first[0], start});
    const bool lineEnd = program.lineEnd;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == program.first[top.state + 1]) {
            stack.pop_back();
            continue;
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
        if (!visited.enter(t.target, to)) continue;
        if (t.target == 1) {
            if (!lineEnd || text[to] == 0 || text[to] == '\r' || text[to] == '\n')
                return static_cast<long long>(to);
            continue;
        }
        stack.push_back({t.target, program.first[t.target], to});
    }
    return -1;
}

}  // namespace
}  // namespace regex_detail

int matchRegex(const Regex& regex, const char* text, MatchSlots* slots) {
    using namespace regex_detail;
    if (!text || text[0] == 0) return 0;
    const Regex::Program& program = regex.program();
    Scratch& scratch = program.scratch;
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    const std::size_t length = std::strlen(text);
    scratch.visited.reset(program.first.size() - 1, length + 1);
    scratch.spans.assign(static_cast<std::size_t>(program.groups) + 1, MatchSpan{});

    std::size_t start = 0;
    while (start < length) {
        long long end = -1;
        if (program.canStartWith(t[start])) {
            for (MatchSpan& span : scratch.spans) span = MatchSpan{};
            end = walk(program, t, start, scratch);
        }
        if (end >= 0) {
            scratch.spans[0] = {static_cast<int>(start), static_cast<int>(end)};
            if (slots) slots->spans = scratch.spans;
            return program.groups + 1;
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
    return 0;
}

}  // namespace twk
