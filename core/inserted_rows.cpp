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

std::vector<RowRange> InsertedRows::map(const std::vector<RowRange>& oldRuns) const {
    resolve();
    std::vector<RowRange> out;
    out.reserve(oldRuns.size());
    std::size_t k = 0;  // new rows handled: those with fewer old rows before them than the current one
    for (const RowRange& run : oldRuns) {
        int i = run.first;
        while (i <= run.last) {
            while (k < before_.size() && before_[k] <= i) ++k;
            // Old rows i .. end stay together: no new row goes between them.
            int end = run.last;
            if (k < before_.size() && before_[k] - 1 < end) end = before_[k] - 1;
            const int first = i + static_cast<int>(k), last = end + static_cast<int>(k);
            if (!out.empty() && out.back().last + 1 == first)
                out.back().last = last;
            else
                out.push_back(RowRange{first, last});
            i = end + 1;
        }
    }
    return out;
}

std::vector<RowRange> symmetricDifference(const std::vector<RowRange>& a, const std::vector<RowRange>& b) {
    // Sweep over the run boundaries: a position is in the result when it lies in an odd number of runs.
    std::vector<std::pair<long long, int>> edges;
    edges.reserve((a.size() + b.size()) * 2);
    for (const auto* runs : {&a, &b})
        for (const RowRange& r : *runs) {
            edges.emplace_back(r.first, 1);
            edges.emplace_back(static_cast<long long>(r.last) + 1, -1);
        }
    std::sort(edges.begin(), edges.end());
    std::vector<RowRange> out;
    int depth = 0;
    long long start = 0;
    for (std::size_t i = 0; i < edges.size();) {
        const long long at = edges[i].first;
        const bool wasOdd = depth % 2 != 0;
        for (; i < edges.size() && edges[i].first == at; ++i) depth += edges[i].second;
        const bool isOdd = depth % 2 != 0;
        if (!wasOdd && isOdd) start = at;
        if (wasOdd && !isOdd) {
            if (!out.empty() && out.back().last + 1 == start)
                out.back().last = static_cast<int>(at - 1);
            else
                out.push_back(RowRange{static_cast<int>(start), static_cast<int>(at - 1)});
        }
    }
    return out;
}

long long runLength(const std::vector<RowRange>& runs) {
    long long n = 0;
    for (const RowRange& r : runs) n += static_cast<long long>(r.last) - r.first + 1;
    return n;
}

}  // namespace twk
