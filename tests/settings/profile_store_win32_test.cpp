#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/wide_text_win32.h"
#include "settings/profile_store.h"
#include "tests/settings/profile_store_cases.h"

namespace twk {
namespace {

using test::TempFolder;

// The system's profile functions, as a reference for the program's own store: files written by either must
// read the same through the other. They read and write in the system's code page, so they are a reference
// for cp932 files only where that code page is 932.
class SystemFunctions final : public ProfileStore {
  public:
    std::size_t readValue(const char* path, const char* section, const char* key, char* buffer,
                          std::size_t size) const override {
        if (!buffer || size == 0) return 0;
        // Zero-filled: a value cut inside a double-byte character leaves the byte before the NUL unwritten.
        std::memset(buffer, 0, size);
        GetPrivateProfileStringA(section, key, "", buffer, static_cast<DWORD>(size), path);
        buffer[size - 1] = 0;
        return std::strlen(buffer);
    }
    bool writeValue(const char* path, const char* section, const char* key, const char* value) override {
        return WritePrivateProfileStringA(section, key, value, path) != FALSE;
    }
};

TEST(ProgramProfileStoreOnWindows, ReadsAndWritesTheSharedCases) {
    TempFolder folder;
    test::writeCaseFiles(folder);
    test::expectReadCases(systemProfileStore(), folder);
    test::expectWriteCases(systemProfileStore(), systemProfileStore(), folder, "program");
    EXPECT_FALSE(
        systemProfileStore().writeValue(folder.file("no-such-folder\\TWK.ini").c_str(), "S", "k", "v"));
}

TEST(ProgramProfileStoreOnWindows, AgreesWithTheSystemFunctionsUnderCodePage932) {
    if (GetACP() != 932) GTEST_SKIP() << "the system's functions read another code page here";
    TempFolder folder;
    SystemFunctions system;
    test::expectWriteCases(systemProfileStore(), system, folder, "program-then-system");
    test::expectWriteCases(system, systemProfileStore(), folder, "system-then-program");

    test::writeCaseFiles(folder);
    for (const test::ReadCase& c : test::readCases()) {
        const std::string path = folder.file(c.file);
        EXPECT_EQ(test::readWith(systemProfileStore(), path, c.section, c.key, c.size),
                  test::readWith(system, path, c.section, c.key, c.size))
            << c.file << " [" << c.section << "] " << c.key << " size " << c.size;
    }
}

// Generated files: sections and keys in every arrangement, with blanks and control characters around the
// names and values, mixed line ends, quotes, repeated sections and keys, saved as cp932, as UTF-16 (either
// byte order) or after a UTF-8 mark. The program's store and the system's functions read the same values
// from each, and after the same write each reads the same values from the file the other wrote. Under another
// code page the system converts UTF-16 to that code page: the texts are plain ASCII there. A UTF-8 file holds
// ASCII only (the system converts its text; the program takes the bytes as they are).
class GeneratedFile {
  public:
    explicit GeneratedFile(unsigned seed, bool asciiOnly) : random_(seed), ascii_(asciiOnly) {}

    // The names written and asked for (under another code page, the ASCII ones).
    std::vector<std::string> sections() const {
        return names({"Tollwick", "S", "tollwick", "x]y", "表ソ", "x‐]y"}, ascii_);
    }
    std::vector<std::string> keys() const {
        return names({"ComboBbs", "k", "K", "History00", "a b", "能", "Ａ"}, ascii_);
    }

    struct File {
        std::string bytes;
        bool utf16 = false;
        bool plain = false;  // ASCII only, and only ASCII may be written to it
    };
    File make() {
        File file;
        const int encoding = pick(4);  // 0 cp932, 1 UTF-16LE, 2 UTF-16BE, 3 UTF-8 mark
        file.plain = ascii_ || encoding == 3;
        std::string text;
        const int lines = 1 + pick(12);
        for (int i = 0; i < lines; ++i) {
            switch (pick(8)) {
                case 0:
                    break;  // a blank line, or blanks only
                case 1:
                    text += blanks() + "[" + blanks() + one(names(sections(), file.plain)) + blanks() + "]" +
                            blanks();
                    break;
                case 2:
                    text += ";" + one(values(file.plain));
                    break;
                default:
                    text += blanks() + one(names(keys(), file.plain)) + blanks();
                    if (pick(6) != 0) text += "=" + blanks() + one(values(file.plain)) + blanks();
                    break;
            }
            if (pick(3) == 0) text += blanks();
            if (i + 1 < lines || pick(2) == 0) text += one({"\r\n", "\r\n", "\n", "\r"});
        }
        file.utf16 = encoding == 1 || encoding == 2;
        if (encoding == 3) {
            file.bytes = "\xEF\xBB\xBF" + text;
        } else if (file.utf16) {
            const std::wstring wide = toWide(text);
            file.bytes = test::utf16File(std::u16string(wide.begin(), wide.end()), encoding == 2);
        } else {
            file.bytes = text;
        }
        return file;
    }

    static std::vector<std::string> names(const std::vector<std::string>& pool, bool plain) {
        std::vector<std::string> out;
        for (const std::string& n : pool) {
            bool ascii = true;
            for (unsigned char c : n) ascii = ascii && c < 0x80;
            if (ascii || !plain) out.push_back(n);
        }
        return out;
    }
    std::string one(const std::vector<std::string>& from) {
        return from[pick(static_cast<int>(from.size()))];
    }
    std::vector<std::string> values(bool plain) const {
        std::vector<std::string> v{"", "v", "1 2", "\"q\"", "'a'", "\"", "x=y"};
        if (!plain) v.insert(v.end(), {"完全キャッシュ", "C:\\表\\予", "ｱｲｳ"});
        return v;
    }
    std::string blanks() {
        std::string out;
        for (int n = pick(5) == 0 ? pick(3) + 1 : 0; n > 0; --n) out += " \t\x0B\x0C\x1A"[pick(5)];
        return out;
    }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  private:
    std::mt19937 random_;
    bool ascii_;
};

TEST(ProgramProfileStoreOnWindows, AgreesWithTheSystemFunctionsOnGeneratedFiles) {
    const bool ascii = GetACP() != 932;
    TempFolder folder;
    SystemFunctions system;
    ProfileStore& program = systemProfileStore();
    GeneratedFile generate(2112, ascii);
    const std::string byProgram = folder.file("program.ini"), bySystem = folder.file("system.ini");
    int utf16Files = 0;
    for (int n = 0; n < 1000; ++n) {
        const GeneratedFile::File file = generate.make();
        const std::string& bytes = file.bytes;
        utf16Files += file.utf16;
        test::putFile(byProgram, bytes);
        test::putFile(bySystem, bytes);
        auto differs = [&](const char* what) {
            std::string shown;
            for (unsigned char c : bytes) {
                char hex[8];
                std::snprintf(hex, sizeof hex, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02X", c);
                shown += hex;
            }
            return std::string(what) + " of file " + std::to_string(n) + ": \"" + shown + "\"";
        };
        // Reads of names from the pools, with blanks around them now and then.
        for (int q = 0; q < 5; ++q) {
            const std::string s = generate.blanks() + generate.one(generate.sections());
            const std::string k = generate.one(generate.keys()) + generate.blanks();
            ASSERT_EQ(test::readWith(program, byProgram, s.c_str(), k.c_str()),
                      test::readWith(system, bySystem, s.c_str(), k.c_str()))
                << differs("read") << " [" << s << "] " << k;
        }
        // One write through each, then values read back crosswise: the key written and a few others.
        const std::string section = generate.one(GeneratedFile::names(generate.sections(), file.plain));
        const std::string key = generate.one(GeneratedFile::names(generate.keys(), file.plain));
        const std::string value = generate.one(generate.values(file.plain));
        ASSERT_TRUE(program.writeValue(byProgram.c_str(), section.c_str(), key.c_str(), value.c_str()));
        ASSERT_TRUE(system.writeValue(bySystem.c_str(), section.c_str(), key.c_str(), value.c_str()));
        if (file.utf16) {
            EXPECT_EQ(test::fileBytes(byProgram).substr(0, 2), bytes.substr(0, 2)) << differs("mark");
        }
        for (int q = 0; q < 4; ++q) {
            const std::string s = q == 0 ? section : generate.one(generate.sections());
            const std::string k = q == 0 ? key : generate.one(generate.keys());
            ASSERT_EQ(test::readWith(system, byProgram, s.c_str(), k.c_str()),
                      test::readWith(program, bySystem, s.c_str(), k.c_str()))
                << differs("write") << " then [" << section << "] " << key << "=" << value << ": [" << s
                << "] " << k;
        }
    }
    EXPECT_GT(utf16Files, 400);
}

// A file in a folder with Japanese characters keeps exactly the cp932 bytes of its values, whatever the
// system's code page is.
TEST(ProgramProfileStoreOnWindows, JapaneseFolderAndValuesStayCp932) {
    TempFolder folder;
    // The temporary folder's own path is plain ASCII; the folder below it is named in cp932.
    const std::string sub = folder.file("") + "設定表";
    ASSERT_TRUE(CreateDirectoryW(toWide(sub).c_str(), nullptr));
    const std::string path = sub + "\\TWK.ini";
    ProfileStore& store = systemProfileStore();
    ASSERT_TRUE(store.writeValue(path.c_str(), "Tollwick", "DownList", "C:\\表\\ダウン.txt"));
    ASSERT_TRUE(store.writeValue(path.c_str(), "Tollwick", "SearchHistory00", "ｱｲｳ完全"));
    EXPECT_EQ(test::readWith(store, path, "Tollwick", "DownList", 260), "C:\\表\\ダウン.txt");

    HANDLE file =
        CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char bytes[256] = {};
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes - 1, &got, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(bytes, got),
              "[Tollwick]\r\nDownList=C:\\表\\ダウン.txt\r\nSearchHistory00=ｱｲｳ完全\r\n");
}

}  // namespace
}  // namespace twk
