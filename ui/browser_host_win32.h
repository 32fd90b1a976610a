// The embedded browser: what a browser tab needs of a web view, the system's browser control behind it, and
// the process-wide support the control's host window class needs.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace twk::ui {

// The user's web browser opens `address` (ShellExecute "open").
void openInSystemBrowser(const std::wstring& address);

// What the browser tabs allow, shared by the tab set and its views and read at each decision.
struct BrowserRules {
    // The host's web server (the LocalHost setting, ANSI): the pages under it are the only ones a view loads.
    std::string localHost;
    // Whether the pages may run scripts ("BbsScripts"). Java, ActiveX controls, binary behaviours, frames,
    // videos and background sounds stay off either way.
    bool allowScripts = false;
    // Opens an http or https address outside the host's server in the user's web browser.
    std::function<void(const std::wstring& address)> handToSystem = openInSystemBrowser;
};

// The ambient download control a view's container gives the browser control under `rules`.
DWORD browserDownloadControl(const BrowserRules& rules);

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
    // The container's site, whose IDispatch answers the control's ambient properties, and the sink of the
    // control's events (DWebBrowserEvents2); none for a view without a control of its own. Owned by the view.
    virtual IOleClientSite* clientSite() const { return nullptr; }
    virtual IDispatch* eventSink() const { return nullptr; }
};

// Makes a view in a new host window under `parent`; nullptr when no window or no control could be had.
using BrowserViewFactory = std::function<std::unique_ptr<BrowserView>(HINSTANCE instance, HWND parent)>;

// The system's browser control in a container of the program's own, held to `rules`.
BrowserViewFactory systemBrowserFactory(std::shared_ptr<const BrowserRules> rules);

// The container's window class and the thread's OLE, set up once the main window exists and shut down after
// the message loop. Views can be made only while a support object is up.
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
