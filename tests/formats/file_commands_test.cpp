// The file commands' decisions against pages and dialogs that record: what the save question's answers lead
// to, which page a command acts on when the user acted while it asked, what the titles and the file history
// become.
#include "formats/file_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/entry_list.h"
#include "core/text.h"
#include "settings/history_list.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

// A row with its own hash.
void addRow(EntryList& list, const char* hash) {
    const char* texts[8] = {"row", "T", "1", "S", "3", "U", "1.0", hash};
    list.addEntry(makeEntry(texts, 8));
}

const std::string kRows =
    "a\tT\t1,024\t完全キャッシュ\t3\t12/01 10:00\t1.0\tH1\r\n"
    "b\tT\t2,048\t完全キャッシュ\t3\t12/01 10:00\t1.0\tH2\r\n";

// Pages left to right, each id given once; the dialogs answer from queues and let the test act while open.
class RecordingPages final : public FilePages, public FileDialogs {
  public:
    struct Tab {
        int id;
        std::string title;
        std::unique_ptr<EntryList> list;
        std::unique_ptr<test::FakeListView> view;
    };

    int add(ListKind kind, const std::string& title) {
        auto list = std::make_unique<EntryList>(kind);
        auto view = std::make_unique<test::FakeListView>();
        list->setView(view.get());
        tabs_.push_back({nextId_, title, std::move(list), std::move(view)});
        return nextId_++;
    }
    EntryList* listOf(int id) const { return list(indexOfPage(id)); }
    void select(int id) { current_ = indexOfPage(id); }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const Tab& tab : tabs_) out.push_back(tab.title);
        return out;
    }

    int count() const override { return static_cast<int>(tabs_.size()); }
    int current() const override { return current_; }
    int pageId(int index) const override { return valid(index) ? at(index).id : 0; }
    int indexOfPage(int id) const override {
        for (int i = 0; i < count(); ++i)
            if (at(i).id == id) return i;
        return -1;
    }
    EntryList* list(int index) const override { return valid(index) ? at(index).list.get() : nullptr; }
    std::string title(int index) const override { return valid(index) ? at(index).title : ""; }
    void setTitle(int index, const std::string& title) override {
        if (valid(index)) tabs_[static_cast<size_t>(index)].title = title;
    }
    bool insertList(std::unique_ptr<EntryList> list, const std::string& title) override {
        auto view = std::make_unique<test::FakeListView>();
        list->setView(view.get());
        tabs_.insert(tabs_.begin(), Tab{nextId_++, title, std::move(list), std::move(view)});
        current_ = 0;
        return true;
    }
    void remove(int index) override {
        if (!valid(index)) return;
        tabs_.erase(tabs_.begin() + index);
        if (current_ >= index && current_ > 0) --current_;
    }
    void showList(int, bool) override {}
    void focusList(int index) override { focused.push_back(pageId(index)); }
    void closing(EntryList&) override { ++closings; }
    void titlesChanged(bool) override {}

    bool chooseFile(bool save, const std::string&, std::string& chosen) override {
        events.push_back(save ? "save dialog" : "open dialog");
        if (whileOpen) std::exchange(whileOpen, nullptr)();
        if (chosen_.empty() || chosen_.front().empty()) return false;
        chosen = chosen_.front();
        chosen_.pop_front();
        return true;
    }
    SaveAnswer askSave(const std::string& question) override {
        events.push_back(question);
        if (whileOpen) std::exchange(whileOpen, nullptr)();
        if (answers.empty()) return SaveAnswer::No;
        const SaveAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool exists(const std::string& path) override {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f) std::fclose(f);
        return f != nullptr;
    }

    void choose(std::initializer_list<std::string> paths) { chosen_.assign(paths); }

    std::deque<SaveAnswer> answers;
    std::function<void()> whileOpen;  // what the user does while the next dialog or question is open
    std::vector<std::string> events;
    std::vector<int> focused;
    int closings = 0;

  private:
    bool valid(int index) const { return index >= 0 && index < count(); }
    const Tab& at(int index) const { return tabs_[static_cast<size_t>(index)]; }
    std::vector<Tab> tabs_;
    std::deque<std::string> chosen_;
    int current_ = 0;
    int nextId_ = 1;
};

// Two normal lists in front of the ignore list, as the window has them after 新規リスト作成.
class FileCommandsTest : public ::testing::Test {
  protected:
    FileCommandsTest() {
        history_.reset(10);
        second_ = pages_.add(ListKind::Normal, "新規リスト02");
        first_ = pages_.add(ListKind::Normal, "新規リスト01");
        ignore_ = pages_.add(ListKind::Ignore, "無視リスト");
    }
    std::string file(const std::string& name, const std::string& bytes = kRows) {
        dir_.write(name, bytes);
        return dir_.path(name);
    }
    static std::string question(const std::string& name) { return name + " への変更を保存しますか？"; }
    // A page's list with rows that were never saved.
    EntryList& changed(int id) {
        EntryList& list = *pages_.listOf(id);
        list.setModified(true);
        return list;
    }

    test::TempFolder dir_;
    test::RecordingReporter reporter_;
    test::ScopedReporter scoped_{&reporter_};
    RecordingPages pages_;
    HistoryList history_;
    FileCommands files_{pages_, pages_, history_};
    int second_ = 0, first_ = 0, ignore_ = 0;
};

TEST_F(FileCommandsTest, TheSaveQuestionsAnswersLeadOnOrStop) {
    const struct {
        const char* name;
        bool modified, hasPath;
        SaveAnswer answer;
        const char* chosen;  // the save dialog's choice; "" cancels it; "missing/" a file that cannot be made
        bool proceeds, saved;
    } cases[] = {
        {"unchanged", false, true, SaveAnswer::Cancel, "", true, false},
        {"no", true, true, SaveAnswer::No, "", true, false},
        {"cancel", true, true, SaveAnswer::Cancel, "", false, false},
        {"yes", true, true, SaveAnswer::Yes, "", true, true},
        {"yes, without a path: save as", true, false, SaveAnswer::Yes, "chosen.txt", true, true},
        {"yes, save as cancelled", true, false, SaveAnswer::Yes, "", false, false},
        {"yes, file not written", true, false, SaveAnswer::Yes, "missing/chosen.txt", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPages pages;
        HistoryList history;
        history.reset(10);
        FileCommands files(pages, pages, history);
        const int id = pages.add(ListKind::Normal, "新規リスト01");
        EntryList& list = *pages.listOf(id);
        const std::string own = dir_.path("own.txt");
        if (c.hasPath) list.setPath(own);
        addRow(list, "H9");
        list.setModified(c.modified);
        pages.answers = {c.answer};
        const std::string chosen = *c.chosen ? dir_.path(c.chosen) : "";
        pages.choose({chosen});
        EXPECT_EQ(files.confirmSaveChanges(id), c.proceeds);
        if (c.modified) {
            EXPECT_EQ(pages.events.front(), question(c.hasPath ? own : "新規リスト01"));
        }
        EXPECT_EQ(!list.modified(), c.saved || !c.modified);
        EXPECT_EQ(pages.exists(c.hasPath ? own : chosen), c.saved);
        if (c.saved && !c.hasPath) {
            EXPECT_EQ(pages.titles()[0], fileNamePart(chosen));
        }
    }
}

// The user acts while a command asks: a close makes another list current and asks about it, or removes the
// page the command asked about. The command then acts on its own page, or on none.
TEST_F(FileCommandsTest, ACommandActsOnThePageItAskedAbout) {
    enum Meanwhile { OtherCurrent, PageGone };
    const std::string saved = file("saved.txt");
    const struct {
        const char* name;
        std::function<void(FileCommands&)> command;
        Meanwhile meanwhile;
        int firstCount;  // rows of 新規リスト01's list after the command; -1: its page is gone
        const char* firstTitle;
    } cases[] = {
        {"閉じる", [](FileCommands& f) { f.closeList(); }, OtherCurrent, -1, nullptr},
        {"閉じる, page gone", [](FileCommands& f) { f.closeList(); }, PageGone, -1, nullptr},
        {"履歴", [](FileCommands& f) { f.openHistoryEntry(0); }, OtherCurrent, 2, "saved.txt"},
        {"履歴, page gone", [](FileCommands& f) { f.openHistoryEntry(0); }, PageGone, -1, nullptr},
        {"開く", [](FileCommands& f) { f.open(); }, OtherCurrent, 2, "saved.txt"},
        {"追加で開く", [](FileCommands& f) { f.openAdd(); }, OtherCurrent, 3, "saved.txt"},
        {"追加で開く, page gone", [](FileCommands& f) { f.openAdd(); }, PageGone, -1, nullptr},
        {"名前を付けて保存", [](FileCommands& f) { f.saveAs(); }, OtherCurrent, 1, "as"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPages pages;
        HistoryList history;
        history.reset(10);
        history.pushFront(saved);
        FileCommands files(pages, pages, history);
        const int second = pages.add(ListKind::Normal, "新規リスト02");
        const int first = pages.add(ListKind::Normal, "新規リスト01");
        addRow(*pages.listOf(first), "H8");
        addRow(*pages.listOf(second), "H9");
        pages.select(first);
        pages.choose({saved, saved});
        if (std::string(c.name) == "名前を付けて保存") pages.choose({dir_.path("as")});
        pages.whileOpen = [&] {
            if (c.meanwhile == OtherCurrent)
                pages.select(second);
            else
                pages.remove(pages.indexOfPage(first));
        };
        c.command(files);
        EXPECT_EQ(pages.listOf(second)->count(), 1);
        EXPECT_EQ(pages.title(pages.indexOfPage(second)), "新規リスト02");
        EntryList* list = pages.listOf(first);
        EXPECT_EQ(list ? list->count() : -1, c.firstCount);
        if (c.firstTitle) {
            EXPECT_EQ(pages.title(pages.indexOfPage(first)), fileNamePart(dir_.path(c.firstTitle)));
        }
        // The counts shown and the focus are the current page's.
        EXPECT_TRUE(pages.focused.empty());
    }
}

TEST_F(FileCommandsTest, OpeningTakesTheTitleAndTheHistoryAndLeavesNoEmptyPage) {
    const std::string a = file("a.txt"), b = file("b.txt", "c\tT\t1\tS\t5\tU\t1.0\tH3\r\n");
    pages_.select(first_);
    pages_.choose({a, b});
    files_.open();
    files_.openAdd();
    EntryList& list = *pages_.listOf(first_);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.path(), b);
    EXPECT_TRUE(list.modified());
    EXPECT_EQ(pages_.title(pages_.indexOfPage(first_)), fileNamePart(b));
    EXPECT_EQ(history_.entry(0), b);
    EXPECT_EQ(history_.entry(1), a);
    EXPECT_EQ(reporter_.status[kStatusMessage].substr(11), b + " から1件の情報を読み込みました");
    EXPECT_EQ(pages_.focused, (std::vector<int>{first_, first_}));

    // 新規に開く: a new list in front that uses the ignore list; a file that is not there leaves nothing.
    pages_.choose({a, dir_.path("gone.txt")});
    files_.openNew();
    ASSERT_EQ(pages_.count(), 4);
    EXPECT_EQ(pages_.list(0)->count(), 2);
    EXPECT_TRUE(pages_.list(0)->usesFilter(pages_.listOf(ignore_)));
    files_.openNew();
    EXPECT_EQ(pages_.count(), 4);
    EXPECT_EQ(pages_.current(), 0);

    // Dropped: folders are skipped, and the first file that opens ends the walk.
    changed(second_);
    pages_.select(second_);
    files_.openDropped(second_, {{dir_.path("gone.txt"), false}, {a, true}, {b, false}, {a, false}});
    EXPECT_EQ(pages_.listOf(second_)->count(), 1);
    EXPECT_EQ(pages_.listOf(second_)->path(), b);
    EXPECT_EQ(pages_.events.back(), question("新規リスト02"));

    // Nothing opens into the ignore list.
    pages_.select(ignore_);
    pages_.choose({a});
    files_.open();
    EXPECT_EQ(pages_.listOf(ignore_)->count(), 0);
}

TEST_F(FileCommandsTest, ANewListTakesTheFirstFreeNumber) {
    const struct {
        std::vector<const char*> taken;  // titles of further normal lists
        const char* name;
    } cases[] = {
        {{}, "新規リスト03"},
        {{"新規リスト04"}, "新規リスト03"},
        {{"新規リスト03", "新規リスト05"}, "新規リスト04"},
    };
    for (const auto& c : cases) {
        RecordingPages pages;
        HistoryList history;
        FileCommands files(pages, pages, history);
        pages.add(ListKind::Normal, "新規リスト01");
        pages.add(ListKind::Normal, "新規リスト02");
        for (const char* title : c.taken) pages.add(ListKind::Normal, title);
        pages.add(ListKind::Ignore, "新規リスト03x");
        files.newList();
        EXPECT_EQ(pages.title(0), c.name);
        EXPECT_EQ(pages.current(), 0);
    }
    // With every number taken the last one is used again.
    RecordingPages pages;
    HistoryList history;
    FileCommands files(pages, pages, history);
    char name[32];
    for (int n = 1; n <= 99; ++n) {
        std::snprintf(name, sizeof name, "新規リスト%2.2d", n);
        pages.add(ListKind::Normal, name);
    }
    files.newList();
    EXPECT_EQ(pages.title(0), "新規リスト99");
}

TEST_F(FileCommandsTest, SavingWritesAnyListWithAPathAndAnEmptyListSilently) {
    // 上書き保存 of the ignore list writes its file; the history keeps only normal lists' files.
    EntryList& ignore = changed(ignore_);
    ignore.setPath(dir_.path("IgnoreList.txt"));
    addRow(ignore, "H9");
    pages_.select(ignore_);
    files_.save();
    EXPECT_FALSE(ignore.modified());
    EXPECT_TRUE(pages_.exists(ignore.path()));
    EXPECT_EQ(history_.count(), 0);

    // 名前を付けて保存 of an empty list: the file is made and the path taken, the title and state stay.
    EntryList& empty = changed(first_);
    pages_.select(first_);
    const std::string path = dir_.path("empty.txt");
    pages_.choose({path});
    reporter_.status[kStatusMessage] = "";
    files_.saveAs();
    EXPECT_EQ(empty.path(), path);
    EXPECT_TRUE(empty.modified());
    EXPECT_EQ(pages_.title(1), "新規リスト01");
    EXPECT_EQ(dir_.read("empty.txt"), "");
    EXPECT_EQ(reporter_.status[kStatusMessage], "");

    // 閉じる: the collection hears of it first; Cancel keeps the page.
    pages_.answers = {SaveAnswer::Cancel};
    files_.closeList();
    EXPECT_EQ(pages_.closings, 1);
    EXPECT_EQ(pages_.indexOfPage(first_), 1);
}

TEST(PathPartsTest, SplitAfterTheLastSeparatorStepOverDoubleByteCharacters) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    // "ソ" and "表" end with the byte of "\".
    const Case cases[] = {
        {"C:\\ソフト\\表.txt", "C:\\ソフト\\", "表.txt"},
        {"C:\\ソフト\\表", "C:\\ソフト\\", "表"},
        {"C:\\dir\\", "C:\\dir\\", ""},
        {"name.txt", "", "name.txt"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(folderPart(c.path), c.folder);
        EXPECT_EQ(fileNamePart(c.path), c.name);
    }
}

}  // namespace
}  // namespace twk
