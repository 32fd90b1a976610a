// The program's main window for the benchmarks: in a folder of its own, shown, as the program runs it.
#pragma once

#include <windows.h>
// The control declarations need the base declarations first.
#include <commctrl.h>

#include <memory>
#include <string>

#include "bench/win32/winbench_win32.h"
#include "core/entry_list.h"
#include "recovery/journal.h"
#include "resources/resource.h"
#include "ui/main_window_win32.h"
#include "ui/pages_win32.h"

namespace winbench {

class Window {
  public:
    explicit Window(const char* name) : name_(name) {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        folder_ =
            std::string(base) + "twk_winbench_" + std::to_string(GetCurrentProcessId()) + "_" + name + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    ~Window() {
        main_.reset();
        pump();
        for (const char* file :
             {"TWK.ini", "TWKdef.ini", "ConditionList.txt", "IgnoreList.txt", "BbsList.txt"})
            DeleteFileA((folder_ + file).c_str());
        removeJournal();
        RemoveDirectoryA(folder_.c_str());
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setting(const char* file, const char* key, const char* value) {
        WritePrivateProfileStringA("Tollwick", key, value, (folder_ + file).c_str());
    }
    void close() {
        main_.reset();
        pump();
    }
    const std::string& folder() const { return folder_; }
    void open() {
        main_ = std::make_unique<twk::ui::MainWindow>(GetModuleHandleW(nullptr), folder_);
        if (!main_->create(SW_SHOW)) fail(name_, "the main window was not created");
        main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
        settle();
    }

    twk::ui::MainWindow& main() { return *main_; }
    twk::ui::Page& page() { return *main_->tabs().page(0); }
    twk::EntryList& list() { return *main_->tabs().pageList(0); }
    twk::ui::Win32ListView& view() { return *page().listView(); }
    int viewItems() { return static_cast<int>(SendMessageW(view().hwnd(), LVM_GETITEMCOUNT, 0, 0)); }

    // Paints what the last operation left to paint and handles what it posted.
    void settle() {
        RedrawWindow(main_->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        pump();
    }
    static void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // Empties the first list as the user's 全て削除 does, and forgets that it changed.
    void emptyList() {
        main_->command(ID_EDIT_CLEARALL, false);
        list().setModified(false);
        settle();
    }

  private:
    // The recovery journal's folder: whatever the window left in it.
    void removeJournal() const {
        const std::string journal = folder_ + twk::kJournalFolderName + "\\";
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((journal + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do DeleteFileA((journal + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(journal.c_str());
    }

    const char* name_;
    std::string folder_;
    std::unique_ptr<twk::ui::MainWindow> main_;
};

}  // namespace winbench
