#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The test command says which build and which locale each suite runs (TWK_SUITE_BITS, TWK_SUITE_LOCALE). A
// program of the other bitness, or one that ended up under another code page, must not pass as that suite.
TEST(SuiteClaim, TheProgramIsTheBuildAndLocaleItsSuiteRuns) {
    const std::string bits = environment("TWK_SUITE_BITS");
    if (!bits.empty()) {
        EXPECT_EQ(bits, std::to_string(sizeof(void*) * 8)) << "pointer size of this program";
    }
#ifdef _WIN32
    const std::string locale = environment("TWK_SUITE_LOCALE");
    if (locale.rfind("ja_JP", 0) == 0) {
        EXPECT_EQ(GetACP(), 932u) << "suite locale " << locale;
    } else if (locale.rfind("en_US", 0) == 0) {
        EXPECT_NE(GetACP(), 932u) << "suite locale " << locale;
    }
    if (!locale.empty()) {
        EXPECT_EQ(environment("LC_ALL"), locale);
    }
#endif
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
