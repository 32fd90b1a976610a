#include "routing/list_tabs.h"

#include "core/entry_list.h"

namespace twk {

EntryList* findListByTitle(const ListTabs& tabs, const std::string& title) {
    for (int i = 0, n = tabs.tabCount(); i < n; ++i) {
        EntryList* list = tabs.tabList(i);
        if (list && tabs.tabTitle(i) == title) return list;
    }
    return nullptr;
}

EntryList* firstListOfKind(const ListTabs& tabs, ListKind kind) {
    for (int i = 0, n = tabs.tabCount(); i < n; ++i) {
        EntryList* list = tabs.tabList(i);
        if (list && list->kind() == kind) return list;
    }
    return nullptr;
}

}  // namespace twk
