// The list views of the real window under load: a full-size list file opened into a shown list page
// (BM_UiLoad550k, against BM_WineLoadListFile64MiB, the same load into a list without a view), and a manual
// get of 1000 new rows from the host simulator into a shown list of 100,000 rows (BM_UiCollect1000Into100k,
// against BM_Collect1000).
#include <windows.h>
// The control declarations need the base declarations first.
#include <commctrl.h>

#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/big_list_file.h"
#include "bench/win32/winbench_win32.h"
#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/text.h"
#include "formats/list_file.h"
#include "resources/resource.h"
#include "tools/vobra_sim/sim_driver_win32.h"
#include "ui/main_window_win32.h"
#include "ui/pages_win32.h"

namespace winbench {

namespace {

using twk::bench::BigListFile;

// A main window in a folder of its own, shown, as the program runs it.
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
        RemoveDirectoryA(folder_.c_str());
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setting(const char* file, const char* key, const char* value) {
        WritePrivateProfileStringA("Tollwick", key, value, (folder_ + file).c_str());
    }
    void open() {
        main_ = std::make_unique<twk::ui::MainWindow>(GetModuleHandleW(nullptr), folder_);
        if (!main_->create(SW_SHOW)) fail(name_, "the main window was not created");
        main_->setSaveQuestion([](const std::string&) { return IDNO; });
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
    const char* name_;
    std::string folder_;
    std::unique_ptr<twk::ui::MainWindow> main_;
};

const BigListFile& bigFile() {
    static const BigListFile file(tempFilePath("twk-bench-list"), 64);
    if (!file.written()) fail("BM_UiLoad550k", "the list file could not be written");
    return file;
}

void wineLoad(std::vector<Result>& results) {
    const char* name = "BM_WineLoadListFile64MiB";
    const BigListFile& file = bigFile();
    std::unique_ptr<twk::EntryList> list;
    results.push_back(measure(
        name,
        [&] {
            list.reset();  // freeing the rows of the last load is not part of a load
            list = std::make_unique<twk::EntryList>(twk::ListKind::Normal);
            return true;
        },
        [&] { return twk::readListFile(*list, file.path()) == file.rows(); }));
}

void uiLoad(std::vector<Result>& results) {
    const char* name = "BM_UiLoad550k";
    const BigListFile& file = bigFile();
    Window window(name);
    window.open();
    results.push_back(measure(
        name,
        [&] {
            window.emptyList();
            return window.list().count() == 0 && window.viewItems() == 0;
        },
        [&] {
            if (!window.main().openIntoCurrent(file.path())) return false;
            window.settle();
            return window.list().count() == file.rows() && window.viewItems() == file.rows();
        }));
}

void uiCollect(const Options& options, std::vector<Result>& results) {
    const char* name = "BM_UiCollect1000Into100k";
    constexpr int kRows = 100000;
    constexpr int kCollected = 1000;
    vobra_sim::SimProcess host;
    vobra_sim::SimOptions simOptions;
    simOptions.hidden = true;
    std::string error;
    if (!host.start(options.simPath, simOptions, &error)) fail(name, error);

    Window window(name);
    window.setting("TWKdef.ini", "State00", "完全キャッシュ");
    window.setting("TWK.ini", "NoDialog", "1");
    window.setting("TWK.ini", "AutoSearch", "0");
    window.open();

    // The list: 100,000 rows in name order, as after a click on the ファイル名 header.
    {
        BigListFile rows(tempFilePath("twk-bench-rows"), 100, kRows);
        if (!window.main().openIntoCurrent(rows.path()) || window.list().count() != kRows)
            fail(name, "the list of 100,000 rows was not loaded");
    }
    window.main().onColumnClick(window.page(), 2);
    window.main().onColumnClick(window.page(), 1);
    window.settle();

    std::mt19937 rng(1000);
    std::unordered_set<std::string> fresh;  // the hashes the host offers in this iteration
    HWND page = window.page().hwnd();
    HWND button = GetDlgItem(page, IDC_MANUALGET);
    results.push_back(measure(
        name,
        [&] {
            // Back to the 100,000 rows: the rows of the last iteration go again.
            twk::EntryList& list = window.list();
            {
                twk::BulkUpdate bulk(list.view());
                for (int p = list.count() - 1; p >= 0 && !fresh.empty(); --p) {
                    if (fresh.count(list.entryAt(p)->hash) == 0) continue;
                    list.removeAt(p, true);
                    list.view()->deleteItem(p);
                }
            }
            window.settle();
            fresh.clear();
            std::string records;
            for (int i = 0; i < kCollected; ++i) {
                std::string line = twk::bench::randomListLine(rng);
                fresh.insert(line.substr(line.rfind('\t') + 1, 32));
                records += line;
            }
            return list.count() == kRows && window.viewItems() == kRows && host.setRecords(records);
        },
        [&] {
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_MANUALGET, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
            window.settle();
            return window.list().count() == kRows + kCollected && window.viewItems() == kRows + kCollected;
        }));
}

}  // namespace

void runWindowBenchmarks(const Options& options, std::vector<Result>& results) {
    // The program compares texts as the system does.
    twk::setTextComparer(&twk::systemTextComparer());
    if (options.selected("BM_WineLoadListFile64MiB")) wineLoad(results);
    if (options.selected("BM_UiLoad550k")) uiLoad(results);
    if (options.selected("BM_UiCollect1000Into100k")) uiCollect(options, results);
}

}  // namespace winbench
