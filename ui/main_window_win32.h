// The main window: owns the pages, the status bar, the settings, the histories and the conditions for the
// whole run; handles the window's messages, its layout, the page switching and the close, and routes the
// command table to the objects that own the commands (the collection's in ui/collection_win32.h over the
// decisions of host/collection.h, the file commands' in ui/file_commands_win32.h over those of
// formats/file_commands.h; its own row commands on the current page).
#pragma once

#include <windows.h>
// The shell and control declarations need the base declarations first.
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "match/condition_list.h"
#include "routing/conditions_file.h"
#include "routing/fixed_lists.h"
#include "settings/history_list.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"
#include "ui/base_window_win32.h"
#include "ui/collection_win32.h"
#include "ui/file_commands_win32.h"
#include "ui/handles_win32.h"
#include "ui/host_bridge_win32.h"
#include "ui/list_presentation_win32.h"
#include "ui/status_bar_win32.h"
#include "ui/tab_set_win32.h"
#include "ui/tray_win32.h"

namespace twk::ui {

class SettingsPage;
class ConditionPage;
class BbsPage;

// The window caption, tray tip and message-box caption.
extern const char* const kProductTitle;        // "Tollwick version 3.25"
extern const wchar_t* const kMainWindowClass;  // "TWKMAINWND"

class MainWindow : public BaseWindow<MainWindow> {
  public:
    // `programFolder` ends with "\": the settings files and the fixed list files live there.
    MainWindow(HINSTANCE instance, std::string programFolder);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    // The automatic collection's timer: each WM_TIMER with it is one cycle.
    static constexpr UINT_PTR kCollectTimer = CollectionCommands::kTimer;

    // Registers the window class (once per process) and creates the window from its template; the whole
    // initialisation runs inside. Then shows it. Returns the window, or nullptr.
    HWND create(int showCommand);
    // Message loop until the window is destroyed; returns the exit code.
    int run(HACCEL accelerators);

    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onNcDestroy();

    // What the pages and commands share.
    HINSTANCE instance() const { return instance_; }
    ListTabSet& tabs() { return tabs_; }
    StatusBar& statusBar() { return statusBar_; }
    const ListPalette& palette() const { return palette_; }
    const WindowState& windowState() const { return windowState_; }
    WindowState& windowState() { return windowState_; }
    ProfileFile& userSettings() { return userSettings_; }
    const std::string& programFolder() const { return folder_; }
    Histories& histories() { return histories_; }
    ConditionList& conditions() { return conditions_; }
    ConditionFile& conditionFile() { return conditionFile_; }
    // The collection's state (tests set it to see the command states that follow).
    CollectionState& collection() { return collector_.logic().state(); }
    CollectionCommands& collector() { return collector_; }
    FileCommandsWindow& files() { return files_; }
    SettingsPage* settingsPage() const;
    ConditionPage* conditionPage() const;
    BbsPage* bbsPage() const;
    HMENU menu() const { return GetMenu(hwnd_); }

    // The command dispatch of WM_COMMAND (also used by the pages for the commands their buttons stand for).
    void command(int id, bool fromAccelerator);
    // Re-applies which menu items and page controls are enabled for the current page and the collection.
    int updateCommandStates();
    // A list view was clicked (counts), or right-clicked (counts, then the 編集 menu at the cursor).
    void onListClick(Page& page, bool right);
    void onColumnClick(Page& page, int viewColumn);
    void fillHistoryCombo(Page& page, int comboId);
    // The keyboard search of a list page or the BBS page.
    void search(Page& page);
    HostBridge& host() { return *host_; }
    TrayNotifier& tray() { return tray_; }

    // The page kinds' command-state rows, exposed for tests.
    enum class MenuState { Grey, Enable, Unchanged, GreyWhileBlocked };
    struct CommandStateRow {
        PageKind kind;
        MenuState edit, get, fileGroup, save, history, filterMenu;
    };
    static const CommandStateRow* commandStateRow(PageKind kind);

  private:
    // A command's handler calls the object that owns the command.
    using Handler = void (*)(MainWindow&);
    template <void (MainWindow::*f)()>
    static void onWindow(MainWindow& w) {
        (w.*f)();
    }
    template <void (CollectionCommands::*f)()>
    static void onCollection(MainWindow& w) {
        (w.collector_.*f)();
    }
    template <void (FileCommands::*f)()>
    static void onFiles(MainWindow& w) {
        (w.files_.logic().*f)();
    }
    struct CommandEntry {
        int id;
        Handler handler;
        bool accelerator;   // in the accelerator table
        MemoryPlace place;  // named by the memory message when an allocation of the command fails
    };
    static const CommandEntry kCommands[];

    // Window messages.
    void onInitDialog();
    void onSize(WPARAM wParam, LPARAM lParam);
    void onTabNotify();
    void onInitMenuPopup(HMENU popup);
    bool close(bool ask);
    static LRESULT CALLBACK tabControlProc(HWND tab, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void onTabRightClick(LPARAM lParam);
    void searchPage(Page& page);
    void afterPageChange();
    void placeWindow();
    void createStartPages();
    bool saveState();  // false when TWK.ini could not be written

    // Commands.
    void cmdEnter();
    void cmdExit();
    void cmdDelete();
    void cmdSelectAll();
    void cmdInvert();
    void cmdClearSelection();
    void cmdClearAll();
    void cmdSelectMarked();
    void cmdMarkSelected();
    void cmdNextTab();
    void cmdPreviousTab();
    void cmdNextMark();
    void cmdPreviousMark();
    void cmdFocusForward();
    void cmdFocusBackward();
    void cmdRestore();
    void cmdHide();
    // The browser tabs' commands, forwarded to the BBS page.
    void browserCommand(int id);
    void cmdBrowserReload();
    void cmdBrowserClose();
    void cmdFindInPage();
    // The selected rows appended to the host's download list or ignore file.
    void exportToHost(bool ignoreFile);
    void cmdAddToDownList();
    void cmdAddToIgnoreFile();
    // The clipboard: copies of the selected rows in a line form, cut, paste.
    int copySelectedRows(int form, int bbsForm);
    void cmdCopyForm(int id);
    void cmdCopy();
    void cmdCopyDownload();
    void cmdCopyNames();
    void cmdCopyTrips();
    void cmdCopyHashes();
    void cmdCopyKeyInfo();
    void cmdCut();
    void cmdPaste();
    // The notification-area icon.
    int trayIconResource() const;
    bool minimiseToTray();
    void onTrayCallback(UINT mouseMessage);
    void showTrayMenu();
    void onTaskbarCreated();
    void moveSelectedToTab(int index);
    void toggleFilter(int index);

    // The current page's list and its view, when the current page holds rows.
    EntryList* currentList() const { return tabs_.currentList(); }
    Win32ListView* currentView() const;

    HINSTANCE instance_;
    std::string folder_;
    ListTabSet tabs_;
    TrayNotifier tray_;
    StatusBar statusBar_;
    std::unique_ptr<StatusReporter> reporter_;
    Reporter* previousReporter_ = nullptr;
    ProfileFile userSettings_;
    ProfileFile definitions_;
    ListPalette palette_;
    Histories histories_;
    ConditionList conditions_;
    ConditionFile conditionFile_;
    FixedListFiles fixedLists_;
    DWORD lastTrayDoubleClick_ = 0;
    UINT taskbarCreatedMessage_ = 0;
    WindowState windowState_;
    std::unique_ptr<HostBridge> host_;
    CollectionCommands collector_;
    FileCommandsWindow files_;
    int statusHeight_ = 0;
    bool closing_ = false;         // a close is asking its questions or saving
    bool closeReported_ = false;   // a close was kept back once by files it could not write
    bool settingsUnread_ = false;  // TWK.ini was there at the start but could not be read
    OwnedWindow window_;
};

}  // namespace twk::ui
