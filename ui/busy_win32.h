// Long work under way in the window. While a Busy lasts the wait cursor shows; once the work runs past a
// second, its progress shows as a percentage in the status bar's message part, at most ten times a second.
// Meanwhile the program answers what other programs and the system send its windows, so that it is not taken
// for hung, and runs nothing else: input, commands, timers and paints stay in the queue until the work ends,
// and the main window refuses what a sent message would start inside it (Busy::working()).
//
//     Busy busy(statusBar, total);      // one line around the work
//     ... busy.step(done) ...           // or the engine's reportProgress(done, total) inside it
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/progress.h"

namespace twk::ui {

class StatusBar;

class Busy {
  public:
    // `total`: the units step() counts in (0 when only the engine's reports give the progress).
    explicit Busy(StatusBar& bar, std::uint64_t total = 0);
    ~Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

    void step(std::uint64_t done) { progress(done, total_); }
    // `done` of `total` (0: the total given at the start).
    void progress(std::uint64_t done, std::uint64_t total);

    // The innermost Busy in force, nullptr when no work is under way.
    static Busy* current() { return current_; }
    static bool working() { return current_ != nullptr; }

  private:
    static Busy* current_;

    StatusBar& bar_;
    std::uint64_t total_;
    Busy* outer_;
    HCURSOR previous_;
    ProgressThrottle throttle_;
    std::string message_;  // the message part's text before the first percentage
    std::string shown_;    // the last percentage's text
};

// The engine's long work (LongWork, reportProgress) shown by a Busy on the window's status bar. Installed by
// the main window for its life.
class BusyIndicator final : public WorkIndicator {
  public:
    explicit BusyIndicator(StatusBar& bar) : bar_(bar) {}
    void begin() override;
    void end() noexcept override;
    void progress(std::uint64_t done, std::uint64_t total) override;

  private:
    StatusBar& bar_;
    int depth_ = 0;
    std::optional<Busy> busy_;
};

}  // namespace twk::ui
