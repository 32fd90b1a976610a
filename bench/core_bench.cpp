// Row store and sorting at a million rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/sort.h"

namespace twk {
namespace {

struct Texts {
    std::vector<std::string> name, size, ref, time, hash;
};

// Realistic rows: mixed names, grouped sizes, month-stamped times, 32-digit hex hashes.
const Texts& texts(int n) {
    static Texts t;
    if (static_cast<int>(t.name.size()) >= n) return t;
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char kAlnum[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ []";
    std::mt19937 rng(2026);
    for (int i = 0; i < n; ++i) {
        std::string name;
        int len = 12 + rng() % 40;
        for (int k = 0; k < len; ++k) name += kAlnum[rng() % (sizeof kAlnum - 1)];
        name += ".avi";
        char buf[64];
        unsigned size = rng() % 2000000000u;
        std::snprintf(buf, sizeof buf, "%u", size);
        std::string digits(buf), grouped;
        for (std::size_t k = 0; k < digits.size(); ++k) {
            if (k && (digits.size() - k) % 3 == 0) grouped += ',';
            grouped += digits[k];
        }
        std::snprintf(buf, sizeof buf, "%s %02u %02u:%02u", kMonths[rng() % 12], unsigned(1 + rng() % 28),
                      unsigned(rng() % 24), unsigned(rng() % 60));
        std::string time(buf);
        std::string hash;
        for (int k = 0; k < 32; ++k) hash += "0123456789ABCDEF"[rng() % 16];
        t.name.push_back(name);
        t.size.push_back(grouped);
        t.ref.push_back(std::to_string(rng() % 5000));
        t.time.push_back(time);
        t.hash.push_back(hash);
    }
    return t;
}

void fill(EntryList& list, int n, int mode) {
    const Texts& t = texts(n);
    for (int i = 0; i < n; ++i) {
        const char* row[8] = {
            t.name[i].c_str(), "trip", t.size[i].c_str(), "完全キャッシュ", t.ref[i].c_str(),
            t.time[i].c_str(), "1",    t.hash[i].c_str()};
        list.addTexts(8, row, mode);
    }
}

// Builds a list of n rows per iteration, at sorted positions (mode 1) or appended.
void buildBenchmark(benchmark::State& state, int mode) {
    int n = static_cast<int>(state.range(0));
    texts(n);
    for (auto _ : state) {
        EntryList list(ListKind::Normal);
        fill(list, n, mode);
        benchmark::DoNotOptimize(list.count());
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_SortedInsert(benchmark::State& state) {
    buildBenchmark(state, 1);
}
void BM_Append(benchmark::State& state) {
    buildBenchmark(state, 0);
}
BENCHMARK(BM_SortedInsert)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The anchor of the sorted inserts: the same names, copied, into a std::multiset ordered by the list's name
// comparison.
void BM_MultisetInsert(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    const Texts& t = texts(n);
    auto before = [](const std::string& a, const std::string& b) {
        return compareNameBytes(a.data(), a.size(), b.data(), b.size()) < 0;
    };
    for (auto _ : state) {
        std::multiset<std::string, decltype(before)> names(before);
        for (int i = 0; i < n; ++i) names.insert(t.name[i]);
        benchmark::DoNotOptimize(names.size());
        state.PauseTiming();
        names.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MultisetInsert)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A shared list of appended rows; each sort benchmark first shuffles it by the hash column (not timed).
EntryList& sharedList(int n) {
    static EntryList* list = nullptr;
    if (!list) {
        list = new EntryList(ListKind::Normal);
        fill(*list, n, 0);
    }
    return *list;
}

void sortBenchmark(benchmark::State& state, int column) {
    EntryList& list = sharedList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        list.setSortState(-1, 0);
        list.sort(kColHash);  // a random order with respect to every other column
        list.setSortState(-1, 0);
        state.ResumeTiming();
        list.sort(column);
    }
    state.SetItemsProcessed(state.iterations() * list.count());
}

void BM_SortByName(benchmark::State& state) {
    sortBenchmark(state, kColName);
}
void BM_SortBySize(benchmark::State& state) {
    sortBenchmark(state, kColSize);
}
void BM_SortByTime(benchmark::State& state) {
    sortBenchmark(state, kColUpdateTime);
}
BENCHMARK(BM_SortByName)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySize)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByTime)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The anchor: std::sort of the same references in the same starting order with a plain byte comparison.
void BM_StdSortByName(benchmark::State& state) {
    EntryList& list = sharedList(static_cast<int>(state.range(0)));
    list.setSortState(-1, 0);
    list.sort(kColHash);
    std::vector<Entry*> start, rows;
    list.displayPages().copyOut(start);
    for (auto _ : state) {
        state.PauseTiming();
        rows = start;
        state.ResumeTiming();
        std::sort(rows.begin(), rows.end(), [](const Entry* a, const Entry* b) {
            return std::strcmp(a->nameText(), b->nameText()) < 0;  // names hold no 0: their byte order
        });
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * list.count());
}
BENCHMARK(BM_StdSortByName)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_EntryAtRandom(benchmark::State& state) {
    EntryList& list = sharedList(static_cast<int>(state.range(0)));
    std::vector<int> positions(1 << 16);
    std::mt19937 rng(1);
    for (int& p : positions) p = static_cast<int>(rng() % list.count());
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.entryAt(positions[i++ & 0xFFFF]));
    }
}
BENCHMARK(BM_EntryAtRandom)->Arg(1000000)->Unit(benchmark::kNanosecond);

// A view whose every other row is selected.
class EveryOtherSelected : public ListViewOps {
  public:
    void insertItem(int) override {}
    void deleteItem(int) override {}
    void deleteAllItems() override {}
    bool isSelected(int p) const override { return p % 2 == 0; }
    void setSelected(int, bool) override {}
    int itemCount() const override { return 0; }
    int selectedCount() const override { return 0; }
    int topRow() const override { return 0; }
    int rowHeight() const override { return 18; }
    void scrollBy(int) override {}
    void beginBulkUpdate() override {}
    void endBulkUpdate() override {}
    void invalidate() override {}
};

void BM_DeleteHalfSelected(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    texts(n);
    EveryOtherSelected view;
    for (auto _ : state) {
        state.PauseTiming();
        EntryList list(ListKind::Normal);
        fill(list, n, 0);
        list.setView(&view);
        list.syncSelectionFromView();
        state.ResumeTiming();
        list.deleteSelected();
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n / 2);
}
BENCHMARK(BM_DeleteHalfSelected)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twk
