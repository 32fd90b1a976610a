// Long work the user waits for (a list file read or written, rows handed to the host's files, the files of
// the close): the platform shows that the program is working while it lasts, and how far it has come once it
// runs long. The work itself only marks its span (LongWork) and says how far it got (reportProgress); whoever
// shows it installs a WorkIndicator. Everything here belongs to the window's thread: a helper thread reports
// nothing.
#pragma once

#include <cstdint>

namespace twk {

// Milliseconds from a fixed point, never going back: the steady clock; tests install their own.
class Ticks {
  public:
    virtual ~Ticks() = default;
    virtual double ms() const = 0;
};
const Ticks& ticks();
// nullptr restores the steady clock. Returns the previous one (nullptr for the steady clock).
const Ticks* setTicks(const Ticks* t);

// What shows long work: the platform's busy indicator.
class WorkIndicator {
  public:
    virtual ~WorkIndicator() = default;
    // Work begins and ends; spans nest, and every begin is matched by an end.
    virtual void begin() = 0;
    virtual void end() noexcept = 0;
    // `done` of `total` units of the work in hand (total 0: nothing to say).
    virtual void progress(std::uint64_t done, std::uint64_t total) = 0;
};
// The indicator in force (none by default). Returns the previous one.
WorkIndicator* setWorkIndicator(WorkIndicator* indicator);

// A span of long work, shown by the indicator in force while it lasts.
class LongWork {
  public:
    LongWork();
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

  private:
    WorkIndicator* indicator_;
};

// How far the work in hand has come. Cheap enough to call every few thousand rows.
void reportProgress(std::uint64_t done, std::uint64_t total);

// When the indicator looks up and what it shows: the system's messages are looked at every kLookEveryMs; the
// progress shows as a percentage only once the work has run kShowAfterMs, then at most every kShowEveryMs,
// and only when the percentage changed.
class ProgressThrottle {
  public:
    static constexpr double kLookEveryMs = 50;
    static constexpr double kShowAfterMs = 1000;
    static constexpr double kShowEveryMs = 100;

    explicit ProgressThrottle(double startMs) : start_(startMs), looked_(startMs) {}
    struct Step {
        bool look = false;  // time to answer the system's messages
        int percent = -1;   // the percentage to show now, -1 for none
    };
    Step step(std::uint64_t done, std::uint64_t total, double nowMs);
    // The percentage last shown, -1 when none was.
    int shown() const { return shown_; }

  private:
    double start_;
    double looked_;
    double showed_ = 0;
    int shown_ = -1;
};

}  // namespace twk
