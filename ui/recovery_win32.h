// The window's half of the recovery journal (recovery/journal.h): it starts the journal with the window,
// brings back what the last run left in it (the one question of the start), attaches every list of a tab,
// tells it of titles, saves and the conditions, runs its points and flushes on the window's timers and feeds
// it the end of the Windows session and the clean close.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace twk {
class ConditionList;
class EntryList;
class Journal;
}  // namespace twk

namespace twk::ui {

class ListTabSet;
class Page;

class RecoveryWindow final {
  public:
    struct Parts {
        ListTabSet& tabs;
        ConditionList& conditions;
        // A page for a normal list.
        std::function<std::unique_ptr<Page>()> makeListPage;
        // After restored lists or conditions came: the command states and the conditions' destinations.
        std::function<void()> listsChanged;
    };
    explicit RecoveryWindow(Parts parts);
    ~RecoveryWindow();
    RecoveryWindow(const RecoveryWindow&) = delete;
    RecoveryWindow& operator=(const RecoveryWindow&) = delete;

    // Answers the start's question instead of a message box (IDYES or IDNO); for tests.
    void setQuestion(std::function<int(const std::string&)> answer) { question_ = std::move(answer); }
    // The journal, once started; for tests.
    Journal* journal() const { return journal_.get(); }

    // The start, once the start pages exist and the fixed lists and the conditions were read from their
    // files: reads the journal in `programFolder`'s journal folder (when `enabled`), brings back the fixed
    // lists and the conditions, asks about the unsaved lists and adds a tab for each when the answer is Yes,
    // then attaches every list. `conditionsKnown`: the conditions held are their file's (ConditionFile).
    void start(HWND window, const std::string& programFolder, bool enabled, bool conditionsKnown);

    // A list that came with a page, or goes with its page (the user's choice: its part goes too).
    void listCame(EntryList& list);
    void listGoing(const EntryList* list);
    // The conditions were read from their file or written to it (condition page, close).
    void conditionsWritten();
    // After a command, a collection cycle or a change of the conditions: titles, saves and the conditions
    // reach the journal, and a point is due within the point timer's delay when anything changed.
    void changed();
    // The window's timers: true when `id` was one of the journal's.
    bool onTimer(UINT_PTR id);
    // A point and its flush at once; true when everything is written and flushed.
    bool pointNow();
    // The end of the Windows session: a point and a flush before the program answers.
    void endSession();
    // Only what earlier points wrote goes to the disk: for a session that ends while long work holds the
    // lists.
    void flushWritten();
    // The end of a close (asked: its questions were answered; not asked: the end of the session) wrote
    // these to their files: their parts go. A close that asked leaves no journal, unless a fixed list or the
    // conditions could not be written: the journal keeps those for the next start. A close that did not ask
    // keeps every unsaved list in it.
    void closed(bool asked, bool ignoreWritten, bool bbsWritten, bool conditionsWritten);
    // The window is gone: no timer, no point from now on.
    void windowGone();

  private:
    struct Tracked {
        const EntryList* list;
        std::string title;
        bool modified;
    };
    bool live() const;
    void restore(const std::string& programFolder);
    bool ask(int lists);
    void attach(EntryList& list, int index);
    void sync();
    void armPoint(UINT delay);
    void afterPoint();

    Parts parts_;
    HWND window_ = nullptr;
    std::unique_ptr<Journal> journal_;
    std::function<int(const std::string&)> question_;
    bool started_ = false;
    bool stopped_ = false;
    bool pointArmed_ = false;
    bool flushArmed_ = false;
    std::vector<Tracked> tracked_;
    std::string conditionsText_;  // as the journal was last told
    bool conditionsFileKnown_ = false;
    std::string conditionsFileText_;  // as the file holds them, when known
};

}  // namespace twk::ui
