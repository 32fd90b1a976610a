#include "host/layout_definitions.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/profile_file.h"
#include "support/memory_profile_store.h"

namespace twk {
namespace {

using test::MemoryProfileStore;

const char* const kDefPath = "C:\\prog\\TWKdef.ini";

LayoutDefinitions load(MemoryProfileStore& store, const std::string& body) {
    store.files[kDefPath] = "[Tollwick]\r\n" + body;
    LayoutDefinitions defs;
    loadLayoutDefinitions(ProfileFile(store, kDefPath), defs);
    return defs;
}

TEST(LayoutDefinitions, MissingFileGivesTheDefaultsAndKeepsTheStartPointer) {
    MemoryProfileStore store;
    LayoutDefinitions defs;
    defs.startPtr = 0x1234;
    defs.maxItem = 7;
    defs.vobraTitle = "stale";
    defs.fileStates = {"stale"};
    loadLayoutDefinitions(ProfileFile(store, kDefPath), defs);
    EXPECT_EQ(defs.stepOffsets[7], 9216u);
    EXPECT_EQ(defs.nextStep, 10240u);
    EXPECT_EQ(defs.maxItem, 1000);
    EXPECT_EQ(defs.vobraTitle, "Vobra v");
    EXPECT_EQ(defs.buttonTitle, "検索");
    EXPECT_TRUE(defs.fileStates.empty());
    EXPECT_EQ(defs.startPtr, 0x1234u);  // not part of the file
    EXPECT_TRUE(store.files.empty());   // never written
}

TEST(LayoutDefinitions, NumbersUseTheirReadingForm) {
    MemoryProfileStore store;
    LayoutDefinitions defs =
        load(store,
             "Step0=0x10\r\nStep1=0X10\r\nStep2=16abc\r\nStep3=-16\r\nStep7=4294967295\r\n"
             "NextStep=0x2800\r\nMaxItem=-5\r\nTabSearch=+7\r\nMenuId=0x9c\r\n"
             "TabWidth=123456789012345678\r\nComboBbs=\r\n");
    EXPECT_EQ(defs.stepOffsets[0], 16u);
    EXPECT_EQ(defs.stepOffsets[1], 0u);
    EXPECT_EQ(defs.stepOffsets[2], 16u);
    EXPECT_EQ(defs.stepOffsets[3], 0u);
    EXPECT_EQ(defs.stepOffsets[4], 5120u);
    EXPECT_EQ(defs.stepOffsets[7], 0xFFFFFFFFu);
    EXPECT_EQ(defs.maxItem, -5);
    EXPECT_EQ(defs.tabSearch, 7);
    EXPECT_EQ(defs.menuId, 156);
    EXPECT_EQ(defs.tabWidth, static_cast<std::int32_t>(123456789012345LL & 0xFFFFFFFF));
    EXPECT_EQ(defs.comboBbs, 2);
}

TEST(LayoutDefinitions, StatusListsStopAtTheFirstMissingOrEmptyWord) {
    MemoryProfileStore store;
    LayoutDefinitions defs =
        load(store,
             "State00=完全キャッシュ\r\nState01=部分キャッシュ\r\nState03=ダウンロード中\r\n"
             "BbsState00=スレッド\r\nBbsState01=\r\nBbsState02=x\r\n");
    EXPECT_EQ(defs.fileStates, (std::vector<std::string>{"完全キャッシュ", "部分キャッシュ"}));
    EXPECT_EQ(defs.bbsStates, (std::vector<std::string>{"スレッド"}));

    std::string many;
    for (int n = 0; n < 120; ++n)
        many += "State" + std::string(n < 10 ? "0" : "") + std::to_string(n) + "=w\r\n";
    EXPECT_EQ(load(store, many).fileStates.size(), 120u);  // State99 is followed by State100
}

TEST(LayoutDefinitions, EmptyStringsMeanTheDefault) {
    MemoryProfileStore store;
    LayoutDefinitions defs =
        load(store,
             "VobraTitle=\r\nVobraClass=VobraMain\r\nComboTitle=\r\nButtonTitle=Search\r\n"
             "ComboClass=" +
                 std::string(300, 'c') + "\r\n");
    EXPECT_EQ(defs.vobraTitle, "Vobra v");
    EXPECT_EQ(defs.vobraClass, "VobraMain");
    EXPECT_EQ(defs.comboTitle, "");
    EXPECT_EQ(defs.buttonTitle, "Search");
    EXPECT_EQ(defs.comboClass, std::string(259, 'c'));
}

}  // namespace
}  // namespace twk
