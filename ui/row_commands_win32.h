// The window's half of the row commands: the tab set's current page, its list view and the status bar, for
// the decisions of RowCommands. The clipboard and the export to the host reach the current rows the same way.
#pragma once

#include <optional>

#include "core/row_commands.h"
#include "ui/status_bar_win32.h"

namespace twk::ui {

class ListTabSet;

// The rows of the tab set's current page.
class TabRows final : public RowPages {
  public:
    TabRows(ListTabSet& tabs, StatusBar& statusBar) : tabs_(tabs), statusBar_(statusBar) {}

    EntryList* currentList() const override;
    ListViewOps* currentView() const override;
    EntryList* tabList(int index) const override;
    void focusView() override;
    void holdStatus() override { hold_.emplace(statusBar_); }
    void releaseStatus() override { hold_.reset(); }

  private:
    ListTabSet& tabs_;
    StatusBar& statusBar_;
    std::optional<StatusBar::Hold> hold_;
};

class RowCommandsWindow {
  public:
    RowCommandsWindow(ListTabSet& tabs, StatusBar& statusBar) : pages_(tabs, statusBar), logic_(pages_) {}
    RowCommandsWindow(const RowCommandsWindow&) = delete;
    RowCommandsWindow& operator=(const RowCommandsWindow&) = delete;

    RowCommands& logic() { return logic_; }
    RowPages& pages() { return pages_; }

  private:
    TabRows pages_;
    RowCommands logic_;
};

}  // namespace twk::ui
