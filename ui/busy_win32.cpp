#include "ui/busy_win32.h"

#include <cstdio>
#include <new>

#include "core/report.h"
#include "ui/status_bar_win32.h"

namespace twk::ui {

namespace {

const char* const kMsgWorking = "処理中... %d%%";

// Handles the messages other threads and programs sent, and nothing else: nothing posted is taken from the
// queue, no input, timer or paint is looked at. Looking at the queue is also what tells the system that the
// program still answers.
void answerSentMessages() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

Busy* Busy::current_ = nullptr;

Busy::Busy(StatusBar& bar, std::uint64_t total)
    : bar_(bar),
      total_(total),
      outer_(current_),
      previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))),
      throttle_(ticks().ms()) {
    current_ = this;
}

Busy::~Busy() {
    current_ = outer_;
    SetCursor(previous_);
    // The percentage goes again unless something else took its place.
    if (shown_.empty()) return;
    try {
        if (bar_.text(kStatusMessage) == shown_) bar_.setText(kStatusMessage, message_.c_str());
    } catch (const std::bad_alloc&) {
        bar_.setText(kStatusMessage, "");
    }
}

void Busy::progress(std::uint64_t done, std::uint64_t total) {
    const ProgressThrottle::Step step = throttle_.step(done, total ? total : total_, ticks().ms());
    if (step.percent >= 0) {
        // Without memory for the texts the work goes on unshown: it must not fail for that.
        try {
            if (shown_.empty()) message_ = bar_.text(kStatusMessage);
            char text[64];
            std::snprintf(text, sizeof text, kMsgWorking, step.percent);
            shown_ = text;
            bar_.setText(kStatusMessage, text);
        } catch (const std::bad_alloc&) {
        }
        // Painted now: the paint that the text asked for waits in the queue with the rest.
        if (bar_.hwnd()) UpdateWindow(bar_.hwnd());
    }
    if (step.look) answerSentMessages();
}

void BusyIndicator::begin() {
    if (depth_++ == 0) busy_.emplace(bar_);
}

void BusyIndicator::end() noexcept {
    if (depth_ > 0 && --depth_ == 0) busy_.reset();
}

// The innermost work takes the progress, whether it began here or as a Busy of its own.
void BusyIndicator::progress(std::uint64_t done, std::uint64_t total) {
    if (Busy* busy = Busy::current()) busy->progress(done, total);
}

}  // namespace twk::ui
