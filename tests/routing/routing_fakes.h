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
inline RawRecord makeRecord(const char* name, const char* hash, const char* refAmount = "1") {
    RawRecord r{};
    copyCut(r.name, sizeof r.name, name);
    copyCut(r.trip, sizeof r.trip, "trip");
    copyCut(r.size, sizeof r.size, "1,024");
    copyCut(r.status, sizeof r.status, "完全キャッシュ");
    copyCut(r.refAmount, sizeof r.refAmount, refAmount);
    copyCut(r.updateTime, sizeof r.updateTime, "12/01 10:00");
    copyCut(r.ver, sizeof r.ver, "1.0");
    copyCut(r.hash, sizeof r.hash, hash);
    return r;
}

}  // namespace twk::test
