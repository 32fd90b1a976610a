// Yes or no for many texts: whether a compiled pattern matches each, with exactly the answer of matchRegex
// (> 0 or 0), in time linear in the bytes read whatever the pattern.
//
// The scanner runs the pattern's automaton on all its paths at once: the states reachable after each byte
// form one set, and each set met is kept as a state of a deterministic automaton with its transitions filled
// in as texts need them, so that most bytes cost one table lookup. Those states live in a cache of bounded
// size (kRegexScanCacheBytes); when it is full it is emptied and filled again from where the text is. Where
// the cache keeps filling faster than texts are read (a pattern with very many combinations of states), the
// scanner stops caching and steps the set of states along byte by byte: slower, still linear.
//
//   std::unique_ptr<Regex> re = compileRegex(pattern);
//   RegexScanner scanner(*re);
//   for (...) if (scanner.matches(text)) ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "match/regex.h"

namespace twk {

// The memory the cached states may hold, beside the compiled pattern.
constexpr std::size_t kRegexScanCacheBytes = std::size_t(4) << 20;

class RegexScanner {
  public:
    // The scanner reads `regex` (which must outlive it) and keeps its own state: one scanner per thread.
    explicit RegexScanner(const Regex& regex, std::size_t cacheBytes = kRegexScanCacheBytes);
    RegexScanner(const RegexScanner&) = delete;
    RegexScanner& operator=(const RegexScanner&) = delete;

    // Whether the NUL-terminated text holds a match: matchRegex(regex, text) > 0 (an empty text never does).
    bool matches(const char* text);
    bool matches(const std::string& text) { return matches(text.c_str()); }
    // The answers for two texts, read side by side: faster than one after the other where the pattern keeps
    // the automaton busy on every byte.
    void matchesTwo(const char* a, const char* b, bool* aMatches, bool* bMatches);

    // What the cache went through, for tests: how often it was emptied, whether the scanner stopped caching,
    // and the bytes it holds now.
    std::size_t flushes() const { return flushes_; }
    bool stepping() const { return stepping_; }
    std::size_t cacheBytesHeld() const { return held_; }

  private:
    // Where a set of automaton states stands. `lead` is a lead byte read whose second byte comes next (0
    // when none); `start` says whether a match may begin at the next byte.
    enum StartMode : uint8_t {
        kStartNever,
        kStartAlways,       // a match may begin at the next character (any one, or the first under "^")
        kStartUnlessBreak,  // after CR or LF under "^": at the next byte unless it is CR or LF too
    };
    struct Position {
        std::vector<uint32_t> set;
        uint8_t start = kStartNever;
        uint8_t lead = 0;
    };
    // Results of a transition besides a state's offset in the table.
    static constexpr int32_t kUnknown = -1;
    static constexpr int32_t kMatch = -2;
    static constexpr int32_t kNoMatch = -3;
    // The transitions into the state where no path is alive and none may begin before a CR or LF (under
    // "^"), and, in the state where none is alive and one may begin anywhere, those that stay there: the
    // bytes up to the next one that matters are passed over without the table.
    static constexpr int32_t kDead = -4;
    static constexpr int32_t kIdle = -5;

    // The position after byte b at `from` (the text's terminator when b is 0): kMatch or kNoMatch when the
    // text's answer is settled, else 0 with *to filled.
    int32_t advance(const Position& from, unsigned char b, Position* to);
    void closeOver(std::vector<uint32_t>& set);
    void stepOver(const std::vector<uint32_t>& from, unsigned char c1, unsigned char c2,
                  std::vector<uint32_t>& to);
    bool holdsFinal(const std::vector<uint32_t>& set) const;

    // The cached state of a position (its offset in the table), made when new. Empties the cache first when
    // it is full; returns -1 when the scanner has stopped caching instead.
    int32_t stateOf(const Position& position);
    void flush();
    void load(int32_t offset, Position* out) const;
    bool matchesStepping(const unsigned char* p, Position& at);
    // 0 or 1 where the text is answered without the table, else -1 (the table then has its initial state).
    int answerWithoutTable(const char* text);
    // The walk of a text through the table from state s at p; `counted` is where the bytes read since the
    // last flush were last counted up to.
    bool walk(const unsigned char* counted, const unsigned char* p, int32_t s);
    // Where the idle state's run ends: the first byte a match may begin with, a lead byte before the
    // terminator or the terminator.
    const unsigned char* skipIdle(const unsigned char* p) const;

    const Regex::Program& program_;
    const std::size_t cacheBytes_;
    // Bytes that every test of the pattern treats alike share a class; the table has one column per class.
    uint8_t classOf_[256] = {};
    unsigned char classByte_[256] = {};  // a byte of each class
    int32_t stride_ = 0;

    // The cached states: table_[offset + class] is the transition; states_[offset / stride] what it stands
    // for.
    struct Cached {
        std::size_t setAt;
        uint32_t setSize;
        uint8_t start;
        uint8_t lead;
    };
    std::vector<int32_t> table_;
    std::vector<Cached> states_;
    std::vector<uint32_t> sets_;
    std::unordered_map<std::string, int32_t> index_;
    int32_t initial_ = -1;  // nothing alive, a match may begin at the next byte (no "^": the idle state)
    int32_t dead_ = -1;     // nothing alive, none may begin (under "^")
    // The fewest bytes a match takes; texts shorter than that are answered without reading them through,
    // where that is long enough for measuring the text to pay.
    std::size_t minBytes_ = 0;
    // For the idle state: 0 for a byte no match begins with, 2 for such a lead byte (passed over with the
    // byte after it), 1 for the rest. Empty when the pattern begins with too many bytes for it to pay.
    std::vector<uint8_t> idleSkip_;
    std::size_t held_ = 0;
    std::size_t flushes_ = 0;
    std::size_t bytesSinceFlush_ = 0;
    std::size_t statesSinceFlush_ = 0;
    bool stepping_ = false;

    // The automaton states a set keeps (those with a consuming transition, and the final state 1), and the
    // set a match begins with.
    std::vector<uint8_t> kept_;
    std::vector<uint32_t> startSet_;

    // Scratch for stepping: a mark per automaton state, and the work list of the closure.
    std::vector<uint32_t> mark_;
    uint32_t stamp_ = 0;
    std::vector<uint32_t> pending_;
    std::vector<uint32_t> effective_;
    std::string key_;
    Position from_;
    Position to_;
};

}  // namespace twk
