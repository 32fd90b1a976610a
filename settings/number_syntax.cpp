#include "settings/number_syntax.h"

namespace twk {

namespace {

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Digits from p on, in the base chosen by a lower-case "0x" prefix; wraps modulo 2^32.
std::uint32_t parseDigits(const char* p) {
    bool hex = false;
    if (p[0] == '0' && p[1] == 'x') {
        hex = true;
        p += 2;
    }
    const std::uint32_t base = hex ? 16u : 10u;
    std::uint32_t value = 0;
    for (int d; (d = digitValue(*p, hex)) >= 0; ++p) value = value * base + static_cast<std::uint32_t>(d);
    return value;
}

}  // namespace

std::int32_t parseSignedNumber(const char* text) {
    if (!text) return 0;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    std::uint32_t value = parseDigits(text);
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::uint32_t parseUnsignedNumber(const char* text) {
    if (!text) return 0;
    return parseDigits(text);
}

}  // namespace twk
