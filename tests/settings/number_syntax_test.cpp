#include "settings/number_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace twk {
namespace {

struct NumberCase {
    const char* text;
    std::int32_t asSigned;
    std::uint32_t asUnsigned;
};

TEST(NumberSyntax, BothFormsOverTheirEdgeCases) {
    const NumberCase cases[] = {
        {"0x1F", 31, 31},
        {"0xfF", 255, 255},
        {"0X1F", 0, 0},  // only a lower-case x introduces hexadecimal
        {"12abc", 12, 12},
        {"0123", 123, 123},  // a leading zero is not octal
        {"0x1g", 1, 1},
        {"-7", -7, 0},  // the unsigned form takes no sign
        {"+7", 7, 0},
        {"-0x10", -16, 0},
        {"--5", 0, 0},
        {" 5", 0, 0},  // no blanks are skipped
        {"", 0, 0},
        {"-", 0, 0},
        {"0x", 0, 0},
        {"\x95\x5C", 0, 0},  // a double-byte character is not a digit
        // 32-bit wrap-around.
        {"4294967296", 0, 0},
        {"0x100000005", 5, 5},
        {"2147483648", INT32_MIN, 0x80000000u},
        {"4294967295", -1, 0xFFFFFFFFu},
        {"-4294967295", 1, 0},
        {"99999999999999999999999999999999", -1, 0xFFFFFFFFu},  // 10^32 - 1 is -1 modulo 2^32
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(parseSignedNumber(c.text), c.asSigned) << '"' << c.text << '"';
        EXPECT_EQ(parseUnsignedNumber(c.text), c.asUnsigned) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace twk
