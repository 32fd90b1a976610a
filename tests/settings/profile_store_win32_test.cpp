#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

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
