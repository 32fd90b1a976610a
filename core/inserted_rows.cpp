#include "core/inserted_rows.h"

#include <algorithm>

namespace twk {

void InsertedRows::reset(int count) {
    base_ = count_ = count < 0 ? 0 : count;
    lastOld_ = base_ - 1;
    firstChanged_ = base_;
    shifting_.clear();
    before_.clear();
    resolved_ = true;
}

void InsertedRows::insert(int position) {
    if (position < 0 || position > count_) position = count_;
    // A row that goes after the last old row stays behind all of them whatever comes later: only the inserts
    // in front of an old row move old rows.
    if (position <= lastOld_) {
        shifting_.push_back(position);
        ++lastOld_;
        resolved_ = false;
    }
    ++count_;
    if (position < firstChanged_) firstChanged_ = position;
}

void InsertedRows::resolve() const {
    if (resolved_) return;
    // Taken backwards, the k-th insert ends up in the slot that is the position-th of the slots the later
    // inserts leave free (the rows inserted later are exactly the ones not yet there at its time). Slots:
    // 0 .. lastOld_, a Fenwick tree of the free ones.
    const int n = lastOld_ + 1;
    std::vector<int> tree(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        tree[i] += 1;
        int parent = i + (i & -i);
        if (parent <= n) tree[parent] += tree[i];
    }
    int top = 1;
    while (top * 2 <= n) top *= 2;
    std::vector<int> slots(shifting_.size());
    for (std::size_t k = shifting_.size(); k-- > 0;) {
        // The free slot with `shifting_[k]` free slots before it.
        int index = 0, rest = shifting_[k];
        for (int step = top; step > 0; step /= 2) {
            int next = index + step;
            if (next <= n && tree[next] <= rest) {
                index = next;
                rest -= tree[next];
            }
        }
        slots[k] = index;  // 0-based slot
        for (int i = index + 1; i <= n; i += i & -i) tree[i] -= 1;
    }
    std::sort(slots.begin(), slots.end());
    before_.resize(slots.size());
    for (std::size_t k = 0; k < slots.size(); ++k) before_[k] = slots[k] - static_cast<int>(k);
    resolved_ = true;  // only once worked out: a resolve that ran out of memory is made again
}

int InsertedRows::map(int oldPosition) const {
    resolve();
    // Every new row with at most `oldPosition` old rows before it lies in front of this row.
    auto c = std::upper_bound(before_.begin(), before_.end(), oldPosition) - before_.begin();
    return oldPosition + static_cast<int>(c);
}

}  // namespace twk
