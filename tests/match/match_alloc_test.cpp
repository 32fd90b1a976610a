// Allocation of the matchers: condition evaluation runs for every collected record and every row of a search
// and must not allocate; a regular-expression match holds a bounded amount of memory whatever the pattern and
// the text. This file replaces the global allocation functions of the match test program with counting
// ones that also track the bytes held.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "core/text.h"
#include "match/condition_list.h"
#include "match/regex.h"

namespace {
bool g_counting = false;
long g_allocations = 0;
std::size_t g_held = 0;
std::size_t g_peak = 0;

// Each block carries its size in front of it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t n) {
    if (g_counting) ++g_allocations;
    auto* p = static_cast<unsigned char*>(std::malloc(n + kHeader));
    if (!p) throw std::bad_alloc();
    std::memcpy(p, &n, sizeof n);
    g_held += n;
    g_peak = std::max(g_peak, g_held);
    return p + kHeader;
}
void release(void* q) noexcept {
    if (!q) return;
    unsigned char* p = static_cast<unsigned char*>(q) - kHeader;
    std::size_t n;
    std::memcpy(&n, p, sizeof n);
    g_held -= n;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}

namespace twk {
namespace {

TEST(ConditionEvaluation, AllocatesNothing) {
    ConditionList list;
    ASSERT_EQ(list.add("\"zzz\" | $no | %no | =1 | <1 | !x | ? | (0", "", false), 0);
    ASSERT_EQ(list.add("mp3 | ＡＶＩ - sample & >1k & )2 & !1.0 - ?", "", false), 1);
    std::string name = std::string(3000, 'x') + "アMP3ＡＶＩ";
    const char* texts[8] = {name.c_str(), "trip", "1,234,567", "status", "12", "Jan 01 10:00", "1.0", "HASH"};
    EntryPtr row = makeEntry(texts, 8);
    RawRecord raw;
    std::memset(&raw, 0, sizeof raw);
    for (int i = 0; i < 8; ++i) copyCut(raw.field(i), RawRecord::capacity(i), texts[i]);
    std::memcpy(raw.name + 200, "mp3", 3);

    g_allocations = 0;
    g_counting = true;
    int onRow = findMatchingCondition(list, *row);
    int onRecord = findMatchingCondition(list, raw);
    g_counting = false;
    EXPECT_EQ(g_allocations, 0);
    EXPECT_EQ(onRow, 1);
    EXPECT_EQ(onRecord, 1);
    g_counting = true;  // the counter itself works
    std::string* probe = new std::string(100, 'x');
    g_counting = false;
    delete probe;
    EXPECT_GE(g_allocations, 1);
}

// A runaway pattern on a long row: a few thousand bytes once took gigabytes of visited pairs and walk frames.
// Now a call holds some tens of MB at most, with the visited pairs as dense bits (sized by states x
// positions before the first step) and as a table (which grows with the walk up to its limit), and gives up
// when it runs out of either steps or room.
TEST(RegexMemory, RunawayPatternOnALongRowStaysBounded) {
    constexpr std::size_t kMaxHeld = 64u << 20;
    struct Case {
        const char* pattern;
        std::string text;
        unsigned long long steps;  // 0: the call's own budget
        int result;
    };
    const Case cases[] = {
        {"(.?){10000}x", "x" + std::string(2999, 'a'), 2000000, kRegexGaveUp},  // 30,000 states x 3,001 bits
        {"(.{250}){250}", std::string(3000, 'a'), 0, kRegexGaveUp},  // too many for bits: the table
        {"(a|b)+?$", std::string(1 << 16, 'a'), 0, 2},               // a long walk that matches
    };
    for (const Case& c : cases) {
        std::unique_ptr<Regex> re = compileRegex(c.pattern);
        ASSERT_NE(re, nullptr);
        RegexBudget budget{c.steps ? c.steps : regexStepsFor(c.text.size() + 1)};
        const std::size_t before = g_held;
        g_peak = g_held;
        const int result = matchRegex(*re, c.text, nullptr, &budget);
        EXPECT_LT(g_peak - before, kMaxHeld) << c.pattern;
        EXPECT_EQ(result, c.result) << c.pattern;
    }
}

}  // namespace
}  // namespace twk
