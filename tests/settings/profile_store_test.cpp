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

// A file saved as UTF-16 stays UTF-16 with its byte-order mark, and a write changes only its line.
TEST(PortableProfileStore, AFileSavedAsUtf16StaysUtf16) {
    TempFolder folder;
    PortableProfileStore store;
    for (bool bigEndian : {false, true}) {
        const std::string path = folder.file(bigEndian ? "be.ini" : "le.ini");
        putFile(path, test::utf16File(u"; 表€\r\n[S]\r\n  a = 1 \r\n\r\nodd\n[T]\rb=2", bigEndian));
        ASSERT_TRUE(store.writeValue(path.c_str(), "S", "A", "完"));
        ASSERT_TRUE(store.writeValue(path.c_str(), "T", "c", "ソ"));
        ASSERT_TRUE(store.writeValue(path.c_str(), "U", "u", ""));
        // (Outside the macro, which would quote the euro sign as cp932 text.)
        const std::string expected = test::utf16File(
            u"; 表€\r\n[S]\r\n  a=完\r\n\r\nodd\n[T]\rb=2\r\nc=ソ\r\n[U]\r\nu=\r\n", bigEndian);
        EXPECT_EQ(fileBytes(path), expected) << (bigEndian ? "big-endian" : "little-endian");
        // A last odd byte stays the one byte it was; the value the key has leaves the file as it is.
        const std::string odd = test::utf16File(u"[S]\r\nk=1\r\n", bigEndian) + ";";
        putFile(path, odd);
        ASSERT_TRUE(store.writeValue(path.c_str(), "S", "k", "1"));
        EXPECT_EQ(fileBytes(path), odd);
        ASSERT_TRUE(store.writeValue(path.c_str(), "S", "k", "2"));
        EXPECT_EQ(fileBytes(path), test::utf16File(u"[S]\r\nk=2\r\n", bigEndian) + ";");
    }
    EXPECT_EQ(folder.entryCount(), 2u);
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
    // Only a file that is there and cannot be read is a failed read, held or not.
    EXPECT_TRUE(store.readFailed(dir.c_str()));
    EXPECT_FALSE(store.readFailed(folder.file("missing.ini").c_str()));
    store.hold(dir.c_str());
    EXPECT_TRUE(store.readFailed(dir.c_str()));
    store.release(dir.c_str());
}

// A held file is read once and written once, and reads and ends up byte for byte as without the hold.
TEST(PortableProfileStore, AHeldFileReadsAndWritesAsWithoutTheHold) {
    TempFolder folder;
    test::writeCaseFiles(folder);
    PortableProfileStore store;
    for (const test::ReadCase& c : test::readCases()) {
        const std::string path = folder.file(c.file);
        store.hold(path.c_str());
        EXPECT_EQ(readWith(store, path, c.section, c.key, c.size), c.expected)
            << c.file << " [" << c.section << "] " << c.key;
        store.release(path.c_str());
    }
    int n = 0;
    for (const test::WriteCase& c : test::writeCases()) {
        const std::string plain = folder.file("plain" + std::to_string(n) + ".ini");
        const std::string held = folder.file("held" + std::to_string(n++) + ".ini");
        if (c.exists) {
            putFile(plain, c.initial);
            putFile(held, c.initial);
        }
        const std::string before = fileBytes(held);
        store.hold(held.c_str());
        store.hold(held.c_str());  // holds nest
        for (const test::Write& w : c.writes) {
            ASSERT_TRUE(store.writeValue(plain.c_str(), w.section, w.key, w.value));
            ASSERT_TRUE(store.writeValue(held.c_str(), w.section, w.key, w.value));
        }
        for (const test::Write& w : c.expected)
            EXPECT_EQ(readWith(store, held, w.section, w.key), w.value) << c.name << ": " << w.key;
        store.release(held.c_str());
        EXPECT_EQ(fileBytes(held), before) << c.name << ": written before the last release";
        store.release(held.c_str());
        EXPECT_EQ(fileBytes(held), fileBytes(plain)) << c.name;
    }
    // Reads during a hold come from the copy read at its start.
    const std::string path = folder.file("once.ini");
    putFile(path, "[S]\r\nk=1\r\n");
    store.hold(path.c_str());
    putFile(path, "[S]\r\nk=2\r\n");
    EXPECT_EQ(readWith(store, path, "S", "k"), "1");
    store.release(path.c_str());
    EXPECT_EQ(readWith(store, path, "S", "k"), "2");
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
    // The index of a whole file reads the same values, first sections and first keys only.
    const std::string twice = file + "[s]\r\nk=2\r\nj=3\r\n[]\r\ntop=4\r\n[表ソ]\r\n能=5\r\n能=6\r\n";
    const ProfileIndex index(twice);
    for (const char* section : {"", " ", "S", "s", "表ソ", "[bad", "S\x95"})
        for (const char* key : {"top", "empty", "k", " K ", "j", "能", "x", "[bad"})
            EXPECT_EQ(index.find(section, key), findProfileValue(twice, section, key))
                << section << "/" << key;
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
