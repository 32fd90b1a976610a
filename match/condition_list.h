// The ordered list of move-and-ignore conditions, and the one-entry lists the keyword search builds.
#pragma once

#include <string>
#include <vector>

#include "core/entry.h"
#include "match/condition.h"

namespace twk {

class EntryList;

// What a match of the condition does.
enum ConditionState : int {
    kConditionMove = 0,      // the destination is bound: move the row there
    kConditionIgnore = 1,    // no destination, or it is absent and ignoreIfAbsent is on: drop the row
    kConditionInactive = 2,  // the destination is absent and ignoreIfAbsent is off: skip the condition
};

struct Condition {
    bool used = true;
    int state = kConditionIgnore;
    bool ignoreIfAbsent = false;       // 不存在時に無視
    std::string text;                  // as written
    std::string destinationName;       // may be empty
    EntryList* destination = nullptr;  // not owned; bound by the routing code
    ConditionTerms terms;

    // In use, not inactive, and with terms.
    bool usable() const { return used && state != kConditionInactive && !terms.empty(); }
    bool matches(const Entry& row) const { return evaluateTerms(terms, row); }
    bool matches(const RawRecord& record) const { return evaluateTerms(terms, record); }

    // Binds the destination list: state 0.
    void bindDestination(EntryList* list);
    // Drops the binding: state 1 when there is no destination name or ignoreIfAbsent is on, else 2.
    void unbindDestination();
};

class ConditionList {
  public:
    ConditionList() = default;
    ConditionList(const ConditionList&) = delete;
    ConditionList& operator=(const ConditionList&) = delete;
    ConditionList(ConditionList&&) = default;
    ConditionList& operator=(ConditionList&&) = default;

    // Appends a condition in use, unbound (state 1 with an empty destination name or the flag on, else 2).
    // Returns its index, or -1 when the text is wrong (nothing is added).
    int add(const char* text, const char* destinationName, bool ignoreIfAbsent);

    int count() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    Condition& at(int index) { return items_[index]; }
    const Condition& at(int index) const { return items_[index]; }

    using iterator = std::vector<Condition>::iterator;
    using const_iterator = std::vector<Condition>::const_iterator;
    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

    // Editing. removeAt and swap return 1, or 0 for an index out of range.
    int removeAt(int index);
    int swap(int a, int b);
    void clear() { items_.clear(); }

  private:
    std::vector<Condition> items_;
};

// The index of the first usable condition, in list order, whose terms hold for the row; -1 when none does.
int findMatchingCondition(const ConditionList& list, const Entry& row);
int findMatchingCondition(const ConditionList& list, const RawRecord& record);

}  // namespace twk
