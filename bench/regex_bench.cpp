#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "match/regex.h"

namespace {

// File names as a list holds them: a tag, words, an episode number, sometimes Japanese, an extension.
const std::vector<std::string>& fileNames(std::size_t count) {
    static std::vector<std::string> names;
    if (names.size() == count) return names;
    names.clear();
    names.reserve(count);
    std::mt19937 rng(42);
    static const char* const kTags[] = {"[Raw]", "(一般コミック)", "[TV]", "", "(同人誌)"};
    static const char* const kWords[] = {"Sample", "番組", "Movie", "ドラマ", "the", "Live", "特集", "Disk"};
    static const char* const kExtensions[] = {".avi", ".mp4", ".zip", ".mp3", ".rar"};
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = kTags[rng() % 5];
        for (unsigned w = rng() % 4 + 1; w > 0; --w) {
            name += ' ';
            name += kWords[rng() % 8];
        }
        if (rng() % 2) name += " 第" + std::to_string(rng() % 60) + "話";
        name += " (" + std::to_string(rng() % 2000 + 1) + "x" + std::to_string(rng() % 1200 + 1) + ")";
        name += kExtensions[rng() % 5];
        names.push_back(std::move(name));
    }
    return names;
}

void BM_RegexSearch(benchmark::State& state) {
    const std::vector<std::string>& names = fileNames(static_cast<std::size_t>(state.range(0)));
    std::unique_ptr<twk::Regex> re = twk::compileRegex("第[0-9]+話.*?\\.(avi|mp4)");
    std::size_t marked = 0;
    for (auto _ : state) {
        marked = 0;
        for (const std::string& name : names) marked += twk::matchRegex(*re, name) > 0;
        benchmark::DoNotOptimize(marked);
    }
    state.counters["marked"] = static_cast<double>(marked);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RegexSearch)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Patterns that take exponential time in a plain backtracking walk, on 10,000 "a".
void BM_RegexPathological(benchmark::State& state) {
    static const char* const kPatterns[] = {"(a*)*b", "(a|aa)*c"};
    const std::string text(10000, 'a');
    std::unique_ptr<twk::Regex> re = twk::compileRegex(kPatterns[state.range(0)]);
    state.SetLabel(kPatterns[state.range(0)]);
    for (auto _ : state) benchmark::DoNotOptimize(twk::matchRegex(*re, text));
}
BENCHMARK(BM_RegexPathological)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
