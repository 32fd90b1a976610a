#include "settings/profile_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/memory_profile_store.h"

namespace twk {
namespace {

using test::MemoryProfileStore;

const char* const kPath = "C:\\prog\\TWK.ini";

class ProfileFileTest : public testing::Test {
  protected:
    ProfileFile fileWith(const std::string& body) {
        store.files[kPath] = "[Tollwick]\r\n" + body;
        return ProfileFile(store, kPath);
    }
    MemoryProfileStore store;
};

TEST_F(ProfileFileTest, NumbersUseTheirSyntaxAndTheDefaultOnlyWhenEmpty) {
    ProfileFile file = fileWith("hex=0x1F\r\nupper=0X1F\r\ntail=12abc\r\nneg=-7\r\nempty=\r\nzero=0\r\n");
    std::int32_t i = 99;
    EXPECT_TRUE(file.readInt(kProfileSection, "hex", 5, i));
    EXPECT_EQ(i, 31);
    EXPECT_TRUE(file.readInt(kProfileSection, "upper", 5, i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(file.readInt(kProfileSection, "tail", 5, i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(file.readInt(kProfileSection, "neg", 5, i));
    EXPECT_EQ(i, -7);
    EXPECT_TRUE(file.readInt(kProfileSection, "zero", 5, i));
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(file.readInt(kProfileSection, "empty", 5, i));
    EXPECT_EQ(i, 5);
    i = 99;
    EXPECT_FALSE(file.readInt(kProfileSection, "missing", 6, i));
    EXPECT_EQ(i, 6);
    EXPECT_FALSE(file.readInt("Other", "hex", 8, i));
    EXPECT_EQ(i, 8);

    std::uint32_t u = 99;
    EXPECT_TRUE(file.readNumber(kProfileSection, "neg", 5, u));
    EXPECT_EQ(u, 0u);
    EXPECT_TRUE(file.readNumber(kProfileSection, "hex", 5, u));
    EXPECT_EQ(u, 31u);
    EXPECT_FALSE(file.readNumber(kProfileSection, "empty", 0x4DF0A8, u));
    EXPECT_EQ(u, 0x4DF0A8u);
}

TEST_F(ProfileFileTest, OnlyTheFirstFifteenCharactersOfANumberCount) {
    // "0x" and 11 zeros and "1F" are 15 characters; one more zero pushes the F past the cut.
    ProfileFile file = fileWith("long=1234567890123456789\r\nhex=0x" + std::string(11, '0') +
                                "1F\r\nhex2=0x" + std::string(12, '0') + "1F\r\n");
    std::int32_t i = 0;
    file.readInt(kProfileSection, "long", 0, i);
    EXPECT_EQ(i, static_cast<std::int32_t>(123456789012345LL & 0xFFFFFFFF));
    file.readInt(kProfileSection, "hex", 0, i);  // exactly 15 characters
    EXPECT_EQ(i, 31);
    file.readInt(kProfileSection, "hex2", 0, i);  // the 16th character is cut off
    EXPECT_EQ(i, 1);
}

TEST_F(ProfileFileTest, TextsFallBackOnlyWhenEmptyAndAreCutToTheBuffer) {
    ProfileFile file = fileWith("title=完全キャッシュ\r\nempty=\r\n");
    char buffer[260];
    EXPECT_TRUE(file.readText(kProfileSection, "title", "def", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "完全キャッシュ");
    EXPECT_FALSE(file.readText(kProfileSection, "empty", "Vobra v", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Vobra v");
    EXPECT_FALSE(file.readText(kProfileSection, "missing", "", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");

    char small[5];
    EXPECT_TRUE(file.readText(kProfileSection, "title", "", small, sizeof small));
    EXPECT_STREQ(small, "完全");
    // The default is cut by bytes, like the system's copy.
    EXPECT_FALSE(file.readText(kProfileSection, "missing", "abcdefgh", small, sizeof small));
    EXPECT_STREQ(small, "abcd");
    EXPECT_EQ(file.textOr(kProfileSection, "title", "", 6), "完全");
    EXPECT_EQ(file.textOr(kProfileSection, "missing", "fallback"), "fallback");
}

TEST_F(ProfileFileTest, EmptyPathReadsNothingAndWritesNothing) {
    ProfileFile file(store);
    std::int32_t i = 42;
    EXPECT_FALSE(file.readInt(kProfileSection, "k", 7, i));
    EXPECT_EQ(i, 42);
    std::uint32_t u = 43;
    EXPECT_FALSE(file.readNumber(kProfileSection, "k", 7, u));
    EXPECT_EQ(u, 43u);
    char buffer[8] = "keep";
    EXPECT_FALSE(file.readText(kProfileSection, "k", "def", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "keep");
    EXPECT_FALSE(file.writeInt(kProfileSection, "k", 1));
    EXPECT_FALSE(file.writeText(kProfileSection, "k", "x"));
    EXPECT_EQ(store.reads + store.writes, 0);
    EXPECT_EQ(file.intOr(kProfileSection, "k", 7), 7);
    EXPECT_EQ(file.textOr(kProfileSection, "k", "def"), "def");
}

TEST_F(ProfileFileTest, WritesRoundTrip) {
    ProfileFile file(store, kPath);
    for (std::int32_t v : {0, -1, 1, INT32_MIN, INT32_MAX, 0x4DF0A8}) {
        ASSERT_TRUE(file.writeInt(kProfileSection, "n", v));
        std::int32_t back = 0;
        EXPECT_TRUE(file.readInt(kProfileSection, "n", 0, back));
        EXPECT_EQ(back, v);
    }
    EXPECT_EQ(store.value(kPath, kProfileSection, "n"), "5107880");
    ASSERT_TRUE(file.writeText(kProfileSection, "t", "C:\\表\\ソフト"));
    EXPECT_EQ(file.textOr(kProfileSection, "t", ""), "C:\\表\\ソフト");
    store.failWrites = true;
    EXPECT_FALSE(file.writeInt(kProfileSection, "n", 1));
}

}  // namespace
}  // namespace twk
