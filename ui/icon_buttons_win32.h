// The icon-only buttons of a page of rows (the mark arrows, the BBS page's layout buttons, the close button):
// their icons at the page's DPI and their tooltips, which name what each does (the words of the matching menu
// item where there is one).
#pragma once

#include <windows.h>

#include <vector>

#include "ui/handles_win32.h"
#include "ui/list_presentation_win32.h"

namespace twk::ui {

class IconButtons {
  public:
    IconButtons() = default;
    IconButtons(const IconButtons&) = delete;
    IconButtons& operator=(const IconButtons&) = delete;

    // Gives the buttons of a page of this kind their icons and tooltips; once, when the page is made.
    void attach(HWND page, HINSTANCE instance, PageKind kind);
    // The icons again, at the page's DPI now (after the page moved to a monitor with another scaling).
    void updateIcons();
    // The page's tooltip control (null before attach or when it could not be made).
    HWND tooltip() const { return tooltip_.get(); }
    // The page is going: its tooltip (a window of the main window's, not of the page's) goes first.
    void destroyTooltip() { tooltip_.reset(); }

  private:
    HWND page_ = nullptr;
    HINSTANCE instance_ = nullptr;
    PageKind kind_ = PageKind::Normal;
    std::vector<OwnedIcon> icons_;  // the icons the buttons show
    OwnedWindow tooltip_;
};

}  // namespace twk::ui
