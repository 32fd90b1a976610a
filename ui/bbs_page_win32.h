// The BBS page: the BBS threads in its list view and, beside or below them, the browser tabs that show a
// thread from the host's web server, with a splitter between the two areas.
#pragma once

#include <windows.h>

#include "ui/browser_tab_set_win32.h"
#include "ui/pages_win32.h"

namespace twk {
struct Entry;
}

namespace twk::ui {

class BbsPage final : public RowsPage {
  public:
    explicit BbsPage(MainWindow& main);
    // The browser tabs and then the window go while the whole object still exists.
    ~BbsPage() override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    BrowserTabSet& browsers() { return browsers_; }
    // Opens the thread in a new browser tab that becomes current.
    void openThread(const Entry& row);
    // The browser commands on the current browser tab.
    void closeBrowser();
    void reloadBrowser();
    void findInPage();
    // Removes the browser tabs one by one (the window is about to close).
    void closeBrowserPages();
    int minimumWidth() const override;

  protected:
    void layout(int width, int height) override;
    void onCommand(int id, int code) override;
    bool onViewDoubleClick() override;

  private:
    // The list width and height as laid out: the stored ones, kept inside the page.
    struct Split {
        int width, height;
    };
    Split split() const;
    void showTitle();

    // The browser tab control's mouse: right click opens the tab's menu, double click reloads it.
    static LRESULT CALLBACK browserTabsProc(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    int browserTabAt(LPARAM position) const;
    void onBrowserTabRightClick(LPARAM position);

    // The splitter between the list and the browser area, dragged with the left button.
    bool inSplitter(LPARAM position) const;
    void setSplitterCursor() const;
    void drawFeedback(LPARAM position) const;
    void onSplitterMove(LPARAM position);
    void onSplitterRelease(LPARAM position);

    BrowserTabSet browsers_;
    bool dragging_ = false;
    LPARAM lastPosition_ = 0;  // 0: no feedback bar drawn yet
};

}  // namespace twk::ui
