// The program's own regular-expression engine for searching lists. It works on cp932 byte strings: a lead
// byte and the byte after it are one character for literals, classes and ".". Every pattern compiles
// (unclosed groups, classes and repetitions have lenient readings); a compile fails only when the automaton
// would be too large, groups nest too deeply or a class is too long, which the search reports as a wrong
// search text. Matching a text of n bytes enters each (state, position) pair at most once: at worst
// states x n steps, never exponential, and never deeper than the heap allows.
//
//   std::unique_ptr<Regex> re = compileRegex(pattern);
//   if (!re) ...wrong search text...
//   MatchSlots slots;
//   if (matchRegex(*re, text, &slots) > 0) ...slots.whole().start, slots.whole().end...
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace twk {

enum class RegexError {
    None = 0,
    TooComplex,  // the automaton would exceed kRegexMaxStates states or transitions (e.g. "(a{9999}){9999}")
    ClassTooLong,  // a 「[…]」 class text longer than kRegexMaxClassText bytes
    OutOfMemory,
};

// Limits of a compiled pattern.
// 65536 states hold any sensible pattern a search box can take (「\d{1000}」 is 1000, 「(.{250}){250}」 about
// 63000) and keep the worst case of one match call over a few hundred bytes well under a second.
constexpr std::size_t kRegexMaxStates = 1u << 16;
constexpr std::size_t kRegexMaxClassText = 255;
// Deepest nesting of "(" (TooComplex beyond): far more than a search box can hold, far less than would strain
// the 1 MB stack of a Windows thread.
constexpr int kRegexMaxNesting = 500;

// Byte offsets into the matched text, end exclusive; -1 where the walk never passed.
struct MatchSpan {
    int start = -1;
    int end = -1;
    bool empty() const { return start < 0; }
};

// (groups + 1) spans: span 0 is the whole match; span k holds the positions recorded the last time the walk
// passed the open and the close of group k (in the order of the "(" in the pattern), also on paths that later
// failed.
struct MatchSlots {
    std::vector<MatchSpan> spans;
    const MatchSpan& whole() const { return spans[0]; }
    std::size_t size() const { return spans.size(); }
};

// A compiled pattern. Matching reuses scratch memory kept inside, so one Regex must not be matched from two
// threads at once.
class Regex {
  public:
    struct Program;

    explicit Regex(std::unique_ptr<Program> program);
    ~Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    int groupCount() const;
    // Set when a "^" took effect: the pattern is tried at line starts only.
    bool anchoredAtLineStart() const;
    // Set when a "$" took effect: every match ends at a line end and no step consumes CR or LF.
    bool anchoredAtLineEnd() const;
    std::size_t stateCount() const;
    std::size_t transitionCount() const;

    const Program& program() const { return *program_; }

  private:
    std::unique_ptr<Program> program_;
};

// Compiles a pattern (NUL-terminated cp932 bytes). Returns nothing when the pattern cannot be built; *error
// (if given) then says why.
std::unique_ptr<Regex> compileRegex(const char* pattern, RegexError* error = nullptr);
inline std::unique_ptr<Regex> compileRegex(const std::string& pattern, RegexError* error = nullptr) {
    return compileRegex(pattern.c_str(), error);
}

// Looks for the first match in a NUL-terminated text: start positions from the left (line starts only under
// "^"), and at each start the first path in priority order (not the longest). Returns groups + 1 on a match,
// with the spans in *slots when slots is given; 0 when there is none (an empty text never matches).
int matchRegex(const Regex& regex, const char* text, MatchSlots* slots = nullptr);
inline int matchRegex(const Regex& regex, const std::string& text, MatchSlots* slots = nullptr) {
    return matchRegex(regex, text.c_str(), slots);
}

inline void releaseRegex(std::unique_ptr<Regex>& regex) {
    regex.reset();
}

}  // namespace twk
