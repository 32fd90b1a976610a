// Keyword search over a million rows, against a plain substring scan of the same names; the
// regular-expression search on the patterns that cost the most, over 100,000 rows of 200-byte names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "core/entry_list.h"
#include "core/text.h"
#include "match/regex.h"
#include "match/search.h"

namespace twk {
namespace {

constexpr int kRows = 1000000;

// Names as the host lists them: tags, titles, numbers and extensions, about a third with Japanese text.
std::string makeName(std::mt19937& rng) {
    static const char* const kWords[] = {"Live",   "Concert",    "Album",   "Best", "Remix",
                                         "Sample", "Collection", "Vol",     "Disc", "HQ",
                                         "Full",   "Edition",    "Special", "Track"};
    static const char* const kJapanese[] = {"アニメ", "第",     "話",   "主題歌",
                                            "映画",   "完全版", "特典", "高画質"};
    static const char* const kExt[] = {".avi", ".mp3", ".zip", ".mpg", ".ogg", ".rar", ".wmv", ".lzh"};
    std::string name = "[";
    name += kWords[rng() % 14];
    name += "] ";
    bool japanese = rng() % 3 == 0;
    int words = 3 + rng() % 5;
    for (int i = 0; i < words; ++i) {
        name += japanese && rng() % 2 ? kJapanese[rng() % 8] : kWords[rng() % 14];
        name += ' ';
    }
    char num[16];
    std::snprintf(num, sizeof num, "%02u", static_cast<unsigned>(rng() % 100));
    name += num;
    if (rng() % 16 == 0) name += " sample";
    name += kExt[rng() % 8];
    return name;
}

// Built once, outside every timed loop.
EntryList& rows() {
    static std::unique_ptr<EntryList> list;
    if (list) return *list;
    list = std::make_unique<EntryList>(ListKind::Normal);
    std::mt19937 rng(77);
    char hash[33];
    for (int i = 0; i < kRows; ++i) {
        std::string name = makeName(rng);
        std::snprintf(hash, sizeof hash, "%08X%08X%08X%08X", static_cast<unsigned>(i),
                      static_cast<unsigned>(rng()), static_cast<unsigned>(rng()),
                      static_cast<unsigned>(rng()));
        const char* texts[8] = {name.c_str(), "trip",         "12,345,678", "完全キャッシュ",
                                "3",          "Jan 01 10:00", "1.0",        hash};
        list->addTexts(8, texts, 0);
    }
    return *list;
}

void BM_KeywordSearch(benchmark::State& state) {
    EntryList& list = rows();
    for (auto _ : state) {
        int marked = searchList(list, SearchField::Name, "mp3 | avi - sample", false);
        benchmark::DoNotOptimize(marked);
    }
    state.SetItemsProcessed(state.iterations() * list.count());
}
BENCHMARK(BM_KeywordSearch)->Arg(kRows)->Unit(benchmark::kMillisecond);

void BM_SubstringScanAnchor(benchmark::State& state) {
    EntryList& list = rows();
    const PageArray& pages = list.displayPages();
    for (auto _ : state) {
        int found = 0;
        for (int page = 0; page < pages.pageCount(); ++page) {
            int n = pages.pageSize(page);
            for (int slot = 0; slot < n; ++slot)
                found +=
                    std::strstr(pages.get(PageArray::Slot{page, slot})->name().c_str(), "mp3") != nullptr;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * list.count());
}
BENCHMARK(BM_SubstringScanAnchor)->Arg(kRows)->Unit(benchmark::kMillisecond);

// 100,000 rows whose names are 200 bytes of words ending in a resolution and an extension (one "x", no "#"),
// built once.
EntryList& longRows() {
    static std::unique_ptr<EntryList> list;
    if (list) return *list;
    list = std::make_unique<EntryList>(ListKind::Normal);
    std::mt19937 rng(13);
    static const char* const kWords[] = {"Live",   "Concert", "アニメ", "Album",
                                         "主題歌", "Best",    "高画質", "Vol"};
    for (int i = 0; i < 100000; ++i) {
        std::string name;
        while (name.size() < 185) name += std::string(kWords[rng() % 8]) + " ";
        name.resize(185);
        if (isLeadByte(name.back())) name.back() = '_';
        name += " (1920x1080).avi";
        const std::string hash = "H" + std::to_string(i);
        const char* texts[8] = {name.c_str(), "trip",         "1,000", "status",
                                "1",          "Jan 01 10:00", "1.0",   hash.c_str()};
        list->addTexts(8, texts, 0);
    }
    return *list;
}

// One search of the long rows by the pattern the benchmark's argument picks, labelled with it; the result is
// a counter, and a result other than `expected` (when given) fails the benchmark.
void searchLongRows(benchmark::State& state, const char* pattern, int expected = -2) {
    EntryList& list = longRows();
    state.SetLabel(pattern);
    int result = 0;
    for (auto _ : state) {
        result = searchList(list, SearchField::Name, pattern, true);
        benchmark::DoNotOptimize(result);
    }
    state.counters["result"] = result;
    if (expected != -2 && result != expected) {
        const std::string why = "marked " + std::to_string(result) + " rows, not " + std::to_string(expected);
        state.SkipWithError(why.c_str());
    }
}

// The patterns that cost the walk the most per byte of text (thousands of states at every position, and no
// byte missing from the text that would let a row be passed over), which its budget once refused, and the
// counted repetitions of "." that it refused on lists of a few MB. Each must be answered rightly; the target
// is 100 ms. A row holds one "x" (in "1920x1080", at its 191st byte) and no "xx".
void BM_RegexBudgetWorstCase(benchmark::State& state) {
    struct Case {
        const char* pattern;
        int expected;
    };
    static const Case kCases[] = {
        {"(.?){10000}xx", 0},  {"(.{250}){250}", 0},    {"(.?.?.?.?){5000}xx", 0},
        {".{10,50}x", 100000}, {"(.{20}){3}x", 100000}, {"(\\w+\\s*)+x#", 0},
    };
    const Case& c = kCases[state.range(0)];
    searchLongRows(state, c.pattern, c.expected);
}
BENCHMARK(BM_RegexBudgetWorstCase)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(3);

// Ordinary patterns over the same rows: never refused.
void BM_RegexBudgetOrdinary(benchmark::State& state) {
    static const char* const kPatterns[] = {".*#", "Live.*Best.*avi$", "(.*)*x#", "\\d+x\\d+", ".*a.*b.*x#"};
    searchLongRows(state, kPatterns[state.range(0)]);
}
BENCHMARK(BM_RegexBudgetOrdinary)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twk
