// The two number syntaxes of the settings files. Both stop at the first character that does not fit and give
// 0 when no digit was read; arithmetic is 32-bit and wraps.
#pragma once

#include <cstdint>

namespace twk {

// Signed: an optional "+" or "-", then hexadecimal digits after a lower-case "0x", else decimal digits.
std::int32_t parseSignedNumber(const char* text);

// Unsigned: as the signed form without a sign; a leading "+" or "-" gives 0.
std::uint32_t parseUnsignedNumber(const char* text);

}  // namespace twk
