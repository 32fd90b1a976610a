#include "ui/main_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>
#include <type_traits>

#include "core/entry_list.h"
#include "core/report.h"
#include "host/host_link.h"
#include "match/search.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "routing/conditions_file.h"
#include "ui/bbs_page_win32.h"
#include "ui/browser_host_win32.h"
#include "ui/dpi_win32.h"
#include "ui/layout_rules.h"
#include "ui/settings_page_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

const char* const kProductTitle = TWK_PRODUCT_TITLE;
const wchar_t* const kMainWindowClass = L"TWKMAINWND";

namespace {

constexpr int kStatusParts = 3;
static_assert(sizeof layout::kStatusEdges / sizeof layout::kStatusEdges[0] == kStatusParts - 1,
              "the last part reaches the bar's right end");

// Positions in the main menu.
constexpr int kFileMenu = 0;
constexpr int kEditMenu = 1;
constexpr int kGetMenu = 2;
constexpr int kHistoryPopup = 11;  // in ファイル
constexpr int kMovePopup = 5;      // in 編集
constexpr int kFilterPopup = 6;    // in 編集

// The ids of the file commands that follow the page kind as one group.
constexpr int kFileGroup[] = {ID_FILE_OPEN, ID_FILE_OPENADD, ID_FILE_CLOSE, ID_FILE_SAVEAS};

// Controls of a list page that drive the host; the ignore list page hides them.
constexpr int kHostControls[] = {IDC_CLOSELIST, IDC_AUTOCOLLECT,  IDC_MANUALGET,   IDC_HOSTWORD_LABEL,
                                 IDC_HOSTWORD,  IDC_HOSTWORD_GET, IDC_HOSTWORD_SET};

const char* const kSettingsTabText = "設定";
const char* const kBbsTabText = "BBSリスト";
const char* const kConditionsTabText = "条件リスト";
const char* const kIgnoreTabText = "無視リスト";
const char* const kNewListTabFormat = "新規リスト%2.2d";

INT_PTR CALLBACK mainDialogStub(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// What a page kind does to a menu item or popup.
enum class MenuState { Grey, Enable, Unchanged, GreyWhileBlocked };
struct CommandStateRow {
    PageKind kind;
    MenuState edit, get, fileGroup, save, history, filterMenu;
};

const CommandStateRow* commandStateRow(PageKind kind) {
    using S = MenuState;
    static const CommandStateRow kRows[] = {
        //  page                edit        get                   file group  save        history     filter
        //  menu
        {PageKind::Settings, S::Grey, S::Grey, S::Grey, S::Grey, S::Grey, S::Unchanged},
        {PageKind::Conditions, S::Grey, S::Grey, S::Grey, S::Grey, S::Grey, S::Unchanged},
        {PageKind::Normal, S::Enable, S::GreyWhileBlocked, S::Enable, S::Enable, S::Enable, S::Enable},
        {PageKind::Ignore, S::Enable, S::Grey, S::Grey, S::Enable, S::Grey, S::Grey},
        {PageKind::Bbs, S::Enable, S::Grey, S::Grey, S::Enable, S::Grey, S::Enable},
    };
    for (const CommandStateRow& row : kRows)
        if (row.kind == kind) return &row;
    return nullptr;
}

void applyMenuState(HMENU menu, UINT item, UINT by, MenuState state, bool blocked) {
    using S = MenuState;
    if (state == S::Unchanged) return;
    bool grey = state == S::Grey || (state == S::GreyWhileBlocked && blocked);
    EnableMenuItem(menu, item, by | (grey ? MF_GRAYED : MF_ENABLED));
}

// A stored rectangle that lies on no monitor's work area would put the window out of reach: it is moved onto
// the nearest monitor, keeping its size where it fits.
void placeWindow(HWND window, const WindowRect& stored) {
    RECT want = {stored.left, stored.top, stored.right, stored.bottom};
    int width = want.right - want.left, height = want.bottom - want.top;
    HMONITOR monitor = MonitorFromRect(&want, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT overlap;
    if (monitor && GetMonitorInfoW(monitor, &info) && !IntersectRect(&overlap, &want, &info.rcWork)) {
        const RECT& work = info.rcWork;
        if (width > work.right - work.left) width = work.right - work.left;
        if (height > work.bottom - work.top) height = work.bottom - work.top;
        int left = want.left, top = want.top;
        if (left < work.left) left = work.left;
        if (left + width > work.right) left = work.right - width;
        if (top < work.top) top = work.top;
        if (top + height > work.bottom) top = work.bottom - height;
        want = {left, top, left + width, top + height};
    }
    SetWindowPos(window, nullptr, want.left, want.top, width, height, SWP_NOZORDER);
}

// Commands that leave everything as it is.
void noCommand(MainWindow&) {}

// A check box of the settings page; off while there is no settings page.
bool optionChecked(const MainWindow& window, int id) {
    SettingsPage* settings = window.settingsPage();
    return settings && settings->checked(id);
}

void clearMenu(HMENU menu) {
    while (DeleteMenu(menu, 0, MF_BYPOSITION)) {
    }
}

void appendMenuText(HMENU menu, UINT flags, UINT id, const std::string& text) {
    std::wstring w = widen(text);
    AppendMenuW(menu, MF_STRING | flags, id, w.c_str());
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// The class a command's member function belongs to.
template <class T>
struct OwnerOf;
template <class C>
struct OwnerOf<void (C::*)()> {
    using type = C;
};

template <auto command>
void MainWindow::on(MainWindow& w) {
    using Owner = typename OwnerOf<decltype(command)>::type;
    if constexpr (std::is_same_v<Owner, MainWindow>) {
        (w.*command)();
    } else if constexpr (std::is_same_v<Owner, FileCommands>) {
        (w.files_.logic().*command)();
    } else if constexpr (std::is_same_v<Owner, CollectionCommands>) {
        (w.collector_.*command)();
    } else if constexpr (std::is_same_v<Owner, RowCommands>) {
        (w.rows_.logic().*command)();
    } else if constexpr (std::is_same_v<Owner, ClipboardRows>) {
        (w.clipboard_.logic().*command)();
    } else if constexpr (std::is_same_v<Owner, HostExport>) {
        (w.export_.*command)();
    } else if constexpr (std::is_same_v<Owner, TrayCommands>) {
        (w.tray_.*command)();
    } else {
        static_assert(std::is_same_v<Owner, BbsPage>, "a command of an object the window does not hold");
        if (BbsPage* page = w.bbsPage()) (page->*command)();
    }
}

const MainWindow::CommandEntry MainWindow::kCommands[] = {
    {ID_ENTER, &on<&MainWindow::cmdEnter>, false, MemoryPlace::Search},
    {ID_FILE_EXIT, &on<&MainWindow::cmdExit>, false, MemoryPlace::PageCommand},
    {ID_EDIT_DELETE, &on<&RowCommands::deleteSelected>, false, MemoryPlace::DeleteRows},
    {ID_EDIT_SELECTALL, &on<&RowCommands::selectAll>, false, MemoryPlace::Selection},
    {ID_EDIT_INVERT, &on<&RowCommands::invert>, false, MemoryPlace::Selection},
    {ID_EDIT_CLEARSEL, &on<&RowCommands::clearSelection>, false, MemoryPlace::Selection},
    {ID_EDIT_CLEARALL, &on<&RowCommands::clearAll>, false, MemoryPlace::ClearList},
    {ID_EDIT_SELECTMARKED, &on<&RowCommands::selectMarked>, false, MemoryPlace::Selection},
    {ID_EDIT_MARKSELECTED, &on<&RowCommands::markSelected>, false, MemoryPlace::Selection},
    {ID_RESTORE, &on<&TrayCommands::restore>, false, MemoryPlace::PageCommand},
    {ID_VIEW_HIDE, &on<&TrayCommands::hide>, false, MemoryPlace::PageCommand},
    {ID_FILE_OPEN, &on<&FileCommands::open>, true, MemoryPlace::OpenFile},
    {ID_FILE_NEWLIST, &on<&FileCommands::newList>, true, MemoryPlace::NewList},
    {ID_FILE_OPENNEW, &on<&FileCommands::openNew>, false, MemoryPlace::OpenedAsNew},
    {ID_FILE_OPENADD, &on<&FileCommands::openAdd>, false, MemoryPlace::OpenFile},
    {ID_FILE_CLOSE, &on<&FileCommands::closeList>, false, MemoryPlace::PageCommand},
    {ID_FILE_SAVE, &on<&FileCommands::save>, false, MemoryPlace::SaveFile},
    {ID_FILE_SAVEAS, &on<&FileCommands::saveAs>, false, MemoryPlace::SaveFile},
    {ID_EDIT_ADDDOWNLIST, &on<&HostExport::addToDownList>, false, MemoryPlace::ExportDownList},
    {ID_EDIT_ADDIGNORE, &on<&HostExport::addToIgnoreFile>, false, MemoryPlace::ExportIgnoreFile},
    {ID_COPY_DOWNLIST, &on<&ClipboardRows::copyDownload>, false, MemoryPlace::Copy},
    {ID_COPY_NAMES, &on<&ClipboardRows::copyNames>, false, MemoryPlace::Copy},
    {ID_COPY_TRIPS, &on<&ClipboardRows::copyTrips>, false, MemoryPlace::Copy},
    {ID_COPY_HASHES, &on<&ClipboardRows::copyHashes>, false, MemoryPlace::Copy},
    {ID_COPY_KEYINFO, &on<&ClipboardRows::copyKeyInfo>, false, MemoryPlace::Copy},
    {ID_EDIT_CUT, &on<&ClipboardRows::cut>, false, MemoryPlace::Copy},
    {ID_EDIT_COPY, &on<&ClipboardRows::copy>, false, MemoryPlace::Copy},
    {ID_EDIT_PASTE, &on<&ClipboardRows::paste>, false, MemoryPlace::Paste},
    {ID_GET_MANUAL, &on<&CollectionCommands::manualGet>, false, MemoryPlace::Collect},
    {ID_GET_START, &on<&CollectionCommands::start>, false, MemoryPlace::Collect},
    {ID_GET_STOP, &on<&CollectionCommands::stop>, false, MemoryPlace::Collect},
    {ID_HOST_SEARCHTAB, &on<&CollectionCommands::showHostSearchTab>, false, MemoryPlace::PageCommand},
    {ID_HOST_TOGGLE, &on<&CollectionCommands::toggleHostWindow>, false, MemoryPlace::PageCommand},
    // Accelerator-only commands.
    {ID_NEXTTAB, &on<&MainWindow::cmdNextTab>, true, MemoryPlace::PageCommand},
    {ID_PREVTAB, &on<&MainWindow::cmdPreviousTab>, true, MemoryPlace::PageCommand},
    {ID_NEXTMARK, &on<&RowCommands::nextMark>, true, MemoryPlace::PageCommand},
    {ID_PREVMARK, &on<&RowCommands::previousMark>, true, MemoryPlace::PageCommand},
    // No page has a focus ring: both leave the focus where it is.
    {ID_FOCUS_FORWARD, &noCommand, true, MemoryPlace::PageCommand},
    {ID_FOCUS_BACKWARD, &noCommand, true, MemoryPlace::PageCommand},
    // The browser tabs of the BBS page.
    {ID_BROWSER_REFRESH, &on<&BbsPage::reloadBrowser>, false, MemoryPlace::PageCommand},
    {ID_BROWSER_CLOSE, &on<&BbsPage::closeBrowser>, false, MemoryPlace::PageCommand},
    {ID_FIND_IN_PAGE, &on<&BbsPage::findInPage>, true, MemoryPlace::PageCommand},
};

namespace {
// Accelerator ids that are also menu commands.
bool isMenuCommandToo(int id) {
    return id == ID_FILE_OPEN || id == ID_FILE_NEWLIST;
}
}  // namespace

// ---------------------------------------------------------------------------------------------------------------
SharedState::SharedState(HINSTANCE module, std::string programFolder)
    : instance(module), folder(std::move(programFolder)), conditionFile(folder + kConditionFileName) {
    userSettings.setPath(folder + "TWK.ini");
    definitions.setPath(folder + "TWKdef.ini");
}

MainWindow::MainWindow(HINSTANCE instance, std::string programFolder)
    : shared_(instance, std::move(programFolder)),
      fixedLists_(shared_.folder),
      host_(std::make_unique<HostBridge>(shared_.conditions,
                                         [this] { return loadStartPtr(shared_.userSettings); })),
      tray_({[this] { return collector_.state().running; },
             [this] { return optionChecked(*this, IDC_SET_TRAYICON); },
             [this] {
                 EntryList* list = tabs_.currentList();
                 return list && list->kind() == ListKind::Normal;
             }}),
      collector_({*host_, tabs_, shared_.histories, statusBar_, tray_.notifier(),
                  [this] { updateCommandStates(); }}),
      files_({tabs_, shared_.conditions, shared_.histories[kFileHistory],
              [this] { return std::make_unique<ListPage>(*this, PageKind::Normal); },
              [this](EntryList& list) {
                  // A collection into a list that closes stops before the list's question.
                  if (collector_.state().running && collector_.state().target == &list) collector_.stop();
              },
              [this] { updateCommandStates(); }}),
      recovery_({tabs_, shared_.conditions,
                 [this] { return std::make_unique<ListPage>(*this, PageKind::Normal); },
                 [this] { updateCommandStates(); }}),
      rows_(tabs_, statusBar_),
      clipboard_(rows_.pages(), [this] { return optionChecked(*this, IDC_SET_AUTOSORT); }),
      export_(rows_.pages(), *host_, [this] { return settingsPage(); }) {
    tabs_.setListGoing([this](const EntryList* list) {
        collector_.logic().forgetList(list);
        recovery_.listGoing(list);
    });
    tabs_.setListCame([this](EntryList& list) { recovery_.listCame(list); });
}

MainWindow::~MainWindow() {
    window_.reset();
    tabs_.removeAll();
    if (reporter_) {
        setReporter(previousReporter_);
        setWorkIndicator(previousIndicator_);
    }
}

HWND MainWindow::create(int showCommand) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(shared_.instance, kMainWindowClass, &wc)) {
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &BaseWindow<MainWindow>::windowProc;
        wc.cbClsExtra = 0;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hInstance = shared_.instance;
        wc.hIcon = LoadIconW(shared_.instance, MAKEINTRESOURCEW(IDI_MAIN));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainWindowClass;
        if (!RegisterClassW(&wc)) return nullptr;
    }
    HWND window = CreateDialogParamW(shared_.instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, &mainDialogStub,
                                     reinterpret_cast<LPARAM>(this));
    if (!window) return nullptr;
    window_.reset(window);
    GetSystemMenu(window, FALSE);
    DragAcceptFiles(window, FALSE);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

int MainWindow::run(HACCEL accelerators) {
    HWND main = hwnd_;
    MSG msg;
    int exitCode = 0;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        if (main && accelerators && TranslateAcceleratorW(main, accelerators, &msg)) continue;
        if (main && IsDialogMessageW(main, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return exitCode;
}

void MainWindow::onNcDestroy() {
    window_.release();
}

SettingsPage* MainWindow::settingsPage() const {
    return static_cast<SettingsPage*>(tabs_.firstPage(PageKind::Settings));
}

BbsPage* MainWindow::bbsPage() const {
    return static_cast<BbsPage*>(tabs_.firstPage(PageKind::Bbs));
}

// ---------------------------------------------------------------------------------------------------------------
LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // While long work runs, what another program or the system sends is answered, but starts nothing inside
    // it: no command, timer or close. A session that ends meanwhile is not held up: the journal's earlier
    // points (at most two seconds old) go to the disk, and nothing half done is written.
    if (Busy::working()) {
        switch (message) {
            case WM_COMMAND:
            case WM_SYSCOMMAND:
            case WM_TIMER:
            case WM_CLOSE:
                return 0;
            case WM_QUERYENDSESSION:
                recovery_.flushWritten();
                return 1;
            case WM_ENDSESSION:
                if (wParam) recovery_.flushWritten();
                return 0;
            default:
                break;
        }
    }
    switch (message) {
        case WM_INITDIALOG:
            onInitDialog();
            return 0;
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam) == 1);
            recovery_.changed();
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && header->idFrom == IDC_TABS) onTabNotify();
            return 0;
        }
        case WM_SIZE:
            onSize(wParam, lParam);
            return 0;
        case WM_GETMINMAXINFO:
            if (minimumApplies_ && lParam) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize.x =
                    std::max(info->ptMinTrackSize.x, static_cast<LONG>(minimumWindowWidth()));
            }
            return 0;
        case WM_DPICHANGED:
            if (lParam) onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_INITMENUPOPUP:
            onInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE && tray_.minimise()) return 0;
            return DefWindowProcW(hwnd_, message, wParam, lParam);
        case WM_TIMER:
            if (recovery_.onTimer(wParam)) return 0;
            guardAllocation(MemoryPlace::Collect, [&] { collector_.cycle(); });
            recovery_.changed();
            return 0;
        case TWK_JOURNAL_NOW:
            return recovery_.pointNow() ? 1 : 0;
        case WM_CLOSE:
            close(true);
            return 0;
        case WM_QUERYENDSESSION:
            // Every unsaved row is on the disk before the answer; the close then asks nothing. While a close
            // is asking about unsaved rows, the session waits for the answer.
            recovery_.endSession();
            return close(false) ? 1 : 0;
        case WM_ENDSESSION:
            if (wParam) recovery_.endSession();
            return 0;
        case WM_DESTROY:
            // A command whose box was open when the window went finds no collection to go on with.
            collector_.logic().windowGone();
            recovery_.windowGone();
            PostQuitMessage(0);
            return 0;
        default:
            if (tray_.onMessage(message, lParam)) return 0;
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void MainWindow::onInitDialog() {
    InitCommonControls();
    // Every user setting of the start, the pages' included, from one read of the file.
    ProfileFile::Hold settingsRead(shared_.userSettings);
    // Settings that could not be read are defaults: the close must not write them over the user's.
    settingsUnread_ = shared_.userSettings.readFailed();
    shared_.scale = windowScale(hwnd_);
    // The status bar, and the reports that go to it from now on.
    statusBar_.create(hwnd_, IDC_STATUSBAR, 0, nullptr);
    setStatusParts();
    reporter_ = std::make_unique<StatusReporter>(statusBar_, hwnd_);
    collector_.setWindow(hwnd_);
    files_.setWindow(hwnd_);
    clipboard_.setWindow(hwnd_);
    previousReporter_ = setReporter(reporter_.get());
    previousIndicator_ = setWorkIndicator(&busy_);

    shared_.palette.load(loadListColours(shared_.userSettings, currentSystemColours()));
    loadLayoutDefinitions(shared_.definitions, host_->layout());
    tray_.setWindow(hwnd_, shared_.instance);

    // A placement the settings hold is taken as it is; without one the window keeps its template's size,
    // grown below to what the pages need.
    RECT r = {};
    GetWindowRect(hwnd_, &r);
    constexpr std::int32_t kUnset = INT32_MIN;
    shared_.windowState = loadWindowState(shared_.userSettings, WindowRect{kUnset, kUnset, kUnset, kUnset});
    WindowRect& stored = shared_.windowState.rect;
    const bool placed =
        stored.left != kUnset && stored.top != kUnset && stored.right != kUnset && stored.bottom != kUnset;
    const WindowRect templateRect{r.left, r.top, r.right, r.bottom};
    if (stored.left == kUnset) stored.left = templateRect.left;
    if (stored.top == kUnset) stored.top = templateRect.top;
    if (stored.right == kUnset) stored.right = templateRect.right;
    if (stored.bottom == kUnset) stored.bottom = templateRect.bottom;
    placeWindow(hwnd_, stored);
    // The title bar's and the taskbar's icons, at the DPI of the monitor the window is on.
    icons_.apply(hwnd_, shared_.instance, IDI_MAIN);
    loadHistories(shared_.userSettings, shared_.histories);

    HWND tab = GetDlgItem(hwnd_, IDC_TABS);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    SetWindowPos(tab, nullptr, 0, 0, client.right, client.bottom - statusBar_.height(),
                 SWP_NOZORDER | SWP_NOMOVE);
    SetWindowLongPtrW(tab, GWL_EXSTYLE, GetWindowLongPtrW(tab, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);

    createStartPages();
    if (!placed) {
        // The default size holds every page's top row, as far as the monitor's work area allows.
        GetWindowRect(hwnd_, &r);
        int width = std::max(static_cast<int>(r.right - r.left), minimumWindowWidth());
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor))
            width = std::min(width, static_cast<int>(monitor.rcWork.right - monitor.rcWork.left));
        if (width != r.right - r.left)
            SetWindowPos(hwnd_, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOZORDER | SWP_NOMOVE);
    }
    minimumApplies_ = true;

    installSubclass(tab, &MainWindow::tabControlProc, this);

    // The lists and conditions kept from the last run.
    fixedLists_.loadAll(tabs_);
    auto* conditionsPage = static_cast<ConditionPage*>(tabs_.firstPage(PageKind::Conditions));
    shared_.conditionFile.load(shared_.conditions, tabs_,
                               conditionsPage ? conditionsPage->listView() : nullptr);
    // What the last run left unsaved: the one question of the start, before anything else runs.
    recovery_.start(hwnd_, shared_.folder, loadRecoveryOn(shared_.userSettings),
                    shared_.conditionFile.known());

    host_->enableDebugPrivilege();
    applyAlpha(hwnd_, loadAlpha(shared_.userSettings));
}

void MainWindow::createStartPages() {
    std::unique_ptr<EntryList> ignore, normal, bbs;
    try {
        ignore = std::make_unique<EntryList>(ListKind::Ignore);
        normal = std::make_unique<EntryList>(ListKind::Normal);
        bbs = std::make_unique<EntryList>(ListKind::Bbs);
        normal->linkFilter(ignore.get());
        bbs->linkFilter(ignore.get());
        bbs->sort(kColUpdateTime);
    } catch (const std::bad_alloc&) {
        normal.reset();
        bbs.reset();
        ignore.reset();
        reportAllocationFailure(MemoryPlace::StartLists);
    }

    tabs_.init(shared_.instance, GetDlgItem(hwnd_, IDC_TABS));
    tabs_.addPage(std::make_unique<SettingsPage>(*this), SW_HIDE, kSettingsTabText, nullptr);
    if (bbs) tabs_.insertPage(std::make_unique<BbsPage>(*this), 0, SW_HIDE, kBbsTabText, std::move(bbs));
    tabs_.insertPage(std::make_unique<ConditionPage>(*this), 0, SW_HIDE, kConditionsTabText, nullptr);
    if (ignore) {
        tabs_.insertPage(std::make_unique<ListPage>(*this, PageKind::Ignore), 0, SW_HIDE, kIgnoreTabText,
                         std::move(ignore));
        HWND page = tabs_.pageWindow(0);
        for (int id : kHostControls) ShowWindow(GetDlgItem(page, id), SW_HIDE);
        DragAcceptFiles(GetDlgItem(page, IDC_LIST), FALSE);
    }
    if (normal) {
        char name[260];
        std::snprintf(name, sizeof name, kNewListTabFormat, 1);
        tabs_.insertPage(std::make_unique<ListPage>(*this, PageKind::Normal), 0, SW_SHOW, name,
                         std::move(normal));
    }
    // Every page is shown or hidden as the current index says.
    for (int i = 0; i < tabs_.count(); ++i)
        ShowWindow(tabs_.pageWindow(i), i == tabs_.current() ? SW_SHOW : SW_HIDE);
    SendMessageW(tabs_.tabControl(), TCM_SETCURSEL, static_cast<WPARAM>(tabs_.current()), 0);
    if (Win32ListView* view = tabs_.currentRowsView()) SetFocus(view->hwnd());
}

void MainWindow::onSize(WPARAM wParam, LPARAM lParam) {
    if (wParam == SIZE_MINIMIZED) return;
    statusBar_.resize(wParam, lParam);
    SetWindowPos(GetDlgItem(hwnd_, IDC_TABS), nullptr, 0, 0, GET_X_LPARAM(lParam),
                 GET_Y_LPARAM(lParam) - statusBar_.height(), SWP_NOZORDER | SWP_NOMOVE);
    tabs_.fitPages();
}

void MainWindow::setStatusParts() {
    int edges[kStatusParts];
    for (int i = 0; i < kStatusParts - 1; ++i) edges[i] = shared_.scale.px(layout::kStatusEdges[i]);
    edges[kStatusParts - 1] = -1;
    statusBar_.setParts(kStatusParts, edges);
}

int MainWindow::minimumWindowWidth() const {
    int need = 0, pageWidth = -1;
    for (int i = 0; i < tabs_.count(); ++i) {
        const Page* page = tabs_.page(i);
        if (!page || !page->hwnd()) continue;
        need = std::max(need, page->minimumWidth());
        RECT client = {};
        if (pageWidth < 0 && GetClientRect(page->hwnd(), &client)) pageWidth = client.right;
    }
    RECT window = {};
    if (pageWidth < 0 || !GetWindowRect(hwnd_, &window)) return 0;
    // The frame and the tab control's margins take what they take now.
    return static_cast<int>(window.right - window.left) - pageWidth + need;
}

void MainWindow::onDpiChanged(int dpi, const RECT& suggested) {
    const DpiScale before = shared_.scale;
    shared_.scale = DpiScale(dpi);
    icons_.apply(hwnd_, shared_.instance, IDI_MAIN);
    for (int i = 0; i < tabs_.count(); ++i) {
        Page* page = tabs_.page(i);
        if (page && page->listView()) rescaleColumns(page->listView()->hwnd(), before, shared_.scale);
    }
    // The tabs' font is the template's, made at the DPI of the start: it is made again at the new one.
    HWND tab = GetDlgItem(hwnd_, IDC_TABS);
    LOGFONTW font = {};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(tab, WM_GETFONT, 0, 0));
    if (current && GetObjectW(current, sizeof font, &font) == sizeof font &&
        before.dpi() != shared_.scale.dpi()) {
        font.lfHeight = scaleRounded(font.lfHeight, shared_.scale.dpi(), before.dpi());
        OwnedFont scaled(CreateFontIndirectW(&font));
        if (scaled) {
            SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(scaled.get()), TRUE);
            tabFont_ = std::move(scaled);
        }
    }
    setStatusParts();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A page whose size the move left as it was gets no WM_SIZE.
    for (int i = 0; i < tabs_.count(); ++i)
        if (Page* page = tabs_.page(i)) page->relayout();
}

void MainWindow::onTabNotify() {
    if (!tabs_.initialised()) return;
    if (tabs_.followSelection() < 0) return;
    afterPageChange();
}

void MainWindow::afterPageChange() {
    updateCommandStates();
    Page* page = tabs_.currentPage();
    if (page && page->kind() == PageKind::Settings) {
        statusBar_.setText(kStatusCounts, "");
        statusBar_.setText(kStatusMessage, "");
    } else {
        showCounts(page ? page->listView() : nullptr);
        showMessage(nullptr);
    }
}

LRESULT CALLBACK MainWindow::tabControlProc(HWND tab, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<MainWindow*>(subclassSelf(tab));
    if (self && message == WM_RBUTTONDOWN) {
        try {
            self->onTabRightClick(lParam);
        } catch (...) {
            reportUncaught();
        }
        return 0;
    }
    return callPrevious(tab, message, wParam, lParam);
}

void MainWindow::onTabRightClick(LPARAM lParam) {
    TCHITTESTINFO hit = {};
    hit.pt.x = GET_X_LPARAM(lParam);
    hit.pt.y = GET_Y_LPARAM(lParam);
    int index =
        static_cast<int>(SendMessageW(tabs_.tabControl(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index < 0) return;
    if (tabs_.selectPage(index)) updateCommandStates();
    POINT screen = hit.pt;
    ClientToScreen(tabs_.tabControl(), &screen);
    TrackPopupMenu(GetSubMenu(menu(), kFileMenu), 0, screen.x, screen.y, 0, hwnd_, nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Close: save what the next run starts from, then destroy the window.

bool MainWindow::close(bool ask) {
    // One close at a time: a log-off or 終了 arriving while this close asks its questions does not run a
    // second one inside it.
    if (closing_) return false;
    closing_ = true;
    struct Closing {
        bool& flag;
        ~Closing() { flag = false; }
    } closing{closing_};
    if (ask) {
        // Every normal list in tab order; the first cancel keeps the window, with that list's tab current.
        for (int i = 0; i < tabs_.count(); ++i) {
            if (tabs_.kind(i) != PageKind::Normal) continue;
            if (tabs_.selectPage(i)) afterPageChange();
            if (!files_.confirmSaveChanges()) return false;
        }
    }
    // The window went away while a question was open: nothing of it is left to save.
    if (!IsWindow(hwnd_)) return false;
    // What cannot be written is named; the old files stay as they were.
    std::vector<std::string> unwritten;
    bool conditionsWritten = true;
    {
        Busy busy(statusBar_);
        // Files that could not be read at the start are left as they are: this run holds defaults or nothing
        // in their place.
        if (!settingsUnread_) {
            ProfileFile::Hold settingsWrite(shared_.userSettings);
            const bool stateWritten = saveState();
            const bool historiesWritten = saveHistories(shared_.userSettings, shared_.histories);
            if (!settingsWrite.end() || !stateWritten || !historiesWritten)
                unwritten.push_back(shared_.userSettings.path());
        }
        fixedLists_.saveAll(tabs_, &unwritten);
        conditionsWritten = shared_.conditionFile.saveAtEnd(shared_.conditions) >= 0;
        if (!conditionsWritten) unwritten.push_back(shared_.conditionFile.path());
    }
    for (const std::string& path : unwritten) errorBox(kMsgCannotWrite, path.c_str());
    // The first close that could not write them keeps the window and its rows, so that the user can free the
    // files and close again; a second close ends anyway.
    if (!unwritten.empty() && ask && !closeReported_) {
        closeReported_ = true;
        return false;
    }
    auto written = [&](ListKind kind) {
        return std::find(unwritten.begin(), unwritten.end(), fixedLists_.pathOf(kind)) == unwritten.end();
    };
    recovery_.closed(ask, written(ListKind::Ignore), written(ListKind::Bbs), conditionsWritten);
    if (Page* page = tabs_.firstPage(PageKind::Conditions)) page->listView()->deleteAllItems();
    shared_.conditions = ConditionList();
    if (BbsPage* page = bbsPage()) page->closeBrowserPages();
    DestroyWindow(hwnd_);
    return true;
}

bool MainWindow::saveState() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd_, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        shared_.windowState.rect = WindowRect{r.left, r.top, r.right, r.bottom};
    }
    if (Page* first = tabs_.page(0); first && first->listView() && pageHoldsRows(first->kind()))
        readColumnWidths(first->listView()->hwnd(), shared_.windowState.columnWidths, kFileColumnCount,
                         shared_.scale);
    for (int i = 0; i < tabs_.count(); ++i) {
        Page* page = tabs_.page(i);
        if (!page || !page->listView()) continue;
        if (page->kind() == PageKind::Bbs)
            readColumnWidths(page->listView()->hwnd(), shared_.windowState.bbsColumnWidths, kBbsColumnCount,
                             shared_.scale);
        else if (page->kind() == PageKind::Conditions)
            readColumnWidths(page->listView()->hwnd(), shared_.windowState.condColumnWidths, kCondColumnCount,
                             shared_.scale);
    }
    return saveWindowState(shared_.userSettings, shared_.windowState);
}

// ---------------------------------------------------------------------------------------------------------------
// Commands

// Every command leaves its lists as they were when an allocation of it fails; the message names the command.
void MainWindow::command(int id, bool fromAccelerator) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.id != id) continue;
        bool allowed = fromAccelerator ? entry.accelerator : (!entry.accelerator || isMenuCommandToo(id));
        if (allowed) guardAllocation(entry.place, [&] { entry.handler(*this); });
        return;
    }
    if (fromAccelerator) return;
    const int tabCount = tabs_.count();
    if (id >= ID_HISTORY_FIRST && id < ID_HISTORY_FIRST + ID_DYNAMIC_RANGE) {
        guardAllocation(MemoryPlace::OpenFile,
                        [&] { files_.logic().openHistoryEntry(id - ID_HISTORY_FIRST); });
        return;
    }
    if (id >= ID_MOVETO_FIRST && id < ID_MOVETO_FIRST + ID_DYNAMIC_RANGE && id - ID_MOVETO_FIRST < tabCount)
        // The rows that could not be added to the other list stay where they were, all of them.
        guardAllocation(MemoryPlace::AddRow, [&] { rows_.logic().moveSelectedTo(id - ID_MOVETO_FIRST); });
    else if (id >= ID_FILTER_FIRST && id < ID_FILTER_FIRST + ID_DYNAMIC_RANGE &&
             id - ID_FILTER_FIRST < tabCount)
        guardAllocation(MemoryPlace::FilterLink, [&] { rows_.logic().toggleFilter(id - ID_FILTER_FIRST); });
}

int MainWindow::updateCommandStates() {
    Page* page = tabs_.currentPage();
    HMENU bar = menu();
    if (!page || !bar) return 1;
    const CommandStateRow* row = commandStateRow(page->kind());
    EntryList* list = page->list();
    const CollectionState& collection = collector_.state();
    const bool running = collection.running;
    const bool blocked = collector_.logic().blocks(list);
    if (row) {
        applyMenuState(bar, kEditMenu, MF_BYPOSITION, row->edit, blocked);
        applyMenuState(bar, kGetMenu, MF_BYPOSITION, row->get, blocked);
        for (int id : kFileGroup)
            applyMenuState(bar, static_cast<UINT>(id), MF_BYCOMMAND, row->fileGroup, blocked);
        applyMenuState(bar, ID_FILE_SAVE, MF_BYCOMMAND, row->save, blocked);
        applyMenuState(GetSubMenu(bar, kFileMenu), kHistoryPopup, MF_BYPOSITION, row->history, blocked);
        applyMenuState(GetSubMenu(bar, kEditMenu), kFilterPopup, MF_BYPOSITION, row->filterMenu, blocked);
    }
    switch (page->kind()) {
        case PageKind::Settings:
            SetFocus(GetDlgItem(page->hwnd(), IDC_SET_TIMERDELAY));
            break;
        case PageKind::Conditions:
            SetFocus(GetDlgItem(page->hwnd(), IDC_LIST));
            break;
        case PageKind::Normal: {
            HWND p = page->hwnd();
            setDialogItemText(p, IDC_AUTOCOLLECT, running ? "自動収集停止" : "自動収集開始");
            EnableWindow(GetDlgItem(p, IDC_AUTOCOLLECT), !blocked);
            EnableWindow(GetDlgItem(p, IDC_MANUALGET), !blocked);
            const bool rotating = running && collection.rotate;
            for (int id : {IDC_HOSTWORD, IDC_HOSTWORD_GET, IDC_HOSTWORD_SET})
                EnableWindow(GetDlgItem(p, id), !rotating);
            break;
        }
        default:
            break;
    }
    SetMenu(hwnd_, bar);
    DrawMenuBar(hwnd_);
    return 1;
}

void MainWindow::onInitMenuPopup(HMENU popup) {
    HMENU bar = menu();
    if (!bar || !popup) return;
    HMENU file = GetSubMenu(bar, kFileMenu), edit = GetSubMenu(bar, kEditMenu);
    const int current = tabs_.current();
    EntryList* list = tabs_.currentList();
    if (popup == GetSubMenu(file, kHistoryPopup)) {
        clearMenu(popup);
        const HistoryList& history = shared_.histories[kFileHistory];
        for (int i = 0; i < history.count(); ++i)
            appendMenuText(popup, 0, static_cast<UINT>(ID_HISTORY_FIRST + i), history.entry(i));
    } else if (popup == GetSubMenu(edit, kMovePopup)) {
        clearMenu(popup);
        if (!list) return;
        for (int i = 0; i < tabs_.count(); ++i)
            if (i != current && tabs_.pageList(i))
                appendMenuText(popup, 0, static_cast<UINT>(ID_MOVETO_FIRST + i), tabs_.tabText(i));
    } else if (popup == GetSubMenu(edit, kFilterPopup)) {
        clearMenu(popup);
        if (!list || list->kind() == ListKind::Ignore) return;
        for (int i = 0; i < tabs_.count(); ++i) {
            EntryList* other = tabs_.pageList(i);
            if (i == current || !other) continue;
            UINT flags = 0;
            if (list->usesFilter(other)) flags |= MF_CHECKED;
            if (other->kind() == ListKind::Ignore) flags |= MF_GRAYED;
            appendMenuText(popup, flags, static_cast<UINT>(ID_FILTER_FIRST + i), tabs_.tabText(i));
        }
    }
}

void MainWindow::cmdEnter() {
    HWND focus = GetFocus();
    if (isBrowserDocumentWindow(focus)) {
        SendMessageW(focus, WM_CHAR, 13, 1);
        return;
    }
    Page* page = tabs_.currentPage();
    if (!page || !focus || !pageHoldsRows(page->kind())) return;
    HWND combo = page->item(IDC_SEARCHWORD);
    if (combo && (focus == combo || GetParent(focus) == combo)) search(*page);
}

void MainWindow::cmdExit() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::cmdNextTab() {
    tabs_.nextPage();
    afterPageChange();
}

void MainWindow::cmdPreviousTab() {
    tabs_.previousPage();
    afterPageChange();
}

// ---------------------------------------------------------------------------------------------------------------
// Page events

void MainWindow::onListClick(Page& page, bool right) {
    showCounts(page.listView());
    if (!right) return;
    POINT p;
    GetCursorPos(&p);
    TrackPopupMenu(GetSubMenu(menu(), kEditMenu), TPM_LEFTBUTTON, p.x, p.y, 0, hwnd_, nullptr);
}

void MainWindow::onColumnClick(Page& page, int viewColumn) {
    EntryList* list = page.list();
    Win32ListView* view = page.listView();
    if (!list || !view || tabs_.currentPage() != &page) return;
    int logical = logicalColumnFromView(list->kind(), viewColumn);
    list->syncSelectionFromView();
    if (!guardAllocation(MemoryPlace::Sort, [&] { list->sort(logical); })) return;
    list->pushSelectionToView();
    view->invalidate();
}

void MainWindow::fillHistoryCombo(Page& page, int comboId) {
    const bool bbs = page.kind() == PageKind::Bbs;
    HistoryKind kind = comboId == IDC_SEARCHWORD ? (bbs ? kBbsSearchHistory : kSearchHistory)
                                                 : (bbs ? kBbsHostWordHistory : kHostWordHistory);
    HWND combo = page.item(comboId);
    while (SendMessageW(combo, CB_DELETESTRING, 0, 0) != CB_ERR) {
    }
    const HistoryList& history = shared_.histories[kind];
    for (int i = 0; i < history.count(); ++i) {
        std::wstring w = widen(history.entry(i));
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
}

void MainWindow::search(Page& page) {
    guardAllocation(MemoryPlace::Search, [&] {
        EntryList* list = page.list();
        if (!list) return;
        const bool useRegex = optionChecked(*this, IDC_SET_REGEXP);
        std::string text = windowText(page.item(IDC_SEARCHWORD), kSearchTextMax);
        SearchOutcome outcome = runSearchCommand(*list, text.c_str(), useRegex, list->kind());
        if (outcome.remember)
            shared_.histories[page.kind() == PageKind::Bbs ? kBbsSearchHistory : kSearchHistory].pushFront(
                text);
    });
}

}  // namespace twk::ui
