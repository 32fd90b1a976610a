#include "match/condition_list.h"

#include <utility>

namespace twk {

void Condition::bindDestination(EntryList* list) {
    destination = list;
    state = kConditionMove;
}

void Condition::unbindDestination() {
    destination = nullptr;
    state = (destinationName.empty() || ignoreIfAbsent) ? kConditionIgnore : kConditionInactive;
}

int ConditionList::add(const char* text, const char* destinationName, bool ignoreIfAbsent) {
    Condition c;
    if (!parseConditionText(text, c.terms)) return -1;
    c.used = true;
    c.ignoreIfAbsent = ignoreIfAbsent;
    c.text = text;
    c.destinationName = destinationName ? destinationName : "";
    c.unbindDestination();
    items_.push_back(std::move(c));
    return count() - 1;
}

int ConditionList::removeAt(int index) {
    if (index < 0 || index >= count()) return 0;
    items_.erase(items_.begin() + index);
    return 1;
}

int ConditionList::swap(int a, int b) {
    if (a < 0 || a >= count() || b < 0 || b >= count()) return 0;
    std::swap(items_[a], items_[b]);
    return 1;
}

namespace {
template <class Row>
int firstMatch(const ConditionList& list, const Row& row) {
    int i = 0;
    for (const Condition& c : list) {
        if (c.usable() && c.matches(row)) return i;
        ++i;
    }
    return -1;
}
}  // namespace

int findMatchingCondition(const ConditionList& list, const Entry& row) {
    return firstMatch(list, row);
}
int findMatchingCondition(const ConditionList& list, const RawRecord& record) {
    return firstMatch(list, record);
}

}  // namespace twk
