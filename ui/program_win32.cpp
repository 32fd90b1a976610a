#include "ui/program_win32.h"

#include <memory>
#include <new>

#include "core/text.h"
#include "core/wide_text_win32.h"
#include "resources/resource.h"
#include "ui/browser_host_win32.h"
#include "ui/handles_win32.h"
#include "ui/main_window_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

std::string programFolder(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    return folderPart(fromWidePath(path, static_cast<int>(n)));
}

int runProgram(HINSTANCE instance, int showCommand) {
    std::unique_ptr<MainWindow> main(new (std::nothrow) MainWindow(instance, programFolder(instance)));
    if (!main) return 0;

    OwnedKernelHandle mutex(CreateMutexW(nullptr, TRUE, kMainWindowClass));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (mutex) ReleaseMutex(mutex.get());
        mutex.reset();
        std::wstring title = widen(kProductTitle);
        HWND running = FindWindowW(kMainWindowClass, title.c_str());
        if (running) SendMessageW(running, WM_COMMAND, ID_RESTORE, 0);
        return 0;
    }
    ReleaseMutex(mutex.get());

    OwnedAccelerators accelerators(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS)));
    if (!accelerators) return 0;

    setTextComparer(&systemTextComparer());
    if (!main->create(showCommand)) return 0;
    int exitCode = 0;
    {
        // The browser control's host, for the BBS page's browser tabs; shut down after the loop.
        BrowserSupport browsers;
        exitCode = main->run(accelerators.get());
    }
    main.reset();
    return exitCode;
}

}  // namespace twk::ui
