#include "settings/profile_store.h"

#include <gtest/gtest.h>

#include "settings/profile_text.h"
#include "tests/settings/profile_store_cases.h"

namespace twk {
namespace {

using test::fileBytes;
using test::putFile;
using test::readWith;
using test::TempFolder;

TEST(PortableProfileStore, ReadsLikeTheSystem) {
    TempFolder folder;
    test::writeCaseFiles(folder);
    PortableProfileStore store;
    test::expectReadCases(store, folder);
}

TEST(PortableProfileStore, WritesLikeTheSystem) {
    TempFolder folder;
    PortableProfileStore store;
    test::expectWriteCases(store, store, folder, "portable");
}

TEST(PortableProfileStore, WritesChangeOnlyTheirLine) {
    TempFolder folder;
    PortableProfileStore store;
    const std::string path = folder.file("TWK.ini");
    EXPECT_EQ(fileBytes(path), "<missing>");
    ASSERT_TRUE(store.writeValue(path.c_str(), "Tollwick", "WindowTop", "12"));
    EXPECT_EQ(fileBytes(path), "[Tollwick]\r\nWindowTop=12\r\n");

    putFile(path, "; kept\n[Tollwick]\n  Alpha = 200 ; not a comment\n\n[Other]\nx=1\n");
    ASSERT_TRUE(store.writeValue(path.c_str(), "TOLLWICK", "alpha", "100"));
    ASSERT_TRUE(store.writeValue(path.c_str(), "Tollwick", "GridLine", "0"));
    ASSERT_TRUE(store.writeValue(path.c_str(), "Third", "表", "完"));
    EXPECT_EQ(fileBytes(path),
              "; kept\n[Tollwick]\n  Alpha=100\nGridLine=0\r\n\n[Other]\nx=1\n[Third]\r\n表=完\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(folder.entryCount(), 1u);
}

// Saving the settings writes every key; a key that keeps its value leaves the file as it is.
TEST(PortableProfileStore, AnUnchangedValueLeavesTheFileAlone) {
    TempFolder folder;
    PortableProfileStore store;
    const std::string path = folder.file("TWK.ini"), link = folder.file("link.ini");
    putFile(path, "[S]\r\nk=v\r\n");
    std::filesystem::create_hard_link(path, link);
    ASSERT_TRUE(store.writeValue(path.c_str(), "s", "K", "v"));
    EXPECT_TRUE(std::filesystem::equivalent(path, link)) << "the same file, not a rewritten one";
    ASSERT_TRUE(store.writeValue(path.c_str(), "S", "k", "w"));
    EXPECT_FALSE(std::filesystem::equivalent(path, link));
    EXPECT_EQ(fileBytes(path), "[S]\r\nk=w\r\n");
}

TEST(PortableProfileStore, FailuresChangeNothing) {
    TempFolder folder;
    PortableProfileStore store;
    EXPECT_FALSE(store.writeValue(folder.file("no-such-folder/TWK.ini").c_str(), "S", "k", "v"));
    EXPECT_FALSE(store.writeValue("", "S", "k", "v"));
    // A folder in place of the file can be neither read nor replaced.
    const std::string dir = folder.file("dir.ini");
    std::filesystem::create_directory(dir);
    EXPECT_EQ(readWith(store, dir, "S", "k"), "");
    EXPECT_FALSE(store.writeValue(dir.c_str(), "S", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST(ProfileText, FindsValuesAfterEverySortOfLine) {
    const std::string file = "top=1\r\n[]\r\nempty=2\r\n[S]\r\n\r\n   \r\n[bad\r\nk=v\r\n";
    EXPECT_EQ(findProfileValue(file, "", "top"), "1");
    EXPECT_EQ(findProfileValue(file, " ", "top"), "1");
    EXPECT_EQ(findProfileValue(file, "S", "k"), "v");
    EXPECT_EQ(findProfileValue(file, " S ", " k "), "v");
    EXPECT_EQ(findProfileValue("", "S", "k"), "");
    EXPECT_EQ(findProfileValue("[S]", "S", "k"), "");
    EXPECT_EQ(findProfileValue("[S]\nk=", "S", "k"), "");
    // A lone lead byte at the end of a name or value does not run past the text.
    EXPECT_EQ(findProfileValue("[S\x95", "S\x95", "k"), "");
    EXPECT_EQ(findProfileValue("[S]\nk=\x95", "S", "k"), "\x95");
}

TEST(ProfileText, CopiesWholeCharactersOnly) {
    char buffer[4];
    EXPECT_EQ(copyProfileValue("ab完", buffer, sizeof buffer), 2u);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(buffer[3], 0);
    EXPECT_EQ(copyProfileValue("a完", buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "a完");
    // A lone lead byte at the end of the value counts as one character.
    EXPECT_EQ(copyProfileValue("ab\x95", buffer, sizeof buffer), 3u);
    EXPECT_EQ(copyProfileValue("x", buffer, 1), 0u);
    EXPECT_STREQ(buffer, "");
}

}  // namespace
}  // namespace twk
