#include "core/progress.h"

#include <chrono>

namespace twk {

namespace {

class SteadyTicks final : public Ticks {
  public:
    double ms() const override {
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
    }
};

const Ticks* g_ticks = nullptr;
WorkIndicator* g_indicator = nullptr;

}  // namespace

const Ticks& ticks() {
    static const SteadyTicks steady;
    return g_ticks ? *g_ticks : steady;
}

const Ticks* setTicks(const Ticks* t) {
    const Ticks* old = g_ticks;
    g_ticks = t;
    return old;
}

WorkIndicator* setWorkIndicator(WorkIndicator* indicator) {
    WorkIndicator* old = g_indicator;
    g_indicator = indicator;
    return old;
}

LongWork::LongWork() : indicator_(g_indicator) {
    if (indicator_) indicator_->begin();
}

LongWork::~LongWork() {
    if (indicator_) indicator_->end();
}

void reportProgress(std::uint64_t done, std::uint64_t total) {
    if (g_indicator) g_indicator->progress(done, total);
}

ProgressThrottle::Step ProgressThrottle::step(std::uint64_t done, std::uint64_t total, double nowMs) {
    Step s;
    if (nowMs - looked_ >= kLookEveryMs) {
        s.look = true;
        looked_ = nowMs;
    }
    if (total == 0 || nowMs - start_ < kShowAfterMs) return s;
    if (shown_ >= 0 && nowMs - showed_ < kShowEveryMs) return s;
    if (done > total) done = total;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == shown_) return s;
    shown_ = percent;
    showed_ = nowMs;
    s.percent = percent;
    return s;
}

}  // namespace twk
