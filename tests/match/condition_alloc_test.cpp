// Evaluation runs for every collected record and every row of a search: it must not allocate. This file
// replaces the global allocation functions of the match test program with counting ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "core/text.h"
#include "match/condition_list.h"

namespace {
bool g_counting = false;
long g_allocations = 0;

void* allocate(std::size_t n) {
    if (g_counting) ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
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

}  // namespace
}  // namespace twk
