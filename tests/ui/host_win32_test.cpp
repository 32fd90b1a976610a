// The window against the host simulator: a manual get fills the current list, the word buttons talk to the
// host's search box.
#include "tests/ui/window_fixture_win32.h"

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
        std::string commandLine = "\"" + exe + "\" --port -1";
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
        WritePrivateProfileStringA("Tollwick", "State00", "完全キャッシュ", (folder_ + "TWKdef.ini").c_str());
        WritePrivateProfileStringA("Tollwick", "State01", "部分キャッシュ", (folder_ + "TWKdef.ini").c_str());
        WritePrivateProfileStringA("Tollwick", "State02", "受可キャッシュ", (folder_ + "TWKdef.ini").c_str());
        writeSetting("NoDialog", "1");
        writeSetting("AutoSearch", "0");
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

    PROCESS_INFORMATION pi_ = {};
    HWND sim_ = nullptr;
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

TEST_F(HostSimTest, WordButtonsWriteAndReadTheHostsSearchWord) {
    start();
    HWND page = main_->tabs().pageWindow(0);
    setWindowText(GetDlgItem(page, IDC_HOSTWORD), "夏の風景");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD_SET, BN_CLICKED), 0);
    setWindowText(GetDlgItem(page, IDC_HOSTWORD), "");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD_GET, BN_CLICKED), 0);
    EXPECT_EQ(dialogItemText(page, IDC_HOSTWORD), "夏の風景");
    const HistoryList& history = main_->histories()[kHostWordHistory];
    ASSERT_EQ(history.count(), 1);
    EXPECT_EQ(history.entry(0), "夏の風景");
}

}  // namespace
}  // namespace twk::ui::test
