#include "core/progress.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

// One run of work started at 0 ms, step by step: when the system's messages are looked at and which
// percentage shows.
TEST(ProgressThrottle, ShowsLongWorkOnlyAndAtMostTenTimesASecond) {
    struct Case {
        double now;
        std::uint64_t done, total;
        bool look;
        int percent;
    };
    const Case cases[] = {
        {10, 1, 100, false, -1},      // soon after the start: nothing
        {50, 5, 100, true, -1},       // the messages are looked at every 50 ms
        {80, 8, 100, false, -1},      //
        {999, 60, 100, true, -1},     // short work shows no percentage at all
        {1000, 61, 100, false, 61},   // after a second it does
        {1060, 70, 100, true, -1},    // not again within 100 ms
        {1100, 70, 100, false, 70},   // then it does
        {1250, 70, 100, true, -1},    // an unchanged percentage is not shown again
        {1300, 0, 0, true, -1},       // a total of nothing says nothing
        {1400, 900, 300, true, 100},  // more done than the total is all of it
        {1500, 1, 3, true, 33},       //
        {1600, 2, 3, true, 66},       //
    };
    ProgressThrottle throttle(0);
    EXPECT_EQ(throttle.shown(), -1);
    for (const Case& c : cases) {
        const ProgressThrottle::Step step = throttle.step(c.done, c.total, c.now);
        EXPECT_EQ(step.look, c.look) << "at " << c.now << " ms";
        EXPECT_EQ(step.percent, c.percent) << "at " << c.now << " ms";
    }
    EXPECT_EQ(throttle.shown(), 66);
}

}  // namespace
}  // namespace twk
