#include "core/platform.h"

#include <ctime>

namespace twk {

#ifndef _WIN32
namespace {
class ChronoClock final : public Clock {
public:
    LocalTime now() const override {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        LocalTime lt;
        lt.year = tm.tm_year + 1900;
        lt.month = tm.tm_mon + 1;
        lt.day = tm.tm_mday;
        lt.hour = tm.tm_hour;
        lt.minute = tm.tm_min;
        lt.second = tm.tm_sec;
        return lt;
    }
};
}  // namespace

const Clock& systemClock() {
    static const ChronoClock c;
    return c;
}
#endif

namespace {
const Clock* g_clock = nullptr;
}

const Clock& clock() { return g_clock ? *g_clock : systemClock(); }

const Clock* setClock(const Clock* c) {
    const Clock* old = g_clock;
    g_clock = c;
    return old;
}

}  // namespace twk
