// The compiled form of a Regex, shared by the compiler (regex.cpp) and the matcher (regex_match.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "match/regex.h"

namespace twk {
namespace regex_detail {

// The class text of a predefined class letter (d D s S w W of 「\d」 and the like), or nullptr.
inline const char* predefinedClassText(unsigned char letter) {
    struct Predefined {
        char letter;
        const char* text;
    };
    static constexpr Predefined kTable[] = {
        {'d', "0-9"},         {'D', "^0-9"},    {'w', "0-9a-zA-Z_"},
        {'W', "^0-9a-zA-Z_"}, {'s', "\t\r\n "}, {'S', "^\t\r\n "},
    };
    for (const Predefined& p : kTable) {
        if (p.letter == static_cast<char>(letter)) return p.text;
    }
    return nullptr;
}

// The class text of ".": every byte but 0.
constexpr char kDotClassText[] = "\x01-\xFF";

enum TransitionKind : uint8_t {
    kTransEpsilon,
    kTransChar,   // c1 c2: one character (c2 is 0 for a one-byte character)
    kTransClass,  // arg: class index
    kGroupOpen,   // arg: group number; epsilon that records the start of the group
    kGroupClose,  // arg: group number; epsilon that records the end of the group
};

struct Transition {
    TransitionKind kind;
    unsigned char c1;
    unsigned char c2;
    int32_t arg;
    uint32_t target;
};

// The class test of a class text for the text character (c1, c2); c2 is 0 for a one-byte character (and for a
// lead byte cut off at the end of the text).
bool classMatches(const char* text, std::size_t length, unsigned char c1, unsigned char c2);

// A class text with the answers for every character worked out once, so that a class test is one lookup.
class ClassSet {
  public:
    explicit ClassSet(std::string text);
    bool matches(unsigned char c1, unsigned char c2) const {
        if (c2 == 0) return (single_[c1 >> 6] >> (c1 & 63)) & 1;
        const uint64_t* row = doubles_[leadIndex(c1)];
        return (row[c2 >> 6] >> (c2 & 63)) & 1;
    }
    const std::string& text() const { return text_; }
    // The one-byte characters in the class, as 256 bits.
    const uint64_t* singleBits() const { return single_; }
    // The second bytes that make a character of the class after a lead byte, as 256 bits.
    const uint64_t* doubleBits(unsigned char lead) const { return doubles_[leadIndex(lead)]; }

    // The lead bytes, numbered 0..kLeadBytes-1 (0x81-0x9F, then 0xE0-0xFC).
    static constexpr int kLeadBytes = 31 + 29;
    static int leadIndex(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

  private:
    std::string text_;
    uint64_t single_[4] = {0, 0, 0, 0};
    // For each lead byte, the second bytes that make a character of the class.
    uint64_t doubles_[kLeadBytes][4] = {};
};

// The (state, text position) pairs one match call has entered. A pair entered once is never entered again:
// either it is still being walked (an epsilon loop, cut here) or it failed, and from a given state and
// position the outcome never depends on how the walk got there.
//
// Its memory is bounded whatever the pattern and the text: dense bits (state-major, so that a walk along the
// pattern stays within a few cache lines) while states x positions fits kDenseLimit, else a hash set of the
// pairs entered that holds at most kSparseLimit of them. enter() reports when that is full.
class VisitedSet {
  public:
    static constexpr std::size_t kDenseLimit = std::size_t(1) << 27;   // bits: 16 MB
    static constexpr std::size_t kSparseLimit = std::size_t(1) << 20;  // pairs: a table of 16 MB

    enum Result { kEntered, kSeen, kFull };

    void reset(std::size_t states, std::size_t positions);
    bool dense() const { return dense_; }
    Result enter(uint32_t state, std::size_t position) {
        return dense_ ? enterDense(state, position)
                      : enterSparse(static_cast<uint64_t>(state) * positions_ + position);
    }
    Result enterDense(uint32_t state, std::size_t position) {
        const std::size_t bit = state * positions_ + position;
        uint64_t& word = bits_[bit >> 6];
        const uint64_t mask = uint64_t(1) << (bit & 63);
        if (word & mask) return kSeen;
        if (word == 0) noteTouched(bit >> 6);
        word |= mask;
        return kEntered;
    }
    Result enterSparse(uint32_t state, std::size_t position) {
        return enterSparse(static_cast<uint64_t>(state) * positions_ + position);
    }
    // The bytes held now (for tests of the memory bound).
    std::size_t bytesHeld() const {
        return bits_.capacity() * sizeof(uint64_t) + touched_.capacity() * sizeof(std::size_t) +
               table_.capacity() * sizeof(uint64_t);
    }

  private:
    void noteTouched(std::size_t word) {
        // Beyond an eighth of the words, clearing them all at the next reset is cheaper than the list.
        if (clearAll_) return;
        if (touched_.size() >= usedWords_ / 8) {
            clearAll_ = true;
            return;
        }
        touched_.push_back(word);
    }
    Result enterSparse(uint64_t key);
    std::size_t slotOf(uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (table_.size() - 1);
    }

    bool dense_ = true;
    bool clearAll_ = false;
    std::size_t positions_ = 0;
    std::size_t usedWords_ = 0;
    std::vector<uint64_t> bits_;
    std::vector<std::size_t> touched_;
    // Open addressing; a slot holds key + 1, 0 when free.
    std::vector<uint64_t> table_;
    std::size_t entries_ = 0;
};

// A state being walked: its transitions not tried yet are transitions[next] up to transitions[end].
struct Frame {
    uint32_t next;
    uint32_t end;
    uint32_t position;
};

struct Scratch {
    VisitedSet visited;
    std::vector<Frame> stack;
    std::vector<MatchSpan> spans;
};

// Works out Program::startBytes and Program::lastBytes once the transitions and classes are in place.
void computeStartBytes(Regex::Program& program);
void computeLastBytes(Regex::Program& program);

}  // namespace regex_detail

struct Regex::Program {
    // Transitions of state s: transitions[first[s]] up to transitions[first[s + 1]], in the order tried.
    std::vector<uint32_t> first;
    std::vector<regex_detail::Transition> transitions;
    std::vector<regex_detail::ClassSet> classes;
    int groups = 0;
    bool lineStart = false;
    bool lineEnd = false;
    // The bytes a match can begin with (every byte when a match can be empty); other start positions are
    // skipped without walking.
    uint64_t startBytes[4] = {~uint64_t(0), ~uint64_t(0), ~uint64_t(0), ~uint64_t(0)};
    bool canStartWith(unsigned char c) const { return (startBytes[c >> 6] >> (c & 63)) & 1; }
    // The first bytes of the characters a match can end with (its last consuming step), when a match cannot
    // be empty: a text holding none of them has no match, and is passed over without a walk.
    bool lastFilter = false;
    uint64_t lastBytes[4] = {~uint64_t(0), ~uint64_t(0), ~uint64_t(0), ~uint64_t(0)};
    mutable regex_detail::Scratch scratch;
};

}  // namespace twk
