// The main window: owns the pages, the status bar, the settings, the histories and the conditions for the
// whole run, and turns menu commands, accelerators and page events into operations on the current page's
// rows.
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

// The automatic collection as far as the window needs to know it.
struct CollectionState {
    bool running = false;
    bool rotate = false;
    EntryList* target = nullptr;
    HWND targetPage = nullptr;
    bool autoSearch = false;
    int tabMove = 3;     // 1 never, 2 at the start, 3 after errorCount empty cycles
    int errorCount = 0;  // empty cycles before the host's search tab is shown again
    int failures = 0;    // consecutive cycles that saw no record
};

class MainWindow : public BaseWindow<MainWindow> {
  public:
    // `programFolder` ends with "\": the settings files and the fixed list files live there.
    MainWindow(HINSTANCE instance, std::string programFolder);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    // The automatic collection's timer: each WM_TIMER with it is one cycle.
    static constexpr UINT_PTR kCollectTimer = 2003;

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
    CollectionState& collection() { return collection_; }
    SettingsPage* settingsPage() const;
    ConditionPage* conditionPage() const;
    BbsPage* bbsPage() const;
    bool noDialog() const { return noDialog_; }
    void setNoDialog(bool on) { noDialog_ = on; }
    int bbsDelay() const { return bbsDelay_; }
    void setBbsDelay(int ms) { bbsDelay_ = ms; }
    HMENU menu() const { return GetMenu(hwnd_); }

    // The command dispatch of WM_COMMAND (also used by the pages for the commands their buttons stand for).
    void command(int id, bool fromAccelerator);
    // Re-applies which menu items and page controls are enabled for the current page and the collection.
    int updateCommandStates();
    // A list view was clicked (counts), or right-clicked (counts, then the 編集 menu at the cursor).
    void onListClick(Page& page, bool right);
    void onColumnClick(Page& page, int viewColumn);
    void onDroppedFiles(Page& page, HDROP drop);
    void fillHistoryCombo(Page& page, int comboId);
    // The keyboard search of a list page or the BBS page.
    void search(Page& page);
    // The host's search word: into the page's word box (取得), or from it to the host (設定).
    void fetchHostWord(Page& page);
    // The BBS page's collection: the host searches its BBS with the page's word, and the threads are read.
    void collectBbs(Page& page);
    void sendHostWord(Page& page);
    HostBridge& host() { return *host_; }
    TrayNotifier& tray() { return tray_; }

    // Unsaved rows of the current normal list: asks whether to save them first. False when the user cancels,
    // when a save asked for did not take place (dialog cancelled, file not written), or when the current page
    // holds no normal list.
    bool confirmSaveChanges();
    // The same for the page of `pageId` (ListTabSet::pageId); false as well when the page went meanwhile.
    bool confirmSaveChanges(int pageId);
    // Opens a list file into the current normal list, replacing its rows. False when nothing was opened.
    bool openIntoCurrent(const std::string& path);
    // Answers the save question instead of a message box (IDYES, IDNO or IDCANCEL); for tests.
    void setSaveQuestion(std::function<int(const std::string&)> answer) { saveQuestion_ = std::move(answer); }
    // Chooses the file instead of the open and save dialogs (false: the dialog was cancelled); for tests.
    using FileChooser = std::function<bool(bool save, std::string& chosen)>;
    void setFileChooser(FileChooser choose) { fileChooser_ = std::move(choose); }

    // The page kinds' command-state rows, exposed for tests.
    enum class MenuState { Grey, Enable, Unchanged, GreyWhileBlocked };
    struct CommandStateRow {
        PageKind kind;
        MenuState edit, get, fileGroup, save, history, filterMenu;
    };
    static const CommandStateRow* commandStateRow(PageKind kind);

  private:
    using Handler = void (MainWindow::*)();
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
    void cmdManualGet();
    // Rows collected into the current list; 0 when it takes none, -1 when the host cannot be reached.
    int manualGet();
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
    // The file commands.
    void cmdOpen();
    void cmdOpenNew();
    void cmdOpenAdd();
    void cmdNewList();
    void cmdCloseList();
    void cmdSave();
    void cmdSaveAs();
    void openHistoryEntry(int index);
    bool chooseFile(bool save, const std::string& start, std::string& chosen);
    int askSaveChanges(const std::string& question);
    void rememberFile(const std::string& path);
    // The normal list of the page of `pageId`, while the page is there.
    EntryList* normalList(int pageId) const;
    bool openInto(int pageId, const std::string& path);
    void showLoaded(int pageId, const char* format, const std::string& path, int count);
    // Rows written, 0 for an empty list (an empty file), -1 when the file could not be written.
    int saveListTo(int pageId, const std::string& path);
    // 上書き保存 and 名前を付けて保存 of the page's list: whether its rows reached a file.
    bool saveList(int pageId);
    bool saveListAs(int pageId);
    std::unique_ptr<EntryList> makeNormalList(int allocationCode);
    bool insertNormalPage(std::unique_ptr<EntryList> list, const std::string& title);
    // The automatic collection.
    void startCollection();
    void stopCollection();
    // A list that goes away takes itself out of the collection: a collection into it stops.
    void forgetCollectionList(const EntryList* list);
    void collectOnce();
    void rotateSearch();
    // The notification-area icon.
    int trayIconResource() const;
    bool minimiseToTray();
    void onTrayCallback(UINT mouseMessage);
    void showTrayMenu();
    void onTaskbarCreated();
    void cmdHostSearchTab();
    void cmdHostToggle();
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
    CollectionState collection_;
    WindowState windowState_;
    std::unique_ptr<HostBridge> host_;
    bool noDialog_ = false;
    int bbsDelay_ = 100;
    int statusHeight_ = 0;
    bool collecting_ = false;      // a cycle is running (its message boxes keep the timer going)
    bool closing_ = false;         // a close is asking its questions or saving
    bool closeReported_ = false;   // a close was kept back once by files it could not write
    bool settingsUnread_ = false;  // TWK.ini was there at the start but could not be read
    std::function<int(const std::string&)> saveQuestion_;
    FileChooser fileChooser_;
    OwnedWindow window_;
};

}  // namespace twk::ui
