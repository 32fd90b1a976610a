// The pages of the main tab control: list pages (the user's lists and the ignore list), the BBS page, the
// condition page. Each page is a modeless child dialog; the page object handles its own controls, the
// owner-drawn painting of its list view and the view's notifications.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "core/dpi.h"
#include "ui/base_window_win32.h"
#include "ui/icon_buttons_win32.h"
#include "ui/list_presentation_win32.h"
#include "ui/list_view_win32.h"

namespace twk {
class EntryList;
}

namespace twk::ui {

class MainWindow;

// Moves a page's control; size < 0 keeps its size.
void moveControl(HWND page, int id, int x, int y, int width = -1, int height = -1);
// A page's control in the page's client coordinates (empty when the page lacks it).
RECT controlRect(HWND page, int id);
inline int controlWidth(HWND page, int id) {
    const RECT r = controlRect(page, id);
    return r.right - r.left;
}
// Moves a page's control to `x`, keeping its top and size.
void moveControlX(HWND page, int id, int x);

class Page : public BaseDialog<Page> {
  public:
    Page(MainWindow& main, PageKind kind, int templateId);
    virtual ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Creates the dialog as a child of `parent`; nullptr on failure.
    HWND create(HINSTANCE instance, HWND parent);
    void destroy();

    PageKind kind() const { return kind_; }
    int templateId() const { return templateId_; }
    EntryList* list() const { return list_; }
    void setList(EntryList* list) { list_ = list; }
    // The page's list view (control 1001), or nullptr for the settings page.
    virtual Win32ListView* listView() { return nullptr; }
    // The combo box of the search word and of the host word (control ids), when the page has them.
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

    virtual INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onNcDestroy() { window_.release(); }

    // The window's DPI, which every pixel rule of the page's layout follows.
    DpiScale scale() const;
    // The narrowest client width at which the page's controls do not overlap.
    virtual int minimumWidth() const;
    // Lays the page out again at its current size (after a change of DPI).
    void relayout();

  protected:
    // Lays out the controls that follow the page's size.
    virtual void layout(int width, int height) { (void)width, (void)height; }
    // The list view's top: below the top row.
    int listTop() const;
    // Sets apart the neighbours of the top row that the template's rounding at this DPI made overlap; the
    // controls the layout places itself (`placed`) are left alone.
    void separateTopRow(std::initializer_list<int> placed);
    MainWindow& main_;

  private:
    PageKind kind_;
    int templateId_;
    EntryList* list_ = nullptr;
    OwnedWindow window_;
};

// A page whose list view shows the rows of an EntryList (list pages and the BBS page).
class RowsPage : public Page {
  public:
    RowsPage(MainWindow& main, PageKind kind, int templateId) : Page(main, kind, templateId) {}
    // The window goes while this part of the object still exists: its view's subclass reaches it.
    ~RowsPage() override { destroy(); }
    Win32ListView* listView() override { return &view_; }
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The icon-only buttons and their tooltips.
    const IconButtons& iconButtons() const { return iconButtons_; }

  protected:
    virtual void onCommand(int id, int code);
    // A double-click on the list view; true when the page took it (it is then not passed on).
    virtual bool onViewDoubleClick() { return false; }

    Win32ListView view_;

  private:
    static LRESULT CALLBACK viewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT onViewMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam);
    RowGeometry geometry_;
    IconButtons iconButtons_;
};

class ListPage final : public RowsPage {
  public:
    ListPage(MainWindow& main, PageKind kind);
    int minimumWidth() const override;

  protected:
    void layout(int width, int height) override;
};

class ConditionPage final : public Page {
  public:
    explicit ConditionPage(MainWindow& main);
    Win32ListView* listView() override { return &view_; }
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Makes the view hold one item per condition.
    void refreshItems();
    // The commands of the page's context menu and keys (ids 40054 to 40061), on the selected conditions.
    void runCommand(int id);
    void addFromFields();
    void copySelectedToFields();
    std::vector<int> selectedConditions() const;
    int minimumWidth() const override;

  protected:
    void layout(int width, int height) override;

  private:
    void fillTargets();
    void moveSelected(bool up);
    static LRESULT CALLBACK viewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT onViewMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam);
    Win32ListView view_;
};

}  // namespace twk::ui
