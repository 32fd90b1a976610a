// The BBS page's browser tabs: opening a thread from the list, the tabs' captions, title line and commands,
// the page's two layouts around them, closing the window with tabs open, and a thread loaded by the system's
// browser control from the host simulator's web server, held there by the pane's container.
#include <exdispid.h>
#include <mshtmdid.h>

#include "tests/ui/browser_fakes_win32.h"
#include "tests/ui/window_fixture_win32.h"
#include "tools/vobra_sim/sim_driver_win32.h"
#include "ui/bbs_page_win32.h"

namespace twk::ui::test {
namespace {

constexpr int kBbsTab = 3;
const char* const kHash = "5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A";  // a thread of the simulator's sample

// The hash of the n-th thread a test adds.
std::string threadHash(int n) {
    char hash[40];
    std::snprintf(hash, sizeof hash, "%032d", n);
    return hash;
}

// The ambient download control, asked of the view's container as the browser control asks it; -1 when none.
long ambientDownloadControl(const BrowserView& view) {
    IDispatch* ambient = nullptr;
    if (!view.clientSite() ||
        FAILED(view.clientSite()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))))
        return -1;
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none = {};
    const HRESULT hr = ambient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, LOCALE_USER_DEFAULT,
                                       DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    ambient->Release();
    return SUCCEEDED(hr) && result.vt == VT_I4 ? result.lVal : -1;
}

// Raises BeforeNavigate2 or NewWindow3 for `address` at the view's event sink with the control's arguments;
// true when the sink cancelled it.
bool raiseEvent(const BrowserView& view, DISPID event, const std::string& address) {
    const std::wstring wide = widen(address);
    BSTR url = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    VARIANT byValue;
    VariantInit(&byValue);
    byValue.vt = VT_BSTR;
    byValue.bstrVal = url;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;
    VARIANT args[7];
    for (VARIANT& a : args) VariantInit(&a);
    DISPPARAMS params = {args, nullptr, 0, 0};
    if (event == DISPID_BEFORENAVIGATE2) {  // browser, address, flags, frame, post data, headers, cancel
        params.cArgs = 7;
        args[5].vt = VT_BYREF | VT_VARIANT;
        args[5].pvarVal = &byValue;
        args[0].vt = VT_BYREF | VT_BOOL;
        args[0].pboolVal = &cancel;
    } else {  // new browser (out), cancel, flags, referring address, address
        params.cArgs = 5;
        args[4].vt = VT_BYREF | VT_DISPATCH;
        args[4].ppdispVal = &newWindow;
        args[3].vt = VT_BYREF | VT_BOOL;
        args[3].pboolVal = &cancel;
        args[0] = byValue;
    }
    view.eventSink()->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                             nullptr);
    SysFreeString(url);
    return cancel == VARIANT_TRUE && newWindow == nullptr;
}

class BbsBrowserTest : public WindowTest {
  protected:
    // The window, with web views that record instead of the system's control.
    BbsPage& startPage(bool fakeViews = true) {
        start();
        page_ = main_->bbsPage();
        EXPECT_NE(page_, nullptr);
        main_->tabs().selectPage(kBbsTab);
        if (fakeViews) page_->browsers().setFactory(fakeBrowserFactory(log_));
        return *page_;
    }
    BrowserTabSet& browsers() { return page_->browsers(); }
    HWND pageWindow() { return page_->hwnd(); }
    void setLocalHost(const char* text) {
        setDialogItemText(main_->tabs().firstPageOfKind(PageKind::Settings), IDC_SET_LOCALHOST, text);
    }
    // Appends a thread and double-clicks it in the list, as the user does: the row gets the focus, then the
    // view receives the double click.
    void openThread(const std::string& name, std::string hash = std::string()) {
        EntryList& list = *page_->list();
        if (hash.empty()) hash = threadHash(list.count());
        const char* texts[8] = {name.c_str(),  "",    "",          "書可スレッド", "1",
                                "12/08 10:00", "1.2", hash.c_str()};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
        doubleClickRow(list.count() - 1);
    }
    void doubleClickRow(int row) {
        HWND v = view(kBbsTab);
        LVITEMW item = {};
        item.stateMask = LVIS_FOCUSED;
        item.state = row >= 0 ? LVIS_FOCUSED : 0;
        SendMessageW(v, LVM_SETITEMSTATE, static_cast<WPARAM>(row >= 0 ? row : -1),
                     reinterpret_cast<LPARAM>(&item));
        SendMessageW(v, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 30));
    }
    std::string titleLine() { return dialogItemText(pageWindow(), IDC_BBS_TITLE); }
    void pageCommand(int id) { SendMessageW(pageWindow(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // A control's rectangle in the page's client coordinates.
    RECT controlRect(int id) {
        RECT r = {};
        GetWindowRect(GetDlgItem(pageWindow(), id), &r);
        MapWindowPoints(nullptr, pageWindow(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // Whether every browser view covers the display area of the browser tab control.
    bool viewsFitTheTabs() {
        HWND tabs = GetDlgItem(pageWindow(), IDC_BBS_BROWSERTABS);
        RECT area = {};
        GetClientRect(tabs, &area);
        SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        for (int i = 0; i < browsers().count(); ++i) {
            RECT r = {};
            GetWindowRect(browsers().pageWindow(i), &r);
            MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&r), 2);
            if (!EqualRect(&r, &area)) return false;
        }
        return browsers().count() > 0;
    }

    ViewLog log_;
    BbsPage* page_ = nullptr;
};

TEST_F(BbsBrowserTest, ADoubleClickOpensTheThreadWithItsCaptionTitleAndAddress) {
    startPage();
    doubleClickRow(-1);  // no row has the focus: nothing opens
    EXPECT_EQ(browsers().count(), 0);

    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    const std::string wideAt18 = "abcdefghijklmnopq" + std::string("あいう");  // byte 17 leads "あ"
    struct Case {
        std::string name, localHost, caption, address;
    } cases[] = {
        {thirty, "http://127.0.0.1:7744", "abcdefghijklmnopqr...", "http://127.0.0.1:7744/" + threadHash(0)},
        {wideAt18, "http://127.0.0.1:7744/", "abcdefghijklmnopq...",
         "http://127.0.0.1:7744/" + threadHash(1)},
        {"短いスレ", "http://host/bbs", "短いスレ", "http://host/bbs/" + threadHash(2)},
        {"空のLocalHost", "", "空のLocalHost", threadHash(3)},
    };
    int n = 0;
    for (const Case& c : cases) {
        setLocalHost(c.localHost.c_str());
        openThread(c.name);
        ++n;
        ASSERT_EQ(browsers().count(), n) << c.name;
        EXPECT_EQ(browsers().current(), n - 1);
        EXPECT_EQ(browsers().tabText(n - 1), c.caption);
        EXPECT_EQ(titleLine(), c.name);
        EXPECT_EQ(log_.last(), "navigate " + c.address);
        EXPECT_TRUE(IsWindowVisible(browsers().pageWindow(n - 1)));
        if (n > 1) {
            EXPECT_FALSE(IsWindowVisible(browsers().pageWindow(n - 2)));
        }
    }
}

TEST_F(BbsBrowserTest, ATabThatCannotBeMadeLeavesTheOthersAlone) {
    startPage();
    openThread("最初のスレ");
    log_.events.clear();
    log_.refuse = true;
    openThread("二番目のスレ");
    EXPECT_EQ(browsers().count(), 1);
    EXPECT_EQ(browsers().tabText(0), "最初のスレ");
    EXPECT_EQ(titleLine(), "最初のスレ");
    EXPECT_TRUE(log_.events.empty());  // the first tab was not sent to the second thread
}

TEST_F(BbsBrowserTest, ClosingTabsKeepsACurrentOneShown) {
    startPage();
    for (const char* name : {"一", "二", "三"}) openThread(name);
    browsers().selectPage(0);
    pageCommand(IDC_CLOSELIST);  // the page's close button, on the current first tab
    ASSERT_EQ(browsers().count(), 2);
    EXPECT_EQ(browsers().current(), 0);
    EXPECT_EQ(browsers().tabText(0), "二");
    EXPECT_TRUE(IsWindowVisible(browsers().pageWindow(0)));
    EXPECT_EQ(titleLine(), "文書の題");
    EXPECT_EQ(log_.alive, 2);

    send(ID_BROWSER_CLOSE);  // 閉じる reaching the main window
    EXPECT_EQ(browsers().count(), 1);
    pageCommand(ID_BROWSER_CLOSE);  // 閉じる of the tab's menu, reaching the page
    EXPECT_EQ(browsers().count(), 0);
    EXPECT_EQ(titleLine(), "");
    EXPECT_EQ(log_.alive, 0);
    pageCommand(ID_BROWSER_CLOSE);  // nothing left to close
    EXPECT_EQ(titleLine(), "");
}

TEST_F(BbsBrowserTest, TabsReloadFindAndTakeEnter) {
    startPage();
    openThread("一");
    openThread("二");
    HWND tabs = browsers().tabControl();
    RECT first = {};
    SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    const LPARAM onFirst = MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2);

    log_.events.clear();
    SendMessageW(tabs, WM_LBUTTONDBLCLK, MK_LBUTTON, onFirst);  // double-click on a tab: that one reloads
    EXPECT_EQ(browsers().current(), 0);
    EXPECT_EQ(log_.events, (std::vector<std::string>{"reload"}));
    EXPECT_EQ(titleLine(), "二");  // the selection did not notify

    send(ID_BROWSER_REFRESH);
    send(ID_FIND_IN_PAGE, true);  // Ctrl+F
    auto* current = static_cast<FakeView*>(browsers().view(0));
    SetFocus(current->document());
    send(ID_ENTER);
    EXPECT_EQ(log_.events, (std::vector<std::string>{"reload", "reload", "command 67 1", "char 13"}));

    // The tab control's own selection change shows the new page and its title.
    log_.title = L"二番目の題";
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR change = {tabs, IDC_BBS_BROWSERTABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(pageWindow(), WM_NOTIFY, IDC_BBS_BROWSERTABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(browsers().current(), 1);
    EXPECT_TRUE(IsWindowVisible(browsers().pageWindow(1)));
    EXPECT_FALSE(IsWindowVisible(browsers().pageWindow(0)));
    EXPECT_EQ(titleLine(), "二番目の題");
}

TEST_F(BbsBrowserTest, BothLayoutsPlaceTheControlsAndFitTheTabs) {
    writeSetting("BbsLvWidth", "250");
    writeSetting("BbsLvHeight", "120");
    startPage();
    for (int id : {IDC_BBS_STACKED, IDC_BBS_SIDEBYSIDE})
        EXPECT_NE(SendDlgItemMessageW(pageWindow(), id, BM_GETIMAGE, IMAGE_ICON, 0), 0) << id;
    openThread("スレ");
    RECT client;
    GetClientRect(pageWindow(), &client);
    const int W = client.right, H = client.bottom, w = 250, h = 120;
    struct Place {
        int id, x, y, width, height;  // width < 0: not checked
    };
    // The buttons at the right edge stand side by side by their own widths (x < 0: right edge at -x).
    const int refresh = W - 22 - (controlRect(IDC_BBS_REFRESH).right - controlRect(IDC_BBS_REFRESH).left);
    const std::vector<Place> stacked = {
        {IDC_CLOSELIST, -(W - 1), h + 36, -1, -1}, {IDC_BBS_TITLE, 0, h + 35, W - 25, 18},
        {IDC_BBS_SPLITTER, 0, h + 30, W, 2},       {IDC_BBS_BROWSERTABS, 0, h + 56, W, H - h - 56},
        {IDC_BBS_REFRESH, refresh, 3, -1, -1},     {IDC_MANUALGET, -refresh, 3, -1, -1},
    };
    const std::vector<Place> sideBySide = {
        {IDC_CLOSELIST, -(W - 1), 32, -1, -1},    {IDC_BBS_TITLE, w + 4, 31, W - w - 28, 18},
        {IDC_BBS_SPLITTER, w + 1, 29, 2, H - 29}, {IDC_BBS_BROWSERTABS, w + 4, 52, W - w - 4, H - 52},
        {IDC_BBS_REFRESH, refresh, 3, -1, -1},    {IDC_MANUALGET, -refresh, 3, -1, -1},
    };
    auto expectPlaces = [&](const std::vector<Place>& places, const char* layout) {
        for (const Place& p : places) {
            RECT r = controlRect(p.id);
            EXPECT_EQ(p.x < 0 ? -r.right : r.left, p.x) << layout << " " << p.id;
            EXPECT_EQ(r.top, p.y) << layout << " " << p.id;
            if (p.width < 0) continue;
            EXPECT_EQ(r.right - r.left, p.width) << layout << " " << p.id;
            EXPECT_EQ(r.bottom - r.top, p.height) << layout << " " << p.id;
        }
        EXPECT_TRUE(viewsFitTheTabs()) << layout;
    };
    expectPlaces(stacked, "stacked");
    pageCommand(IDC_BBS_SIDEBYSIDE);
    expectPlaces(sideBySide, "side by side");
    pageCommand(IDC_BBS_STACKED);
    expectPlaces(stacked, "stacked again");

    // A splitter drag lays the page out again, the views with it.
    SendMessageW(pageWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, h + 30));
    SendMessageW(pageWindow(), WM_LBUTTONUP, 0, MAKELPARAM(50, 29 + 80));
    EXPECT_EQ(controlRect(IDC_BBS_BROWSERTABS).top, 80 + 56);
    EXPECT_TRUE(viewsFitTheTabs());
}

TEST_F(BbsBrowserTest, StoredSizesBeyondThePageAreKeptInsideIt) {
    writeSetting("BbsLvWidth", "-40");
    writeSetting("BbsLvHeight", "5000");
    startPage();
    RECT client;
    GetClientRect(pageWindow(), &client);
    const int H = client.bottom;
    EXPECT_EQ(controlRect(IDC_LIST).bottom - controlRect(IDC_LIST).top, H - 58);
    // The splitter can be grabbed where it is drawn.
    SendMessageW(pageWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, H - 58 + 30));
    SendMessageW(pageWindow(), WM_LBUTTONUP, 0, MAKELPARAM(50, 129));
    EXPECT_EQ(main_->shared().windowState.bbsLvHeight, 100);

    pageCommand(IDC_BBS_SIDEBYSIDE);
    EXPECT_EQ(controlRect(IDC_LIST).right - controlRect(IDC_LIST).left, 2);
    EXPECT_EQ(main_->shared().windowState.bbsLvWidth, -40);  // stored as it was until a drag
    closeWindow();
    EXPECT_EQ(readSetting("BbsLvWidth"), "-40");
}

TEST_F(BbsBrowserTest, TheBbsCollectionWithoutTheHostSaysSoOnce) {
    startPage();
    BoxCatcher catcher;
    pageCommand(IDC_MANUALGET);
    EXPECT_EQ(catcher.boxes, (std::vector<std::string>{stamped("Vobra v Not Found.")}));
    pageCommand(IDC_BBS_REFRESH);
    EXPECT_EQ(catcher.boxes.size(), 2u);
}

TEST_F(BbsBrowserTest, ClosingTheWindowRemovesTheTabsAndEndsTheLoopWithZero) {
    for (UINT message : {WM_CLOSE, WM_QUERYENDSESSION}) {
        startPage();
        openThread("一");
        openThread("二");
        PostMessageW(hwnd_, message, 0, 0);
        EXPECT_EQ(main_->run(nullptr), 0) << message;
        EXPECT_FALSE(IsWindow(hwnd_));
        EXPECT_EQ(log_.alive, 0) << message;
        EXPECT_EQ(log_.last(), "closed");
        main_.reset();
    }
}

#ifdef TWK_SIM_PATH
// The system's browser control asks the host's web server for the thread (nothing is drawn without an HTML
// engine, but the request is made).
TEST_F(BbsBrowserTest, TheBrowserControlLoadsTheThreadFromTheHostsWebServer) {
    BrowserSupport support;
    if (!support.ready()) GTEST_SKIP() << "no browser control on this system";
    vobra_sim::SimProcess sim;
    vobra_sim::SimOptions options;
    options.port = 0;
    std::string error;
    ASSERT_TRUE(sim.start(TWK_SIM_PATH, options, &error)) << error;
    ASSERT_GT(sim.httpPort(), 0);
    startPage(false);
    setLocalHost(("http://127.0.0.1:" + std::to_string(sim.httpPort())).c_str());
    openThread("雑談スレッド その12 (実際のコントロール)", kHash);
    ASSERT_EQ(browsers().count(), 1);
    EXPECT_EQ(browsers().tabText(0), "雑談スレッド その1...");
    EXPECT_EQ(titleLine(), "雑談スレッド その12 (実際のコントロール)");
    const std::string request = "http 200 /" + std::string(kHash);
    EXPECT_TRUE(vobra_sim::SimProcess::waitFor([&] { return sim.countLog(request) >= 1; }, 10000));

    HWND host = browsers().pageWindow(0);
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_EQ(main_->run(nullptr), 0);
    EXPECT_FALSE(IsWindow(host));
    main_.reset();
}
#endif

#ifdef TWK_SIM_PATH
// The container tells the control to run nothing a post could bring, and holds every navigation and every new
// window to the host's server: the rest goes to the user's browser (recorded here) or nowhere.
TEST_F(BbsBrowserTest, TheContainerLocksTheControlDownAndKeepsItOnTheHostsServer) {
    BrowserSupport support;
    if (!support.ready()) GTEST_SKIP() << "no browser control on this system";
    vobra_sim::SimProcess sim;
    vobra_sim::SimOptions options;
    options.port = 0;
    std::string error;
    ASSERT_TRUE(sim.start(TWK_SIM_PATH, options, &error)) << error;
    startPage(false);
    std::vector<std::string> handed;
    browsers().rules().handToSystem = [&](const std::wstring& a) { handed.push_back(narrow(a.c_str())); };
    const std::string port = std::to_string(sim.httpPort());
    const std::string local = "http://127.0.0.1:" + port, thread = "http 200 /" + std::string(kHash);
    auto waitForThreads = [&](int n) {
        return vobra_sim::SimProcess::waitFor([&] { return sim.countLog(thread) >= n; }, 10000);
    };
    setLocalHost(local.c_str());
    openThread("一", kHash);
    ASSERT_TRUE(waitForThreads(1));
    const long locked = DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS |
                        DLCTL_NO_BEHAVIORS | DLCTL_NO_FRAMEDOWNLOAD | DLCTL_DLIMAGES;
    EXPECT_EQ(ambientDownloadControl(*browsers().view(0)), locked);

    // Through the control itself: an ambiguous path on the host's server and the same server under another
    // name never reach it; the second goes to the user's browser.
    const std::string otherName = "http://localhost:" + port + "/" + kHash;
    browsers().navigate(local + "/./" + kHash);
    browsers().navigate(otherName);
    EXPECT_TRUE(vobra_sim::SimProcess::waitFor([&] { return !handed.empty(); }, 10000));
    EXPECT_EQ(handed, std::vector<std::string>{otherName});

    // With the switch on the pages may run scripts, and nothing else changes; the thread still loads.
    writeSetting("BbsScripts", "1");
    doubleClickRow(0);
    ASSERT_TRUE(waitForThreads(2));
    EXPECT_EQ(sim.countLog(thread), 2);
    const BrowserView& view = *browsers().view(1);
    EXPECT_EQ(ambientDownloadControl(view), locked & ~DLCTL_NO_SCRIPTS);

    struct Case {
        std::string address;
        bool stays, handedOff;
    } cases[] = {
        {local + "/" + kHash, true, false},
        {"HTTP://127.0.0.1:" + port + "/#top", true, false},
        {"https://example.com/a", false, true},
        {"http://127.0.0.1:" + std::to_string(sim.httpPort() + 1) + "/", false, true},
        {local + "@evil.example/", false, false},
        {local + "/../" + kHash, false, false},
        {local + "/%2e%2e/x", false, false},
        {local + "\\..\\x", false, false},
        {" " + local + "/", false, false},
        {"javascript:alert(1)", false, false},
        {"file:///C:/windows/win.ini", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        handed.clear();
        EXPECT_EQ(raiseEvent(view, DISPID_BEFORENAVIGATE2, c.address), !c.stays) << c.address;
        EXPECT_TRUE(raiseEvent(view, DISPID_NEWWINDOW3, c.address)) << c.address;  // never a new window
        EXPECT_EQ(handed, c.handedOff ? std::vector<std::string>(2, c.address) : std::vector<std::string>())
            << c.address;
    }
    // A new window on the host's server comes into the pane.
    EXPECT_TRUE(vobra_sim::SimProcess::waitFor([&] { return sim.countLog("http 200 /") >= 1; }, 10000));
}
#endif

}  // namespace
}  // namespace twk::ui::test
