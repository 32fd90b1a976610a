// The program's own regular-expression engine. It works on cp932 byte strings: a lead byte and the byte
// after it are one character for literals, classes and ".". Every pattern compiles (unclosed groups, classes
// and repetitions have lenient readings); a compile fails only when the automaton would be too large, groups
// nest too deeply or a class is too long, which the search reports as a wrong search text.
//
// matchRegex finds the first match and its groups by a walk that enters each (state, position) pair at most
// once: at worst states x n steps for a text of n bytes, never exponential. Its work is budgeted
// (RegexBudget) and the memory of a call is bounded; a call that runs out of either gives up. The list search
// needs only yes or no per row and asks RegexScanner (regex_scan.h), which gives the same answers in time
// linear in the bytes of the rows, with no budget.
//
//   std::unique_ptr<Regex> re = compileRegex(pattern);
//   if (!re) ...wrong search text...
//   RegexBudget budget{regexStepsFor(bytes of every text to be searched)};
//   MatchSlots slots;
//   int n = matchRegex(*re, text, &slots, &budget);
//   if (n > 0) ...slots.whole().start, slots.whole().end...
//   if (n == kRegexGaveUp) ...out of budget or memory...
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
// 63000); what matching them may cost is bounded by the budget below.
constexpr std::size_t kRegexMaxStates = 1u << 16;
constexpr std::size_t kRegexMaxClassText = 255;
// Deepest nesting of "(" (TooComplex beyond): far more than a search box can hold, far less than would strain
// the 1 MB stack of a Windows thread.
constexpr int kRegexMaxNesting = 500;

// The work budget of matchRegex: one step is one transition tried by the walk (sixteen when the call keeps
// its visited pairs in a table rather than in bits, which is that much slower). A caller grants
// kRegexBaseSteps plus kRegexStepsPerByte for every byte of the texts it matches (each text's bytes and its
// terminator), and the calls draw on the total, so one costly text may use what cheap ones left. Ordinary
// patterns take up to 3 steps a byte (「.*x」 about 1, 「Live.*Best.*avi$」 2, 「[^ ]+\.(zip|rar)」 3); a
// pattern that walks many states at every byte (「(\w+\s*)+x」 about 9, 「.{10,50}x」 about 70) runs out on
// texts of some MB or some hundred KB, and those that walk thousands (「(.?){10000}xx」) on a few texts.
constexpr unsigned long long kRegexBaseSteps = 12000000ull;
constexpr unsigned long long kRegexStepsPerByte = 4;
inline unsigned long long regexStepsFor(unsigned long long textBytes) {
    return kRegexBaseSteps + kRegexStepsPerByte * textBytes;
}

struct RegexBudget {
    unsigned long long steps = 0;  // steps left
};

// What matchRegex returns when it ran out of budget or memory.
constexpr int kRegexGaveUp = -1;

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
// with the spans in *slots when slots is given; 0 when there is none (an empty text never matches);
// kRegexGaveUp when the steps in *budget ran out (what was spent is taken from it) or the call would need
// more memory than it may hold (some tens of MB; see VisitedSet). Without a budget a call has that of a
// search over its one text.
int matchRegex(const Regex& regex, const char* text, MatchSlots* slots = nullptr,
               RegexBudget* budget = nullptr);
inline int matchRegex(const Regex& regex, const std::string& text, MatchSlots* slots = nullptr,
                      RegexBudget* budget = nullptr) {
    return matchRegex(regex, text.c_str(), slots, budget);
}

inline void releaseRegex(std::unique_ptr<Regex>& regex) {
    regex.reset();
}

}  // namespace twk
