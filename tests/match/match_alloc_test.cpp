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

#include "core/entry_list.h"
#include "core/text.h"
#include "match/condition_list.h"
#include "match/regex.h"
#include "match/regex_scan.h"
#include "match/search.h"

namespace {
bool g_counting = false;
long g_allocations = 0;
long g_failAt = 0;  // while counting, the allocation with this number throws (0: none does)
std::size_t g_held = 0;
std::size_t g_peak = 0;

// Each block carries its size in front of it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t n) {
    if (g_counting && ++g_allocations == g_failAt) throw std::bad_alloc();
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

// The search marks the rows as it reads them, while the scanner still makes its states: memory that runs out
// at any of its allocations leaves every mark as it was.
TEST(SearchMemory, RunningOutMidwayKeepsEveryMark) {
    EntryList list(ListKind::Normal);
    std::string marks;
    for (int i = 0; i < 300; ++i) {
        const std::string name = "row " + std::to_string(i * 7919 % 1000) + (i % 3 ? ".avi" : ".mp3");
        const std::string hash = "H" + std::to_string(i);
        const char* texts[8] = {name.c_str(), "trip",         "1,000", "status",
                                "1",          "Jan 01 10:00", "1.0",   hash.c_str()};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
    }
    ASSERT_GT(searchList(list, SearchField::Name, "5", false), 0);
    for (int i = 0; i < list.count(); ++i) marks += list.entryAt(i)->isMarked() ? '1' : '0';
    int result = -1;
    for (long failAt = 1; result < 0; ++failAt) {
        g_allocations = 0;
        g_failAt = failAt;
        g_counting = true;
        try {
            result = searchList(list, SearchField::Name, "[0-9]+[0-4]\\.(avi|mp4)$", true);
        } catch (const std::bad_alloc&) {
            std::string now;
            for (int i = 0; i < list.count(); ++i) now += list.entryAt(i)->isMarked() ? '1' : '0';
            EXPECT_EQ(now, marks) << "allocation " << failAt;
        }
        g_counting = false;
        g_failAt = 0;
        ASSERT_LT(failAt, 100000);
    }
    EXPECT_GT(result, 0);
}

// The scanner's cache stays within its size however many states the pattern has.
TEST(RegexMemory, ScannerCacheStaysBounded) {
    std::unique_ptr<Regex> re = compileRegex("(.?){10000}x(a|b)*a(a|b){12}$");
    ASSERT_NE(re, nullptr);
    std::string text = "x";
    for (int i = 0; i < 20000; ++i) text += "ab"[(i * 7 + i / 3) % 2];
    const bool expected = matchRegex(*re, text) > 0;
    const std::size_t before = g_held;
    g_peak = g_held;
    {
        RegexScanner scanner(*re);
        EXPECT_EQ(scanner.matches(text), expected);
    }
    // The cache, and per state of the pattern a mark and room in the sets being stepped.
    EXPECT_LT(g_peak - before, kRegexScanCacheBytes + 64 * re->stateCount());
}

}  // namespace
}  // namespace twk
