#include <gtest/gtest.h>

#include "settings/profile_store.h"
#include "tests/settings/profile_store_cases.h"

namespace twk {
namespace {

using test::TempFolder;

TEST(SystemProfileStore, ReadsTheSharedCases) {
    TempFolder folder;
    test::writeCaseFiles(folder);
    test::expectReadCases(systemProfileStore(), folder);
}

TEST(SystemProfileStore, WritesTheSharedCases) {
    TempFolder folder;
    test::expectWriteCases(systemProfileStore(), systemProfileStore(), folder, "system");
}

// Files written by either store read the same through the other.
TEST(SystemProfileStore, AgreesWithThePortableStore) {
    TempFolder folder;
    PortableProfileStore portable;
    test::expectWriteCases(portable, systemProfileStore(), folder, "portable-then-system");
    test::expectWriteCases(systemProfileStore(), portable, folder, "system-then-portable");

    test::writeCaseFiles(folder);
    for (const test::ReadCase& c : test::readCases()) {
        const std::string path = folder.file(c.file);
        EXPECT_EQ(test::readWith(portable, path, c.section, c.key, c.size),
                  test::readWith(systemProfileStore(), path, c.section, c.key, c.size))
            << c.file << " [" << c.section << "] " << c.key << " size " << c.size;
    }
}

TEST(SystemProfileStore, FailedWritesReportFailure) {
    TempFolder folder;
    EXPECT_FALSE(
        systemProfileStore().writeValue(folder.file("no-such-folder\\TWK.ini").c_str(), "S", "k", "v"));
}

}  // namespace
}  // namespace twk
