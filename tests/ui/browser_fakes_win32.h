// Web views for the BBS page's browser tabs that record what they are asked. Each has the window tree of the
// system's browser (host, two windows, the document window of the browser's class), so that the tab set's
// find command and the Enter key travel the same way as with the real control.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/browser_host_win32.h"
#include "ui/text_win32.h"

namespace twk::ui::test {

struct ViewLog {
    std::vector<std::string> events;  // "navigate <address>", "reload", "command 67 1", "char 13", "closed"
    int alive = 0;
    std::wstring title = L"文書の題";
    bool refuse = false;  // no view can be made

    std::string last() const { return events.empty() ? std::string() : events.back(); }
};

inline LRESULT CALLBACK fakeDocumentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* log = reinterpret_cast<ViewLog*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (log && m == WM_COMMAND)
        log->events.push_back("command " + std::to_string(LOWORD(wp)) + " " + std::to_string(HIWORD(wp)));
    if (log && m == WM_CHAR) log->events.push_back("char " + std::to_string(wp));
    return DefWindowProcW(w, m, wp, lp);
}

class FakeView final : public BrowserView {
  public:
    FakeView(HWND parent, ViewLog& log) : log_(log) {
        static const bool registered = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &fakeDocumentProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"Internet Explorer_Server";
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        HINSTANCE instance = GetModuleHandleW(nullptr);
        host_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent, nullptr,
                                instance, nullptr);
        HWND w = host_;
        for (int i = 0; i < 2; ++i)
            w = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, w, nullptr, instance,
                                nullptr);
        document_ = CreateWindowExW(0, L"Internet Explorer_Server", L"", WS_CHILD | WS_VISIBLE, 0, 0, 40, 40,
                                    w, nullptr, instance, nullptr);
        SetWindowLongPtrW(document_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log_));
        ++log_.alive;
    }
    ~FakeView() override {
        DestroyWindow(host_);
        --log_.alive;
        log_.events.push_back("closed");
    }
    HWND window() const override { return host_; }
    HWND document() const { return document_; }
    bool navigate(const std::wstring& address) override {
        log_.events.push_back("navigate " + narrow(address.c_str()));
        return true;
    }
    bool reload() override {
        log_.events.push_back("reload");
        return true;
    }
    bool title(std::wstring& out) override {
        out = log_.title;
        return true;
    }

  private:
    ViewLog& log_;
    HWND host_ = nullptr;
    HWND document_ = nullptr;
};

inline BrowserViewFactory fakeBrowserFactory(ViewLog& log) {
    return [&log](HINSTANCE, HWND parent) -> std::unique_ptr<BrowserView> {
        if (log.refuse) return nullptr;
        return std::make_unique<FakeView>(parent, log);
    };
}

}  // namespace twk::ui::test
