// The keyword condition language: a chain of terms joined by "&", "|" and "-", each testing one field of a
// row. The same tests run on a list row (Entry) and on a record read from the host (RawRecord).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/entry.h"

namespace twk {

// How a term joins the result of the terms before it. The first term has None.
enum class TermOperator : std::uint8_t { None, And, Or, AndNot };

// What a term tests, chosen by the first character of its text.
enum class FieldTest : std::uint8_t {
    NameContains,  // no prefix, or "#"
    TripContains,  // "$"
    HashContains,  // "%"
    SizeEqual,     // "="
    SizeLess,      // "<"
    SizeGreater,   // ">"
    VerEqual,      // "!": byte for byte, same length
    RefUnknown,    // "?": the reference amount's first non-space character is "?"
    RefLess,       // "("
    RefGreater,    // ")"
};

// Longest term text kept, in bytes. Longer terms are cut (see condition.cpp).
constexpr int kMaxTermBytes = 1023;

struct ConditionTerm {
    TermOperator op = TermOperator::None;
    FieldTest test = FieldTest::NameContains;
    // The term's text without its prefix character; for number tests the normalised number ("1,500").
    std::string text;
    // For the "contains" tests: the text with a-z mapped to A-Z outside double-byte characters, as the
    // substring test compares it.
    std::string folded;
    // For the "contains" tests: how the substring test picks the field positions where `folded` may start. A
    // byte b passes a lane pair when (b | mask) == value; the first pair tests a position's byte, the second
    // the byte after it. Each byte is repeated 16 times, so that a block of positions is tested at once.
    struct Lanes {
        unsigned char firstMask[16], firstValue[16], secondMask[16], secondValue[16];
    } lanes{};
};

using ConditionTerms = std::vector<ConditionTerm>;

// Reads a condition text into its terms. Returns false (and leaves `terms` empty) when the text is wrong:
// empty, an empty term, a number term that is not a number, a "?" term with more characters, an operator
// followed by nothing, or anything but an operator after a quoted term.
bool parseConditionText(const char* text, ConditionTerms& terms);

// Rewrites a number term ("1500" -> "1,500", "2G" -> "2,000,000,000"). False when the text is not a number.
bool normalizeNumber(const char* text, std::string& out);

// Whether the terms hold for a row, read left to right without precedence. No terms never hold.
// Allocates nothing.
bool evaluateTerms(const ConditionTerms& terms, const Entry& row);
bool evaluateTerms(const ConditionTerms& terms, const RawRecord& record);

// A chain of terms tested on many rows (the keyword search). Where every term tests the name, as most
// searches do, one pass over a row's name answers the whole chain. `terms` must outlive it.
class TermMatcher {
  public:
    explicit TermMatcher(const ConditionTerms& terms);
    bool matches(const Entry& row) const;

  private:
    const ConditionTerms& terms_;
    std::vector<const ConditionTerm*> keys_;
    std::vector<unsigned char> answers_;  // by the set of keys found; empty: the terms are read one by one
    std::vector<unsigned char> settled_;  // by the set of keys found: whether more keys found change nothing
};

// The building blocks of the tests, exposed for the search and for tests.
// Whether `field` (length bytes, or up to its first NUL) contains the folded term `key`.
bool fieldContains(const char* field, std::size_t length, const std::string& key);
// Compares a number field against a normalised number: negative, 0 or positive as the field is less than,
// equal to or greater than it. `field` is read up to its first NUL or `length` bytes.
int compareNumberField(const char* field, std::size_t length, const std::string& number);

}  // namespace twk
