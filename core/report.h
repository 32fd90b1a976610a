// Reporting: the status bar's three parts and the error box. The engine formats; the platform shows.
#pragma once

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
// With no format part 2 becomes empty; otherwise "[hh:mm:ss] " followed by the formatted text. Returns 1.
int showMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same time-stamped text in the error box, owned by the main window. Returns 1.
int errorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As errorBox, without an owner (used while the window does not exist yet).
int errorBoxOwnerless(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Message texts used by the engine itself.
extern const char* const kMsgAllocationFailed;  // "メモリの確保に失敗しました(%d)"
// A file that could not be read, or not be written (the path in place of %s).
extern const char* const kMsgCannotOpen;   // "%s が開けませんでした"
extern const char* const kMsgCannotWrite;  // "%s に書き込めませんでした"

}  // namespace twk
