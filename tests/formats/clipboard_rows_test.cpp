// The clipboard commands against a clipboard that keeps its text: the line forms copied, cut that waits for
// the clipboard, and list lines pasted.
#include "formats/clipboard_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "support/fakes.h"

namespace twk::test {
namespace {

class KeepingClipboard final : public Clipboard {
  public:
    bool put(const char* data, std::size_t length) override {
        if (refuses) return false;
        text.assign(data, length);
        held = true;
        return true;
    }
    bool read(std::string& out) override {
        out = text;
        return held;
    }
    bool sortPasted() const override { return false; }

    std::string text;
    bool held = false;
    bool refuses = false;
};

class ClipboardRowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pages_.addRows(0, 3);
        pages_.view(0)->select({0, 2});
    }
    std::string message() const { return reporter_.status[kStatusMessage]; }

    FakeRowPages pages_{"N-"};
    KeepingClipboard clipboard_;
    ClipboardRows rows_{pages_, clipboard_};
    RecordingReporter reporter_;
    ScopedReporter scopedReporter_{&reporter_};
    FixedClock clock_{makeTime(2024, 5, 1, 12, 34, 56)};
    ScopedClock scopedClock_{&clock_};
};

TEST_F(ClipboardRowsTest, EachCopyPutsTheSelectedRowsInItsLineForm) {
    struct Case {
        const char* name;
        std::function<void(ClipboardRows&)> run;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"names", [](ClipboardRows& r) { r.copyNames(); }, "row0\r\nrow2\r\n", "2件の情報をコピーしました"},
        {"hashes", [](ClipboardRows& r) { r.copyHashes(); }, "hash0\r\nhash2\r\n",
         "2件の情報をコピーしました"},
        {"trips", [](ClipboardRows& r) { r.copyTrips(); }, "trip\r\ntrip\r\n", "2件の情報をコピーしました"},
        {"download list", [](ClipboardRows& r) { r.copyDownload(); }, nullptr,
         "2件の情報をダウンリスト形式でコピーしました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.run(rows_);
        if (c.text) {
            EXPECT_EQ(clipboard_.text, c.text);
        }
        EXPECT_EQ(message(), std::string("[12:34:56] ") + c.message);
    }
    EXPECT_EQ(pages_.names(0).size(), 3u);
}

TEST_F(ClipboardRowsTest, NothingIsCopiedOrCutWithoutASelectedRowOrOnAPageWithoutRows) {
    pages_.current = 1;
    rows_.copy();
    rows_.cut();
    pages_.current = 0;
    pages_.view(0)->setAllSelected(false);
    rows_.copy();
    rows_.cut();
    EXPECT_FALSE(clipboard_.held);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(pages_.names(0).size(), 3u);
}

TEST_F(ClipboardRowsTest, CutTakesTheRowsOnlyOnceTheClipboardHoldsThem) {
    clipboard_.refuses = true;
    rows_.cut();
    EXPECT_EQ(pages_.names(0).size(), 3u);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(pages_.focused, 0);

    clipboard_.refuses = false;
    rows_.cut();
    EXPECT_EQ(pages_.names(0), (std::vector<std::string>{"row1"}));
    EXPECT_EQ(message(), "[12:34:56] 2件の情報を切り取りました");
    EXPECT_EQ(pages_.focused, 1);
}

TEST_F(ClipboardRowsTest, PastedLinesBecomeRowsOfTheListAndMarkItChanged) {
    rows_.cut();
    pages_.tabList(0)->setModified(false);
    rows_.paste();
    EXPECT_EQ(pages_.names(0).size(), 3u);
    EXPECT_TRUE(pages_.tabList(0)->modified());
    EXPECT_EQ(message(), "[12:34:56] 2件の情報を貼り付けました");

    // A clipboard without text adds nothing and leaves the list unchanged.
    clipboard_.held = false;
    pages_.tabList(0)->setModified(false);
    rows_.paste();
    EXPECT_EQ(pages_.names(0).size(), 3u);
    EXPECT_FALSE(pages_.tabList(0)->modified());
    EXPECT_EQ(message(), "[12:34:56] 0件の情報を貼り付けました");
}

}  // namespace
}  // namespace twk::test
