// Commands of the window whose allocations fail, one after another: each either completes or leaves the lists
// and their views as they were, and the memory message names the command.
#include <functional>

#include "support/alloc_failure.h"
#include "tests/ui/window_fixture_win32.h"

namespace twk::ui::test {
namespace {

class MemoryCommandsTest : public WindowTest {
  protected:
    static constexpr int kBbsTab = 3;

    // Six rows in the first list, rows 1 and 4 marked, rows 1 and 3 selected; the BBS list one row.
    void reset(const std::function<void()>& prepare) {
        for (int tab : {0, kBbsTab}) {
            main_->tabs().pageList(tab)->clear();
            main_->tabs().page(tab)->listView()->deleteAllItems();
        }
        EntryList& list = *main_->tabs().pageList(0);
        addRows(list, 6);
        addRows(*main_->tabs().pageList(kBbsTab), 1, 10);
        for (int p : {1, 4}) list.entryAt(p)->setMarked(true);
        selectItems(0, {1, 3});
        list.syncSelectionFromView();
        if (prepare) prepare();
        main_->statusBar().setText(kStatusMessage, "");
    }

    // The rows of both lists (names, marks, selection) and what their views show.
    std::string shown() {
        std::string out;
        for (int tab : {0, kBbsTab}) {
            const EntryList& list = *main_->tabs().pageList(tab);
            for (int p = 0; p < list.count(); ++p)
                out += list.entryAt(p)->name().str() + list.entryAt(p)->mark() + " ";
            out += "| items " + std::to_string(SendMessageW(view(tab), LVM_GETITEMCOUNT, 0, 0)) + " selected";
            for (int p : selectedItems(tab)) out += " " + std::to_string(p);
            out += "\n";
        }
        return out;
    }

    void clickColumn(int column) {
        NMLISTVIEW click = {};
        click.hdr = {view(0), IDC_LIST, static_cast<UINT>(LVN_COLUMNCLICK)};
        click.iSubItem = column;
        SendMessageW(main_->tabs().pageWindow(0), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&click));
    }

    void typeSearchWord(const char* word) {
        setWindowText(GetDlgItem(main_->tabs().pageWindow(0), IDC_SEARCHWORD), word);
    }
    void clickSearch() {
        SendMessageW(main_->tabs().pageWindow(0), WM_COMMAND, MAKEWPARAM(IDC_SEARCH, BN_CLICKED), 0);
    }
};

struct WindowCommand {
    const char* name;
    std::vector<int> places;        // the numbers the memory message may show: the rows', or the command's
    const char* done;               // the status message of the command when it completes
    std::function<void()> prepare;  // what the user did before (not part of the command)
    std::function<void()> run;
};

TEST_F(MemoryCommandsTest, ACommandWithoutMemoryLeavesTheListsAndViewsAsTheyWereAndShowsTheMessage) {
    start();
    const WindowCommand commands[] = {
        {"search",
         {601},
         "2件の情報が検索されました",
         [this] { typeSearchWord("row0[25]"); },
         [this] { clickSearch(); }},
        {"regular-expression search",
         {601},
         "2件の情報が検索されました",
         [this] {
             CheckDlgButton(main_->tabs().firstPageOfKind(PageKind::Settings), IDC_SET_REGEXP, BST_CHECKED);
             typeSearchWord("^row0[25]$");
         },
         [this] { clickSearch(); }},
        {"column click", {602}, "", nullptr, [this] { clickColumn(1); }},
        {"move to the BBS list",
         {175},
         "2件の情報を移動しました",
         nullptr,
         [this] { send(ID_MOVETO_FIRST + kBbsTab); }},
        {"paste",
         {175, 607},
         "1件の情報を貼り付けました",
         [this] { putClipboardBytes("pasted\tt\t1\ts\t2\tJan 01 00:00\t1\tHASHP\r\n"); },
         [this] { send(ID_EDIT_PASTE); }},
    };
    BoxCatcher boxes;
    for (const WindowCommand& c : commands) {
        SCOPED_TRACE(c.name);
        reset(c.prepare);
        boxes.boxes.clear();
        const std::string before = shown();
        long allocations = 0;
        {
            twk::test::AllocationFailure count(-1);
            c.run();
            allocations = count.counted();
        }
        const std::string done = shown();
        ASSERT_NE(done, before);
        ASSERT_TRUE(boxes.boxes.empty());
        int failed = 0;
        for (long k = 0; k < allocations; ++k) {
            SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(allocations));
            reset(c.prepare);
            boxes.boxes.clear();
            {
                twk::test::AllocationFailure fail(k);
                c.run();
            }
            if (boxes.boxes.empty()) {
                EXPECT_EQ(shown(), done);
                continue;
            }
            ++failed;
            EXPECT_EQ(shown(), before);
            ASSERT_EQ(boxes.boxes.size(), 1u);
            bool named = false;
            for (int place : c.places)
                named = named || boxes.boxes[0] ==
                                     stamped("メモリの確保に失敗しました(" + std::to_string(place) + ")");
            EXPECT_TRUE(named) << boxes.boxes[0];
            EXPECT_NE(status(kStatusMessage), stamped(c.done));
        }
        EXPECT_GT(failed, 0);
    }
}

}  // namespace
}  // namespace twk::ui::test
