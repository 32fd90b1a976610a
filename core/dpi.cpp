#include "core/dpi.h"

#include <limits>

namespace twk {

int scaleRounded(std::int64_t value, int to, int from) {
    if (from <= 0) return 0;
    const std::int64_t product = value * to;
    const std::int64_t half = from / 2;
    // Halves away from zero, so that scaling is symmetric around 0.
    std::int64_t q = product >= 0 ? (product + half) / from : -((-product + half) / from);
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    if (q < lo) q = lo;
    if (q > hi) q = hi;
    return static_cast<int>(q);
}

}  // namespace twk
