// Keyword search over a million rows, against a plain substring scan of the same names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "core/entry_list.h"
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

}  // namespace
}  // namespace twk
