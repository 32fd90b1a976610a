// Reporting: the status bar's three parts and the error box. The engine formats; the platform shows.
#pragma once

#include <new>

namespace twk {

class ListViewOps;

// Status bar parts.
enum StatusPart { kStatusCounts = 0, kStatusCollecting = 1, kStatusMessage = 2 };

class Reporter {
  public:
    virtual ~Reporter() = default;
    virtual void setStatusText(int part, const char* text) = 0;
    // A modal box with the caption "Debug Message" and an OK button; returns when it is closed.
    virtual void showErrorBox(const char* text, bool ownerless) = 0;
};

// The reporter in force; the default one discards everything. nullptr restores it. Returns the previous one.
Reporter& reporter();
Reporter* setReporter(Reporter* r);

// Status and error texts are built in a buffer of this size (longer texts are cut).
constexpr int kReportBufferSize = 520;

// Part 0 becomes "Hit数:%d  選択数:%d" with the view's item and selected counts. Returns 1.
int showCounts(const ListViewOps* view);
// The same with the counts known.
int showCounts(int items, int selected);
// With no format part 2 becomes empty; otherwise "[hh:mm:ss] " followed by the formatted text. Returns 1.
int showMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same time-stamped text in the error box, owned by the main window. Returns 1.
int errorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As errorBox, without an owner (used while the window does not exist yet).
int errorBoxOwnerless(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Message texts used by the engine itself.
extern const char* const kMsgAllocationFailed;  // "メモリの確保に失敗しました(%d)"

// The number the memory message shows: it names the place whose allocation failed. Every number the program
// reports is in this table.
enum class MemoryPlace : int {
    AddRow = 175,       // a row added to a list
    NewList = 116,      // 新規リスト作成
    OpenedAsNew = 239,  // 新規に開く
    StartLists = 484,   // the three lists made at start-up
    // Commands: the list they work on is as it was after the message.
    WindowMessage = 600,  // any other message of a window or dialog
    Search = 601,
    Sort = 602,
    MoveRows = 603,
    DeleteRows = 604,
    ClearList = 605,
    Selection = 606,  // select all, invert, clear the selection, select marked, mark selected
    Paste = 607,
    OpenFile = 608,  // 開く, 追加で開く, a history entry, a dropped file
    Collect = 609,
    FilterLink = 610,
    Copy = 611,  // copies to the clipboard and 切り取り
    SaveFile = 612,
    PageCommand = 613,  // the other commands of the menus and pages
    ExportDownList = 40014,
    ExportIgnoreFile = 40047,
};

// Reports the memory message with the number of `place` in the error box. Returns 1.
int reportAllocationFailure(MemoryPlace place);
// How many memory messages were reported so far: an operation of many steps stops at the first one.
int allocationFailuresReported();

// Runs work(); when an allocation in it fails, reports the memory message for `place`. Returns whether the
// work ran to its end. The work leaves what it works on as it was when it throws.
template <class Work>
bool guardAllocation(MemoryPlace place, Work&& work) {
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        reportAllocationFailure(place);
        return false;
    }
}

// A file that could not be read, or not be written (the path in place of %s).
extern const char* const kMsgCannotOpen;   // "%s が開けませんでした"
extern const char* const kMsgCannotWrite;  // "%s に書き込めませんでした"

}  // namespace twk
