// The automatic collection and the manual get: every decision of a start, a cycle, the rotation of the search
// word over the list tabs and a stop. The window gives it its timer and its controls; it reaches the host,
// the tabs, the live options and the window's parts of a start and a stop through CollectionWorld.
#pragma once

#include <cstdint>

namespace twk {

class EntryList;

// The options as the settings page holds them when they are read.
struct CollectionOptions {
    int interval = 0;  // seconds between cycles; below 1 nothing starts
    bool autoSearch = false;
    bool rotate = false;
    int tabMove = 3;  // 1 never, 2 at the start, 3 after errorCount empty cycles
    int errorCount = 0;
    bool moveAtStart = false;  // the manual get shows the host's search tab first
    bool autoSort = false;
};

struct CollectionState {
    bool running = false;
    bool rotate = false;
    EntryList* target = nullptr;
    int targetPage = 0;  // the id of the target's page
    bool autoSearch = false;
    int tabMove = 3;
    int errorCount = 0;
    int failures = 0;  // consecutive cycles that saw no record
};

class CollectionWorld {
  public:
    virtual ~CollectionWorld() = default;

    // The host. findSearchButton shows a box naming what is missing when it is not there.
    virtual bool findSearchButton() = 0;
    // Rows added to the list, or -1 when the host cannot be reached; `seen`: the records of an accepted
    // status.
    virtual int collect(EntryList& list, bool autoSort, int& seen) = 0;
    virtual void pressSearch() = 0;
    virtual void showSearchTab() = 0;

    // The tabs, left to right, and the host words of their pages.
    virtual int pageCount() const = 0;
    virtual int currentPage() const = 0;
    virtual int pageId(int index) const = 0;
    virtual EntryList* pageList(int index) const = 0;
    virtual bool hasHostWord(int index) const = 0;
    // The page's word to the host, which searches with it; the host's word into the page.
    virtual void sendHostWord(int index) = 0;
    virtual void fetchHostWord(int index) = 0;

    // The live options; false when there is no settings page.
    virtual bool readOptions(CollectionOptions& options) = 0;

    // The window's part: the options fixed and the indicator shown while running; the command states; the
    // timer with the tray's collecting icon.
    virtual void showRunning(bool running) = 0;
    virtual void updateCommands() = 0;
    virtual void startTimer(std::uint32_t milliseconds) = 0;
    virtual void stopTimer() = 0;
};

class Collection {
  public:
    explicit Collection(CollectionWorld& world) : world_(world) {}
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    const CollectionState& state() const { return state_; }
    // For tests of the window's command states.
    CollectionState& state() { return state_; }
    // Whether the collection keeps the commands of the list from it: it runs into another list, not rotating.
    bool blocks(const EntryList* list) const {
        return state_.running && state_.target != list && !state_.rotate;
    }

    // Into the current page's normal list; the first cycle at once unless rotating.
    void start();
    void stop();
    // One cycle (the timer's). A cycle never starts inside another one, whose boxes keep the timer going.
    void cycle();
    // Once into the current list: rows added, 0 when it takes none, -1 when the host cannot be reached.
    int manualGet();
    // A list that goes away takes itself out of the collection: a collection into it stops.
    void forgetList(const EntryList* list);
    // The window went: nothing is left to update, and a start whose box was open then starts nothing.
    void windowGone();

  private:
    void rotate();
    // Not running, into no list.
    void clear();

    CollectionWorld& world_;
    CollectionState state_;
    bool collecting_ = false;
    bool windowGone_ = false;
};

}  // namespace twk
