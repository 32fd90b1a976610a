#include "core/report.h"

#include <cstdarg>
#include <cstdio>

#include "core/list_view.h"
#include "core/platform.h"

namespace twk {

const char* const kMsgAllocationFailed = "メモリの確保に失敗しました(%d)";

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

Reporter& reporter() { return g_reporter ? *g_reporter : g_null; }

Reporter* setReporter(Reporter* r) {
    Reporter* old = g_reporter;
    g_reporter = r;
    return old;
}

int showCounts(const ListViewOps* view) {
    char buf[kReportBufferSize];
    int items = view ? view->itemCount() : 0;
    int selected = view ? view->selectedCount() : 0;
    std::snprintf(buf, sizeof buf, "Hit数:%d  選択数:%d", items, selected);
    reporter().setStatusText(kStatusCounts, buf);
    return 1;
}

int showMessage(const char* format, ...) {
    if (!format) {
        reporter().setStatusText(kStatusMessage, "");
        return 1;
    }
    char buf[kReportBufferSize];
    va_list args;
    va_start(args, format);
    stampedText(buf, format, args);
    va_end(args);
    reporter().setStatusText(kStatusMessage, buf);
    return 1;
}

int errorBox(const char* format, ...) {
    char buf[kReportBufferSize];
    va_list args;
    va_start(args, format);
    stampedText(buf, format, args);
    va_end(args);
    reporter().showErrorBox(buf, false);
    return 1;
}

int errorBoxOwnerless(const char* format, ...) {
    char buf[kReportBufferSize];
    va_list args;
    va_start(args, format);
    stampedText(buf, format, args);
    va_end(args);
    reporter().showErrorBox(buf, true);
    return 1;
}

}  // namespace twk
