#include "ui/browser_tab_set_win32.h"

#include <commctrl.h>

#include "core/text.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

constexpr std::size_t kCaptionBytes = 18;
const char* const kCaptionEllipsis = "...";
constexpr std::size_t kTitleBytesMax = 259;
// The browser's find command, as its document window takes it (WM_COMMAND, high word 1).
constexpr WORD kFindCommand = 67;

}  // namespace

std::string threadCaption(const std::string& title) {
    if (title.size() <= kCaptionBytes) return title;
    std::size_t keep = kCaptionBytes;
    for (std::size_t i = 0; i < kCaptionBytes; ++i) {
        if (!isLeadByte(title[i])) continue;
        if (i == kCaptionBytes - 1) keep = kCaptionBytes - 1;
        ++i;
    }
    return title.substr(0, keep) + kCaptionEllipsis;
}

std::string threadAddress(const std::string& localHost, const std::string& hash) {
    std::string address = localHost;
    if (!address.empty() && address.back() != '/') address += '/';
    return address + hash;
}

// ---------------------------------------------------------------------------------------------------------------
int BrowserTabSet::addBrowserPage(int show, const char* caption) {
    if (!initialised_ || !factory_) return 0;
    const int index = count_;
    if (insertTab(index, caption) == -1) return 0;
    std::unique_ptr<BrowserView> view = factory_(instance_, tabs_);
    if (!view || !view->window()) {
        SendMessageW(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
        return 0;
    }
    HWND window = view->window();
    RECT r = displayArea();
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWindow(window, show);
    pages_.push_back(window);
    records_.push_back(BrowserPage{std::move(view)});
    ++count_;
    if (show == SW_SHOW) {
        if (current_ != index) ShowWindow(pageWindow(current_), SW_HIDE);
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        current_ = index;
    }
    return 1;
}

int BrowserTabSet::removePage(int index) {
    if (!initialised_ || index < 0 || index >= count_) return 0;
    if (!SendMessageW(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0)) return 0;
    // The view releases the browser before its window goes.
    records_.erase(records_.begin() + index);
    pages_.erase(pages_.begin() + index);
    pageRemoved(index);
    return 1;
}

void BrowserTabSet::removeAll() {
    if (tabs_ && IsWindow(tabs_)) SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);
    while (!records_.empty()) records_.pop_back();
    allPagesRemoved();
}

BrowserView* BrowserTabSet::view(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return records_[static_cast<std::size_t>(index)].view.get();
}

int BrowserTabSet::navigate(const std::string& address) {
    BrowserView* v = initialised_ ? currentView() : nullptr;
    return v && v->navigate(widen(address)) ? 1 : 0;
}

int BrowserTabSet::reload() {
    BrowserView* v = initialised_ ? currentView() : nullptr;
    return v && v->reload() ? 1 : 0;
}

int BrowserTabSet::findInPage() {
    BrowserView* v = initialised_ ? currentView() : nullptr;
    HWND document = v ? browserDocumentWindow(v->window()) : nullptr;
    if (!document) return 0;
    SendMessageW(document, WM_COMMAND, MAKEWPARAM(kFindCommand, 1), 0);
    return 1;
}

int BrowserTabSet::pageTitle(std::string& out) {
    BrowserView* v = initialised_ ? currentView() : nullptr;
    std::wstring title;
    if (!v || !v->title(title)) return 0;
    out = narrow(title.c_str(), static_cast<int>(title.size()));
    if (out.size() > kTitleBytesMax) out.resize(kTitleBytesMax);
    return 1;
}

}  // namespace twk::ui
