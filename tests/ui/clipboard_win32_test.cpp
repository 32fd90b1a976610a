// Rows through the clipboard.
#include <algorithm>

#include "tests/ui/window_fixture_win32.h"

namespace twk::ui::test {
namespace {

class ClipboardTest : public WindowTest {
  protected:
};

TEST_F(ClipboardTest, CutAndPasteMoveRowsBetweenLists) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 5);
    selectItems(0, {1, 2, 4});
    SendMessageW(view(0), WM_KEYDOWN, 'X', 0);  // without Control: nothing
    EXPECT_EQ(list.count(), 5);
    send(ID_EDIT_CUT);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(status(kStatusMessage), stamped("3件の情報を切り取りました"));
    std::string text = clipboardBytes();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_EQ(text.compare(0, 6, "row01\t"), 0);

    while (main_->tabs().current() != 3) send(ID_NEXTTAB, true);
    send(ID_EDIT_PASTE);
    EntryList& bbs = *main_->tabs().pageList(3);
    EXPECT_EQ(bbs.count(), 3);
    EXPECT_EQ(SendMessageW(view(3), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_TRUE(bbs.modified());
    EXPECT_EQ(status(kStatusMessage), stamped("3件の情報を貼り付けました"));
    // The same rows again: known hashes add nothing, and that is reported too.
    send(ID_EDIT_PASTE);
    EXPECT_EQ(bbs.count(), 3);
    EXPECT_EQ(status(kStatusMessage), stamped("0件の情報を貼り付けました"));
}

TEST_F(ClipboardTest, CopyFormsAndShortLines) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 3);
    selectItems(0, {2});
    send(ID_COPY_KEYINFO);
    EXPECT_EQ(clipboardBytes(), "row02 trip 998 00000000000000000000000000000002\r\n");
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報をコピーしました"));
    send(ID_COPY_NAMES);
    EXPECT_EQ(clipboardBytes(), "row02\r\n");
    EXPECT_EQ(list.count(), 3);  // copying leaves the list alone

    // Nothing selected: the clipboard keeps what it had and nothing is reported.
    send(ID_EDIT_CLEARSEL);
    main_->statusBar().setText(kStatusMessage, "");
    send(ID_EDIT_COPY);
    EXPECT_EQ(clipboardBytes(), "row02\r\n");
    EXPECT_EQ(status(kStatusMessage), "");

    // Seven fields are not a row here; eight are.
    putClipboardBytes("a\tb\tc\td\te\tf\tg\r\nn\tt\t1\ts\t2\tJan 01 00:00\t1\tHASH8\r\n");
    send(ID_EDIT_PASTE);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報を貼り付けました"));
}

}  // namespace
}  // namespace twk::ui::test
