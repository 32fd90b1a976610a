// What routing needs to know about the tabs: their titles, left to right, and the list each one holds.
#pragma once

#include <string>

#include "core/entry.h"

namespace twk {

class EntryList;

class ListTabs {
  public:
    virtual ~ListTabs() = default;
    virtual int tabCount() const = 0;
    virtual std::string tabTitle(int index) const = 0;
    // The list the tab holds (normal, ignore or BBS list), or nullptr for the settings and condition tabs.
    virtual EntryList* tabList(int index) const = 0;
};

// The list of the leftmost tab that holds a list and whose title equals `title` byte for byte; nullptr if
// none.
EntryList* findListByTitle(const ListTabs& tabs, const std::string& title);
// The list of the leftmost tab whose list is of the kind; nullptr if none.
EntryList* firstListOfKind(const ListTabs& tabs, ListKind kind);

}  // namespace twk
