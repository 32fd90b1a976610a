// Reading a full-size list file and writing large lists in the line forms.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/big_list_file.h"
#include "core/entry_list.h"
#include "formats/file_io.h"
#include "formats/list_file.h"
#include "formats/serialize.h"

namespace twk {
namespace {

using bench::BigListFile;
using bench::grouped;
using bench::randomHash;
using bench::randomName;

// A list file just under the 64 MiB the reader accepts, written once and removed at exit.
const BigListFile& bigFile() {
    static const BigListFile file(
        (std::filesystem::temp_directory_path() / ("twk-bench-list-" + std::to_string(::getpid()) + ".txt"))
            .string(),
        64);
    return file;
}

// The bytes of heap memory in use, their blocks' headers included.
std::size_t heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_LoadListFile64MiB(benchmark::State& state) {
    const BigListFile& file = bigFile();
    std::size_t listBytes = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        EntryList list(ListKind::Normal);
        int added = readListFile(list, file.path());
        if (added != file.rows()) state.SkipWithError("rows lost");
        benchmark::DoNotOptimize(added);
        state.PauseTiming();  // measuring and freeing the rows are not part of the load
        listBytes = heapInUse() - before;
        list.clear();
        // The memory goes back to the system, so that every load touches fresh memory as the first one does.
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["rows"] = file.rows();
    state.counters["list_bytes"] = static_cast<double>(listBytes);
    state.counters["file_bytes"] = static_cast<double>(file.bytes());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes()));
}
BENCHMARK(BM_LoadListFile64MiB)->Unit(benchmark::kMillisecond);

int countLines(const char* p, std::size_t size) {
    int lines = 0;
    const char* end = p + size;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) !=
           nullptr) {
        ++lines;
        ++p;
    }
    return lines;
}

// The anchor: the same file read in one piece and its lines counted.
void BM_RawReadScan64MiB(benchmark::State& state) {
    const BigListFile& file = bigFile();
    for (auto _ : state) {
        FileBytes bytes;
        if (readWholeFile(file.path(), kMaxTextFileSize, bytes) != FileReadStatus::Ok)
            state.SkipWithError("read");
        benchmark::DoNotOptimize(countLines(bytes.data.get(), bytes.size));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bigFile().bytes()));
}
BENCHMARK(BM_RawReadScan64MiB)->Unit(benchmark::kMillisecond);

// The least a loader that keeps the text must touch: the file read into a newly mapped block of its size
// (fresh pages every time: a block from the heap would be the same pages again), then its lines found.
void BM_ReadIntoFreshMemory64MiB(benchmark::State& state) {
    const BigListFile& file = bigFile();
    for (auto _ : state) {
        InputFile in;
        if (in.open(file.path(), kMaxTextFileSize) != FileReadStatus::Ok) state.SkipWithError("open");
        const std::size_t size = in.size();
        void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) {
            state.SkipWithError("no memory");
            break;
        }
        char* text = static_cast<char*>(block);
        if (!in.read(text, size)) state.SkipWithError("read");
        benchmark::DoNotOptimize(countLines(text, size));
        munmap(block, size);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bigFile().bytes()));
}
BENCHMARK(BM_ReadIntoFreshMemory64MiB)->Unit(benchmark::kMillisecond);

void fill(EntryList& list, int n) {
    std::mt19937 rng(500);
    for (int i = 0; i < n; ++i) {
        std::string name = randomName(rng), size = grouped(rng() % 2000000000u), hash = randomHash(rng);
        std::string ref = std::to_string(rng() % 5000);
        const char* texts[8] = {name.c_str(), "trip",        size.c_str(), "完全キャッシュ",
                                ref.c_str(),  "12/01 10:00", "1.0",        hash.c_str()};
        list.addTexts(8, texts, 0);
    }
}

void serializeBench(benchmark::State& state, int form) {
    EntryList list(ListKind::Normal);
    fill(list, static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        SerializedRows r = serializeRows(list, form);
        bytes = r.length;
        benchmark::DoNotOptimize(r.block.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_SerializeListForm(benchmark::State& state) {
    serializeBench(state, ListForm);
}
BENCHMARK(BM_SerializeListForm)->Arg(500000)->Unit(benchmark::kMillisecond);

void BM_SerializeDownloadForm(benchmark::State& state) {
    serializeBench(state, DownloadForm);
}
BENCHMARK(BM_SerializeDownloadForm)->Arg(500000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twk
