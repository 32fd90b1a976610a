// The window against the host simulator: a manual get fills the current list, the word buttons talk to the
// host's search box.
#include <cstdlib>

#include "settings/profile_store.h"
#include "tests/ui/window_fixture_win32.h"
#include "ui/pages_win32.h"

namespace twk::ui::test {
namespace {

#ifdef TWK_SIM_PATH
std::string simulatorPath() {
    std::string path = TWK_SIM_PATH;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}
#endif

class HostSimTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
#ifdef TWK_SIM_PATH
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string exe = simulatorPath();
        logPath_ = folder_ + "sim.log";
        std::string commandLine = "\"" + exe + "\" --port -1 --log \"" + logPath_ + "\"";
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi_))
            GTEST_SKIP() << "host simulator not started";
        WaitForInputIdle(pi_.hProcess, 10000);
        sim_ = FindWindowW(nullptr, L"Vobra v0.95 simulator");
        ASSERT_NE(sim_, nullptr);
#else
        GTEST_SKIP() << "no host simulator in this build";
#endif
        // The definitions of the simulated host: its status words; the table at the stored address.
        writeDefinition("State00", "完全キャッシュ");
        writeDefinition("State01", "部分キャッシュ");
        writeDefinition("State02", "受可キャッシュ");
        writeSetting("NoDialog", "1");
        writeSetting("AutoSearch", "0");
    }
    void writeDefinition(const char* key, const char* value) {
        systemProfileStore().writeValue((folder_ + "TWKdef.ini").c_str(), "Tollwick", key, value);
    }
    void TearDown() override {
        WindowTest::TearDown();
        if (pi_.hProcess) {
            PostMessageW(sim_, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
            CloseHandle(pi_.hThread);
            CloseHandle(pi_.hProcess);
        }
    }

    // Lines of the simulator's event log that begin with `prefix`.
    int countLog(const std::string& prefix) const {
        int n = 0;
        HANDLE file = CreateFileA(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 0;
        std::string text;
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
        CloseHandle(file);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            if (text.compare(start, prefix.size(), prefix) == 0) ++n;
            start = end + 1;
        }
        return n;
    }
    // Replaces the simulator's result table (list-file lines).
    void setHostRecords(const std::string& lines) {
        COPYDATASTRUCT data = {1, static_cast<DWORD>(lines.size()), const_cast<char*>(lines.data())};
        SendMessageW(sim_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    // Starts with rotation on: a tab "B" before the first list, words "wordB" and "wordA". Returns B's list.
    EntryList* startRotating() {
        writeSetting("RotateSearch", "1");
        start();
        if (main_->tabs().insertPage(std::make_unique<ListPage>(*main_, PageKind::Normal), 0, SW_SHOW, "B",
                                     std::make_unique<EntryList>(ListKind::Normal)) != 1)
            return nullptr;
        setWindowText(GetDlgItem(main_->tabs().pageWindow(0), IDC_HOSTWORD), "wordB");
        setWindowText(GetDlgItem(main_->tabs().pageWindow(1), IDC_HOSTWORD), "wordA");
        return main_->tabs().pageList(0);
    }
    void tick() {
        SendMessageW(hwnd_, WM_TIMER, CollectionCommands::kTimer, 0);
    }

    PROCESS_INFORMATION pi_ = {};
    HWND sim_ = nullptr;
    std::string logPath_;
};

TEST_F(HostSimTest, ManualGetFillsTheCurrentListOnce) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    send(ID_GET_MANUAL);
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(status(kStatusMessage), stamped("5件の情報を取得しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:5  選択数:0");
    // Known hashes are not added again.
    send(ID_GET_MANUAL);
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(status(kStatusMessage), stamped("0件の情報を取得しました"));

    // The ignore list collects nothing.
    send(ID_NEXTTAB, true);
    send(ID_GET_MANUAL);
    EXPECT_EQ(main_->tabs().pageList(1)->count(), 0);
}

// The host's result table as list-file lines of (name, reference amount, hash).
struct HostRow {
    const char* name;
    const char* ref;
    const char* hash;
};
std::string hostLines(std::initializer_list<HostRow> rows) {
    std::string out;
    for (const HostRow& r : rows)
        out += std::string(r.name) + "\tTrip\t1,000\t完全キャッシュ\t" + r.ref + "\t12/08 10:15\t1.2\t" +
               r.hash + "\n";
    return out;
}

std::vector<std::string> names(const EntryList& list) {
    std::vector<std::string> out;
    for (int p = 0; p < list.count(); ++p) out.push_back(list.entryAt(p)->name().str());
    return out;
}

// The user's steps: rows collected into 新規リスト01, some moved to 無視リスト, and moved back from there;
// then a list made 新規リスト01's filter list through the menu "無視リストの追加", with rows moved out of it
// (a known hash merging) and into it. No row is lost on the way, and each move says how many rows arrived.
TEST_F(HostSimTest, RowsMovedIntoAndOutOfFilterListsAreKeptInBothDirections) {
    setHostRecords(hostLines({{"a-row", "10", "HASH-A"},
                              {"b-row", "10", "HASH-B"},
                              {"c-row", "10", "HASH-C"},
                              {"d-row", "10", "HASH-D"},
                              {"e-row", "10", "HASH-E"}}));
    start();
    ListTabSet& tabs = main_->tabs();
    ASSERT_EQ(tabs.tabText(0), "新規リスト01");
    ASSERT_EQ(tabs.tabText(1), "無視リスト");
    EntryList& list01 = *tabs.pageList(0);
    EntryList& ignore = *tabs.pageList(1);
    auto items = [&](int tab) { return static_cast<int>(SendMessageW(view(tab), LVM_GETITEMCOUNT, 0, 0)); };
    // Shows a tab as the user does, with the accelerator of the next tab.
    auto showTab = [&](int tab) {
        for (int i = 0; i < tabs.count() && tabs.current() != tab; ++i) send(ID_NEXTTAB, true);
        ASSERT_EQ(tabs.current(), tab);
    };
    send(ID_GET_MANUAL);
    ASSERT_EQ(names(list01), (std::vector<std::string>{"a-row", "b-row", "c-row", "d-row", "e-row"}));

    // Two rows to the ignore list: they leave 新規リスト01, and the next collection refuses them.
    selectItems(0, {1, 3});
    send(ID_MOVETO_FIRST + 1);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を移動しました"));
    EXPECT_EQ(names(list01), (std::vector<std::string>{"a-row", "c-row", "e-row"}));
    EXPECT_EQ(names(ignore), (std::vector<std::string>{"b-row", "d-row"}));
    EXPECT_EQ(items(0), 3);
    EXPECT_EQ(items(1), 2);
    send(ID_GET_MANUAL);
    EXPECT_EQ(status(kStatusMessage), stamped("0件の情報を取得しました"));
    EXPECT_EQ(list01.count(), 3);

    // On the ignore list, both back to 新規リスト01.
    showTab(1);
    selectItems(1, {0, 1});
    send(ID_MOVETO_FIRST + 0);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を移動しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:0  選択数:0");
    EXPECT_EQ(ignore.count(), 0);
    EXPECT_EQ(items(1), 0);
    EXPECT_EQ(names(list01), (std::vector<std::string>{"a-row", "b-row", "c-row", "d-row", "e-row"}));
    EXPECT_EQ(items(0), 5);

    // 新規リスト02 collects newer texts of a known hash (a larger amount), older ones of another and a new
    // hash; then 新規リスト01 is made to use it as a filter list through the menu.
    setHostRecords(hostLines(
        {{"a-row-newer", "99", "HASH-A"}, {"c-row-older", "1", "HASH-C"}, {"f-row", "10", "HASH-F"}}));
    send(ID_FILE_NEWLIST);
    ASSERT_EQ(tabs.tabText(0), "新規リスト02");
    ASSERT_EQ(tabs.current(), 0);
    EntryList& list02 = *tabs.pageList(0);
    send(ID_GET_MANUAL);
    ASSERT_EQ(list02.count(), 3);
    showTab(1);
    ASSERT_EQ(tabs.tabText(1), "新規リスト01");
    send(ID_FILTER_FIRST + 0);
    ASSERT_TRUE(list01.usesFilter(&list02));

    // Out of the filter list: a-row takes the newer texts, c-row keeps its own, f-row arrives (the one row
    // added).
    showTab(0);
    send(ID_EDIT_SELECTALL);
    send(ID_MOVETO_FIRST + 1);
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報を移動しました"));
    EXPECT_EQ(list02.count(), 0);
    EXPECT_EQ(items(0), 0);
    EXPECT_EQ(names(list01),
              (std::vector<std::string>{"a-row-newer", "b-row", "c-row", "d-row", "e-row", "f-row"}));
    EXPECT_STREQ(list01.entryAt(0)->refAmount(), "99");
    EXPECT_STREQ(list01.entryAt(2)->refAmount(), "10");
    EXPECT_EQ(items(1), 6);

    // Into it: rows of 新規リスト01 moved to its filter list arrive there.
    showTab(1);
    selectItems(1, {4, 5});
    send(ID_MOVETO_FIRST + 0);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を移動しました"));
    EXPECT_EQ(names(list02), (std::vector<std::string>{"e-row", "f-row"}));
    EXPECT_EQ(names(list01), (std::vector<std::string>{"a-row-newer", "b-row", "c-row", "d-row"}));
    EXPECT_EQ(items(0), 2);
    EXPECT_EQ(items(1), 4);
    EXPECT_EQ(status(kStatusCounts), "Hit数:4  選択数:0");
}

TEST_F(HostSimTest, WordButtonsWriteAndReadTheHostsSearchWord) {
    start();
    HWND page = main_->tabs().pageWindow(0);
    setWindowText(GetDlgItem(page, IDC_HOSTWORD), "夏の風景");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD_SET, BN_CLICKED), 0);
    // The host received the Japanese word itself, whatever this system's code page is.
    EXPECT_EQ(countLog("search file=夏の風景"), 1);
    setWindowText(GetDlgItem(page, IDC_HOSTWORD), "");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD_GET, BN_CLICKED), 0);
    EXPECT_EQ(dialogItemText(page, IDC_HOSTWORD), "夏の風景");
    const HistoryList& history = main_->shared().histories[kHostWordHistory];
    ASSERT_EQ(history.count(), 1);
    EXPECT_EQ(history.entry(0), "夏の風景");
}

TEST_F(HostSimTest, BbsPageCollectsThreadsThroughTheHostsBbsTab) {
    writeDefinition("BbsState00", "書可スレッド");
    writeDefinition("BbsState01", "更新スレッド");
    writeSetting("BbsDelay", "0");
    start();
    while (main_->tabs().current() != 3) send(ID_NEXTTAB, true);
    HWND page = main_->tabs().pageWindow(3);
    setWindowText(GetDlgItem(page, IDC_HOSTWORD), "スレ");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_MANUALGET, BN_CLICKED), 0);
    EntryList& bbs = *main_->tabs().pageList(3);
    EXPECT_EQ(bbs.count(), 2);
    EXPECT_EQ(countLog("tab 3"), 1);
    EXPECT_EQ(countLog("tab 4"), 1);
    EXPECT_EQ(countLog("search file="), 1);
    EXPECT_EQ(main_->shared().histories[kBbsHostWordHistory].entry(0), "スレ");
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を取得しました"));

    // 更新 empties the list first, then collects again.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BBS_REFRESH, BN_CLICKED), 0);
    EXPECT_EQ(bbs.count(), 2);
    EXPECT_EQ(SendMessageW(view(3), LVM_GETITEMCOUNT, 0, 0), 2);
}

std::string fileText(const std::string& path) {
    std::string text;
    HANDLE file =
        CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(file);
    return text;
}

void writeFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

TEST_F(HostSimTest, ExportAppendsOnlyNewHashesAndHasTheHostReadItsList) {
    const std::string downList = folder_ + "Download.txt";
    const std::string hash0 = "00000000000000000000000000000000";
    const std::string hash1 = "00000000000000000000000000000001";
    // One line names row 0's hash; a line with too few commas names row 1's and does not count.
    const std::string before = "old,,0,0," + hash0 + ",1\r\nshort,," + hash1 + "\r\n";
    writeFile(downList, before);
    writeFile(folder_ + "Ignore.txt", "");
    writeSetting("DownList", downList.c_str());
    writeSetting("AutoReload", "1");
    start();
    addRows(*main_->tabs().pageList(0), 3);
    selectItems(0, {0, 1});
    send(ID_EDIT_ADDDOWNLIST);
    EXPECT_EQ(fileText(downList), before + "row01,,0,0," + hash1 + ",1\r\n");
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報をダウンリストに追加しました"));
    EXPECT_EQ(countLog("reload downlist"), 1);
    EXPECT_EQ(selectedItems(0), (std::vector<int>{0, 1}));  // the rows and their selection stay

    send(ID_EDIT_ADDDOWNLIST);  // nothing new: nothing written, the host left alone
    EXPECT_EQ(status(kStatusMessage), stamped("0件の情報をダウンリストに追加しました"));
    EXPECT_EQ(countLog("reload downlist"), 1);

    send(ID_EDIT_ADDIGNORE);  // beside the download list
    EXPECT_EQ(fileText(folder_ + "Ignore.txt"),
              "row00,,0,0," + hash0 + ",0,1,1\r\nrow01,,0,0," + hash1 + ",0,1,1\r\n");
    EXPECT_EQ(countLog("reload ignorelist"), 1);
}

// ./run.sh's demo folder as tools/demo-host.sh sets it up (tests/ui/demo_setup_test.sh makes one and names it
// in TWK_DEMO_FOLDER): its settings name the simulator's Download.txt, both exports add to the simulator's
// files, and the simulator reads them again.
TEST_F(HostSimTest, TheDemoFoldersExportsGoIntoTheSimulatorsFiles) {
    const wchar_t* folder = _wgetenv(L"TWK_DEMO_FOLDER");
    if (!folder) GTEST_SKIP() << "tests/ui/demo_setup_test.sh runs this in a demo folder";
    const std::string demo = narrow(folder), host = demo + "vobra_sim\\";
    BoxCatcher boxes;
    main_ = std::make_unique<MainWindow>(GetModuleHandleW(nullptr), demo);
    hwnd_ = main_->create(SW_SHOW);
    addRows(*main_->tabs().pageList(0), 2);
    selectItems(0, {0, 1});
    send(ID_EDIT_ADDDOWNLIST);
    send(ID_EDIT_ADDIGNORE);
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
    const std::string row0 = "row00,,0,0," + std::string(32, '0'),
                      row1 = "row01,,0,0," + std::string(31, '0') + "1";
    EXPECT_EQ(fileText(host + "Download.txt"), row0 + ",1\r\n" + row1 + ",1\r\n");
    EXPECT_EQ(fileText(host + "Ignore.txt"), row0 + ",0,1,1\r\n" + row1 + ",0,1,1\r\n");
    EXPECT_EQ(countLog("reload downlist"), 1);
    EXPECT_EQ(countLog("reload ignorelist"), 1);
}

TEST_F(HostSimTest, AutomaticCollectionStartsWithACycleAndStops) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    HWND settings = main_->tabs().firstPageOfKind(PageKind::Settings);
    send(ID_GET_START);
    ASSERT_TRUE(main_->collection().running);
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(status(kStatusCollecting), "自動収集中");
    EXPECT_TRUE(menuGrey(main_->menu(), ID_GET_START, MF_BYCOMMAND));
    EXPECT_FALSE(menuGrey(main_->menu(), ID_GET_STOP, MF_BYCOMMAND));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(settings, IDC_SET_SPIN)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(settings, IDC_SET_ERRORCOUNT)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(settings, IDC_SET_AUTOSORT)));
    EXPECT_EQ(dialogItemText(main_->tabs().pageWindow(0), IDC_AUTOCOLLECT), "自動収集停止");

    // A cycle while another tab is current reports nothing there.
    send(ID_NEXTTAB, true);
    main_->statusBar().setText(kStatusMessage, "");
    tick();
    EXPECT_EQ(status(kStatusMessage), "");

    send(ID_GET_STOP);
    EXPECT_FALSE(main_->collection().running);
    EXPECT_EQ(status(kStatusCollecting), "");
    EXPECT_FALSE(menuGrey(main_->menu(), ID_GET_START, MF_BYCOMMAND));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(settings, IDC_SET_SPIN)));

    // Not from the ignore list.
    send(ID_GET_START);
    EXPECT_FALSE(main_->collection().running);
}

// A first cycle that cannot read the host stops the collection, and the tray icon stays the idle one.
TEST_F(HostSimTest, ACollectionStoppedByItsFirstCycleLeavesTheIdleIcon) {
    writeSetting("StartPtr", "16");  // no plug-in beside the program: the reader looks where nothing is
    start();
    send(ID_GET_START);
    EXPECT_FALSE(main_->collection().running);
    EXPECT_EQ(main_->tray().iconResource(), IDI_TRAY_IDLE);
}

TEST_F(HostSimTest, RotationTakesTheListTabsInTurn) {
    EntryList* b = startRotating();
    ASSERT_NE(b, nullptr);
    EntryList& second = *b;
    EntryList& first = *main_->tabs().pageList(1);

    send(ID_GET_START);  // on B: its word is searched, the first cycle waits for the timer
    ASSERT_TRUE(main_->collection().running);
    EXPECT_EQ(second.count(), 0);
    EXPECT_EQ(countLog("search file=wordB"), 1);
    tick();
    EXPECT_EQ(second.count(), 5);
    EXPECT_EQ(main_->collection().target, &first);
    EXPECT_EQ(countLog("search file=wordA"), 1);
    tick();
    EXPECT_EQ(first.count(), 5);
    EXPECT_EQ(main_->collection().target, &second);
    EXPECT_EQ(countLog("search file=wordB"), 2);
    send(ID_GET_STOP);
}

// A timer tick while the save prompt of a closing list is open can rotate the collection onto that list:
// once the list is gone the collection neither holds it nor collects into it.
TEST_F(HostSimTest, ClosingTheListARotationTurnsToDuringThePromptStopsTheCollection) {
    ASSERT_NE(startRotating(), nullptr);
    EntryList& first = *main_->tabs().pageList(1);
    send(ID_GET_START);  // on B
    ASSERT_TRUE(main_->collection().running);
    send(ID_NEXTTAB, true);  // A, not the target
    first.setModified(true);
    int asked = 0;
    main_->files().setSaveQuestion([&](const std::string&) {
        ++asked;
        tick();  // collects into B and turns to A
        EXPECT_EQ(main_->collection().target, &first);
        return IDNO;
    });
    send(ID_FILE_CLOSE);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(main_->tabs().indexOfList(&first), -1);
    EXPECT_EQ(main_->collection().target, nullptr);
    EXPECT_FALSE(main_->collection().running);
    tick();
}

// An end of the program while a box of the collection is open (the host gone at a manual get or at a cycle,
// the start address not found in the first cycle of a start) ends the window; the command goes on with
// nothing to show it in and the collection is over.
TEST_F(HostSimTest, AnEndDuringTheCollectionsBoxesEndsTheWindow) {
    enum Box { ManualGetHostGone, FirstCycleStartAddress, CycleHostGone };
    for (const Interruption& end : kInterruptions) {
        for (Box box : {ManualGetHostGone, FirstCycleStartAddress, CycleHostGone}) {
            SCOPED_TRACE(std::string(end.name) + " " + std::to_string(box));
            writeSetting("NoDialog", box == FirstCycleStartAddress ? "0" : "1");
            start();
            EntryList& list = *main_->tabs().pageList(0);
            if (box == CycleHostGone) {
                send(ID_GET_START);
                ASSERT_TRUE(main_->collection().running);
            }
            if (box != FirstCycleStartAddress) main_->host().layout().vobraTitle = "gone";
            BoxCatcher boxes;
            boxes.whileOpen = [&] { interrupt(end); };
            if (box == ManualGetHostGone) send(ID_GET_MANUAL);
            if (box == FirstCycleStartAddress) send(ID_GET_START);
            if (box == CycleHostGone) tick();
            EXPECT_FALSE(IsWindow(hwnd_));
            EXPECT_EQ(boxes.boxes.size(), 1u);
            EXPECT_FALSE(main_->collection().running);
            EXPECT_EQ(list.count(), box == ManualGetHostGone ? 0 : 5);
            main_.reset();
        }
    }
}

}  // namespace
}  // namespace twk::ui::test
