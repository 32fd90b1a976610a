#include "ui/browser_host_win32.h"

#include <exdisp.h>
#include <ole2.h>

#include <utility>

namespace twk::ui {

namespace {

const wchar_t* const kHostClass = L"AtlAxWin";
const wchar_t* const kControlName = L"Shell.Explorer.2";
const wchar_t* const kDocumentClass = L"Internet Explorer_Server";
constexpr int kClassNameMax = 64;

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

// The host library stays loaded once it has registered its window class: a later support object (another
// window in the same process) uses the class again.
struct AtlHost {
    HMODULE library = nullptr;
    AtlAxGetControlFn getControl = nullptr;
    UINT getHostMessage = 0;
    UINT getControlMessage = 0;
    int supports = 0;  // support objects up now
};
AtlHost g_host;

template <class Fn>
Fn libraryFunction(HMODULE library, const char* name) {
    // Through a function type without parameters: the export's real type is known only here.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

bool loadHost() {
    if (g_host.library) return true;
    HMODULE library = LoadLibraryW(L"atl.dll");
    if (!library) return false;
    auto init = libraryFunction<AtlAxWinInitFn>(library, "AtlAxWinInit");
    if (!init || !init()) {
        FreeLibrary(library);
        return false;
    }
    g_host.library = library;
    g_host.getControl = libraryFunction<AtlAxGetControlFn>(library, "AtlAxGetControl");
    g_host.getHostMessage = RegisterWindowMessageW(L"WM_ATLGETHOST");
    g_host.getControlMessage = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
    return true;
}

// An owned reference to a COM object: released when the owner goes.
template <class T>
class ComRef {
  public:
    ComRef() = default;
    explicit ComRef(T* p) : p_(p) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComRef& operator=(ComRef&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }

  private:
    T* p_ = nullptr;
};

// A BSTR owned for the length of a call.
class OwnedBstr {
  public:
    OwnedBstr() = default;
    explicit OwnedBstr(const std::wstring& text)
        : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~OwnedBstr() { SysFreeString(s_); }
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    BSTR get() const { return s_; }
    BSTR* out() { return &s_; }

  private:
    BSTR s_ = nullptr;
};

class SystemBrowserView final : public BrowserView {
  public:
    SystemBrowserView(HWND window, ComRef<IUnknown> control) : window_(window), control_(std::move(control)) {
        void* browser = nullptr;
        if (SUCCEEDED(control_->QueryInterface(IID_IWebBrowser2, &browser)))
            browser_ = ComRef<IWebBrowser2>(static_cast<IWebBrowser2*>(browser));
    }
    // The browser's references go before its window.
    ~SystemBrowserView() override {
        browser_.reset();
        control_.reset();
        if (IsWindow(window_)) DestroyWindow(window_);
    }

    HWND window() const override { return window_; }

    bool navigate(const std::wstring& address) override {
        if (!browser_) return false;
        OwnedBstr text(address);
        if (!text.get()) return false;
        VARIANT url, flags, frame, postData, headers;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = text.get();
        for (VARIANT* v : {&flags, &frame, &postData, &headers}) VariantInit(v);
        return SUCCEEDED(browser_->Navigate2(&url, &flags, &frame, &postData, &headers));
    }

    bool reload() override { return browser_ && SUCCEEDED(browser_->Refresh()); }

    bool title(std::wstring& out) override {
        out.clear();
        if (!browser_) return false;
        OwnedBstr name;
        if (FAILED(browser_->get_LocationName(name.out()))) return false;
        if (name.get()) out.assign(name.get(), SysStringLen(name.get()));
        return true;
    }

  private:
    HWND window_;
    ComRef<IUnknown> control_;
    ComRef<IWebBrowser2> browser_;
};

// Asks the host window for its control: by the registered message first; hosts that do not answer it hand
// the control out through the library's export.
ComRef<IUnknown> hostedControl(HWND host) {
    IUnknown* control = nullptr;
    if (g_host.getControlMessage)
        control = reinterpret_cast<IUnknown*>(SendMessageW(host, g_host.getControlMessage, 0, 0));
    if (!control && g_host.getControl && FAILED(g_host.getControl(host, &control))) control = nullptr;
    return ComRef<IUnknown>(control);
}

std::unique_ptr<BrowserView> makeSystemView(HINSTANCE instance, HWND parent) {
    if (g_host.supports <= 0) return nullptr;
    HWND host = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, kHostClass, kControlName,
                                WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent, nullptr, instance, nullptr);
    if (!host) return nullptr;
    ComRef<IUnknown> control = hostedControl(host);
    if (!control) {
        DestroyWindow(host);
        return nullptr;
    }
    return std::make_unique<SystemBrowserView>(host, std::move(control));
}

}  // namespace

BrowserViewFactory systemBrowserFactory() {
    return &makeSystemView;
}

BrowserSupport::BrowserSupport() {
    // The control lives in this thread's apartment.
    HRESULT hr = OleInitialize(nullptr);
    ole_ = SUCCEEDED(hr);
    ready_ = ole_ && loadHost();
    if (ready_) ++g_host.supports;
}

BrowserSupport::~BrowserSupport() {
    if (ready_) --g_host.supports;
    if (ole_) OleUninitialize();
}

HWND browserDocumentWindow(HWND host) {
    HWND w = host;
    for (int depth = 0; depth < 3 && w; ++depth) w = GetWindow(w, GW_CHILD);
    return w;
}

bool isBrowserDocumentWindow(HWND window) {
    wchar_t name[kClassNameMax] = {};
    return window && GetClassNameW(window, name, kClassNameMax) && lstrcmpW(name, kDocumentClass) == 0;
}

}  // namespace twk::ui
