// Compilation: lexer -> parse tree -> Thompson automaton. The tree lives in an arena and repetition copies
// share their operand (the tree is never changed after it is made), so a copy costs one index and freeing is
// one vector. The automaton is counted from the tree before it is built, and that count is checked against
// kRegexMaxStates before any repetition is expanded, so "a{99999999}" fails cleanly instead of exhausting
// memory.
#include "match/regex.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "core/text.h"
#include "match/regex_internal.h"

namespace twk {
namespace {

using regex_detail::ClassSet;
using regex_detail::kGroupClose;
using regex_detail::kGroupOpen;
using regex_detail::kTransChar;
using regex_detail::kTransClass;
using regex_detail::kTransEpsilon;
using regex_detail::Transition;

// ---------------------------------------------------------------------------------------------------------------
// Lexer

enum Token {
    kTokLiteral = 0,
    kTokOpen = 1,
    kTokClose = 2,
    kTokLazyStar = 3,
    kTokLazyPlus = 4,
    kTokLazyOptional = 5,
    kTokLazyRepeat = 6,
    kTokStar = 7,
    kTokPlus = 8,
    kTokOptional = 9,
    kTokRepeat = 11,
    kTokClass = 14,
    kTokLineStart = 15,
    kTokLineEnd = 16,
    kTokBar = 17,
    kTokEnd = 19,
};

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Saturating decimal accumulation for repetition bounds (the count check rejects anything this large).
int32_t appendDigit(int32_t value, unsigned char digit) {
    constexpr int32_t kMax = 0x7FFFFFFF;
    if (value > (kMax - (digit - '0')) / 10) return kMax;
    return value * 10 + (digit - '0');
}

class Lexer {
  public:
    explicit Lexer(const char* pattern) : p_(reinterpret_cast<const unsigned char*>(pattern)) {}

    Token token() const { return token_; }
    unsigned char lit0() const { return lit_[0]; }
    unsigned char lit1() const { return lit_[1]; }
    const std::string& classText() const { return class_; }
    int32_t low() const { return m_; }
    int32_t high() const { return n_; }
    bool classTooLong() const { return classTooLong_; }

    void next() { token_ = lex(); }

  private:
    Token literal(unsigned char a, unsigned char b = 0) {
        lit_[0] = a;
        lit_[1] = b;
        return kTokLiteral;
    }

    Token lex() {
        const unsigned char c = p_[i_];
        if (c == 0) return kTokEnd;
        const unsigned char d = p_[i_ + 1];
        switch (c) {
            case '(':
                ++i_;
                return kTokOpen;
            case ')':
                ++i_;
                return kTokClose;
            case '*':
                i_ += d == '?' ? 2 : 1;
                return d == '?' ? kTokLazyStar : kTokStar;
            case '+':
                i_ += d == '?' ? 2 : 1;
                return d == '?' ? kTokLazyPlus : kTokPlus;
            case '?':
                i_ += d == '?' ? 2 : 1;
                return d == '?' ? kTokLazyOptional : kTokOptional;
            case '{':
                return repetition();
            case '.':
                ++i_;
                class_ = regex_detail::kDotClassText;
                return kTokClass;
            case '[':
                return bracketClass();
            case '^':
                ++i_;
                return kTokLineStart;
            case '$':
                ++i_;
                return kTokLineEnd;
            case '|':
                ++i_;
                return kTokBar;
            case '\\':
                return escape();
            // A "]" or "}" outside a class or repetition is the character itself, as a user who types "a]" or
            // "x}" means it (rather than a repeat of the last class or bounds read earlier in the pattern).
            default:
                break;
        }
        if (isLeadByte(c) && d != 0) {
            i_ += 2;
            return literal(c, d);
        }
        // A lone lead byte at the end of the pattern (a cut search text) is a one-byte literal; it then
        // matches the same lone byte at the end of a cut field.
        ++i_;
        return literal(c);
    }

    // 「{m,n}」: digits before the first "," go into m, after it into n; every other byte is skipped.
    Token repetition() {
        ++i_;
        int32_t m = 0;
        int32_t n = 0;
        bool comma = false;
        while (p_[i_] != 0 && p_[i_] != '}') {
            const unsigned char c = p_[i_];
            if (c >= '0' && c <= '9') {
                (comma ? n : m) = appendDigit(comma ? n : m, c);
            } else if (c == ',' && !comma) {
                comma = true;
            } else if (isLeadByte(c) && p_[i_ + 1] != 0) {
                ++i_;  // a skipped double-byte character: its second byte may be 0x7D
            }
            ++i_;
        }
        if (p_[i_] == 0) return kTokEnd;  // unterminated: the pattern ends here
        ++i_;
        m_ = m;
        n_ = comma ? n : m;
        if (p_[i_] == '?') {
            ++i_;
            return kTokLazyRepeat;
        }
        return kTokRepeat;
    }

    void addClassByte(unsigned char c, bool escaped) {
        // Inside a class an escaped "^", "-", "]" or "\" (or the byte 0 of a bare 「\x」) stays escaped, so
        // that 「[\^a]」 is "^ or a" and 「[a\-z]」 is three characters; the class test reads "\" + byte as
        // the byte.
        if (escaped && (c == '^' || c == '-' || c == ']' || c == '\\' || c == 0)) class_ += '\\';
        class_ += static_cast<char>(c);
        ++classLength_;
    }

    Token bracketClass() {
        ++i_;
        class_.clear();
        classLength_ = 0;
        if (p_[i_] == ']') {
            addClassByte(']', false);
            ++i_;
        }
        if (p_[i_] == '^' && p_[i_ + 1] == ']') {
            addClassByte('^', false);
            addClassByte(']', false);
            i_ += 2;
        }
        while (p_[i_] != 0 && p_[i_] != ']') {
            const unsigned char c = p_[i_];
            const unsigned char d = p_[i_ + 1];
            if (c == '\\') {
                if (d == 0) {
                    ++i_;
                    break;
                }
                if (regex_detail::predefinedClassText(d) || d == '\\') {
                    // Copied as they are; the class test expands them.
                    class_ += '\\';
                    class_ += static_cast<char>(d);
                    classLength_ += 2;
                    i_ += 2;
                    continue;
                }
                unsigned char bytes[2];
                const int count = expandSingle(bytes);
                for (int k = 0; k < count; ++k) addClassByte(bytes[k], count == 1);
                continue;
            }
            if (isLeadByte(c) && d != 0) {
                addClassByte(c, false);
                addClassByte(d, false);
                i_ += 2;
                continue;
            }
            addClassByte(c, false);
            ++i_;
        }
        if (p_[i_] == 0) return kTokEnd;  // unterminated: the class and the rest are dropped
        ++i_;
        // A class longer than the 255 bytes a class may have makes the search text wrong, rather than being
        // cut to something the user did not type.
        if (classLength_ > kRegexMaxClassText) classTooLong_ = true;
        return kTokClass;
    }

    // Expands the escape at the cursor ("\" plus at least one byte) that is not a predefined class, in
    // pattern mode, into one byte (two for an escaped double-byte character), and moves past it.
    int expandSingle(unsigned char* out) {
        const unsigned char d = p_[i_ + 1];
        i_ += 2;
        switch (d) {
            case 'n':
            case 'N':
                out[0] = '\n';
                return 1;
            case 'r':
            case 'R':
                out[0] = '\r';
                return 1;
            case 't':
            case 'T':
                out[0] = '\t';
                return 1;
            case 'x':
            case 'X': {
                // Up to two hex digits; none (also at the end of the pattern) gives the byte 0, which never
                // matches since no text character is 0.
                int value = 0;
                for (int k = 0; k < 2 && hexValue(p_[i_]) >= 0; ++k) value = value * 16 + hexValue(p_[i_++]);
                out[0] = static_cast<unsigned char>(value);
                return 1;
            }
            default:
                break;
        }
        if (isLeadByte(d) && p_[i_] != 0) {
            // "\" before a double-byte character escapes the whole character, never just its first byte.
            out[0] = d;
            out[1] = p_[i_++];
            return 2;
        }
        out[0] = d;
        return 1;
    }

    Token escape() {
        const unsigned char d = p_[i_ + 1];
        if (d == 0) {
            // A pattern ending in a single "\" ends in a literal backslash.
            ++i_;
            return literal('\\');
        }
        if (const char* text = regex_detail::predefinedClassText(d)) {
            i_ += 2;
            class_ = text;
            return kTokClass;
        }
        unsigned char bytes[2];
        if (expandSingle(bytes) == 2) return literal(bytes[0], bytes[1]);
        return literal(bytes[0]);
    }

    const unsigned char* p_;
    std::size_t i_ = 0;
    Token token_ = kTokEnd;
    unsigned char lit_[2] = {0, 0};
    std::string class_;
    std::size_t classLength_ = 0;  // class text bytes as the user wrote them (escapes expanded)
    int32_t m_ = 0;
    int32_t n_ = 0;
    bool classTooLong_ = false;
};

// ---------------------------------------------------------------------------------------------------------------
// Parse tree

enum NodeKind : uint8_t {
    kNodeChar,
    kNodeLineStart,
    kNodeLineEnd,
    kNodeClass,
    kNodeConcat,
    kNodeUnion,
    kNodeStar,
    kNodeLazyStar,
    kNodeEmpty,
    kNodeGroupOpen,
    kNodeGroupClose,
    kNodeMissing,  // an operand that is not there: adds nothing, so no path passes it
};

struct Node {
    NodeKind kind;
    unsigned char c1 = 0;
    unsigned char c2 = 0;
    int32_t a = -1;  // left or only child; class index; group number
    int32_t b = -1;  // right child
    // States and transitions this node adds when built, counting every use of a shared operand.
    uint64_t states = 0;
    uint64_t transitions = 0;
};

uint64_t saturatingAdd(uint64_t x, uint64_t y) {
    const uint64_t sum = x + y;
    return sum < x ? UINT64_MAX : sum;
}

uint64_t saturatingMul(uint64_t x, uint64_t y) {
    if (x != 0 && y > UINT64_MAX / x) return UINT64_MAX;
    return x * y;
}

struct TooComplex {};
struct ClassTooLong {};

class Parser {
  public:
    explicit Parser(const char* pattern) : lex_(pattern) {}

    // Returns the root node.
    int32_t parse() {
        lex_.next();
        // A ")" with no open group ends the pattern here; the rest is ignored.
        return alternation(0);
    }

    std::vector<Node>& nodes() { return nodes_; }
    std::vector<std::string>& classes() { return classes_; }
    int groups() const { return groups_; }

  private:
    int32_t add(Node node) {
        switch (node.kind) {
            case kNodeConcat:
                node.states = saturatingAdd(1, saturatingAdd(nodes_[node.a].states, nodes_[node.b].states));
                node.transitions = saturatingAdd(nodes_[node.a].transitions, nodes_[node.b].transitions);
                break;
            case kNodeUnion:
                node.states = saturatingAdd(nodes_[node.a].states, nodes_[node.b].states);
                node.transitions = saturatingAdd(nodes_[node.a].transitions, nodes_[node.b].transitions);
                break;
            case kNodeStar:
            case kNodeLazyStar:
                node.states = saturatingAdd(2, nodes_[node.a].states);
                node.transitions = saturatingAdd(3, nodes_[node.a].transitions);
                break;
            case kNodeMissing:
                break;
            default:
                node.transitions = 1;
                break;
        }
        if (node.states > kRegexMaxStates || node.transitions > kRegexMaxStates) throw TooComplex{};
        nodes_.push_back(node);
        return static_cast<int32_t>(nodes_.size() - 1);
    }

    int32_t leaf(NodeKind kind, int32_t a = -1) {
        Node n{kind};
        n.a = a;
        return add(n);
    }
    int32_t pair(NodeKind kind, int32_t a, int32_t b) {
        Node n{kind};
        n.a = a;
        n.b = b;
        return add(n);
    }
    int32_t star(bool lazy, int32_t child) { return pair(lazy ? kNodeLazyStar : kNodeStar, child, -1); }
    int32_t optional(bool lazy, int32_t child) {
        if (empty_ < 0) empty_ = leaf(kNodeEmpty);  // shared: nodes never change once made
        return lazy ? pair(kNodeUnion, child, empty_) : pair(kNodeUnion, empty_, child);
    }

    static bool endsSequence(Token t) { return t == kTokClose || t == kTokBar || t == kTokEnd; }

    int32_t alternation(int depth) {
        int32_t tree = sequence(depth);
        while (lex_.token() == kTokBar) {
            lex_.next();
            const int32_t right = sequence(depth);
            // The later alternative is the left operand, so the alternatives are tried in written order.
            tree = pair(kNodeUnion, right, tree);
        }
        return tree;
    }

    int32_t sequence(int depth) {
        if (endsSequence(lex_.token())) return leaf(kNodeEmpty);
        int32_t tree = item(depth);
        while (!endsSequence(lex_.token())) tree = pair(kNodeConcat, tree, item(depth));
        return tree;
    }

    int32_t item(int depth) {
        const int32_t atomNode = atom(depth);
        switch (lex_.token()) {
            case kTokStar:
                lex_.next();
                return star(false, atomNode);
            case kTokLazyStar:
                lex_.next();
                return star(true, atomNode);
            case kTokPlus:
                lex_.next();
                return pair(kNodeConcat, atomNode, star(false, atomNode));
            case kTokLazyPlus:
                lex_.next();
                return pair(kNodeConcat, atomNode, star(true, atomNode));
            case kTokOptional:
                lex_.next();
                return optional(false, atomNode);
            case kTokLazyOptional:
                lex_.next();
                return optional(true, atomNode);
            case kTokRepeat:
            case kTokLazyRepeat: {
                const bool lazy = lex_.token() == kTokLazyRepeat;
                const int32_t m = lex_.low();
                const int32_t n = lex_.high();
                lex_.next();
                return repeat(atomNode, m, n, lazy);
            }
            default:
                return atomNode;
        }
    }

    // 「{m,n}」 as Empty (or Star when n is 0), n - m optional copies after it, m copies in front, and a
    // final optional when m is 0; so n < m is exactly m, 「{m,}」 is m or more and 「{0}」 is "*".
    int32_t repeat(int32_t atomNode, int32_t m, int32_t n, bool lazy) {
        const Node& a = nodes_[atomNode];
        const uint64_t optionals = n > m ? static_cast<uint64_t>(n) - static_cast<uint64_t>(m) : 0;
        const uint64_t copies = optionals + static_cast<uint64_t>(m);
        // Each copy adds one Concat state and (optional copies) one Empty transition besides the atom.
        const uint64_t states = saturatingMul(copies, saturatingAdd(a.states, 1));
        const uint64_t transitions = saturatingMul(copies, saturatingAdd(a.transitions, 1));
        if (states > kRegexMaxStates || transitions > kRegexMaxStates) throw TooComplex{};

        int32_t tree = n != 0 ? leaf(kNodeEmpty) : star(lazy, atomNode);
        for (uint64_t k = 0; k < optionals; ++k) tree = pair(kNodeConcat, tree, optional(lazy, atomNode));
        for (int32_t k = 0; k < m; ++k) tree = pair(kNodeConcat, atomNode, tree);
        if (m == 0) tree = optional(lazy, tree);
        return tree;
    }

    int32_t atom(int depth) {
        switch (lex_.token()) {
            case kTokLiteral: {
                Node n{kNodeChar};
                n.c1 = lex_.lit0();
                n.c2 = lex_.lit1();
                lex_.next();
                return add(n);
            }
            case kTokOpen: {
                if (depth >= kRegexMaxNesting) throw TooComplex{};
                const int32_t group = ++groups_;
                lex_.next();
                const int32_t inner = alternation(depth + 1);
                lex_.next();  // the ")" (an unclosed group is closed at the end of the pattern)
                const int32_t close = pair(kNodeConcat, inner, leaf(kNodeGroupClose, group));
                return pair(kNodeConcat, leaf(kNodeGroupOpen, group), close);
            }
            case kTokClass: {
                if (lex_.classTooLong()) throw ClassTooLong{};
                // Equal class texts share one class ("." is the same every time it is written).
                std::size_t index = 0;
                while (index < classes_.size() && classes_[index] != lex_.classText()) ++index;
                if (index == classes_.size()) classes_.push_back(lex_.classText());
                lex_.next();
                return leaf(kNodeClass, static_cast<int32_t>(index));
            }
            case kTokLineStart:
                lex_.next();
                return leaf(kNodeLineStart);
            case kTokLineEnd:
                lex_.next();
                return leaf(kNodeLineEnd);
            default:
                // A quantifier with nothing before it: its operand matches nothing.
                return leaf(kNodeMissing);
        }
    }

    Lexer lex_;
    std::vector<Node> nodes_;
    std::vector<std::string> classes_;
    int groups_ = 0;
    int32_t empty_ = -1;
};

// ---------------------------------------------------------------------------------------------------------------
// Automaton

class Builder {
  public:
    Builder(const std::vector<Node>& nodes, std::size_t states, std::size_t transitions)
        : nodes_(nodes), head_(states, kNone) {
        trans_.reserve(transitions);
        next_.reserve(transitions);
    }

    // Builds the tree between the start state 0 and the final state 1, without recursion: a left-deep chain
    // of Concat nodes is as deep as the pattern is long.
    void build(int32_t root) {
        struct Task {
            int32_t node;  // -1: add the epsilon transition from -> to
            uint32_t from;
            uint32_t to;
        };
        std::vector<Task> tasks{{root, 0, 1}};
        while (!tasks.empty()) {
            const Task t = tasks.back();
            tasks.pop_back();
            if (t.node < 0) {
                epsilon(t.from, t.to);
                continue;
            }
            const Node& n = nodes_[t.node];
            switch (n.kind) {
                case kNodeChar:
                    add(t.from, {kTransChar, n.c1, n.c2, 0, t.to});
                    break;
                case kNodeClass:
                    add(t.from, {kTransClass, 0, 0, n.a, t.to});
                    break;
                case kNodeEmpty:
                    epsilon(t.from, t.to);
                    break;
                case kNodeGroupOpen:
                    add(t.from, {kGroupOpen, 0, 0, n.a, t.to});
                    break;
                case kNodeGroupClose:
                    add(t.from, {kGroupClose, 0, 0, n.a, t.to});
                    break;
                case kNodeLineStart:
                    // Only at the very start of the pattern (or of a top-level alternative); elsewhere the
                    // path cannot match.
                    if (t.from == 0) {
                        epsilon(t.from, t.to);
                        lineStart = true;
                    }
                    break;
                case kNodeLineEnd:
                    if (t.to == 1) {
                        epsilon(t.from, t.to);
                        lineEnd = true;
                    }
                    break;
                case kNodeConcat: {
                    const uint32_t s = newState();
                    tasks.push_back({n.b, s, t.to});
                    tasks.push_back({n.a, t.from, s});
                    break;
                }
                case kNodeUnion:
                    // Right after left: the right operand's transitions are tried first.
                    tasks.push_back({n.b, t.from, t.to});
                    tasks.push_back({n.a, t.from, t.to});
                    break;
                case kNodeStar: {
                    const uint32_t f = newState();
                    const uint32_t g = newState();
                    epsilon(t.from, f);
                    epsilon(g, f);
                    epsilon(f, t.to);
                    tasks.push_back({n.a, f, g});  // the body is tried before leaving: greedy
                    break;
                }
                case kNodeLazyStar: {
                    const uint32_t f = newState();
                    const uint32_t g = newState();
                    epsilon(t.from, f);
                    tasks.push_back({-1, f, t.to});  // leaving is tried before the body: lazy
                    tasks.push_back({-1, g, f});
                    tasks.push_back({n.a, f, g});
                    break;
                }
                case kNodeMissing:
                    break;
            }
        }
    }

    // Lays the transition lists out state by state, each in list order (newest first).
    void finish(Regex::Program& program) const {
        const std::size_t states = head_.size();
        program.first.assign(states + 1, 0);
        program.transitions.clear();
        program.transitions.reserve(trans_.size());
        for (std::size_t s = 0; s < states; ++s) {
            program.first[s] = static_cast<uint32_t>(program.transitions.size());
            for (uint32_t t = head_[s]; t != kNone; t = next_[t]) program.transitions.push_back(trans_[t]);
        }
        program.first[states] = static_cast<uint32_t>(program.transitions.size());
    }

    uint32_t usedStates() const { return nextState_; }

    bool lineStart = false;
    bool lineEnd = false;

  private:
    static constexpr uint32_t kNone = UINT32_MAX;

    uint32_t newState() { return nextState_++; }
    void epsilon(uint32_t from, uint32_t to) { add(from, {kTransEpsilon, 0, 0, 0, to}); }
    void add(uint32_t from, Transition t) {
        // A new transition goes to the front of its state's list.
        trans_.push_back(t);
        next_.push_back(head_[from]);
        head_[from] = static_cast<uint32_t>(trans_.size() - 1);
    }

    const std::vector<Node>& nodes_;
    std::vector<uint32_t> head_;
    std::vector<Transition> trans_;
    std::vector<uint32_t> next_;
    uint32_t nextState_ = 2;
};

// Drops the states whose only transition is a plain epsilon one (the loop-back state of every "*", the
// joints of a sequence of empty pieces): a transition into such a state goes straight to where it leads, and
// the states left are numbered again in their old order (0 and 1 keep their numbers). Entering the dropped
// state at a position could only lead to entering its target there, so every walk finds the same match and
// records the same slots, with fewer steps and a smaller visited set.
void dropPassThroughStates(Regex::Program& program) {
    const std::size_t states = program.first.size() - 1;
    constexpr uint32_t kUnknown = UINT32_MAX;
    constexpr uint32_t kOnPath = UINT32_MAX - 1;
    auto passes = [&](uint32_t s) {
        return s > 1 && program.first[s + 1] - program.first[s] == 1 &&
               program.transitions[program.first[s]].kind == kTransEpsilon;
    };
    // Where a transition into each state really leads.
    std::vector<uint32_t> lead(states, kUnknown);
    std::vector<uint32_t> path;
    for (uint32_t s = 0; s < states; ++s) {
        uint32_t at = s;
        while (lead[at] == kUnknown && passes(at)) {
            lead[at] = kOnPath;
            path.push_back(at);
            at = program.transitions[program.first[at]].target;
        }
        // A chain that comes back to itself never leaves: its states stay as they are.
        uint32_t to = lead[at] == kOnPath ? kOnPath : (lead[at] == kUnknown ? at : lead[at]);
        if (lead[at] == kUnknown) lead[at] = at;
        for (uint32_t q : path) lead[q] = to == kOnPath ? q : to;
        path.clear();
    }
    // The states still entered, in their old order.
    std::vector<uint32_t> number(states, kUnknown);
    number[0] = 0;
    number[1] = 1;
    for (regex_detail::Transition& t : program.transitions) t.target = lead[t.target];
    std::vector<bool> kept(states, false);
    kept[0] = kept[1] = true;
    for (const regex_detail::Transition& t : program.transitions) kept[t.target] = true;
    uint32_t next = 2;
    for (uint32_t s = 2; s < states; ++s) {
        if (kept[s]) number[s] = next++;
    }
    std::vector<uint32_t> first;
    std::vector<regex_detail::Transition> transitions;
    first.reserve(next + 1);
    transitions.reserve(program.transitions.size());
    for (uint32_t s = 0; s < states; ++s) {
        if (number[s] == kUnknown) continue;
        first.push_back(static_cast<uint32_t>(transitions.size()));
        for (uint32_t i = program.first[s]; i < program.first[s + 1]; ++i) {
            regex_detail::Transition t = program.transitions[i];
            t.target = number[t.target];
            transitions.push_back(t);
        }
    }
    first.push_back(static_cast<uint32_t>(transitions.size()));
    program.first.swap(first);
    program.transitions.swap(transitions);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------

Regex::Regex(std::unique_ptr<Program> program) : program_(std::move(program)) {}
Regex::~Regex() = default;

int Regex::groupCount() const {
    return program_->groups;
}
bool Regex::anchoredAtLineStart() const {
    return program_->lineStart;
}
bool Regex::anchoredAtLineEnd() const {
    return program_->lineEnd;
}
std::size_t Regex::stateCount() const {
    return program_->first.empty() ? 0 : program_->first.size() - 1;
}
std::size_t Regex::transitionCount() const {
    return program_->transitions.size();
}

std::unique_ptr<Regex> compileRegex(const char* pattern, RegexError* error) {
    RegexError failure = RegexError::None;
    try {
        Parser parser(pattern ? pattern : "");
        const int32_t root = parser.parse();
        const Node& top = parser.nodes()[root];
        const std::size_t states = 2 + static_cast<std::size_t>(top.states);
        if (states > kRegexMaxStates) throw TooComplex{};

        auto program = std::make_unique<Regex::Program>();
        Builder builder(parser.nodes(), states, static_cast<std::size_t>(top.transitions));
        builder.build(root);
        builder.finish(*program);
        dropPassThroughStates(*program);
        program->groups = parser.groups();
        program->lineStart = builder.lineStart;
        program->lineEnd = builder.lineEnd;
        program->classes.reserve(parser.classes().size());
        for (std::string& text : parser.classes()) program->classes.emplace_back(std::move(text));
        regex_detail::computeStartBytes(*program);
        regex_detail::computeLastBytes(*program);
        if (error) *error = RegexError::None;
        return std::make_unique<Regex>(std::move(program));
    } catch (const TooComplex&) {
        failure = RegexError::TooComplex;
    } catch (const ClassTooLong&) {
        failure = RegexError::ClassTooLong;
    } catch (const std::bad_alloc&) {
        failure = RegexError::OutOfMemory;
    }
    if (error) *error = failure;
    return nullptr;
}

}  // namespace twk
