#include "support/fakes.h"

#include <stdexcept>

#include "support/alloc_failure.h"

namespace twk::test {

void FakeListView::insertItem(int position) {
    AllocationPause pause;  // a list view control does not throw
    items_.insert(items_.begin() + position, false);
    log.push_back("insert " + std::to_string(position));
}

void FakeListView::deleteItem(int position) {
    AllocationPause pause;  // a list view control does not throw
    items_.erase(items_.begin() + position);
    log.push_back("delete " + std::to_string(position));
}

void FakeListView::deleteAllItems() {
    AllocationPause pause;  // a list view control does not throw
    items_.clear();
    log.push_back("deleteAll");
}

bool FakeListView::isSelected(int position) const {
    return position >= 0 && position < itemCount() && items_[position];
}

void FakeListView::setSelected(int position, bool selected) {
    ++setSelectedCalls;
    if (position >= 0 && position < itemCount()) items_[position] = selected;
}

int FakeListView::selectedCount() const {
    int n = 0;
    for (bool b : items_) n += b;
    return n;
}

void FakeListView::scrollBy(int dy) {
    AllocationPause pause;  // a list view control does not throw
    log.push_back("scroll " + std::to_string(dy));
    if (rowHeight_ > 0) top_ += dy / rowHeight_;
}

FakeRowPages::FakeRowPages(const std::string& tabs) {
    for (char c : tabs) {
        Tab tab;
        if (c != '-') {
            tab.list = std::make_unique<EntryList>(c == 'I' ? ListKind::Ignore : ListKind::Normal);
            tab.view = std::make_unique<FakeListView>();
            tab.list->setView(tab.view.get());
        }
        tabs_.push_back(std::move(tab));
    }
}

void FakeRowPages::addRows(int index, int n) {
    for (int i = 0; i < n; ++i) {
        const std::string name = "row" + std::to_string(i), hash = "hash" + std::to_string(i);
        const char* texts[8] = {name.c_str(), "trip", "100", "", "1", "Jan 01 00:00", "1", hash.c_str()};
        tabList(index)->addTexts(8, texts, 0);
    }
}

std::vector<std::string> FakeRowPages::names(int index) const {
    std::vector<std::string> out;
    const EntryList& list = *tabList(index);
    for (int p = 0; p < list.count(); ++p) out.push_back(list.entryAt(p)->name().str());
    return out;
}

void FakeListView::select(std::initializer_list<int> positions) {
    for (int p : positions) items_.at(p) = true;
}

std::vector<int> FakeListView::selectedPositions() const {
    std::vector<int> out;
    for (int i = 0; i < itemCount(); ++i)
        if (items_[i]) out.push_back(i);
    return out;
}

LocalTime makeTime(int year, int month, int day, int hour, int minute, int second) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

}  // namespace twk::test
