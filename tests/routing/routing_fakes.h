// Tabs for the routing tests: titles and lists, left to right.
#pragma once

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/text.h"
#include "routing/list_tabs.h"

namespace twk::test {

class FakeTabs : public ListTabs {
  public:
    void add(const std::string& title, EntryList* list) { tabs_.push_back({title, list}); }
    void remove(int index) { tabs_.erase(tabs_.begin() + index); }
    void rename(int index, const std::string& title) { tabs_[index].title = title; }
    int tabCount() const override { return static_cast<int>(tabs_.size()); }
    std::string tabTitle(int index) const override { return tabs_[index].title; }
    EntryList* tabList(int index) const override { return tabs_[index].list; }

  private:
    struct Tab {
        std::string title;
        EntryList* list;
    };
    std::vector<Tab> tabs_;
};

// A raw record with the given name and hash (the other fields plain).
inline RawRecord makeRecord(const char* name, const char* hash) {
    RawRecord r{};
    const char* texts[8] = {name, "trip", "1,024", "完全キャッシュ", "1", "12/01 10:00", "1.0", hash};
    for (int i = 0; i < 8; ++i) copyCut(r.field(i), RawRecord::capacity(i), texts[i]);
    return r;
}

}  // namespace twk::test
