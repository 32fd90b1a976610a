// The condition page: adding from its fields, moving, deleting, the file commands.
#include "tests/ui/window_fixture_win32.h"
#include "ui/pages_win32.h"

namespace twk::ui::test {
namespace {

class ConditionPageTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        page_ = main_->tabs().pageWindow(2);
        while (main_->tabs().current() != 2) send(ID_NEXTTAB, true);
    }
    void add(const char* text, const char* destination = "", bool ignoreIfAbsent = false) {
        setDialogItemText(page_, IDC_COND_TEXT, text);
        setDialogItemText(page_, IDC_COND_TARGET, destination);
        CheckDlgButton(page_, IDC_COND_IGNOREABSENT, ignoreIfAbsent ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(IDC_COND_ADD, BN_CLICKED), 0);
    }
    void command(int id) { SendMessageW(page_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const Condition& c : main_->shared().conditions) out.push_back(c.text);
        return out;
    }
    HWND page_ = nullptr;
};

TEST_F(ConditionPageTest, AddBindsTheNamedListAndRefusesAWrongText) {
    add("abc", "無視リスト");
    ASSERT_EQ(main_->shared().conditions.count(), 1);
    EXPECT_EQ(main_->shared().conditions.at(0).destination, main_->tabs().pageList(1));
    EXPECT_EQ(main_->shared().conditions.at(0).state, kConditionMove);
    EXPECT_EQ(SendMessageW(view(2), LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(status(kStatusMessage), stamped("条件リストにデータを追加しました"));
    EXPECT_EQ(dialogItemText(page_, IDC_COND_TEXT), "abc");  // the fields keep their text

    add("a&");
    EXPECT_EQ(main_->shared().conditions.count(), 1);
    EXPECT_EQ(status(kStatusMessage), stamped("移動＆無視条件に誤りがあります"));
}

TEST_F(ConditionPageTest, MoveUpAndDownCarryTheSelection) {
    for (const char* t : {"c1", "c2", "c3", "c4", "c5"}) add(t);
    selectItems(2, {1, 2});
    command(ID_COND_UP);
    EXPECT_EQ(texts(), (std::vector<std::string>{"c2", "c3", "c1", "c4", "c5"}));
    EXPECT_EQ(selectedItems(2), (std::vector<int>{0, 1}));
    command(ID_COND_UP);  // already at the top
    EXPECT_EQ(texts(), (std::vector<std::string>{"c2", "c3", "c1", "c4", "c5"}));
    Win32ListView(view(2)).setAllSelected(false);
    selectItems(2, {3});
    command(ID_COND_DOWN);
    EXPECT_EQ(texts(), (std::vector<std::string>{"c2", "c3", "c1", "c5", "c4"}));
    EXPECT_EQ(selectedItems(2), (std::vector<int>{4}));
}

TEST_F(ConditionPageTest, DeleteUseAndSelectAll) {
    for (const char* t : {"c1", "c2", "c3", "c4", "c5"}) add(t);
    selectItems(2, {0, 2, 4});
    command(ID_COND_UNUSE);
    EXPECT_FALSE(main_->shared().conditions.at(2).used);
    EXPECT_TRUE(main_->shared().conditions.at(1).used);
    SendMessageW(view(2), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"c2", "c4"}));
    EXPECT_EQ(SendMessageW(view(2), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(status(kStatusMessage), stamped("3件の情報を削除しました"));
    command(ID_COND_SELECTALL);
    EXPECT_EQ(status(kStatusMessage), stamped("全2件の情報を選択しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:2  選択数:2");
}

TEST_F(ConditionPageTest, SavedConditionsLoadAgain) {
    add("abc", "BBSリスト", true);
    add("def");
    command(ID_COND_SAVE);
    EXPECT_EQ(status(kStatusMessage), stamped("条件リストに2件の情報を保存しました"));
    selectItems(2, {0, 1});
    command(ID_COND_DELETE);
    command(ID_COND_RELOAD);
    EXPECT_EQ(status(kStatusMessage), stamped("条件リストファイルから2件の情報を読み込みました"));
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(SendMessageW(view(2), LVM_GETITEMCOUNT, 0, 0), 2);

    // A file another program holds takes none of them away.
    HANDLE held = CreateFileW(widen(folder_ + "ConditionList.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    command(ID_COND_RELOAD);
    CloseHandle(held);
    EXPECT_EQ(status(kStatusMessage), stamped("条件リストの読み込みに失敗しました"));
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(SendMessageW(view(2), LVM_GETITEMCOUNT, 0, 0), 2);

    // A copy of a condition through its fields: the first selected one fills them.
    selectItems(2, {0});
    auto* page = static_cast<ConditionPage*>(main_->tabs().page(2));
    page->copySelectedToFields();
    EXPECT_EQ(dialogItemText(page_, IDC_COND_TEXT), "abc");
    EXPECT_EQ(dialogItemText(page_, IDC_COND_TARGET), "BBSリスト");
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_COND_IGNOREABSENT), BST_CHECKED);
    SendMessageW(page_, WM_COMMAND, MAKEWPARAM(IDC_COND_ADD, BN_CLICKED), 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc", "def", "abc"}));
}

}  // namespace
}  // namespace twk::ui::test
