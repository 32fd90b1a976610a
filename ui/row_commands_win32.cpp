#include "ui/row_commands_win32.h"

#include "ui/list_view_win32.h"
#include "ui/pages_win32.h"
#include "ui/tab_set_win32.h"

namespace twk::ui {

EntryList* TabRows::currentList() const {
    return tabs_.currentList();
}

ListViewOps* TabRows::currentView() const {
    return tabs_.currentRowsView();
}

EntryList* TabRows::tabList(int index) const {
    return tabs_.pageList(index);
}

void TabRows::focusView() {
    if (Win32ListView* view = tabs_.currentRowsView()) SetFocus(view->hwnd());
}

}  // namespace twk::ui
