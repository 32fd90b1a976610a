// The main window: owns the pages, the status bar, the settings, the histories and the conditions for the
// whole run; handles the window's messages, its layout, the page switching and the close, and routes the
// command table to the objects that own the commands: the collection (ui/collection_win32.h over
// host/collection.h), the file commands (ui/file_commands_win32.h over formats/file_commands.h), the row
// commands (ui/row_commands_win32.h over core/row_commands.h), the clipboard (ui/clipboard_win32.h over
// formats/clipboard_rows.h), the export to the host (ui/host_export_win32.h), the tray icon and its commands
// (ui/tray_win32.h) and the browser tabs (the BBS page).
#pragma once

#include <windows.h>
// The shell and control declarations need the base declarations first.
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/dpi.h"
#include "match/condition_list.h"
#include "routing/conditions_file.h"
#include "routing/fixed_lists.h"
#include "settings/history_list.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"
#include "ui/base_window_win32.h"
#include "ui/busy_win32.h"
#include "ui/clipboard_win32.h"
#include "ui/collection_win32.h"
#include "ui/file_commands_win32.h"
#include "ui/handles_win32.h"
#include "ui/host_bridge_win32.h"
#include "ui/host_export_win32.h"
#include "ui/icons_win32.h"
#include "ui/list_presentation_win32.h"
#include "ui/recovery_win32.h"
#include "ui/row_commands_win32.h"
#include "ui/status_bar_win32.h"
#include "ui/tab_set_win32.h"
#include "ui/tray_win32.h"

namespace twk::ui {

class SettingsPage;
class BbsPage;

// The window caption, tray tip and message-box caption.
extern const char* const kProductTitle;        // "Tollwick version 3.25"
extern const wchar_t* const kMainWindowClass;  // "TWKMAINWND"

// What the pages and the commands share for the whole run: the program's module and folder, the user's
// settings and the layout definitions, the list colours, the window's stored state, the histories and the
// conditions.
struct SharedState {
    // `folder` ends with "\": the settings files and the fixed list files live there.
    SharedState(HINSTANCE module, std::string programFolder);

    HINSTANCE instance;
    std::string folder;
    ProfileFile userSettings;  // TWK.ini
    ProfileFile definitions;   // TWKdef.ini
    ListPalette palette;
    WindowState windowState;  // sizes in 96-DPI units, the window's rectangle in the system's pixels
    DpiScale scale;           // the window's DPI: every pixel rule and shown size follows it
    Histories histories;
    ConditionList conditions;
    ConditionFile conditionFile;
};

class MainWindow : public BaseWindow<MainWindow> {
  public:
    // `programFolder` ends with "\": the settings files and the fixed list files live there.
    MainWindow(HINSTANCE instance, std::string programFolder);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window class (once per process) and creates the window from its template; the whole
    // initialisation runs inside. Then shows it. Returns the window, or nullptr.
    HWND create(int showCommand);
    // Message loop until the window is destroyed; returns the exit code.
    int run(HACCEL accelerators);

    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onNcDestroy();

    // What the pages and commands share.
    SharedState& shared() { return shared_; }
    ListTabSet& tabs() { return tabs_; }
    StatusBar& statusBar() { return statusBar_; }
    // The collection's state (tests set it to see the command states that follow).
    CollectionState& collection() { return collector_.logic().state(); }
    CollectionCommands& collector() { return collector_; }
    FileCommandsWindow& files() { return files_; }
    RecoveryWindow& recovery() { return recovery_; }
    SettingsPage* settingsPage() const;
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
    TrayNotifier& tray() { return tray_.notifier(); }

  private:
    // A command's handler calls the object that owns the command: `on<&Owner::command>`.
    using Handler = void (*)(MainWindow&);
    template <auto command>
    static void on(MainWindow& w);
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
    // The window moved to a monitor of another DPI: everything is laid out again at it, in `suggested`.
    void onDpiChanged(int dpi, const RECT& suggested);
    // The status bar's parts at the current DPI.
    void setStatusParts();
    // The narrowest window whose pages' top rows hold their controls without overlap.
    int minimumWindowWidth() const;
    void onTabNotify();
    void onInitMenuPopup(HMENU popup);
    bool close(bool ask);
    static LRESULT CALLBACK tabControlProc(HWND tab, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void onTabRightClick(LPARAM lParam);
    void afterPageChange();
    void createStartPages();
    bool saveState();  // false when TWK.ini could not be written

    // The window's own commands.
    void cmdEnter();
    void cmdExit();
    void cmdNextTab();
    void cmdPreviousTab();

    SharedState shared_;
    ListTabSet tabs_;
    StatusBar statusBar_;
    std::unique_ptr<StatusReporter> reporter_;
    Reporter* previousReporter_ = nullptr;
    // The engine's long work, shown on the status bar.
    BusyIndicator busy_{statusBar_};
    WorkIndicator* previousIndicator_ = nullptr;
    FixedListFiles fixedLists_;
    std::unique_ptr<HostBridge> host_;
    TrayCommands tray_;
    CollectionCommands collector_;
    FileCommandsWindow files_;
    RecoveryWindow recovery_;
    RowCommandsWindow rows_;
    ClipboardCommands clipboard_;
    HostExport export_;
    bool closing_ = false;         // a close is asking its questions or saving
    bool closeReported_ = false;   // a close was kept back once by files it could not write
    bool settingsUnread_ = false;  // TWK.ini was there at the start but could not be read
    bool minimumApplies_ = false;  // the pages are there to say how narrow the window may get
    OwnedFont tabFont_;            // the tabs' font at a DPI other than the start's
    WindowIcons icons_;
    OwnedWindow window_;
};

}  // namespace twk::ui
