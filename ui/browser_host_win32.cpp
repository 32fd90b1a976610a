#include "ui/browser_host_win32.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <ocidl.h>
#include <shellapi.h>

#include <utility>

#include "host/navigation_policy.h"

namespace twk::ui {

namespace {

const wchar_t* const kHostClass = L"TollwickBrowserHost";
const wchar_t* const kDocumentClass = L"Internet Explorer_Server";
constexpr int kClassNameMax = 64;

// What the pages may never do: run Java or ActiveX controls, download controls, use binary behaviours, load
// frames; images load, videos and background sounds do not (their flags are left out).
constexpr DWORD kLockedDownload = DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS |
                                  DLCTL_NO_BEHAVIORS | DLCTL_NO_FRAMEDOWNLOAD | DLCTL_DLIMAGES;

// Support objects up now: views are made only while there is one.
int g_supports = 0;
bool g_classRegistered = false;

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
    // The interface `iid` of `from`, or none.
    template <class From>
    static ComRef query(From* from, REFIID iid) {
        void* p = nullptr;
        if (!from || FAILED(from->QueryInterface(iid, &p))) p = nullptr;
        return ComRef(static_cast<T*>(p));
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

// The reference count every object of the container shares: the last release deletes its owner.
class RefCount {
  public:
    ULONG add() noexcept { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    template <class Owner>
    ULONG release(Owner* owner) noexcept {
        const ULONG left = static_cast<ULONG>(InterlockedDecrement(&refs_));
        if (left == 0) delete owner;
        return left;
    }

  private:
    LONG refs_ = 1;
};

// ---------------------------------------------------------------------------------------------------------------
// The decision on an address the control is about to load.

// The address as UTF-8 for the policy (UTF-16 that is not well formed turns into replacement characters,
// which the policy refuses).
std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string(1, '\0');
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

// A string argument of an event, by value or by reference; empty when there is none.
std::wstring textArgument(const VARIANT& arg) {
    const VARIANT* v = &arg;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    BSTR text = nullptr;
    if (v->vt == VT_BSTR)
        text = v->bstrVal;
    else if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal)
        text = *v->pbstrVal;
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

VARIANT_BOOL* cancelArgument(const VARIANT& arg) {
    return arg.vt == (VT_BYREF | VT_BOOL) ? arg.pboolVal : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// The sink of the control's events: every navigation and every new window passes the policy.
class BrowserEvents final : public IDispatch {
  public:
    BrowserEvents(std::shared_ptr<const BrowserRules> rules,
                  std::function<void(const std::wstring&)> openHere)
        : rules_(std::move(rules)), openHere_(std::move(openHere)) {}
    // The view is gone: new windows to the host's pages have nowhere to go.
    void detach() { openHere_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID_DWebBrowserEvents2)
            return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return refs_.add(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return refs_.release(this); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override {
        try {
            // Arguments come last to first: BeforeNavigate2(browser, address, flags, frame, post data,
            // headers, cancel), NewWindow3(browser out, cancel, flags, referring address, address).
            if (id == DISPID_BEFORENAVIGATE2 && params && params->cArgs == 7)
                beforeNavigate(textArgument(params->rgvarg[5]), cancelArgument(params->rgvarg[0]));
            else if (id == DISPID_NEWWINDOW3 && params && params->cArgs == 5)
                newWindow(textArgument(params->rgvarg[0]), cancelArgument(params->rgvarg[3]));
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }

  private:
    friend class RefCount;  // deletes it at the last release
    ~BrowserEvents() = default;

    Navigation decide(const std::wstring& address) const {
        return navigationFor(rules_->localHost, utf8(address));
    }

    void handOff(const std::wstring& address) const {
        if (rules_->handToSystem) rules_->handToSystem(address);
    }

    void beforeNavigate(const std::wstring& address, VARIANT_BOOL* cancel) const {
        const Navigation decision = decide(address);
        if (cancel) *cancel = decision == Navigation::Stay ? VARIANT_FALSE : VARIANT_TRUE;
        if (decision == Navigation::HandToSystem && cancel) handOff(address);
    }

    // No new window is ever opened: a page of the host's server comes into this view instead. (NewWindow2,
    // raised before NewWindow3, is left alone: cancelling it would keep NewWindow3 and its address away.)
    void newWindow(const std::wstring& address, VARIANT_BOOL* cancel) const {
        if (!cancel) return;
        *cancel = VARIANT_TRUE;
        const Navigation decision = decide(address);
        if (decision == Navigation::HandToSystem) handOff(address);
        if (decision == Navigation::Stay && openHere_) openHere_(address);
    }

    RefCount refs_;
    std::shared_ptr<const BrowserRules> rules_;
    std::function<void(const std::wstring&)> openHere_;
};

// ---------------------------------------------------------------------------------------------------------------
// The container's site: where the control sits (client and in-place site, and the frame around it), and the
// ambient properties it reads through IDispatch.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDispatch {
  public:
    BrowserSite(HWND host, std::shared_ptr<const BrowserRules> rules)
        : host_(host), rules_(std::move(rules)) {}

    IOleClientSite* clientSite() { return this; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return refs_.add(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return refs_.release(this); }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) noexcept override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) noexcept override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }

    // IOleWindow (of the site and the frame alike)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) noexcept override {
        if (!out) return E_POINTER;
        *out = host_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) noexcept override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        GetClientRect(host_, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(host_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) noexcept override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus or accelerators of the control's own.
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) noexcept override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) noexcept override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) noexcept override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) noexcept override { return S_FALSE; }

    // IDispatch: the ambient properties. Only the download control is the container's to say; for every
    // other one the control keeps its default.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) noexcept override {
        if (id != DISPID_AMBIENT_DLCONTROL) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(browserDownloadControl(*rules_));
        return S_OK;
    }

  private:
    friend class RefCount;  // deletes it at the last release
    ~BrowserSite() = default;

    RefCount refs_;
    HWND host_;
    std::shared_ptr<const BrowserRules> rules_;
};

// ---------------------------------------------------------------------------------------------------------------
// The system's browser control in a host window of the program's class, with the site and sink above.
class SystemBrowserView final : public BrowserView {
  public:
    SystemBrowserView(HWND host, std::shared_ptr<const BrowserRules> rules) : host_(host) {
        SetWindowLongPtrW(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        site_ = ComRef<BrowserSite>(new BrowserSite(host_, rules));
        events_ = ComRef<BrowserEvents>(
            new BrowserEvents(std::move(rules), [this](const std::wstring& address) { navigate(address); }));
    }
    // The control lets go of the site and the sink before the window goes.
    ~SystemBrowserView() override {
        close();
        if (IsWindow(host_)) {
            SetWindowLongPtrW(host_, GWLP_USERDATA, 0);
            DestroyWindow(host_);
        }
    }
    SystemBrowserView(const SystemBrowserView&) = delete;
    SystemBrowserView& operator=(const SystemBrowserView&) = delete;

    // Creates the control in the window and connects the sink. A control whose events cannot be had is not
    // kept: nothing would hold its navigations to the host's server.
    bool open() {
        void* object = nullptr;
        if (FAILED(
                CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &object)))
            return false;
        object_ = ComRef<IOleObject>(static_cast<IOleObject*>(object));
        if (FAILED(object_->SetClientSite(site_->clientSite()))) return false;
        sited_ = true;
        // The download control is read again now that the site answers it.
        if (auto control = ComRef<IOleControl>::query(object_.get(), IID_IOleControl))
            control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
        auto points = ComRef<IConnectionPointContainer>::query(object_.get(), IID_IConnectionPointContainer);
        IConnectionPoint* point = nullptr;
        if (!points || FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) || !point)
            return false;
        eventPoint_ = ComRef<IConnectionPoint>(point);
        if (FAILED(eventPoint_->Advise(static_cast<IDispatch*>(events_.get()), &cookie_))) {
            eventPoint_.reset();
            return false;
        }
        RECT area = {};
        GetClientRect(host_, &area);
        if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_->clientSite(), 0, host_, &area)))
            return false;
        inPlace_ = ComRef<IOleInPlaceObject>::query(object_.get(), IID_IOleInPlaceObject);
        browser_ = ComRef<IWebBrowser2>::query(object_.get(), IID_IWebBrowser2);
        return true;
    }

    // Idempotent: also run when the window goes first (its parent destroyed).
    void close() {
        events_->detach();
        if (eventPoint_) eventPoint_->Unadvise(cookie_);
        eventPoint_.reset();
        browser_.reset();
        if (inPlace_) inPlace_->InPlaceDeactivate();
        inPlace_.reset();
        if (object_) {
            object_->Close(OLECLOSE_NOSAVE);
            if (sited_) object_->SetClientSite(nullptr);
        }
        sited_ = false;
        object_.reset();
    }

    void fit() {
        if (!inPlace_) return;
        RECT area = {};
        GetClientRect(host_, &area);
        inPlace_->SetObjectRects(&area, &area);
    }

    HWND window() const override { return host_; }
    IOleClientSite* clientSite() const override { return site_->clientSite(); }
    IDispatch* eventSink() const override { return events_.get(); }

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
    HWND host_;
    ComRef<BrowserSite> site_;
    ComRef<BrowserEvents> events_;
    ComRef<IOleObject> object_;
    bool sited_ = false;
    ComRef<IConnectionPoint> eventPoint_;
    DWORD cookie_ = 0;
    ComRef<IOleInPlaceObject> inPlace_;
    ComRef<IWebBrowser2> browser_;
};

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* view = reinterpret_cast<SystemBrowserView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (view) {
        switch (message) {
            case WM_SIZE:
                view->fit();
                return 0;
            case WM_SETFOCUS:
                // The focus belongs to the control's own window.
                if (HWND inner = GetWindow(window, GW_CHILD)) SetFocus(inner);
                return 0;
            case WM_DESTROY:
                view->close();
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerHostClass() {
    if (g_classRegistered) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &hostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kHostClass;
    g_classRegistered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return g_classRegistered;
}

// The host window is of the program's class, registered with the module's own handle.
std::unique_ptr<BrowserView> makeSystemView(HWND parent, const std::shared_ptr<const BrowserRules>& rules) {
    if (g_supports <= 0 || !rules) return nullptr;
    HWND host = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, kHostClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 100, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!host) return nullptr;
    auto view = std::make_unique<SystemBrowserView>(host, rules);
    if (!view->open()) return nullptr;
    return view;
}

}  // namespace

DWORD browserDownloadControl(const BrowserRules& rules) {
    return kLockedDownload | (rules.allowScripts ? 0 : DLCTL_NO_SCRIPTS);
}

void openInSystemBrowser(const std::wstring& address) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

BrowserViewFactory systemBrowserFactory(std::shared_ptr<const BrowserRules> rules) {
    return [rules = std::move(rules)](HINSTANCE, HWND parent) { return makeSystemView(parent, rules); };
}

BrowserSupport::BrowserSupport() {
    // The control lives in this thread's apartment.
    HRESULT hr = OleInitialize(nullptr);
    ole_ = SUCCEEDED(hr);
    ready_ = ole_ && registerHostClass();
    if (ready_) ++g_supports;
}

BrowserSupport::~BrowserSupport() {
    if (ready_) --g_supports;
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
