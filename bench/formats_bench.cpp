// Reading a full-size list file and writing large lists in the line forms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "formats/list_file.h"
#include "formats/serialize.h"

namespace twk {
namespace {

std::string randomName(std::mt19937& rng) {
    static const char kAlnum[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ [],";
    std::string name;
    int len = 10 + rng() % 32;
    for (int k = 0; k < len; ++k) name += kAlnum[rng() % (sizeof kAlnum - 1)];
    return name + (rng() % 4 == 0 ? "「テスト」.avi" : ".avi");
}

std::string randomHash(std::mt19937& rng) {
    std::string hash;
    for (int k = 0; k < 32; ++k) hash += "0123456789ABCDEF"[rng() % 16];
    return hash;
}

std::string grouped(unsigned value) {
    std::string digits = std::to_string(value), out;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k && (digits.size() - k) % 3 == 0) out += ',';
        out += digits[k];
    }
    return out;
}

// One list-file line of realistic texts.
std::string randomLine(std::mt19937& rng) {
    char time[32];
    std::snprintf(time, sizeof time, "%02u/%02u %02u:%02u", unsigned(1 + rng() % 12),
                  unsigned(1 + rng() % 28), unsigned(rng() % 24), unsigned(rng() % 60));
    return randomName(rng) + "\ttrip" + std::to_string(rng() % 1000) + "\t" + grouped(rng() % 2000000000u) +
           "\t完全キャッシュ\t" + std::to_string(rng() % 5000) + "\t" + time + "\t1.0\t" + randomHash(rng) +
           "\r\n";
}

// A list file just under the 64 MiB the reader accepts, written once and removed at exit.
class BigListFile {
  public:
    BigListFile() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("twk-bench-list-" + std::to_string(::getpid()) + ".txt"))
                    .string();
        std::mt19937 rng(64);
        std::string text;
        text.reserve(kMaxTextFileSize);
        for (;;) {
            std::string line = randomLine(rng);
            if (text.size() + line.size() > kMaxTextFileSize) break;
            text += line;
            ++rows_;
        }
        std::ofstream(path_, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        bytes_ = text.size();
    }
    ~BigListFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }
    int rows() const { return rows_; }
    std::size_t bytes() const { return bytes_; }

  private:
    std::string path_;
    int rows_ = 0;
    std::size_t bytes_ = 0;
};

const BigListFile& bigFile() {
    static const BigListFile file;
    return file;
}

void BM_LoadListFile64MiB(benchmark::State& state) {
    const BigListFile& file = bigFile();
    for (auto _ : state) {
        EntryList list(ListKind::Normal);
        int added = readListFile(list, file.path());
        if (added != file.rows()) state.SkipWithError("rows lost");
        benchmark::DoNotOptimize(added);
        state.PauseTiming();  // freeing the rows is not part of the load
        list.clear();
        state.ResumeTiming();
    }
    state.counters["rows"] = file.rows();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes()));
}
BENCHMARK(BM_LoadListFile64MiB)->Unit(benchmark::kMillisecond);

// The anchor: the same file read in one piece and its lines counted.
void BM_RawReadScan64MiB(benchmark::State& state) {
    const BigListFile& file = bigFile();
    for (auto _ : state) {
        FileBytes bytes;
        if (readWholeFile(file.path(), kMaxTextFileSize, bytes) != FileReadStatus::Ok)
            state.SkipWithError("read");
        int lines = 0;
        const char* p = bytes.data.get();
        const char* end = p + bytes.size;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
            ++lines;
            ++p;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bigFile().bytes()));
}
BENCHMARK(BM_RawReadScan64MiB)->Unit(benchmark::kMillisecond);

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
