#include "tools/vobra_sim/sim_driver_win32.h"

#include <cstdio>
#include <cstdlib>

#include "tools/vobra_sim/sim_protocol.h"

namespace vobra_sim {

namespace {

struct FindData {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findTopWindow(HWND w, LPARAM lp) {
    auto* d = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    // The simulator's main window is its only top-level window with a caption bar.
    if (pid == d->pid && (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        d->found = w;
        return FALSE;
    }
    return TRUE;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

std::string windowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

bool SimProcess::waitFor(const std::function<bool()>& done, int timeoutMs) {
    DWORD until = GetTickCount() + static_cast<DWORD>(timeoutMs);
    for (;;) {
        if (done()) return true;
        if (static_cast<int>(until - GetTickCount()) <= 0) return done();
        // Waits for this thread's messages at most 10 ms, so the poll is bounded and not a blind sleep.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
}

bool SimProcess::start(const std::string& exePath, const SimOptions& o, std::string* error) {
    static int serial = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%stwk_sim_%lu_%d.log", temp, GetCurrentProcessId(), ++serial);
    logPath_ = name;
    DeleteFileA(logPath_.c_str());

    std::string exe = windowsPath(exePath);
    std::string cmd = quoted(exe) + " --log " + quoted(logPath_) + " --title " + quoted(o.title) +
                      " --port " + std::to_string(o.port);
    if (!o.windowClass.empty()) cmd += " --class " + quoted(o.windowClass);
    if (o.hidden) cmd += " --hidden";
    if (o.noPlugin) cmd += " --no-plugin";
    if (o.move) cmd += " --move " + std::to_string(o.move);
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
        if (error) *error = "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")";
        pi_ = PROCESS_INFORMATION{};
        return false;
    }
    bool exited = false;
    waitFor(
        [&] {
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0) {
                exited = true;
                return true;
            }
            FindData d{pi_.dwProcessId, nullptr};
            EnumWindows(findTopWindow, reinterpret_cast<LPARAM>(&d));
            window_ = d.found;
            // Ready once it has logged its start (the table is written by then).
            return window_ != nullptr && countLog("start") > 0;
        },
        10000);
    if (!window_ || exited) {
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        if (error) *error = "the simulator did not come up (exit code " + std::to_string(code) + ")";
        stop();
        return false;
    }
    // A shown simulator takes the focus, and the window system restacks the windows when it does: wait for
    // that, so that nobody walks the Z order while it changes.
    if (!o.hidden) waitFor([&] { return GetForegroundWindow() == window_; }, 2000);
    return true;
}

void SimProcess::stop() {
    if (!pi_.hProcess) return;
    if (window_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        DWORD_PTR result = 0;
        COPYDATASTRUCT cd = {kCmdQuit, 0, nullptr};
        SendMessageTimeoutA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_ABORTIFHUNG, 5000,
                            &result);
    }
    if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    pi_ = PROCESS_INFORMATION{};
    window_ = nullptr;
    DeleteFileA(logPath_.c_str());
}

LRESULT SimProcess::command(unsigned long code, const std::string& argument) const {
    COPYDATASTRUCT cd;
    cd.dwData = code;
    cd.cbData = static_cast<DWORD>(argument.size() + 1);
    cd.lpData = const_cast<char*>(argument.c_str());
    return SendMessageA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd));
}

bool SimProcess::setRecords(const std::string& listLines) const {
    // Replacing the records always answers 1. The first simulator on a new Wine desktop can lose a message while
    // the desktop itself comes up (seen once on a fresh prefix), so ask again for a bounded time.
    return waitFor([&] { return command(kCmdRecords, listLines) == 1; }, 5000);
}

std::vector<std::string> SimProcess::log() const {
    std::vector<std::string> lines;
    FILE* f = std::fopen(logPath_.c_str(), "rb");
    if (!f) return lines;
    std::string cur;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else if (c != '\r') {
            cur += static_cast<char>(c);
        }
    }
    std::fclose(f);
    return lines;
}

void SimProcess::clearLog() const {
    command(kCmdClearLog);
}

int SimProcess::countLog(const std::string& line) const {
    int n = 0;
    for (const std::string& l : log())
        if (l == line || l.compare(0, line.size() + 1, line + " ") == 0) ++n;
    return n;
}

int SimProcess::httpPort() const {
    const std::string prefix = "http port=";
    for (const std::string& l : log())
        if (l.compare(0, prefix.size(), prefix) == 0) return std::atoi(l.c_str() + prefix.size());
    return -1;
}

}  // namespace vobra_sim
