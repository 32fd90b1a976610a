// Compiles the bytes before the first NUL as a pattern and matches it against every NUL-separated text after
// it, checking what any match must satisfy.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text.h"
#include "match/regex.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    const std::string pattern = input.substr(0, cut);
    // Repetition bounds of more than two digits build automata of up to kRegexMaxStates states, which takes long
    // under the sanitizers and teaches the fuzzer nothing new; the unit tests cover those.
    int boundDigits = 0;
    bool inBraces = false;
    for (char c : pattern) {
        if (c == '{') inBraces = true;
        if (c == '}') inBraces = false;
        if (inBraces && c >= '0' && c <= '9' && ++boundDigits > 2) return 0;
    }
    std::unique_ptr<twk::Regex> re = twk::compileRegex(pattern);
    if (!re) return 0;
    check(re->stateCount() <= twk::kRegexMaxStates && re->transitionCount() <= twk::kRegexMaxStates);
    std::size_t at = cut == std::string::npos ? input.size() : cut + 1;
    do {
        std::size_t end = input.find('\0', at);
        if (end == std::string::npos) end = input.size();
        const std::string text = input.substr(at, end - at);
        at = end + 1;
        // The work is bounded by states x text length; keep single runs short so the fuzzer explores.
        if (re->stateCount() * (text.size() + 1) > 1000000) continue;
        twk::MatchSlots slots;
        const int n = twk::matchRegex(*re, text, &slots);
        if (n == 0) {
            check(slots.spans.empty());
            continue;
        }
        check(n == re->groupCount() + 1 && slots.size() == static_cast<std::size_t>(n));
        const twk::MatchSpan whole = slots.whole();
        check(whole.start >= 0 && whole.start <= whole.end &&
              static_cast<std::size_t>(whole.end) <= text.size());
        // A match begins on a character boundary.
        std::size_t pos = 0;
        while (pos < static_cast<std::size_t>(whole.start))
            pos += twk::isLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
        check(pos == static_cast<std::size_t>(whole.start));
        for (std::size_t k = 1; k < slots.size(); ++k)
            check(slots.spans[k].start <= static_cast<int>(text.size()) &&
                  slots.spans[k].end <= static_cast<int>(text.size()));
        // Matching again with the scratch memory reused gives the same answer.
        twk::MatchSlots again;
        check(twk::matchRegex(*re, text, &again) == n && again.whole().start == whole.start &&
              again.whole().end == whole.end);
    } while (at <= input.size() && cut != std::string::npos);
    return 0;
}
