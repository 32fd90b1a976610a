// A main window in the test process, in a folder of its own (settings and list files go there).
#pragma once

#include <windows.h>
// The shell and control declarations need the base declarations first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/report.h"
#include "resources/resource.h"
#include "support/fakes.h"
#include "ui/main_window_win32.h"
#include "ui/text_win32.h"

namespace twk::ui::test {

std::string makeTempFolder();
void removeFolder(const std::string& folder);
// A drop of these paths as the shell hands it over (UTF-16).
HDROP makeDrop(const std::vector<std::wstring>& paths);

// Passes status texts on to the window's own reporter and keeps the error boxes instead of showing them;
// `whileOpen` runs where the user could act while a box is open.
class BoxCatcher final : public Reporter {
  public:
    BoxCatcher() : next_(setReporter(this)) {}
    ~BoxCatcher() override { setReporter(next_); }
    void setStatusText(int part, const char* text) override { next_->setStatusText(part, text); }
    void showErrorBox(const char* text, bool) override {
        boxes.push_back(text);
        if (whileOpen) whileOpen();
    }
    std::vector<std::string> boxes;
    std::function<void()> whileOpen;

  private:
    Reporter* next_;
};

// What ends the program while a command's box or question is open: 終了 (the tray menu's too), the window's
// close and a log-off.
struct Interruption {
    const char* name;
    UINT message;
    WPARAM wParam;
};
inline constexpr Interruption kInterruptions[] = {
    {"exit", WM_COMMAND, ID_FILE_EXIT}, {"close", WM_CLOSE, 0}, {"log-off", WM_QUERYENDSESSION, 0}};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates and shows the window (the settings written before are read now).
    MainWindow& start();
    // Closes the window as the user does (WM_CLOSE) and forgets it.
    void closeWindow();
    void writeSetting(const char* key, const char* value);
    std::string readSetting(const char* key);
    std::string iniPath() const { return folder_ + "TWK.ini"; }

    void send(int id, bool accelerator = false);
    void interrupt(const Interruption& end) {
        if (IsWindow(hwnd_)) SendMessageW(hwnd_, end.message, end.wParam, 0);
    }
    std::string status(int part) { return main_->statusBar().text(part); }
    // The message part as shown at the test clock's time.
    static std::string stamped(const std::string& text) { return "[12:34:56] " + text; }

    // Appends rows named row00, row01, ... with sizes and hashes that differ per row.
    static void addRows(EntryList& list, int n, int first = 0);
    HWND view(int tab);
    std::vector<int> selectedItems(int tab);
    void selectItems(int tab, std::initializer_list<int> items);
    bool menuGrey(HMENU menu, UINT item, UINT by) const;
    // The clipboard's text as cp932 bytes (CF_TEXT) or in UTF-16, and text put there as another program does.
    std::string clipboardBytes();
    std::wstring clipboardUnicode();
    void putClipboardBytes(const std::string& text);
    void putClipboardUnicode(const std::wstring& text);

    std::string folder_;
    // The answer start() gives the restore question of the recovery journal, and the questions asked.
    int restoreAnswer_ = IDNO;
    std::vector<std::string> restoreQuestions_;
    std::unique_ptr<MainWindow> main_;
    HWND hwnd_ = nullptr;
    twk::test::FixedClock clock_{twk::test::makeTime(2024, 5, 1, 12, 34, 56)};
    std::unique_ptr<twk::test::ScopedClock> scopedClock_;
};

}  // namespace twk::ui::test
