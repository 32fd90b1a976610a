#include "core/report.h"

#include <cstdarg>
#include <cstdio>

#include "core/list_view.h"
#include "core/platform.h"

namespace twk {

const char* const kMsgAllocationFailed = "メモリの確保に失敗しました(%d)";
const char* const kMsgCannotOpen = "%s が開けませんでした";
const char* const kMsgCannotWrite = "%s に書き込めませんでした";

namespace {
class NullReporter final : public Reporter {
  public:
    void setStatusText(int, const char*) override {}
    void showErrorBox(const char*, bool) override {}
};
NullReporter g_null;
Reporter* g_reporter = nullptr;

// "[hh:mm:ss] " followed by the formatted text, cut to the report buffer.
void stampedText(char (&buf)[kReportBufferSize], const char* format, va_list args) {
    LocalTime t = clock().now();
    int n = std::snprintf(buf, sizeof buf, "[%2.2d:%2.2d:%2.2d] ", t.hour, t.minute, t.second);
    if (n < 0) n = 0;
    if (n < kReportBufferSize) std::vsnprintf(buf + n, sizeof buf - n, format, args);
}
}  // namespace

Reporter& reporter() {
    return g_reporter ? *g_reporter : g_null;
}

Reporter* setReporter(Reporter* r) {
    Reporter* old = g_reporter;
    g_reporter = r;
    return old;
}

int showCounts(const ListViewOps* view) {
    return showCounts(view ? view->itemCount() : 0, view ? view->selectedCount() : 0);
}

int showCounts(int items, int selected) {
    char buf[kReportBufferSize];
    std::snprintf(buf, sizeof buf, "Hit数:%d  選択数:%d", items, selected);
    reporter().setStatusText(kStatusCounts, buf);
    return 1;
}

namespace {
// Formats the time-stamped text and hands it to `show`.
template <class Show>
int stamped(const char* format, va_list args, Show&& show) {
    char buf[kReportBufferSize];
    stampedText(buf, format, args);
    show(buf);
    return 1;
}
}  // namespace

int showMessage(const char* format, ...) {
    if (!format) {
        reporter().setStatusText(kStatusMessage, "");
        return 1;
    }
    va_list args;
    va_start(args, format);
    int r = stamped(format, args, [](const char* text) { reporter().setStatusText(kStatusMessage, text); });
    va_end(args);
    return r;
}

int errorBox(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int r = stamped(format, args, [](const char* text) { reporter().showErrorBox(text, false); });
    va_end(args);
    return r;
}

namespace {
int g_allocationFailures = 0;
}  // namespace

int reportAllocationFailure(MemoryPlace place) {
    ++g_allocationFailures;
    return errorBox(kMsgAllocationFailed, static_cast<int>(place));
}

int allocationFailuresReported() {
    return g_allocationFailures;
}

int errorBoxOwnerless(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int r = stamped(format, args, [](const char* text) { reporter().showErrorBox(text, true); });
    va_end(args);
    return r;
}

}  // namespace twk
