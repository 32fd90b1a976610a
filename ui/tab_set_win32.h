// The page sets: a tab control with one child dialog page per tab. ListTabSet is the main window's: each page
// may own a list of rows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "routing/list_tabs.h"
#include "ui/list_presentation_win32.h"
#include "ui/pages_win32.h"

namespace twk::ui {

// Moves the keyboard focus through a fixed set of a page's windows.
class FocusRing {
  public:
    explicit FocusRing(std::vector<HWND> windows) : windows_(std::move(windows)) {}
    // Focuses the next (or previous) enabled and visible window after the focused one, wrapping around.
    // Returns false when the focused window is not in the ring or no other window can take the focus.
    bool move(bool forward);

  private:
    std::vector<HWND> windows_;
};

class TabPageSet {
  public:
    virtual ~TabPageSet() = default;

    void init(HINSTANCE instance, HWND tabControl);
    bool initialised() const { return initialised_ != 0; }
    int count() const { return count_; }
    int current() const { return current_; }
    HWND tabControl() const { return tabs_; }

    int selectPage(int index);
    void nextPage();
    void previousPage();
    int followSelection();
    void fitPages();
    HWND pageWindow(int index) const;
    std::string tabText(int index) const;
    int setTabText(int index, const char* text);

    virtual int removePage(int index) = 0;
    virtual void removeAll() = 0;

  protected:
    // Shows the page of `index` in place of the current one and focuses its list view.
    void switchTo(int index);
    RECT displayArea() const;  // in the tab control's parent coordinates
    int insertTab(int index, const char* text);
    // After the page of `index` went: one page fewer, and the page before it is current when it was.
    void pageRemoved(int index);
    // After every page went: the set is as before init().
    void allPagesRemoved();

    HINSTANCE instance_ = nullptr;
    HWND tabs_ = nullptr;
    int initialised_ = 0;
    int count_ = 0;
    int current_ = 0;
    std::vector<HWND> pages_;
};

struct PageRecord {
    PageKind kind = PageKind::Normal;
    int id = 0;  // names the page for as long as it is in the set; never given to another page
    std::unique_ptr<EntryList> list;
    std::unique_ptr<FocusRing> ring;
    std::unique_ptr<Page> page;
};

class ListTabSet final : public TabPageSet, public ListTabs {
  public:
    // What routing sees of the tabs.
    int tabCount() const override { return count_; }
    std::string tabTitle(int index) const override { return tabText(index); }
    EntryList* tabList(int index) const override { return pageList(index); }

    ~ListTabSet() override { removeAll(); }

    // Creates the page's dialog, adds its tab and takes the page and its list. show is SW_SHOW (the page
    // becomes current) or SW_HIDE. Returns 1, or 0 with nothing changed.
    int addPage(std::unique_ptr<Page> page, int show, const char* text, std::unique_ptr<EntryList> list);
    int insertPage(std::unique_ptr<Page> page, int index, int show, const char* text,
                   std::unique_ptr<EntryList> list);
    int removePage(int index) override;
    void removeAll() override;
    // Told of each list about to go with its page, before anything of it changes.
    void setListGoing(std::function<void(const EntryList*)> going) { listGoing_ = std::move(going); }
    // Told of each list that came with its page, once the page is in the set.
    void setListCame(std::function<void(EntryList&)> came) { listCame_ = std::move(came); }

    EntryList* pageList(int index) const;
    Page* page(int index) const;
    PageKind kind(int index) const;
    Page* currentPage() const { return page(current_); }
    EntryList* currentList() const { return pageList(current_); }
    // The list view of the current page when that page shows rows (a list page or the BBS page).
    Win32ListView* currentRowsView() const;
    int tabTexts(std::vector<std::string>& out) const;
    HWND firstPageOfKind(PageKind kind) const;
    // The first page of that kind; nullptr when there is none.
    Page* firstPage(PageKind kind) const;
    int indexOfList(const EntryList* list) const;
    // A command that asks the user something holds the page by its id: the position of the page, or -1 once
    // it is gone.
    int pageId(int index) const;
    int indexOfPage(int id) const;

  private:
    std::vector<PageRecord> records_;
    int nextId_ = 1;
    std::function<void(const EntryList*)> listGoing_;
    std::function<void(EntryList&)> listCame_;
};

}  // namespace twk::ui
