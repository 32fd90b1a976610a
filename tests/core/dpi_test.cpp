#include "core/dpi.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

constexpr int kDpis[] = {96, 120, 144, 168, 192, 240, 288};

TEST(Dpi, ScalesRulesToThePixelsOfEachDpi) {
    struct Case {
        int value, dpi, pixels;
    };
    const Case cases[] = {
        {29, 96, 29},
        {29, 120, 36},
        {29, 144, 44},
        {29, 192, 58},
        {155, 144, 233},
        {1, 120, 1},
        {2, 144, 3},
        {3, 168, 5},
        {-18, 144, -27},
        {-1, 144, -2},
        {0, 288, 0},
        {13, 0, 13},
        {13, -5, 13},
        {100, 72, 75},
        {2147483647, 192, 2147483647},
        {-2147483647, 192, -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scaleToDpi(c.value, c.dpi), c.pixels) << c.value << " at " << c.dpi;
        EXPECT_EQ(DpiScale(c.dpi).px(c.value), c.pixels) << c.value << " at " << c.dpi;
    }
    EXPECT_EQ(scaleFromDpi(233, 144), 155);
    EXPECT_EQ(scaleFromDpi(-27, 144), -18);
}

// A stored size converted at load and back at save is the number that was stored, whatever the DPI.
TEST(Dpi, StoredValuesRoundTripAtEveryDpi) {
    for (int dpi : kDpis) {
        const DpiScale scale(dpi);
        for (int value = -4096; value <= 65536; ++value)
            ASSERT_EQ(scale.units(scale.px(value)), value) << value << " at " << dpi;
        // Every pixel width a user can drag to comes back as the nearest unit, and that unit shows as the
        // nearest pixel again: a second save changes nothing.
        for (int pixels = 0; pixels <= 8192; ++pixels)
            ASSERT_EQ(scale.units(scale.px(scale.units(pixels))), scale.units(pixels))
                << pixels << " at " << dpi;
    }
}

}  // namespace
}  // namespace twk
