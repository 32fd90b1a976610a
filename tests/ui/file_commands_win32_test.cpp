// The ファイル menu: new and closed lists, saving and reopening, the save question, dropped files.
#include "tests/ui/window_fixture_win32.h"

// The shell declarations need the base declarations first.
#include <shlobj.h>

#include "core/progress.h"
#include "formats/file_io.h"
#include "formats/text_buffer.h"

namespace twk::ui::test {
namespace {

class FileCommandsTest : public WindowTest {
  protected:
    // Answers every save question with the next of `answers` and records the questions.
    void answerWith(std::vector<int> answers) {
        answers_ = std::move(answers);
        main_->files().setSaveQuestion([this](const std::string& q) {
            questions_.push_back(q);
            if (answers_.empty()) return IDNO;
            int a = answers_.front();
            answers_.erase(answers_.begin());
            return a;
        });
    }
    std::vector<int> answers_;
    std::vector<std::string> questions_;
};

TEST_F(FileCommandsTest, NewListTakesTheFirstFreeNumber) {
    start();
    send(ID_FILE_NEWLIST);
    send(ID_FILE_NEWLIST, true);  // Ctrl+N
    ListTabSet& tabs = main_->tabs();
    ASSERT_EQ(tabs.count(), 7);
    EXPECT_EQ(tabs.tabText(0), "新規リスト03");
    EXPECT_EQ(tabs.current(), 0);
    EXPECT_EQ(status(kStatusMessage), stamped("新規リスト03 を作成しました"));
    EXPECT_TRUE(tabs.pageList(0)->usesFilter(tabs.pageList(3)));  // the ignore list

    // Close 新規リスト02 (unchanged: no question); the next new list takes its number again.
    tabs.selectPage(1);
    answerWith({});
    send(ID_FILE_CLOSE);
    EXPECT_TRUE(questions_.empty());
    ASSERT_EQ(tabs.count(), 6);
    EXPECT_EQ(tabs.tabText(1), "新規リスト01");
    send(ID_FILE_NEWLIST);
    EXPECT_EQ(tabs.tabText(0), "新規リスト02");
}

TEST_F(FileCommandsTest, SavedListReopensFromTheFileHistory) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 3);
    const std::string path = folder_ + "saved.txt";
    list.setPath(path);
    send(ID_FILE_SAVE);
    EXPECT_EQ(status(kStatusMessage), stamped(path + " に3件の情報を保存しました"));
    EXPECT_FALSE(list.modified());
    ASSERT_EQ(main_->shared().histories[kFileHistory].count(), 1);

    send(ID_EDIT_CLEARALL);  // modified again
    answerWith({IDNO});
    send(ID_HISTORY_FIRST);
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0], path + " への変更を保存しますか？");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(main_->tabs().tabText(0), "saved.txt");
    EXPECT_EQ(status(kStatusMessage), stamped(path + " から3件の情報を読み込みました"));
    EXPECT_TRUE(IsWindowVisible(view(0)));

    // Cancel leaves the list as it was.
    send(ID_EDIT_CLEARALL);
    answerWith({IDCANCEL});
    send(ID_HISTORY_FIRST);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(FileCommandsTest, CloseAsksForEveryChangedListAndCancelKeepsTheWindow) {
    start();
    send(ID_FILE_NEWLIST);
    addRows(*main_->tabs().pageList(0), 1);
    addRows(*main_->tabs().pageList(1), 1);
    main_->tabs().selectPage(3);
    answerWith({IDNO, IDCANCEL});
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(hwnd_));
    EXPECT_EQ(questions_, (std::vector<std::string>{"新規リスト02 への変更を保存しますか？",
                                                    "新規リスト01 への変更を保存しますか？"}));
    EXPECT_EQ(main_->tabs().current(), 1);
    EXPECT_EQ(readSetting("WindowRight"), "");

    answerWith({IDNO, IDNO});
    closeWindow();
    EXPECT_NE(readSetting("WindowRight"), "");
}

// 閉じる's and a 履歴 entry's question about mine.txt, interrupted by 終了: the close asks about every list
// and is cancelled on 新規リスト01, which it leaves current; the answer No then acts on mine.txt alone.
TEST_F(FileCommandsTest, AQuestionInterruptedByACloseActsOnTheListItAskedAbout) {
    for (int command : {ID_FILE_CLOSE, ID_HISTORY_FIRST}) {
        SCOPED_TRACE(command);
        start();
        const std::string mine = folder_ + "mine.txt";
        main_->files().setFileChooser([&](bool, std::string& chosen) {
            chosen = mine;
            return true;
        });
        ListTabSet& tabs = main_->tabs();
        addRows(*tabs.pageList(0), 2);
        send(ID_FILE_SAVEAS);   // 新規リスト01 becomes mine.txt
        send(ID_FILE_NEWLIST);  // and a new 新規リスト01 comes in front of it
        EntryList* other = tabs.pageList(0);
        EntryList* mineList = tabs.pageList(1);
        addRows(*other, 1);
        addRows(*mineList, 1, 5);
        tabs.selectPage(1);
        questions_.clear();
        main_->files().setSaveQuestion([&](const std::string& q) {
            questions_.push_back(q);
            if (questions_.size() == 2) return IDCANCEL;
            send(ID_FILE_EXIT);
            return IDNO;
        });
        send(command);
        ASSERT_TRUE(IsWindow(hwnd_));
        EXPECT_EQ(questions_, (std::vector<std::string>{mine + " への変更を保存しますか？",
                                                        "新規リスト01 への変更を保存しますか？"}));
        EXPECT_EQ(tabs.tabText(0), "新規リスト01");
        EXPECT_EQ(other->count(), 1);
        if (command == ID_FILE_CLOSE) {
            EXPECT_EQ(tabs.indexOfList(mineList), -1);
            EXPECT_EQ(tabs.count(), 5);
        } else {
            EXPECT_EQ(tabs.tabText(1), "mine.txt");
            EXPECT_EQ(mineList->count(), 2);  // as saved
        }
        main_.reset();
    }
}

// An end of the program while 閉じる asks or an export's box is open ends the window; the command then finds
// nothing left to act on.
TEST_F(FileCommandsTest, AnEndDuringTheBoxesOfCloseAndExportEndsTheWindow) {
    writeSetting("DownList", (folder_ + "missing\\Download.txt").c_str());
    for (const Interruption& end : kInterruptions) {
        for (int command : {ID_FILE_CLOSE, ID_EDIT_ADDDOWNLIST}) {
            SCOPED_TRACE(std::string(end.name) + " " + std::to_string(command));
            start();
            EntryList& list = *main_->tabs().pageList(0);
            addRows(list, 2);  // changed: 閉じる and the close ask about it
            selectItems(0, {0});
            BoxCatcher boxes;
            boxes.whileOpen = [&] { interrupt(end); };
            int asked = 0;
            main_->files().setSaveQuestion([&](const std::string&) {
                if (asked++ == 0) interrupt(end);
                return IDNO;
            });
            send(command);
            EXPECT_FALSE(IsWindow(hwnd_));
            EXPECT_EQ(boxes.boxes.size(), command == ID_EDIT_ADDDOWNLIST ? 1u : 0u);
            EXPECT_EQ(main_->tabs().pageList(0), &list);
            EXPECT_EQ(list.count(), 2);
            main_.reset();
        }
    }
}

TEST_F(FileCommandsTest, DroppingAFolderAndAFileOpensTheFile) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 2);
    const std::string path = folder_ + "dropped.txt";
    list.setPath(path);
    send(ID_FILE_SAVE);
    send(ID_EDIT_CLEARALL);
    answerWith({IDNO});
    std::string sub = folder_ + "sub";
    CreateDirectoryA(sub.c_str(), nullptr);
    SendMessageW(view(0), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({widen(sub), widen(path)})), 0);
    RemoveDirectoryA(sub.c_str());
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(main_->tabs().tabText(0), "dropped.txt");
}

}  // namespace
}  // namespace twk::ui::test

namespace twk::ui::test {
namespace {

class FileSafetyTest : public FileCommandsTest {
  protected:
    // The first list with three saved rows in `name`, then changed.
    std::string savedList(const char* name) {
        start();
        EntryList& list = *main_->tabs().pageList(0);
        addRows(list, 3);
        const std::string path = folder_ + name;
        list.setPath(path);
        send(ID_FILE_SAVE);
        return path;
    }
    void drop(const std::vector<std::string>& paths) {
        std::vector<std::wstring> wide;
        for (const std::string& p : paths) wide.push_back(widen(p));
        SendMessageW(view(0), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(wide)), 0);
    }
    void writeFile(const std::string& path, const std::string& bytes) {
        HANDLE f = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
};

TEST_F(FileSafetyTest, AYesWhoseSaveDidNotHappenStopsTheOpenAndTheClose) {
    const std::string a = savedList("a.txt");
    const std::string other = folder_ + "other.txt";
    writeFile(other, "");
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 1, 5);  // changed again
    SetFileAttributesW(widen(a).c_str(), FILE_ATTRIBUTE_READONLY);
    BoxCatcher boxes;
    answerWith({IDYES, IDYES});
    drop({other});
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    SetFileAttributesW(widen(a).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(IsWindow(hwnd_));
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.path(), a);
    EXPECT_EQ(boxes.boxes, std::vector<std::string>(2, stamped(a + " に書き込めませんでした")));

    // Without a path, Yes shows the save dialog; cancelling it stops as well.
    list.setPath("");
    main_->files().setFileChooser([](bool, std::string&) { return false; });
    answerWith({IDYES});
    drop({other});
    EXPECT_EQ(list.count(), 4);
    answerWith({IDNO});
    closeWindow();
}

TEST_F(FileSafetyTest, ALogOffDuringTheCloseQuestionWaitsForTheFirstClose) {
    writeFile(folder_ + "ConditionList.txt", "1\tword\t\t0\r\n");
    savedList("a.txt");
    addRows(*main_->tabs().pageList(0), 1, 5);
    LRESULT inner = -1;
    main_->files().setSaveQuestion([&](const std::string&) {
        inner = SendMessageW(hwnd_, WM_QUERYENDSESSION, 0, 0);
        SendMessageW(hwnd_, WM_COMMAND, ID_FILE_EXIT, 0);  // the tray's 終了 too
        EXPECT_TRUE(IsWindow(hwnd_));
        return IDNO;
    });
    closeWindow();
    EXPECT_EQ(inner, 0);
    HANDLE f = CreateFileW(widen(folder_ + "ConditionList.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    char text[64] = {};
    DWORD got = 0;
    ReadFile(f, text, sizeof text - 1, &got, nullptr);
    CloseHandle(f);
    EXPECT_STREQ(text, "1\tword\t\t0\r\n");
    EXPECT_NE(readSetting("ColumnWidth00"), "0");
}

TEST_F(FileSafetyTest, ExportStartsOnANewLineAndAShortWriteLeavesTheHostFile) {
    const std::string downList = folder_ + "Download.txt";
    const std::string before = "last,,0,0,ffffffffffffffffffffffffffffffff,1";  // no line end
    writeFile(downList, before);
    writeSetting("DownList", downList.c_str());
    writeSetting("AutoReload", "0");
    start();
    addRows(*main_->tabs().pageList(0), 2);
    selectItems(0, {0});
    BoxCatcher boxes;
    injectFileWriteFailure(5);
    send(ID_EDIT_ADDDOWNLIST);
    injectFileWriteFailure(-1);
    TextBuffer text;
    ASSERT_TRUE(text.loadFileOk(downList));
    EXPECT_EQ(text.size(), before.size());
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{stamped(downList + " に書き込めませんでした")});

    send(ID_EDIT_ADDDOWNLIST);
    ASSERT_TRUE(text.loadFileOk(downList));
    std::size_t length = 0;
    EXPECT_STREQ(text.nextLine(&length), before.c_str());
    EXPECT_STREQ(text.nextLine(&length), "row00,,0,0,00000000000000000000000000000000,1");
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報をダウンリストに追加しました"));
}

TEST_F(FileSafetyTest, AReadOnlyFolderDroppedIsSkipped) {
    const std::string a = savedList("a.txt");
    send(ID_EDIT_CLEARALL);
    answerWith({IDNO});
    const std::string sub = folder_ + "sub";
    CreateDirectoryW(widen(sub).c_str(), nullptr);
    SetFileAttributesW(widen(sub).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    drop({sub, a});
    SetFileAttributesW(widen(sub).c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(widen(sub).c_str());
    EXPECT_EQ(main_->tabs().pageList(0)->count(), 3);
    EXPECT_EQ(main_->shared().histories[kFileHistory].entry(0), a);
    EXPECT_EQ(main_->shared().histories[kFileHistory].count(), 1);
}

}  // namespace
}  // namespace twk::ui::test

namespace twk::ui::test {
namespace {

// A clock of the long work's throttle that moves on 100 ms every time it is read.
class SteppingTicks final : public Ticks {
  public:
    double ms() const override { return now_ += 100; }

  private:
    mutable double now_ = 0;
};

// What the status bar's message part was told while the work ran, with the cursor and the commands waiting
// in the queue at that moment.
struct MessagePart {
    struct Shown {
        std::string text;
        bool waitCursor;
        bool commandWaiting;
    };
    HWND main;
    std::vector<Shown> shown;

    static LRESULT CALLBACK proc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR self) {
        if (message == SB_SETTEXTW && LOBYTE(LOWORD(wParam)) == kStatusMessage) {
            auto* part = reinterpret_cast<MessagePart*>(self);
            MSG waiting;
            part->shown.push_back(
                {narrow(reinterpret_cast<const wchar_t*>(lParam)),
                 GetCursor() == LoadCursorW(nullptr, IDC_WAIT),
                 PeekMessageW(&waiting, part->main, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != 0});
        }
        return DefSubclassProc(bar, message, wParam, lParam);
    }
};

// A long open shows the wait cursor and its progress in the message part; a command given meanwhile waits
// until the work is done; the cursor is as before, and the message says what was read.
TEST_F(FileCommandsTest, LongOpenShowsItsProgressAndRunsNothingElse) {
    constexpr int kRows = 60000;
    const std::string path = folder_ + "large.txt";
    {
        std::string text;
        char line[160];
        for (int i = 0; i < kRows; ++i) {
            std::snprintf(line, sizeof line,
                          "file%06d.avi\ttrip\t%d\t完全キャッシュ\t10\t01/02 03:04\t1.0\t%032d\r\n", i,
                          1000 + i, i);
            text += line;
        }
        ASSERT_TRUE(replaceFileContents(path, text.data(), text.size()));
    }
    start();
    main_->shared().histories[kFileHistory].pushFront(path);
    MessagePart part{hwnd_, {}};
    HWND bar = main_->statusBar().hwnd();
    ASSERT_TRUE(SetWindowSubclass(bar, &MessagePart::proc, 1, reinterpret_cast<DWORD_PTR>(&part)));
    SteppingTicks ticks;
    const Ticks* previousTicks = setTicks(&ticks);
    const HCURSOR before = GetCursor();
    PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(ID_EDIT_CLEARALL, 0), 0);

    send(ID_HISTORY_FIRST);
    setTicks(previousTicks);
    RemoveWindowSubclass(bar, &MessagePart::proc, 1);

    std::vector<std::string> percentages;
    for (const MessagePart::Shown& s : part.shown) {
        if (s.text.find('%') == std::string::npos) continue;
        percentages.push_back(s.text);
        EXPECT_TRUE(s.waitCursor) << s.text;
        EXPECT_TRUE(s.commandWaiting) << s.text;
    }
    ASSERT_FALSE(percentages.empty());
    EXPECT_EQ(percentages.front().rfind("処理中... ", 0), 0u) << percentages.front();
    EXPECT_EQ(GetCursor(), before);
    EXPECT_EQ(main_->tabs().pageList(0)->count(), kRows);
    EXPECT_EQ(status(kStatusMessage), stamped(path + " から60000件の情報を読み込みました"));
    MSG waiting;
    EXPECT_TRUE(PeekMessageW(&waiting, hwnd_, WM_COMMAND, WM_COMMAND, PM_REMOVE));
}

}  // namespace
}  // namespace twk::ui::test
