// Compiles the bytes before the first NUL as a pattern and matches it against every NUL-separated text after
// it, checking what any match must satisfy. Repetition bounds of any size are taken (up to the automaton's
// limit of states), and a text that begins with the byte 0x01 and a count byte n is its remaining bytes
// repeated to (n + 1) x 512 bytes, so that short inputs reach texts of up to 128 KB. Each call has a small
// budget, so that the fuzzer explores rather than waits; giving up is an answer, and a larger budget must
// then give the same answer wherever the smaller one gave any. The search's scanner must say yes exactly
// where the walk found a match, with a roomy cache and with one so small that it is emptied all the time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text.h"
#include "match/regex.h"
#include "match/regex_scan.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

constexpr unsigned long long kSteps = 200000;
// The scanner may follow a state per byte at each byte: it is compared where that stays small, so that the
// fuzzer does not wait on 128 KB texts against 65,536 states.
constexpr std::size_t kScanWork = std::size_t(1) << 22;

std::string expand(const std::string& segment) {
    if (segment.size() < 3 || segment[0] != '\x01') return segment;
    const std::string body = segment.substr(2);
    const std::size_t length = (static_cast<unsigned char>(segment[1]) + 1u) * 512u;
    std::string text;
    text.reserve(length + body.size());
    while (text.size() < length) text += body;
    return text;
}

// Matches with a budget of `steps`; checks what the answer must satisfy and that the budget only shrank.
int matchChecked(const twk::Regex& re, const std::string& text, unsigned long long steps,
                 twk::MatchSlots* slots) {
    twk::RegexBudget budget{steps};
    const int n = twk::matchRegex(re, text, slots, &budget);
    check(budget.steps <= steps);
    if (n <= 0) {
        check(n == 0 || n == twk::kRegexGaveUp);
        check(slots->spans.empty());
        return n;
    }
    check(n == re.groupCount() + 1 && slots->size() == static_cast<std::size_t>(n));
    const twk::MatchSpan whole = slots->whole();
    check(whole.start >= 0 && whole.start <= whole.end && static_cast<std::size_t>(whole.end) <= text.size());
    // A match begins on a character boundary.
    std::size_t pos = 0;
    while (pos < static_cast<std::size_t>(whole.start))
        pos += twk::isLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
    check(pos == static_cast<std::size_t>(whole.start));
    for (std::size_t k = 1; k < slots->size(); ++k)
        check(slots->spans[k].start <= static_cast<int>(text.size()) &&
              slots->spans[k].end <= static_cast<int>(text.size()));
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    const std::string pattern = input.substr(0, cut);
    std::unique_ptr<twk::Regex> re = twk::compileRegex(pattern);
    if (!re) return 0;
    check(re->stateCount() <= twk::kRegexMaxStates && re->transitionCount() <= twk::kRegexMaxStates);
    twk::RegexScanner scanner(*re);
    twk::RegexScanner cramped(*re, 4096);
    // Texts two at a time, in a cache small enough to be emptied on the way of the first.
    twk::RegexScanner crampedPairs(*re, 4096);
    std::string previous;
    int previousN = -1;
    std::size_t at = cut == std::string::npos ? input.size() : cut + 1;
    do {
        std::size_t end = input.find('\0', at);
        if (end == std::string::npos) end = input.size();
        const std::string text = expand(input.substr(at, end - at));
        at = end + 1;
        twk::MatchSlots slots;
        const int n = matchChecked(*re, text, kSteps, &slots);
        // Four times the budget (the scratch memory reused) finds the same match, or none, wherever the
        // first call came to an answer.
        twk::MatchSlots again;
        const int m = matchChecked(*re, text, 4 * kSteps, &again);
        if (n == twk::kRegexGaveUp) continue;
        check(m == n);
        if (re->stateCount() * (text.size() + 1) <= kScanWork) {
            check(scanner.matches(text) == (n > 0));
            check(cramped.matches(text) == (n > 0));
            if (previousN >= 0) {
                bool first = false, second = false;
                crampedPairs.matchesTwo(previous.c_str(), text.c_str(), &first, &second);
                check(first == (previousN > 0) && second == (n > 0));
            }
            previous = text;
            previousN = n;
        }
        if (n > 0)
            check(again.whole().start == slots.whole().start && again.whole().end == slots.whole().end);
    } while (at <= input.size() && cut != std::string::npos);
    return 0;
}
