// The ファイル menu: new and closed lists, saving and reopening, the save question, dropped files.
#include "tests/ui/window_fixture_win32.h"

// The shell declarations need the base declarations first.
#include <shlobj.h>

namespace twk::ui::test {
namespace {

class FileCommandsTest : public WindowTest {
  protected:
    // Answers every save question with the next of `answers` and records the questions.
    void answerWith(std::vector<int> answers) {
        answers_ = std::move(answers);
        main_->setSaveQuestion([this](const std::string& q) {
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
    ASSERT_EQ(main_->histories()[kFileHistory].count(), 1);

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
