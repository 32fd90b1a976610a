// Starts a host simulator and drives it: commands by WM_COPYDATA, its event log, and stopping it again. Used
// by the host link's tests and by the collection benchmark.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vobra_sim {

struct SimOptions {
    std::string title = "Vobra v0.95 simulator";
    std::string windowClass;  // empty: the dialog class
    bool hidden = false;
    bool noPlugin = false;
    int port = -1;  // no HTTP unless asked for
    unsigned move = 0;
};

// A Windows path for a path of the build (a Unix path is reached through drive Z:).
std::string windowsPath(const std::string& path);

class SimProcess {
  public:
    SimProcess() = default;
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator and waits (bounded) until its main window exists. False with a reason otherwise.
    bool start(const std::string& exePath, const SimOptions& options, std::string* error);
    // Asks it to quit and waits for it; ends it by force if it does not.
    void stop();

    HWND window() const { return window_; }
    DWORD processId() const { return pi_.dwProcessId; }

    // Sends one command; returns the simulator's reply (1 done, 0 refused).
    LRESULT command(unsigned long code, const std::string& argument = std::string()) const;
    bool setRecords(const std::string& listLines) const;

    // The event log, line by line; clearLog forgets what was logged so far.
    std::vector<std::string> log() const;
    void clearLog() const;
    int countLog(const std::string& line) const;
    // The port its web server listens on (as it logged it), or -1 when it serves nothing.
    int httpPort() const;
    // Polls `done` until it holds or `timeoutMs` passes, pumping this thread's messages between polls.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

  private:
    PROCESS_INFORMATION pi_ = {};
    HWND window_ = nullptr;
    std::string logPath_;
};

}  // namespace vobra_sim
