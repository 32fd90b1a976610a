// Both number syntaxes over arbitrary text, checked against a slow reference.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/number_syntax.h"

namespace {

std::uint32_t reference(const std::string& s, std::size_t i) {
    std::uint64_t base = 10;
    if (s.compare(i, 2, "0x") == 0) {
        base = 16;
        i += 2;
    }
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0) break;
        v = (v * base + static_cast<std::uint64_t>(d)) & 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    const std::uint32_t u = twk::parseUnsignedNumber(text.c_str());
    const std::int32_t s = twk::parseSignedNumber(text.c_str());
    const bool signedText = !text.empty() && (text[0] == '+' || text[0] == '-');
    if (u != (signedText ? 0u : reference(text, 0))) std::abort();
    std::uint32_t expected = signedText ? reference(text, 1) : reference(text, 0);
    if (!text.empty() && text[0] == '-') expected = 0u - expected;
    if (static_cast<std::uint32_t>(s) != expected) std::abort();
    return 0;
}
