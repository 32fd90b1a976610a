// The browser tabs of the BBS page: one web view per tab of the page's browser tab control, with the
// page's operations on the current one (open a thread, navigate, reload, find, read the title).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/browser_host_win32.h"
#include "ui/tab_set_win32.h"

namespace twk::ui {

// A tab caption for a thread title: titles longer than 18 bytes are cut to 18 bytes (17 when the 18th byte
// would start a double-byte character) followed by "...".
std::string threadCaption(const std::string& title);
// The thread's address on the host's web server: LocalHost, a "/" unless it ends with one (or is empty),
// the hash.
std::string threadAddress(const std::string& localHost, const std::string& hash);

class BrowserTabSet final : public TabPageSet {
  public:
    BrowserTabSet() : rules_(std::make_shared<BrowserRules>()), factory_(systemBrowserFactory(rules_)) {}
    ~BrowserTabSet() override { removeAll(); }
    BrowserTabSet(const BrowserTabSet&) = delete;
    BrowserTabSet& operator=(const BrowserTabSet&) = delete;

    // Where new views come from (the system's browser control unless replaced).
    void setFactory(BrowserViewFactory factory) { factory_ = std::move(factory); }
    // What the views allow: read by every view at each decision, so a change holds for the open tabs too.
    BrowserRules& rules() { return *rules_; }

    // Adds a tab with a new view at the end; with SW_SHOW it becomes current. 1, or 0 with nothing changed.
    int addBrowserPage(int show, const char* caption);
    int removePage(int index) override;
    void removeAll() override;

    // On the current page; 0 when there is none (or the view refused).
    int navigate(const std::string& address);
    int reload();
    int findInPage();
    int pageTitle(std::string& out);

    BrowserView* view(int index) const;

  private:
    struct BrowserPage {
        std::unique_ptr<BrowserView> view;
    };
    BrowserView* currentView() const { return view(current_); }

    std::shared_ptr<BrowserRules> rules_;
    BrowserViewFactory factory_;
    std::vector<BrowserPage> records_;
};

}  // namespace twk::ui
