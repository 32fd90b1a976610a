// The list's regular-expression search against RE2, the engine a user would pick instead: the search over
// 100,000 ASCII file-name rows (BM_RegexVsRE2/k) and RE2::PartialMatch over the same rows' names
// (BM_RE2Scan/k), pattern by pattern. The rows are ASCII and hold no CR or LF, so that both engines read
// every pattern alike; each benchmark fails when the two mark a different number of rows. Built only where
// RE2 is installed: the program itself does not use it.
#if defined(TWK_HAVE_RE2)

#include <benchmark/benchmark.h>
#include <re2/re2.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "core/entry_list.h"
#include "match/search.h"

namespace twk {
namespace {

constexpr int kRows = 100000;

// The kinds of pattern a user types: literal words with ".*" between them and an anchor, digit classes with
// "+", a negated class before an alternation of extensions, counted repetitions of "." and of classes alone
// and inside groups, nested stars and pluses over word classes, an alternation of a dozen words repeated, a
// pattern that matches nothing and one that matches every row.
const char* const kPatterns[] = {
    "Live.*Best.*avi$",
    "^\\[Raw\\].*Concert",
    "[0-9]+x[0-9]+\\)",
    "_[0-9]+\\.mp3$",
    "[^ ]+\\.(zip|rar|lzh)$",
    ".{10,50}x",
    ".{100}",
    "[A-Za-z ]{20}",
    "(.{20}){3}",
    "(\\w+\\s*)+Remix",
    "((\\w*)+\\s?)*HQ[0-9]",
    "((Live|Concert|Album|Best|Remix|Sample|Collection|Vol|Disc|HQ|Full|Edition) )+Track",
    "#[0-9]+#",
    "^.",
};
constexpr int kPatternCount = static_cast<int>(sizeof kPatterns / sizeof kPatterns[0]);

std::string makeName(std::mt19937& rng) {
    static const char* const kTags[] = {"[Raw] ", "[TV] ", "(Music) ", "", "[HQ] "};
    static const char* const kWords[] = {"Live",       "Concert", "Album", "Best", "Remix",   "Sample",
                                         "Collection", "Vol",     "Disc",  "HQ",   "Full",    "Edition",
                                         "Special",    "Track",   "the",   "of",   "Session", "Mix"};
    static const char* const kExt[] = {".avi", ".mp3", ".zip", ".mpg", ".ogg", ".rar", ".wmv", ".lzh"};
    std::string name = kTags[rng() % 5];
    for (unsigned w = 2 + rng() % 5; w > 0; --w) {
        name += kWords[rng() % 18];
        name += ' ';
    }
    char tail[48];
    if (rng() % 2) {
        std::snprintf(tail, sizeof tail, "%02u (%ux%u)", static_cast<unsigned>(rng() % 100),
                      static_cast<unsigned>(rng() % 1920 + 1), static_cast<unsigned>(rng() % 1080 + 1));
    } else {
        std::snprintf(tail, sizeof tail, "_%03u", static_cast<unsigned>(rng() % 1000));
    }
    name += tail;
    name += kExt[rng() % 8];
    return name;
}

// Built once, outside every timed loop.
EntryList& asciiRows() {
    static std::unique_ptr<EntryList> list;
    if (list) return *list;
    list = std::make_unique<EntryList>(ListKind::Normal);
    std::mt19937 rng(2026);
    for (int i = 0; i < kRows; ++i) {
        const std::string name = makeName(rng);
        const std::string hash = "H" + std::to_string(i);
        const char* texts[8] = {name.c_str(), "trip",         "1,000", "status",
                                "1",          "Jan 01 10:00", "1.0",   hash.c_str()};
        list->addTexts(8, texts, 0);
    }
    return *list;
}

std::unique_ptr<RE2> compileRe2(const char* pattern) {
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_log_errors(false);
    return std::make_unique<RE2>(pattern, options);
}

int re2Count(EntryList& list, const RE2& re) {
    const PageArray& pages = list.displayPages();
    int found = 0;
    for (int page = 0; page < pages.pageCount(); ++page) {
        const int n = pages.pageSize(page);
        for (int slot = 0; slot < n; ++slot)
            found += RE2::PartialMatch(pages.get(PageArray::Slot{page, slot})->nameText(), re);
    }
    return found;
}

// Each engine's count for each pattern, worked out once beside the timed loops (-2: not yet).
int ourCounts[kPatternCount];
int re2Counts[kPatternCount];
bool countsReady = false;

void countOnce() {
    if (countsReady) return;
    EntryList& list = asciiRows();
    for (int k = 0; k < kPatternCount; ++k) {
        ourCounts[k] = searchList(list, SearchField::Name, kPatterns[k], true);
        std::unique_ptr<RE2> re = compileRe2(kPatterns[k]);
        re2Counts[k] = re->ok() ? re2Count(list, *re) : -3;
    }
    countsReady = true;
}

void checkCounts(benchmark::State& state, int k, int marked) {
    state.counters["marked"] = marked;
    if (ourCounts[k] != re2Counts[k]) {
        const std::string why = "the search marked " + std::to_string(ourCounts[k]) + " rows, RE2 " +
                                std::to_string(re2Counts[k]);
        state.SkipWithError(why.c_str());
    }
}

void BM_RegexVsRE2(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    EntryList& list = asciiRows();
    countOnce();
    state.SetLabel(kPatterns[k]);
    int marked = 0;
    for (auto _ : state) {
        marked = searchList(list, SearchField::Name, kPatterns[k], true);
        benchmark::DoNotOptimize(marked);
    }
    checkCounts(state, k, marked);
    state.SetItemsProcessed(state.iterations() * list.count());
}
BENCHMARK(BM_RegexVsRE2)->DenseRange(0, kPatternCount - 1)->Unit(benchmark::kMillisecond);

void BM_RE2Scan(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    EntryList& list = asciiRows();
    countOnce();
    state.SetLabel(kPatterns[k]);
    std::unique_ptr<RE2> re = compileRe2(kPatterns[k]);
    int marked = 0;
    for (auto _ : state) {
        marked = re2Count(list, *re);
        benchmark::DoNotOptimize(marked);
    }
    checkCounts(state, k, marked);
    state.SetItemsProcessed(state.iterations() * list.count());
}
BENCHMARK(BM_RE2Scan)->DenseRange(0, kPatternCount - 1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twk

#endif
