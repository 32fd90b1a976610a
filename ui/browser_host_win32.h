// The embedded browser: what a browser tab needs of a web view, the system's browser control behind it, and
// the process-wide support the control's host window class needs.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace twk::ui {

// One web view inside a host window (a child of the browser tab control). The view owns its window and
// whatever the control hands out; both go with it.
class BrowserView {
  public:
    virtual ~BrowserView() = default;
    virtual HWND window() const = 0;
    // Each is false when the view has no automation interface or the control refused.
    virtual bool navigate(const std::wstring& address) = 0;
    virtual bool reload() = 0;
    // The document title; empty while there is none.
    virtual bool title(std::wstring& out) = 0;
};

// Makes a view in a new host window under `parent`; nullptr when no window or no control could be had.
using BrowserViewFactory = std::function<std::unique_ptr<BrowserView>(HINSTANCE instance, HWND parent)>;

// The system's browser control ("Shell.Explorer.2" in an "AtlAxWin" host window).
BrowserViewFactory systemBrowserFactory();

// The host window class and its registered messages, set up once the main window exists and shut down
// after the message loop. Views can be made only while a support object is up.
class BrowserSupport {
  public:
    BrowserSupport();
    ~BrowserSupport();
    BrowserSupport(const BrowserSupport&) = delete;
    BrowserSupport& operator=(const BrowserSupport&) = delete;

    bool ready() const { return ready_; }

  private:
    bool ready_ = false;
    bool ole_ = false;
};

// The browser's document window below a host window (first child of the first child of the first child),
// or nullptr; and whether a window is such a document window.
HWND browserDocumentWindow(HWND host);
bool isBrowserDocumentWindow(HWND window);

}  // namespace twk::ui
