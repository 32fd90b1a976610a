#include "settings/settings_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/history_list.h"
#include "settings/profile_file.h"
#include "support/memory_profile_store.h"

namespace twk {
namespace {

using test::MemoryProfileStore;

const char* const kPath = "C:\\prog\\TWK.ini";

class SettingsTest : public testing::Test {
  protected:
    ProfileFile fileWith(const std::string& body) {
        store.files[kPath] = "[Tollwick]\r\n" + body;
        return ProfileFile(store, kPath);
    }
    std::string stored(const char* key) const { return store.value(kPath, kProfileSection, key); }
    bool has(const char* key) const {
        auto it = store.files.find(kPath);
        return it != store.files.end() && it->second.find(std::string("\n") + key + "=") != std::string::npos;
    }
    MemoryProfileStore store;
};

TEST(SettingKeys, TableNamesAreUniqueAndNumberedKeysFormat) {
    std::set<std::string> names;
    for (int id = 0; id < kSettingCount; ++id) {
        const SettingKey& key = settingKey(static_cast<SettingId>(id));
        EXPECT_TRUE(names.insert(key.name).second) << key.name;
        EXPECT_NE(key.defaultText, nullptr) << key.name;
        const bool numbered = std::string(key.name).find("%2.2d") != std::string::npos;
        EXPECT_EQ(numbered, key.count != 1) << key.name;
    }
    EXPECT_EQ(settingKeyName(kSetColumnWidth, 3), "ColumnWidth03");
    EXPECT_EQ(settingKeyName(kSetHistory, 100), "History100");
    EXPECT_EQ(settingKeyName(kSetAlpha), "Alpha");
    EXPECT_EQ(historyKeyPrefix(kBbsHostWordHistory), "VobraBbsHistory");
}

TEST_F(SettingsTest, AbsentFileGivesDefaultsAndCloseCreatesIt) {
    const std::string folder = "C:\\prog\\";
    ProfileFile file(store, kPath);
    WindowRect templateRect{10, 20, 690, 560};
    WindowState state = loadWindowState(file, templateRect);
    EXPECT_EQ(state.rect.left, 10);
    EXPECT_EQ(state.rect.bottom, 560);
    EXPECT_EQ(state.columnWidths[1], 280);
    EXPECT_EQ(state.bbsColumnWidths[7], 204);
    EXPECT_EQ(state.condColumnWidths[2], 300);
    EXPECT_EQ(state.bbsLvWidth, 300);
    EXPECT_EQ(state.bbsLvHeight, 100);
    EXPECT_EQ(state.bbsVertical, 0);

    Histories histories;
    loadHistories(file, histories);
    for (const HistoryList& list : histories.lists) EXPECT_EQ(list.capacity(), 10);

    SettingsPageValues page = loadSettingsPage(file, folder);
    EXPECT_EQ(page.timerDelay, "60");
    EXPECT_EQ(page.errorCount, "5");
    EXPECT_TRUE(page.autoSearch && page.autoReload && page.trayIcon && page.autoSort);
    EXPECT_FALSE(page.rotateSearch || page.regExp || page.noDialog);
    EXPECT_EQ(page.bbsDelay, 100);
    EXPECT_EQ(page.downList, "C:\\prog\\Download.txt");
    EXPECT_EQ(page.localHost, kDefaultLocalHost);
    EXPECT_EQ(page.tabMove, 3);
    EXPECT_EQ(loadAlpha(file), 255);
    EXPECT_FALSE(loadBbsScripts(file));
    EXPECT_EQ(loadStartPtr(file), 0x4DF0A8u);
    EXPECT_TRUE(loadUserColumns(file).empty());
    EXPECT_TRUE(store.files.empty());  // reading never creates the file

    // Close: window state and histories.
    saveWindowState(file, state);
    saveHistories(file, histories);
    EXPECT_EQ(stored("WindowTop"), "20");
    EXPECT_EQ(stored("WindowRight"), "690");
    EXPECT_EQ(stored("ColumnWidth08"), "204");
    EXPECT_EQ(stored("BbsColumnWidth00"), "16");
    EXPECT_EQ(stored("CondColumnWidth04"), "100");
    EXPECT_EQ(stored("BbsLvHeight"), "100");
    EXPECT_EQ(stored("BbsVertical"), "0");
    for (const char* key :
         {"HistoryMax", "SearchHistoryMax", "VobraHistoryMax", "BbsHistoryMax", "VobraBbsHistoryMax"})
        EXPECT_EQ(stored(key), "10") << key;
    EXPECT_FALSE(has("History00"));
    // The settings page's keys are not written at close.
    EXPECT_FALSE(has("TimerDelay"));
}

TEST_F(SettingsTest, WindowStateRoundTrips) {
    ProfileFile file(store, kPath);
    WindowState state;
    state.rect = {-5, 7, 1200, 900};
    for (int i = 0; i < kFileColumnCount; ++i) state.columnWidths[i] = 10 + i;
    for (int i = 0; i < kBbsColumnCount; ++i) state.bbsColumnWidths[i] = 20 + i;
    for (int i = 0; i < kCondColumnCount; ++i) state.condColumnWidths[i] = 30 + i;
    state.bbsLvWidth = 2;
    state.bbsLvHeight = 0;
    state.bbsVertical = 1;
    saveWindowState(file, state);
    WindowState back = loadWindowState(file, WindowRect{1, 2, 3, 4});
    EXPECT_EQ(back.rect.left, -5);
    EXPECT_EQ(back.rect.top, 7);
    EXPECT_EQ(back.rect.right, 1200);
    EXPECT_EQ(back.rect.bottom, 900);
    for (int i = 0; i < kFileColumnCount; ++i) EXPECT_EQ(back.columnWidths[i], 10 + i);
    for (int i = 0; i < kBbsColumnCount; ++i) EXPECT_EQ(back.bbsColumnWidths[i], 20 + i);
    for (int i = 0; i < kCondColumnCount; ++i) EXPECT_EQ(back.condColumnWidths[i], 30 + i);
    EXPECT_EQ(back.bbsLvWidth, 2);
    EXPECT_EQ(back.bbsLvHeight, 0);
    EXPECT_EQ(back.bbsVertical, 1);
}

TEST_F(SettingsTest, ColoursAreUnsignedAndGridLineSigned) {
    SystemColours system{0x000000, 0xFFFFFF, 0xFFFFFE, 0x800000};
    ProfileFile file = fileWith("Color_TextItem=0x0000FF\r\nColor_BackSelect=-1\r\nGridLine=0\r\n");
    ListColours colours = loadListColours(file, system);
    EXPECT_EQ(colours.textItem, 0xFFu);
    EXPECT_EQ(colours.textSelect, 0xFFFFFFu);
    EXPECT_EQ(colours.backItem, 0xFFFFFEu);
    EXPECT_EQ(colours.backSelect, 0u);  // no sign in the unsigned form
    EXPECT_EQ(colours.gridLines, 0);
    EXPECT_EQ(loadListColours(ProfileFile(store, "C:\\none.ini"), system).gridLines, 1);
}

TEST_F(SettingsTest, UserColumnsStopAtTheFirstEmptyTitle) {
    ProfileFile file =
        fileWith("UserColumn00=作者\r\nUserColumn01=メモ\r\nUserColumn02=\r\nUserColumn03=x\r\n");
    EXPECT_EQ(loadUserColumns(file), (std::vector<std::string>{"作者", "メモ"}));
    std::string all;
    for (int i = 0; i < 12; ++i) all += settingKeyName(kSetUserColumn, i) + "=c" + std::to_string(i) + "\r\n";
    EXPECT_EQ(loadUserColumns(fileWith(all)).size(), 10u);
}

TEST_F(SettingsTest, SettingsPageReadsItsKeys) {
    ProfileFile file = fileWith(
        "TimerDelay=10\r\nErrorCount=abc\r\nAutoSearch=0\r\nRotateSearch=2\r\nAutoReload=0\r\nTrayIcon=0\r\n"
        "NoDialog=-1\r\nBbsDelay=0x20\r\nDownList=D:\\表\\Download.txt\r\nLocalHost=\r\nAutoSort=0\r\n"
        "RegExp=1\r\nTabMove=2\r\n");
    SettingsPageValues v = loadSettingsPage(file, "C:\\prog\\");
    EXPECT_EQ(v.timerDelay, "10");  // the page shows "60" for it, see displayedTimerDelay
    EXPECT_EQ(v.errorCount, "abc");
    EXPECT_FALSE(v.autoSearch || v.autoReload || v.trayIcon || v.autoSort);
    EXPECT_TRUE(v.rotateSearch && v.noDialog && v.regExp);
    EXPECT_EQ(v.bbsDelay, 32);
    EXPECT_EQ(v.downList, "D:\\表\\Download.txt");
    EXPECT_EQ(v.localHost, kDefaultLocalHost);  // an empty text never overrides the default
    EXPECT_EQ(v.tabMove, 2);

    for (const char* tabMove : {"0", "4", "-1", "x"})
        EXPECT_EQ(loadSettingsPage(fileWith(std::string("TabMove=") + tabMove + "\r\n"), "").tabMove, 3)
            << tabMove;
    EXPECT_EQ(loadSettingsPage(fileWith("TabMove=1\r\n"), "").tabMove, 1);
}

TEST(SettingsPage, TimerDelayBelowTheMinimumShowsSixty) {
    EXPECT_EQ(displayedTimerDelay("10"), "60");
    EXPECT_EQ(displayedTimerDelay("29"), "60");
    EXPECT_EQ(displayedTimerDelay("abc"), "60");
    EXPECT_EQ(displayedTimerDelay("-600"), "60");
    EXPECT_EQ(displayedTimerDelay("30"), "30");
    EXPECT_EQ(displayedTimerDelay("0x40"), "0x40");
    EXPECT_EQ(displayedTimerDelay("5000"), "5000");  // the spin control limits it, not the load
    // Only 15 characters are looked at: this one reads as 0.
    EXPECT_EQ(displayedTimerDelay(std::string(15, '0') + "900"), "60");
}

TEST_F(SettingsTest, SettingsPageSavesNumbersFlagsAndTexts) {
    ProfileFile file = fileWith("TabMove=2\r\n");
    SettingsPageValues v;
    v.timerDelay = "0x78";
    v.errorCount = "7回";
    v.autoSearch = false;
    v.rotateSearch = true;
    v.downList = "C:\\ソフト\\Download.txt";
    v.localHost = "http://127.0.0.1:8080/";
    v.regExp = true;
    v.tabMove = 0;  // no radio button checked
    saveSettingsPage(file, v);
    EXPECT_EQ(stored("TimerDelay"), "120");
    EXPECT_EQ(stored("ErrorCount"), "7");
    EXPECT_EQ(stored("AutoSearch"), "0");
    EXPECT_EQ(stored("RotateSearch"), "1");
    EXPECT_EQ(stored("AutoReload"), "1");
    EXPECT_EQ(stored("TrayIcon"), "1");
    EXPECT_EQ(stored("DownList"), "C:\\ソフト\\Download.txt");
    EXPECT_EQ(stored("LocalHost"), "http://127.0.0.1:8080/");
    EXPECT_EQ(stored("AutoSort"), "1");
    EXPECT_EQ(stored("RegExp"), "1");
    EXPECT_EQ(stored("TabMove"), "2");  // left as stored
    EXPECT_FALSE(has("NoDialog"));
    EXPECT_FALSE(has("BbsDelay"));
    v.tabMove = 1;
    saveSettingsPage(file, v);
    EXPECT_EQ(stored("TabMove"), "1");
}

TEST_F(SettingsTest, HistoriesKeepOrderCloseGapsAndLeaveHigherKeys) {
    ProfileFile file = fileWith(
        "HistoryMax=10\r\nHistory00=a\r\nHistory01=b\r\nHistory02=a\r\nHistory03=\r\nHistory04=c\r\n");
    Histories histories;
    loadHistories(file, histories);
    const HistoryList& files = histories[kFileHistory];
    ASSERT_EQ(files.count(), 3);
    EXPECT_EQ(files.entry(0), "a");
    EXPECT_EQ(files.entry(1), "b");
    EXPECT_EQ(files.entry(2), "c");
    saveHistories(file, histories);
    EXPECT_EQ(stored("History00"), "a");
    EXPECT_EQ(stored("History01"), "b");
    EXPECT_EQ(stored("History02"), "c");
    EXPECT_TRUE(has("History03"));
    EXPECT_EQ(stored("History03"), "");
    EXPECT_EQ(stored("History04"), "c");  // left as it was
}

TEST_F(SettingsTest, HistoryCapacityLimitsWhatIsLoaded) {
    ProfileFile file = fileWith(
        "SearchHistoryMax=2\r\nSearchHistory00=x\r\nSearchHistory01=y\r\nSearchHistory02=z\r\n"
        "VobraHistoryMax=-3\r\nVobraHistory00=w\r\nBbsHistoryMax=0\r\nBbsHistory00=v\r\n"
        "VobraBbsHistoryMax=2000000000\r\nVobraBbsHistory00=u\r\nVobraBbsHistory999=t\r\n"
        "VobraBbsHistory1000=s\r\n");
    Histories histories;
    loadHistories(file, histories);
    EXPECT_EQ(histories[kSearchHistory].count(), 2);
    EXPECT_EQ(histories[kSearchHistory].entry(1), "y");
    for (HistoryKind kind : {kHostWordHistory, kBbsSearchHistory}) {
        EXPECT_EQ(histories[kind].capacity(), 0);
        EXPECT_EQ(histories[kind].count(), 0);
    }
    // A huge capacity keeps the first thousand entries and walks no further.
    const HistoryList& huge = histories[kBbsHostWordHistory];
    EXPECT_EQ(huge.capacity(), HistoryList::kCapacityLimit);
    ASSERT_EQ(huge.count(), 2);
    EXPECT_EQ(huge.entry(1), "t");
    EXPECT_LT(store.reads, 1200);
    saveHistories(file, histories);
    EXPECT_EQ(stored("VobraHistoryMax"), "0");
    EXPECT_EQ(stored("VobraBbsHistoryMax"), "1000");
    EXPECT_EQ(stored("VobraBbsHistory00"), "u");
    EXPECT_EQ(stored("VobraBbsHistory01"), "t");
    EXPECT_EQ(stored("VobraHistory00"), "w");
}

}  // namespace
}  // namespace twk
