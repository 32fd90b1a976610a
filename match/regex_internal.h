// The compiled form of a Regex, shared by the compiler (regex.cpp) and the matcher (regex_match.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
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

// A class text with the answers for every one-byte character worked out once.
class ClassSet {
  public:
    explicit ClassSet(std::string text);
    bool matches(unsigned char c1, unsigned char c2) const {
        if (c2 == 0) return (single_[c1 >> 6] >> (c1 & 63)) & 1;
        return classMatches(text_.data(), text_.size(), c1, c2);
    }
    const std::string& text() const { return text_; }
    // The one-byte characters in the class, as 256 bits.
    const uint64_t* singleBits() const { return single_; }

  private:
    std::string text_;
    uint64_t single_[4] = {0, 0, 0, 0};
};

// The (state, text position) pairs one match call has entered. A pair entered once is never entered again:
// either it is still being walked (an epsilon loop, cut here) or it failed, and from a given state and
// position the outcome never depends on how the walk got there.
class VisitedSet {
  public:
    // Dense bits up to this many pairs (4 MB); beyond, a hash set that grows only with the pairs entered.
    static constexpr std::size_t kDenseLimit = std::size_t(1) << 25;

    void reset(std::size_t states, std::size_t positions);
    // Marks the pair; false when it was marked already.
    bool enter(uint32_t state, std::size_t position) {
        if (dense_) {
            const std::size_t bit = position * states_ + state;
            uint64_t& word = bits_[bit >> 6];
            const uint64_t mask = uint64_t(1) << (bit & 63);
            if (word & mask) return false;
            if (word == 0) touched_.push_back(bit >> 6);
            word |= mask;
            return true;
        }
        return sparse_.insert(static_cast<uint64_t>(position) * states_ + state).second;
    }

  private:
    bool dense_ = true;
    std::size_t states_ = 0;
    std::vector<uint64_t> bits_;
    std::vector<std::size_t> touched_;
    std::unordered_set<uint64_t> sparse_;
};

struct Frame {
    uint32_t state;
    uint32_t next;  // index of the next transition to try
    std::size_t position;
};

struct Scratch {
    VisitedSet visited;
    std::vector<Frame> stack;
    std::vector<MatchSpan> spans;
};

// Works out Program::startBytes once the transitions and classes are in place.
void computeStartBytes(Regex::Program& program);

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
    mutable regex_detail::Scratch scratch;
};

}  // namespace twk
