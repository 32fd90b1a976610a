// The recovery journal: one point after a collection into a large list, against the same rows written in the
// list form (BM_WriteListText1000); the lists rebuilt from a journal as large as a full-size list file,
// against loading that file (BM_LoadListFile64MiB, formats_bench.cpp).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/big_list_file.h"
#include "core/entry_list.h"
#include "core/platform.h"
#include "formats/file_io.h"
#include "formats/list_file.h"
#include "formats/serialize.h"
#include "recovery/journal.h"

namespace twk {
namespace {

using bench::BigListFile;

class StillClock : public Clock {
  public:
    LocalTime now() const override { return LocalTime{2024, 5, 1, 12, 0, 0}; }
};

// A folder of its own in the temporary folder, removed with what is in it.
struct BenchFolder {
    std::filesystem::path path;
    explicit BenchFolder(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string prefix() const { return path.string() + "/"; }
};

// Rows as the fields of list-file lines.
struct Lines {
    std::vector<std::string> text;
    std::vector<std::vector<char*>> fields;
    explicit Lines(int n, unsigned seed) {
        std::mt19937 rng(seed);
        text.reserve(n);
        for (int i = 0; i < n; ++i) {
            std::string line = bench::randomListLine(rng);
            line.resize(line.size() - 2);  // CR LF
            text.push_back(line);
        }
        for (std::string& t : text) {
            std::vector<char*> f(kListFileFields);
            f.resize(splitFields(&t[0], f.data(), kListFileFields));
            fields.push_back(f);
        }
    }
    void addTo(EntryList& list, int mode) const {
        for (const auto& f : fields) list.addTexts(static_cast<int>(f.size()), f.data(), mode);
    }
};

const Lines& collected() {
    static const Lines lines(1000, 1000);
    return lines;
}

void BM_WriteListText1000(benchmark::State& state) {
    BenchFolder folder("twk-bench-write-");
    EntryList list(ListKind::Normal);
    collected().addTo(list, 0);
    const std::string path = folder.prefix() + "rows.txt";
    std::size_t bytes = 0;
    for (auto _ : state) {
        SerializedRows rows = serializeRows(list, ListForm);
        OutputFile out;
        if (!out.create(path) || !out.write(rows.block.get(), rows.length)) state.SkipWithError("write");
        out.close();
        bytes = rows.length;
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteListText1000)->Unit(benchmark::kMicrosecond);

// 1,000 rows collected into a list of 500,000 (at their sorted places), then one point and its write. The
// rows leave again between the iterations, with a point of their own, outside the measure.
void BM_JournalPoint1000Into500k(benchmark::State& state) {
    static const Lines base(500000, 500);
    BenchFolder folder("twk-bench-journal-");
    StillClock still;
    EntryList list(ListKind::Normal);
    base.addTo(list, 0);
    Journal journal(folder.prefix(), true, still);
    journal.attach(list, "新規リスト01");
    journal.point();  // the whole list, once
    std::unordered_set<std::string> fresh;
    for (const auto& f : collected().fields) fresh.insert(f[7]);
    std::uint64_t pointBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        collected().addTo(list, 1);
        const std::uint64_t before = journal.fileBytes();
        state.ResumeTiming();
        journal.point();
        state.PauseTiming();
        pointBytes = journal.fileBytes() - before;
        for (int p = list.count() - 1; p >= 0; --p)
            if (fresh.count(list.entryAt(p)->hash())) list.removeAt(p, true);
        journal.point();
        state.ResumeTiming();
    }
    if (list.count() != static_cast<int>(base.fields.size())) state.SkipWithError("rows lost");
    state.counters["point_bytes"] = static_cast<double>(pointBytes);
}
BENCHMARK(BM_JournalPoint1000Into500k)->Unit(benchmark::kMicrosecond)->Iterations(200);

// A journal made from a full-size list file (one point of the whole list), read back at a start.
void BM_JournalReplay64MiB(benchmark::State& state) {
    BenchFolder folder("twk-bench-replay-");
    std::uint64_t journalBytes = 0;
    int rows = 0;
    {
        const BigListFile file(folder.prefix() + "big.txt", 64);
        EntryList list(ListKind::Normal);
        rows = readListFile(list, file.path());
        list.setModified(true);
        StillClock still;
        Journal journal(folder.prefix(), true, still);
        journal.attach(list, "big");
        journal.point();
        journalBytes = journal.fileBytes();
    }
    for (auto _ : state) {
        Journal journal(folder.prefix(), true);
        JournalFindings found = journal.readAtStart();
        if (found.lists.size() != 1 || found.lists[0].rows->count() != rows) state.SkipWithError("rows lost");
        state.PauseTiming();
        found = JournalFindings();
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["journal_bytes"] = static_cast<double>(journalBytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * journalBytes));
}
BENCHMARK(BM_JournalReplay64MiB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twk
