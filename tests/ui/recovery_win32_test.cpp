// The recovery journal with the window: what a log-off or a kill leaves behind comes back at the next start
// after its one question; the switch, a journal folder that cannot be written and a damaged journal.
#include "recovery/journal.h"
#include "settings/profile_store.h"
#include "tests/ui/window_fixture_win32.h"
#include "tools/vobra_sim/sim_driver_win32.h"

namespace twk::ui::test {
namespace {

const char* const kQuestionTwo = "保存されずに終わったリストが2件あります。復元しますか？";

class RecoveryTest : public WindowTest {
  protected:
    std::string journalFolder() const { return folder_ + kJournalFolderName + "\\"; }
    bool exists(const std::string& path) const {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // The names of a list's rows in display order, a marked one followed by "*".
    static std::string rows(const EntryList* list) {
        std::string text;
        for (int p = 0; list && p < list->count(); ++p)
            text += std::string(list->entryAt(p)->nameText()) + (list->entryAt(p)->isMarked() ? "* " : " ");
        return text;
    }
    std::string rowsOf(int tab) { return rows(main_->tabs().pageList(tab)); }
    // The end of the Windows session as the system sends it.
    void logOff() {
        SendMessageW(hwnd_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        if (IsWindow(hwnd_)) SendMessageW(hwnd_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_FALSE(IsWindow(hwnd_));
    }
    void restart(int answer) {
        main_.reset();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        restoreAnswer_ = answer;
        start();
        main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
    }
};

// Two unsaved lists (one of them marked and sorted) and a changed ignore list, then a log-off: the session is
// not held up, and the next start asks once. Yes brings both lists back after the start pages, unsaved; a
// close that discards them leaves no journal. No sets the journal aside; with the switch off nothing is kept.
struct LogOffCase {
    const char* name;
    const char* recovery;  // TWK.ini's Recovery, or nullptr for the default
    int answer;
    bool asked, back;
};
constexpr LogOffCase kLogOffCases[] = {
    {"yes", nullptr, IDYES, true, true},
    {"no", nullptr, IDNO, true, false},
    {"switch off", "0", IDYES, false, false},
};

TEST_F(RecoveryTest, LogOffKeepsEveryUnsavedList) {
    for (const LogOffCase& c : kLogOffCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        restoreQuestions_.clear();
        if (c.recovery) writeSetting("Recovery", c.recovery);
        start();
        EntryList& first = *main_->tabs().pageList(0);
        addRows(first, 3);
        selectItems(0, {1});
        send(ID_EDIT_MARKSELECTED);
        send(ID_FILE_NEWLIST);
        EntryList& second = *main_->tabs().pageList(0);
        addRows(second, 2, 10);
        second.sort(kColName);  // the name order turned round
        ASSERT_EQ(rows(&second), "row11 row10 ");
        addRows(*main_->tabs().pageList(2), 1, 20);  // 無視リスト
        logOff();

        restart(c.answer);
        EXPECT_EQ(restoreQuestions_,
                  c.asked ? std::vector<std::string>{kQuestionTwo} : std::vector<std::string>{});
        ListTabSet& tabs = main_->tabs();
        ASSERT_EQ(tabs.count(), c.back ? 7 : 5);
        EXPECT_EQ(rowsOf(1), "row20 ");  // the ignore list's file, written by the log-off
        EXPECT_EQ(exists(journalFolder()), c.recovery == nullptr);
        if (!c.back) {
            EXPECT_EQ(rowsOf(0), "");
            // No keeps the journal as the older generation, which a later start does not ask about.
            EXPECT_EQ(exists(journalFolder() + kJournalOlderFileName), c.answer == IDNO && c.asked);
            restart(IDYES);
            EXPECT_EQ(restoreQuestions_.size(), c.asked ? 1u : 0u);
            continue;
        }
        EXPECT_EQ(tabs.tabText(5), "新規リスト01");
        EXPECT_EQ(tabs.tabText(6), "新規リスト02");
        EXPECT_EQ(rowsOf(5), "row00 row01* row02 ");
        EXPECT_EQ(rowsOf(6), "row11 row10 ");
        EXPECT_TRUE(tabs.pageList(5)->modified() && tabs.pageList(6)->modified());
        EXPECT_EQ(SendMessageW(view(6), LVM_GETITEMCOUNT, 0, 0), 2);
        // Closed with both discarded: nothing is left to ask about.
        closeWindow();
        EXPECT_FALSE(exists(journalFolder() + kJournalFileName));
        restart(IDYES);
        EXPECT_EQ(restoreQuestions_.size(), 1u);
        EXPECT_EQ(main_->tabs().count(), 5);
    }
}

// Killed while collecting automatically, after a journal point: the collected rows come back.
TEST_F(RecoveryTest, KillDuringAutomaticCollectionThenYes) {
#ifndef TWK_SIM_PATH
    GTEST_SKIP() << "no host simulator in this build";
#else
    vobra_sim::SimProcess host;
    std::string error;
    ASSERT_TRUE(host.start(TWK_SIM_PATH, vobra_sim::SimOptions(), &error)) << error;
    for (const char* state : {"State00=完全キャッシュ", "State01=部分キャッシュ", "State02=受可キャッシュ"}) {
        const std::string key(state, 7);
        systemProfileStore().writeValue((folder_ + "TWKdef.ini").c_str(), "Tollwick", key.c_str(), state + 8);
    }
    writeSetting("NoDialog", "1");
    writeSetting("AutoSearch", "0");
    const std::string exe = folder_ + "Tollwick.exe";
    ASSERT_TRUE(CopyFileA(vobra_sim::windowsPath(TWK_PROGRAM_PATH).c_str(), exe.c_str(), FALSE));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + exe + "\"";
    ASSERT_TRUE(
        CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForInputIdle(pi.hProcess, 10000);
    HWND window = FindWindowW(kMainWindowClass, L"Tollwick version 3.25");
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_COMMAND, ID_GET_START, 0);  // the first cycle runs at once
    EXPECT_EQ(SendMessageW(window, TWK_JOURNAL_NOW, 0, 0), 1);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    restoreAnswer_ = IDYES;
    start();
    EXPECT_EQ(restoreQuestions_,
              std::vector<std::string>{"保存されずに終わったリストが1件あります。復元しますか？"});
    ASSERT_EQ(main_->tabs().count(), 6);
    EXPECT_EQ(main_->tabs().tabText(5), "新規リスト01");
    EXPECT_EQ(main_->tabs().pageList(5)->count(), 5);
    main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
#endif
}

// A journal that cannot be written is said once in the status bar, keeps no command from its work and is
// written once it can be; what it then holds comes back after an end without a close.
TEST_F(RecoveryTest, UnwritableJournalIsReportedOnceAndTriedAgain) {
    // A file where the journal's folder would be: nothing can be made there.
    const std::string blocker = folder_ + kJournalFolderName;
    HANDLE file = CreateFileA(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 2);
    EXPECT_EQ(SendMessageW(hwnd_, TWK_JOURNAL_NOW, 0, 0), 0);
    EXPECT_NE(status(kStatusMessage).find(blocker), std::string::npos) << status(kStatusMessage);
    send(ID_EDIT_SELECTALL);
    send(ID_EDIT_MARKSELECTED);
    main_->statusBar().setText(kStatusMessage, "");
    EXPECT_EQ(SendMessageW(hwnd_, TWK_JOURNAL_NOW, 0, 0), 0);
    EXPECT_EQ(status(kStatusMessage), "");
    EXPECT_EQ(rows(&list), "row00* row01* ");

    // Free again, and later: the next point writes everything.
    ASSERT_TRUE(DeleteFileA(blocker.c_str()));
    clock_.set(twk::test::makeTime(2024, 5, 1, 12, 40, 0));
    addRows(*main_->tabs().pageList(1), 1, 20);  // 無視リスト
    EXPECT_EQ(SendMessageW(hwnd_, TWK_JOURNAL_NOW, 0, 0), 1);
    // Gone without a close, as after a kill: the ignore list comes back without a question.
    restart(IDYES);
    ASSERT_EQ(main_->tabs().count(), 6);
    EXPECT_EQ(rowsOf(5), "row00* row01* ");
    EXPECT_EQ(rowsOf(1), "row20 ");
    EXPECT_EQ(status(kStatusMessage), std::string("[12:40:00] ") + kMsgJournalFixedRestored);
}

// A damaged journal is set aside under another name with one line in the status bar; the start asks nothing.
TEST_F(RecoveryTest, DamagedJournalIsSetAside) {
    CreateDirectoryA(journalFolder().c_str(), nullptr);
    const std::string path = journalFolder() + kJournalFileName;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char garbage[] = "not a journal at all\r\n\x01\x02\x03\xff";
    DWORD written = 0;
    WriteFile(file, garbage, sizeof garbage, &written, nullptr);
    CloseHandle(file);

    start();
    EXPECT_TRUE(restoreQuestions_.empty());
    EXPECT_EQ(main_->tabs().count(), 5);
    EXPECT_NE(status(kStatusMessage), "");
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((journalFolder() + kJournalSetAsidePrefix + "*").c_str(), &found);
    EXPECT_NE(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

}  // namespace
}  // namespace twk::ui::test
