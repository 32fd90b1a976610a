#include "ui/status_bar_win32.h"

#include <commctrl.h>

#include <vector>

#include "core/report.h"
#include "core/wide_text_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

const char* const kErrorBoxCaption = "Debug Message";

namespace {
// A report's text (at most a report buffer's bytes) in UTF-16 on the stack: the status bar and the error box
// must work when memory has run out, as they are what says so.
struct ReportText {
    explicit ReportText(const char* text) {
        int n = MultiByteToWideChar(kTextCodePage, 0, text ? text : "", -1, wide, kReportBufferSize);
        if (n <= 0) wide[0] = 0;
        wide[kReportBufferSize - 1] = 0;
    }
    wchar_t wide[kReportBufferSize];
};
}  // namespace

int StatusBar::create(HWND parent, int controlId, int partCount, const int* rightEdges) {
    window_.reset();
    HWND bar =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!bar) return 0;
    window_.reset(bar);
    setParts(partCount, rightEdges);
    ShowWindow(bar, SW_SHOW);
    return 1;
}

void StatusBar::setParts(int partCount, const int* rightEdges) {
    if (!window_ || partCount <= 0) return;
    std::vector<int> edges(rightEdges, rightEdges + partCount);
    SendMessageW(window_.get(), SB_SETPARTS, static_cast<WPARAM>(partCount),
                 reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::setText(int part, const char* text) {
    if (!window_) return;
    const ReportText w(text);
    SendMessageW(window_.get(), SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(w.wide));
    if (held_ && part >= 0 && part < 32) changed_ |= 1u << part;
}

StatusBar::Hold::Hold(StatusBar& bar) : bar_(bar) {
    HWND window = bar_.window_.get();
    if (!window || bar_.held_ || !IsWindowVisible(window)) return;
    // What is still to be painted is painted now: a control kept from drawing forgets it.
    UpdateWindow(window);
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    bar_.held_ = held_ = true;
    bar_.changed_ = 0;
}

StatusBar::Hold::~Hold() {
    if (!held_) return;
    bar_.held_ = false;
    HWND window = bar_.window_.get();
    if (!window) return;
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    for (int part = 0; part < 32; ++part) {
        if (!(bar_.changed_ & (1u << part))) continue;
        RECT r = {};
        if (SendMessageW(window, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&r)))
            InvalidateRect(window, &r, FALSE);
    }
    UpdateWindow(window);
}

std::string StatusBar::text(int part) const {
    if (!window_) return std::string();
    LRESULT len = LOWORD(SendMessageW(window_.get(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 1);
    SendMessageW(window_.get(), SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buf.data()));
    return narrow(buf.data());
}

void StatusBar::resize(WPARAM wParam, LPARAM lParam) {
    if (window_) SendMessageW(window_.get(), WM_SIZE, wParam, lParam);
}

RECT StatusBar::windowRect() const {
    RECT r = {};
    if (window_) GetWindowRect(window_.get(), &r);
    return r;
}

int StatusBar::height() const {
    RECT r = windowRect();
    return r.bottom - r.top;
}

void StatusReporter::showErrorBox(const char* text, bool ownerless) {
    const ReportText body(text), caption(kErrorBoxCaption);
    MessageBoxW(ownerless ? nullptr : owner_, body.wide, caption.wide, MB_OK);
}

}  // namespace twk::ui
