#include "settings/number_syntax.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

TEST(NumberSyntax, SignedReadsDecimalHexAndSign) {
    EXPECT_EQ(parseSignedNumber("0x1F"), 31);
    EXPECT_EQ(parseSignedNumber("0xfF"), 255);
    EXPECT_EQ(parseSignedNumber("-7"), -7);
    EXPECT_EQ(parseSignedNumber("+7"), 7);
    EXPECT_EQ(parseSignedNumber("-0x10"), -16);
    EXPECT_EQ(parseSignedNumber("0123"), 123);  // a leading zero is not octal
}

TEST(NumberSyntax, StopsAtFirstCharacterThatDoesNotFit) {
    EXPECT_EQ(parseSignedNumber("12abc"), 12);
    EXPECT_EQ(parseSignedNumber("0x1g"), 1);
    EXPECT_EQ(parseSignedNumber("0X1F"), 0);  // only a lower-case x introduces hexadecimal
    EXPECT_EQ(parseSignedNumber(" 5"), 0);    // no blanks are skipped
    EXPECT_EQ(parseSignedNumber("--5"), 0);
    EXPECT_EQ(parseSignedNumber("0x"), 0);
    EXPECT_EQ(parseSignedNumber(""), 0);
    EXPECT_EQ(parseSignedNumber("-"), 0);
    EXPECT_EQ(parseSignedNumber("1.5"), 1);
    EXPECT_EQ(parseSignedNumber("\x95\x5C"), 0);  // a double-byte character is not a digit
}

TEST(NumberSyntax, UnsignedRefusesSigns) {
    EXPECT_EQ(parseUnsignedNumber("0x10"), 16u);
    EXPECT_EQ(parseUnsignedNumber("0X10"), 0u);
    EXPECT_EQ(parseUnsignedNumber("16abc"), 16u);
    EXPECT_EQ(parseUnsignedNumber("-16"), 0u);
    EXPECT_EQ(parseUnsignedNumber("+16"), 0u);
    EXPECT_EQ(parseUnsignedNumber("0x4DF0A8"), 0x4DF0A8u);
    EXPECT_EQ(parseUnsignedNumber("0xFFFFFFFF"), 0xFFFFFFFFu);
}

TEST(NumberSyntax, ArithmeticWrapsAt32Bits) {
    EXPECT_EQ(parseUnsignedNumber("4294967296"), 0u);
    EXPECT_EQ(parseUnsignedNumber("4294967297"), 1u);
    EXPECT_EQ(parseUnsignedNumber("0x100000005"), 5u);
    EXPECT_EQ(parseSignedNumber("2147483648"), INT32_MIN);
    EXPECT_EQ(parseSignedNumber("4294967295"), -1);
    EXPECT_EQ(parseSignedNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseSignedNumber("-4294967295"), 1);
    // Many more digits than fit: every one still counts, modulo 2^32.
    EXPECT_EQ(parseUnsignedNumber("99999999999999999999999999999999"), 0xffffffffu);
}

}  // namespace
}  // namespace twk
