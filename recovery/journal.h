// The recovery journal: while the program runs it keeps, in a folder of its own beside the program, what a
// crash, a kill, a power cut or the end of the Windows session would otherwise lose: every normal list with
// unsaved changes (title, path, rows in display order with every field and search mark, sort state), the
// ignore list and the BBS list while they differ from their files, and the conditions' text while it differs
// from its file. The next start reads it back.
//
// It hears of the lists' changes through their observer (core/list_observer.h) and writes only what changed
// since the last point: rows added, removed, sorted, merged, the marks of a list. A point is a group of
// records closed by a commit record; every record carries its length and a checksum; the reader takes whole
// points only and stops at the first torn or damaged record, so that it yields the state of the last whole
// point and never a mixed one. When the file has grown past about twice the lists' own text, at most once
// every few minutes, a point rewrites it from the lists instead (a temporary file flushed and moved over it).
//
// A write that fails (disk full, a read-only folder, a file held open) is reported once in the status bar
// (showMessage), kept in memory and tried again at later points; nothing of it reaches a list or a command.
// Everything runs on the calling (GUI) thread; nothing here throws except std::bad_alloc from readAtStart.
//
// How the window uses it:
//   start     Journal journal(folder, enabled);             // folder: program folder + kJournalFolderName
//             JournalFindings found = journal.readAtStart(); // before anything else runs
//             show found.notice when it is not empty (the journal was set aside);
//             the ignore list, the BBS list and the conditions take their journaled state without a question
//             (takeRecoveredRows for the lists; then showMessage(kMsgJournalFixedRestored));
//             when found.lists is not empty, ask kMsgJournalQuestion with found.lists.size():
//               Yes: a tab per recovered list after the start pages (title, takeRecoveredRows), then adopt();
//               No:  decline() (the old journal becomes the one older generation).
//             With no question to ask, adopt().
//   tracking  attach() every list as its page is made (the three start lists, each new, opened or restored
//             tab); detach() when a tab closes without its rows being saved; saved() after a list's file was
//             written; renamed() when a tab's title changes otherwise; conditionsChanged() with the whole
//             text whenever the conditions change, conditionsSaved() when their file was written.
//   timers    setChangeCallback(): called when the journal goes from nothing to write to something to write;
//             arm a timer then that calls point() within 2 seconds. After point(), while flushPending(), make
//             sure flush() runs at most about 8 seconds later. pointPending() may be polled after commands as
//             well (it also sees a changed path, modified flag or sort state, which have no callback).
//   log-off   WM_QUERYENDSESSION: endSession() (a point and a flush) before answering. Once the three list
//             files are written, saved() for the ignore and BBS lists and conditionsSaved() may follow with
//             another endSession(); the unsaved normal lists stay in the journal.
//   close     once the save questions are answered and the files written: endClean() (removes the journal).
// Call readAtStart() before the first point: a journal found on the disk is only replaced after it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/entry.h"

namespace twk {

class Clock;
class EntryList;

// The folder beside the program that holds the journal.
extern const char* const kJournalFolderName;  // "Recovery"
// The journal's file in that folder, the one older generation a declined journal becomes, and the prefix of
// the name an unusable journal is set aside under (followed by a number and kJournalFileName).
extern const char* const kJournalFileName;        // "journal.twj"
extern const char* const kJournalOlderFileName;   // "journal.1.twj"
extern const char* const kJournalSetAsidePrefix;  // "unusable-"

// Texts of the start.
extern const char* const kMsgJournalQuestion;  // "保存されずに終わったリストが%d件あります。復元しますか？"
extern const char* const kMsgJournalFixedRestored;  // the ignore/BBS lists or conditions were brought back
extern const char* const kMsgJournalSetAside;       // "%s" is the set-aside file's path

// One list as the journal's last whole point kept it.
struct RecoveredList {
    ListKind kind = ListKind::Normal;
    std::string title;  // the tab's title (empty for the ignore and BBS lists)
    std::string path;   // its file, or empty for a list never saved
    // The rows in display order with their texts and search marks, the sort column and direction, the path;
    // modified() is true. No view, no filter links.
    std::unique_ptr<EntryList> rows;
};

struct JournalFindings {
    // The normal lists with unsaved changes, in the order their tabs were attached.
    std::vector<RecoveredList> lists;
    // The ignore list and the BBS list when the journal kept them (rows null otherwise).
    RecoveredList ignoreList, bbsList;
    bool hasConditions = false;
    std::string conditions;  // the conditions' whole text, as conditionsChanged() was given it
    // A line for the status bar when not empty: the journal could not be used and was set aside (renamed,
    // never deleted). Nothing was found then.
    std::string notice;

    bool hasFixed() const;  // the ignore list, the BBS list or the conditions came back
    bool empty() const { return lists.empty() && !hasFixed(); }
};

// Gives `into` (a list of the window, with or without rows and a view) the recovered rows: its rows go
// (emptied() runs then, for its view, as in replaceWithListFile), it takes every row of `from` in order with
// their marks, from's sort state and path, and is marked modified. `from` is left empty.
void takeRecoveredRows(EntryList& into, EntryList& from, const std::function<void()>& emptied);

class Journal {
  public:
    // folder: the journal's folder (cp932 path ending with its separator, as the program folder's path does);
    // it is made when the first point has something to write. A journal that is not enabled reads, writes and
    // renames nothing: every call below then does nothing. `clock` paces compaction and retries (tests give a
    // fake one).
    Journal(std::string folder, bool enabled);
    Journal(std::string folder, bool enabled, const Clock& clock);
    ~Journal();  // forgets the attached lists; writes nothing
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    bool enabled() const { return enabled_; }
    // The journal file's path.
    const std::string& filePath() const { return file_; }

    // --- The start
    // ------------------------------------------------------------------------------------------- Reads the
    // journal once (an enabled journal that finds no file finds nothing). A journal that cannot be read or
    // makes no sense is set aside, and `notice` says where. The old file stays until adopt() or decline() and
    // the first point.
    JournalFindings readAtStart();
    // What was found is taken (or there was no question): the first point replaces the old journal with the
    // lists as they are then.
    void adopt();
    // The user declined: the old journal becomes the one older generation (kJournalOlderFileName, replacing
    // an older one), so that it can still be taken back by hand; the journal starts afresh.
    void decline();

    // --- Tracking
    // ---------------------------------------------------------------------------------------------- The
    // journal watches the list from now on (it becomes the list's observer) under the tab title. A list of
    // any kind; normal lists are kept while modified(), the ignore and BBS lists likewise (they are modified
    // while they differ from their files).
    void attach(EntryList& list, std::string title);
    // The tab closes without its rows being saved (or after they were): its part is dropped at the next
    // point.
    void detach(EntryList& list);
    // The list's file was just written (its path is the list's path now): its part is dropped; the title may
    // be new. Later changes start a new part (the whole list, then its changes).
    void saved(EntryList& list, std::string title);
    void renamed(EntryList& list, std::string title);
    void conditionsChanged(std::string text);
    void conditionsSaved();

    // --- Writing
    // ----------------------------------------------------------------------------------------------- Called
    // (once) when something changes after everything was written: the window arms its point timer.
    void setChangeCallback(std::function<void()> changed);
    // Whether point() has anything to write (changes, a pending rewrite, or a write to try again).
    bool pointPending() const;
    // Writes what changed since the last point as one point (or rewrites the file, see above). Never throws;
    // a failure is reported once and tried again at a later point.
    void point();
    // Whether bytes were written since the last flush.
    bool flushPending() const;
    // Flushes the written bytes to the disk (FlushFileBuffers).
    void flush();
    // The end of the Windows session: a point and a flush, at once.
    void endSession();
    // A clean close: the journal's file is removed and nothing more is written.
    void endClean();

    // For tests and diagnostics: the file's size as written, and whether a write failure is outstanding.
    std::uint64_t fileBytes() const;
    bool failing() const;

  private:
    class Impl;
    std::string folder_;
    std::string file_;
    bool enabled_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace twk
