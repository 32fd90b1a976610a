#include "host/host_system_win32.h"

#include <windows.h>

#include <string>

#include "core/scoped_handle_win32.h"
#include "core/wide_text_win32.h"

namespace twk {

namespace {

HWND hwnd(WindowRef w) {
    return reinterpret_cast<HWND>(w);
}
WindowRef ref(HWND h) {
    return reinterpret_cast<WindowRef>(h);
}

// Room for any text the host link reads (its buffers hold 260 bytes, at most 260 characters).
constexpr int kWideTextSize = 520;

class Win32Process final : public HostProcess {
  public:
    explicit Win32Process(HANDLE h) : handle_(h) {}
    bool read(std::uint32_t address, void* buffer, std::size_t size) override {
        SIZE_T done = 0;
        const void* from = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address));
        return ReadProcessMemory(handle_.get(), from, buffer, size, &done) && done == size;
    }

  private:
    ScopedHandle handle_;
};

class Win32Library final : public HostLibrary {
  public:
    explicit Win32Library(HMODULE m) : module_(m) {}
    ~Win32Library() override { FreeLibrary(module_); }
    Win32Library(const Win32Library&) = delete;
    Win32Library& operator=(const Win32Library&) = delete;
    void* findExport(const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }

  private:
    HMODULE module_;
};

}  // namespace

WindowRef Win32HostSystem::topWindow(WindowRef parent) const {
    return ref(GetTopWindow(hwnd(parent)));
}
WindowRef Win32HostSystem::nextWindow(WindowRef window) const {
    return ref(GetWindow(hwnd(window), GW_HWNDNEXT));
}
WindowRef Win32HostSystem::firstChild(WindowRef window) const {
    return ref(GetWindow(hwnd(window), GW_CHILD));
}
WindowRef Win32HostSystem::parentOf(WindowRef window) const {
    return ref(GetParent(hwnd(window)));
}

// The host's window texts are read as UTF-16 and turned into cp932 here, so that a Japanese title or button
// text matches the definitions whatever this system's code page is.
int Win32HostSystem::className(WindowRef window, char* buffer, int size) const {
    if (size <= 0) return 0;
    buffer[0] = 0;
    wchar_t wide[kWideTextSize] = {};
    int n = GetClassNameW(hwnd(window), wide, kWideTextSize);
    if (n <= 0) return 0;
    return static_cast<int>(copyCut(fromWide(wide, n), buffer, static_cast<std::size_t>(size)));
}

int Win32HostSystem::windowText(WindowRef window, char* buffer, int size) const {
    if (size <= 0) return 0;
    buffer[0] = 0;
    wchar_t wide[kWideTextSize] = {};
    int n = GetWindowTextW(hwnd(window), wide, kWideTextSize);
    if (n <= 0) return 0;
    return static_cast<int>(copyCut(fromWide(wide, n), buffer, static_cast<std::size_t>(size)));
}

bool Win32HostSystem::isVisible(WindowRef window) const {
    return IsWindowVisible(hwnd(window)) != FALSE;
}
int Win32HostSystem::controlId(WindowRef window) const {
    return GetDlgCtrlID(hwnd(window));
}

std::uint32_t Win32HostSystem::processId(WindowRef window) const {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd(window), &pid);
    return pid;
}

// WM_SETTEXT and WM_GETTEXT carry cp932 text: it goes to the host as UTF-16 and comes back as cp932 (wParam
// of WM_GETTEXT is the buffer's size in bytes; the text is cut there, never inside a double-byte character,
// and the number of bytes copied is returned). Every other message carries no text and goes as it is.
std::intptr_t Win32HostSystem::sendMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
    if (message == kMsgSetText) {
        std::wstring wide = toWide(reinterpret_cast<const char*>(lParam));
        return SendMessageW(hwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (message == kMsgGetText) {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0) return 0;
        buffer[0] = 0;
        wchar_t wide[kWideTextSize] = {};
        LRESULT n = SendMessageW(hwnd(window), WM_GETTEXT, kWideTextSize, reinterpret_cast<LPARAM>(wide));
        if (n <= 0) return 0;
        if (n >= kWideTextSize) n = kWideTextSize - 1;
        return static_cast<std::intptr_t>(copyCut(fromWide(wide, static_cast<int>(n)), buffer, wParam));
    }
    return SendMessageW(hwnd(window), message, wParam, lParam);
}

bool Win32HostSystem::postMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    return PostMessageW(hwnd(window), message, wParam, lParam) != FALSE;
}

void Win32HostSystem::hideWindow(WindowRef window) {
    ShowWindow(hwnd(window), SW_HIDE);
}

std::unique_ptr<HostProcess> Win32HostSystem::openProcess(std::uint32_t access, std::uint32_t processId) {
    HANDLE h = OpenProcess(access, FALSE, processId);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Process>(h);
}

// The folder of the running program, with its trailing backslash.
static std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring Win32HostSystem::pluginPath(const char* name) const {
    std::wstring folder = pluginFolder_.empty() ? programFolder() : pluginFolder_;
    if (folder.empty()) return std::wstring();
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + toWide(name);
}

// A plug-in is loaded by its full path and nowhere else: a missing one stays missing rather than being found
// in the system folders, the current folder or PATH. Its own dependencies are looked for beside it and in
// the system folder only (beside it first where the system lacks the safe search flags).
std::unique_ptr<HostLibrary> Win32HostSystem::loadLibrary(const char* name) {
    const std::wstring path = pluginPath(name);
    if (path.empty()) return nullptr;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    HMODULE m = LoadLibraryExW(path.c_str(), nullptr,
                               LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A system without the safe search flags refuses them: the full path with the plug-in's folder first.
    if (!m && GetLastError() == ERROR_INVALID_PARAMETER)
        m = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m) return nullptr;
    return std::make_unique<Win32Library>(m);
}

int Win32HostSystem::enableDebugPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return 0;
    ScopedHandle owner(token);
    TOKEN_PRIVILEGES tp = {};
    if (!LookupPrivilegeValueW(nullptr, L"seDebugPrivilege", &tp.Privileges[0].Luid)) return 0;
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr)) return 0;
    return 1;
}

Win32HostSystem& systemHost() {
    static Win32HostSystem system;
    return system;
}

}  // namespace twk
