// The program as a process: one instance per session, and what closing it leaves behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "tests/ui/window_fixture_win32.h"

namespace twk::ui::test {
namespace {

// The program file, as a Windows path.
std::string programPath() {
    std::string path = TWK_PROGRAM_PATH;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

class Process {
  public:
    explicit Process(const std::string& exe) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string commandLine = "\"" + exe + "\"";
        started_ = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &si, &pi_) != 0;
    }
    ~Process() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool started() const { return started_; }
    // Waits for the process's end; -1 when it is still running after `ms`.
    long exitCode(DWORD ms) {
        if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return static_cast<long>(code);
    }
    HWND waitForWindow() {
        WaitForInputIdle(pi_.hProcess, 10000);
        return FindWindowW(kMainWindowClass, L"Tollwick version 3.25");
    }

  private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

TEST(ProgramTest, SecondStartRestoresTheRunningWindowAndExitsWithZero) {
    std::string folder = makeTempFolder();
    std::string exe = folder + "Tollwick.exe";
    ASSERT_TRUE(CopyFileA(programPath().c_str(), exe.c_str(), FALSE)) << programPath();
    {
        Process first(exe);
        ASSERT_TRUE(first.started());
        HWND window = first.waitForWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window));
        // A second start hands over to the running one and ends with 0.
        auto startSecond = [&] {
            Process second(exe);
            ASSERT_TRUE(second.started());
            EXPECT_EQ(second.exitCode(20000), 0);
        };

        SendMessageW(window, WM_COMMAND, ID_VIEW_HIDE, 0);
        EXPECT_FALSE(IsWindowVisible(window));
        startSecond();
        EXPECT_TRUE(IsWindowVisible(window));

        // Minimised into the tray (the option is on by default): the same.
        SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_FALSE(IsWindowVisible(window));
        startSecond();
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(IsIconic(window));

        // 終了 closes the window; the process ends with 0 and leaves its settings behind.
        PostMessageW(window, WM_COMMAND, ID_FILE_EXIT, 0);
        EXPECT_EQ(first.exitCode(20000), 0);
    }
    char value[32] = {};
    GetPrivateProfileStringA("Tollwick", "WindowRight", "", value, sizeof value,
                             (folder + "TWK.ini").c_str());
    EXPECT_STRNE(value, "");
    DeleteFileA(exe.c_str());
    removeFolder(folder);
}

}  // namespace
}  // namespace twk::ui::test
