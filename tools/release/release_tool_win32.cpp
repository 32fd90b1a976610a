// Helper of release.sh and tools/make-pictures.sh, run under Wine; not part of the release.
//   release_tool check EXE
//     starts the program from its folder, waits until its main window is shown with the product title, closes
//     it as the user does and waits until it has ended. Exit code 0 when all of that happened.
//   release_tool pictures FOLDER SIM_EXE RECORDS OUT_FOLDER
//     starts the host simulator with the records and FOLDER\Tollwick.exe beside it, collects, searches, opens
//     a BBS thread, and saves a picture of the window, of every page and of the tray menu as
//     OUT_FOLDER\<name>.bmp.
// The program is driven only through its own command ids and the messages its controls understand.
#include <windows.h>
// The control declarations need the base declarations first.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/scoped_handle_win32.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "tools/vobra_sim/sim_driver_win32.h"

namespace {

using twk::ScopedHandle;

constexpr int kStartTimeoutMs = 20000;
constexpr int kStepTimeoutMs = 10000;
constexpr UINT kTrayCallbackMessage = WM_USER + 2002;  // the main window's notification-icon message

std::wstring folderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    return vobra_sim::SimProcess::waitFor(done, timeoutMs);
}

// The program, started from its own folder as a user starts it.
class Program {
  public:
    bool start(const std::wstring& exe) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring command = L"\"" + exe + L"\"";
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folderOf(exe).c_str(), &si, &pi))
            return false;
        process_ = std::make_unique<ScopedHandle>(pi.hProcess);
        ScopedHandle thread(pi.hThread);
        processId_ = pi.dwProcessId;
        return true;
    }

    // Its main window once it is shown, or null.
    HWND waitForWindow() {
        waitFor([this] { return (window_ = find()) != nullptr; }, kStartTimeoutMs);
        return window_;
    }

    bool closeAndWait(DWORD* exitCode) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_->get(), kStartTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process_->get(), 1);
            return false;
        }
        return GetExitCodeProcess(process_->get(), exitCode) != 0;
    }

    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }
    HANDLE process() const { return process_->get(); }

  private:
    HWND find() const {
        HWND w = FindWindowW(L"TWKMAINWND", nullptr);
        for (; w; w = FindWindowExW(nullptr, w, L"TWKMAINWND", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == processId_ && IsWindowVisible(w)) return w;
        }
        return nullptr;
    }

    std::unique_ptr<ScopedHandle> process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

std::wstring windowText(HWND w) {
    wchar_t text[260] = L"";
    GetWindowTextW(w, text, 260);
    return text;
}

std::string narrow(const std::wstring& text) {
    char out[520] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

int check(const std::wstring& exe) {
    Program program;
    if (!program.start(exe)) {
        std::printf("cannot start %s\n", narrow(exe).c_str());
        return 1;
    }
    HWND w = program.waitForWindow();
    if (!w) {
        std::printf("no main window within %d s\n", kStartTimeoutMs / 1000);
        TerminateProcess(program.process(), 1);
        return 1;
    }
    const std::string title = narrow(windowText(w));
    std::printf("window: %s\n", title.c_str());
    DWORD code = 1;
    if (!program.closeAndWait(&code)) {
        std::printf("the program did not end after WM_CLOSE\n");
        return 1;
    }
    std::printf("exit code: %lu\n", static_cast<unsigned long>(code));
    return title == TWK_PRODUCT_TITLE && code == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------------------------
// Pictures

// Writes the screen's pixels inside `rect` as a 24-bit BMP file.
bool saveScreen(const RECT& rect, const std::wstring& path) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    ScopedHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return out.valid() && WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
           WriteFile(out.get(), &info, sizeof info, &written, nullptr) &&
           WriteFile(out.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

struct ControlSearch {
    int id;
    HWND found;
};

// Whether a window is a dialog: the pages are, the controls' own children (a combo box's edit, ...) are not.
bool isDialog(HWND w) {
    wchar_t name[16] = L"";
    return GetClassNameW(w, name, 16) && lstrcmpW(name, L"#32770") == 0;
}

BOOL CALLBACK matchControl(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    // A combo box's edit has an id of its own that may equal a page's control id.
    if (GetDlgCtrlID(w) != s->id || !IsWindowVisible(w) || !isDialog(GetParent(w))) return TRUE;
    s->found = w;
    return FALSE;
}

// The visible control of the main window's current page with this id.
HWND pageControl(HWND main, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(main, matchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Presses a button of the current page as a click does: the page hears BN_CLICKED.
void press(HWND main, int id) {
    HWND button = pageControl(main, id);
    if (button)
        SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
}

void command(HWND main, int id) {
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// A command of the key table (F2 for the next tab, ...), as the key sends it.
void key(HWND main, int id) {
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

void settle(HWND main) {
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Let the program paint what it was asked to before the screen is read.
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, kStepTimeoutMs, nullptr);
    Sleep(300);
}

// Gives a row of another process's list view the focus (not the selection, which the status bar counts
// from clicks): the item travels through memory of that process.
bool focusRow(HWND view, int row) {
    DWORD pid = 0;
    GetWindowThreadProcessId(view, &pid);
    ScopedHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid));
    if (!process.valid()) return false;
    LVITEMW item = {};
    item.stateMask = item.state = LVIS_FOCUSED;
    void* remote = VirtualAllocEx(process.get(), nullptr, sizeof item, MEM_COMMIT, PAGE_READWRITE);
    bool done =
        remote && WriteProcessMemory(process.get(), remote, &item, sizeof item, nullptr) &&
        SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    if (remote) VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return done;
}

bool shoot(HWND main, const std::wstring& out, const wchar_t* name) {
    settle(main);
    RECT r;
    GetWindowRect(main, &r);
    const bool ok = saveScreen(r, out + L"\\" + name + L".bmp");
    std::printf("%s %s\n", ok ? "saved" : "FAILED", narrow(name).c_str());
    return ok;
}

// Move-and-ignore conditions shown on the condition page (cp932, as the program stores them).
const char kSampleConditions[] =
    "1\tsample\t\t0\r\n"
    "1\t>2G\t大きいファイル\t1\r\n"
    "1\tBGM | ピアノ\t音楽\t0\r\n"
    "0\t$abcDEF12 - 2020\t\t0\r\n";

int pictures(const std::wstring& folder, const std::wstring& simExe, const std::wstring& records,
             const std::wstring& out) {
    {
        ScopedHandle f(CreateFileW((folder + L"\\ConditionList.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (f.valid()) WriteFile(f.get(), kSampleConditions, sizeof kSampleConditions - 1, &written, nullptr);
    }
    vobra_sim::SimProcess sim;
    vobra_sim::SimOptions options;
    options.port = 7744;  // the local web server the BBS page's browser reads threads from
    std::string error;
    if (!sim.start(narrow(simExe), options, &error)) {
        std::printf("simulator: %s\n", error.c_str());
        return 1;
    }
    {
        ScopedHandle f(
            CreateFileW(records.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        std::string lines(f.valid() ? GetFileSize(f.get(), nullptr) : 0, '\0');
        DWORD read = 0;
        if (f.valid()) ReadFile(f.get(), lines.data(), static_cast<DWORD>(lines.size()), &read, nullptr);
        sim.setRecords(lines);
    }
    Program program;
    HWND main = program.start(folder + L"\\Tollwick.exe") ? program.waitForWindow() : nullptr;
    if (!main) {
        std::printf("Tollwick did not show its window\n");
        return 1;
    }
    // The window and the places clicked at the display's DPI: 900 × 620 at 96 DPI.
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    SetWindowPos(main, HWND_TOP, 20, 20, MulDiv(900, dpi, 96), MulDiv(620, dpi, 96), SWP_SHOWWINDOW);
    SetForegroundWindow(main);

    bool ok = true;
    // The main window with the collected rows; then the list page with a search, its marks and the marked
    // rows selected.
    press(main, IDC_MANUALGET);
    ok &= shoot(main, out, L"main-window");
    HWND word = pageControl(main, IDC_SEARCHWORD);
    SendMessageW(word, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"city | guide1"));
    press(main, IDC_SEARCH);
    command(main, ID_EDIT_SELECTMARKED);
    ok &= shoot(main, out, L"list-page");
    // Ignore list (tab 2), then the condition page (tab 3).
    key(main, ID_NEXTTAB);
    key(main, ID_NEXTTAB);
    ok &= shoot(main, out, L"condition-page");
    // BBS page: the threads collected, and the first one opened in a browser tab by a double click on it.
    key(main, ID_NEXTTAB);
    press(main, IDC_MANUALGET);
    HWND threads = pageControl(main, IDC_LIST);
    waitFor([&] { return SendMessageW(threads, LVM_GETITEMCOUNT, 0, 0) > 0; }, kStepTimeoutMs);
    // The page opens the focused row on a double click.
    if (!focusRow(threads, 0)) {
        std::printf("FAILED bbs-page: the first thread took no focus\n");
        ok = false;
    }
    SendMessageTimeoutW(threads, WM_LBUTTONDBLCLK, MK_LBUTTON,
                        MAKELPARAM(MulDiv(60, dpi, 96), MulDiv(26, dpi, 96)), SMTO_BLOCK, kStepTimeoutMs,
                        nullptr);
    HWND browserTabs = pageControl(main, IDC_BBS_BROWSERTABS);
    if (SendMessageW(browserTabs, TCM_GETITEMCOUNT, 0, 0) != 1) {
        std::printf("FAILED bbs-page: the double click opened no browser tab\n");
        ok = false;
    }
    Sleep(2000);  // the browser loads the thread from the simulator's server
    ok &= shoot(main, out, L"bbs-page");
    key(main, ID_NEXTTAB);
    ok &= shoot(main, out, L"settings-page");

    // The tray menu, as a right click on the notification icon opens it; the menu runs in the program until
    // it is cancelled.
    key(main, ID_NEXTTAB);  // back to the first list, where collection can start
    SetCursorPos(620, 420);
    PostMessageW(main, kTrayCallbackMessage, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    waitFor([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && IsWindowVisible(menu); },
            kStepTimeoutMs);
    if (menu) {
        Sleep(300);
        RECT r;
        GetWindowRect(menu, &r);
        const bool saved = saveScreen(r, out + L"\\tray-menu.bmp");
        std::printf("%s tray-menu\n", saved ? "saved" : "FAILED");
        ok &= saved;
        PostMessageW(main, WM_CANCELMODE, 0, 0);
    } else {
        std::printf("FAILED tray-menu: no menu\n");
        ok = false;
    }
    DWORD code = 0;
    program.closeAndWait(&code);
    return ok ? 0 : 1;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);
    if (args.size() == 3 && args[1] == L"check") return check(args[2]);
    if (args.size() == 6 && args[1] == L"pictures") return pictures(args[2], args[3], args[4], args[5]);
    std::printf("usage: release_tool check EXE | pictures FOLDER SIM_EXE RECORDS OUT_FOLDER\n");
    return 2;
}
