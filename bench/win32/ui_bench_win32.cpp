// The list views of the real window under load: a full-size list file opened into a shown list page
// (BM_UiLoad550k, against BM_WineLoadListFile64MiB, the same load into a list without a view), and a manual
// get of 1000 new rows from the host simulator into a shown list of 100,000 rows, with the recovery journal's
// point and flush of them (BM_UiCollect1000Into100k, against BM_Collect1000, and against the same get with
// the journal off, BM_UiCollect1000Into100kNoJournal, held to 1.10 times it; against BM_Collect1000 held to 4
// times it: under Wine the full repaint of the view that the new rows bring falls inside the timed span, and
// that repaint is the platform's cost). Selections of 100,000 rows in a shown list (BM_UiSelectAll100k,
// BM_UiInvertSelection100k, BM_UiSortKeepsSelection100k) against the same on the rows of a list without a
// view (BM_SelectAll100k, BM_InvertSelection100k, BM_SortKeepsSelection100k): held to 3 times them. What a
// selection command costs the window beyond its rows is a constant of the platform (the command's status
// texts and one paint of the rows shown), so the same pair on 1,000,000 rows (BM_UiSelectAll1M against
// BM_SelectAll1M, BM_UiInvertSelection1M against BM_InvertSelection1M) is held to 1.5 times. The start to a
// shown window with five full histories (BM_UiStartUp) against the same start with an empty TWK.ini
// (BM_UiStartUpEmptySettings).
#include <windows.h>
// The control declarations need the base declarations first.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/big_list_file.h"
#include "bench/win32/bench_window_win32.h"
#include "bench/win32/winbench_win32.h"
#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/text.h"
#include "formats/list_file.h"
#include "resources/resource.h"
#include "settings/history_list.h"
#include "tools/vobra_sim/sim_driver_win32.h"
#include "ui/main_window_win32.h"
#include "ui/pages_win32.h"

namespace winbench {

namespace {

using twk::bench::BigListFile;

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
            if (!window.main().files().openIntoCurrent(file.path())) return false;
            window.settle();
            return window.list().count() == file.rows() && window.viewItems() == file.rows();
        }));
}

void uiCollect(const Options& options, const char* name, bool journal, std::vector<Result>& results) {
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
    window.setting("TWK.ini", "Recovery", journal ? "1" : "0");
    window.open();
    // What the journal has to write once a get has changed the list: at once, not on its timer.
    auto journalPoint = [&] {
        return SendMessageW(window.main().hwnd(), TWK_JOURNAL_NOW, 0, 0) == (journal ? 1 : 0);
    };

    // The list: 100,000 rows in name order, as after a click on the ファイル名 header.
    {
        BigListFile rows(tempFilePath("twk-bench-rows"), 100, kRows);
        if (!window.main().files().openIntoCurrent(rows.path()) || window.list().count() != kRows)
            fail(name, "the list of 100,000 rows was not loaded");
    }
    window.main().onColumnClick(window.page(), 2);
    window.main().onColumnClick(window.page(), 1);
    window.settle();
    if (!journalPoint()) fail(name, "the journal was not written");

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
                    if (fresh.count(list.entryAt(p)->hash()) == 0) continue;
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
            return list.count() == kRows && window.viewItems() == kRows && journalPoint() &&
                   host.setRecords(records);
        },
        [&] {
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_MANUALGET, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
            window.settle();
            return journalPoint() && window.list().count() == kRows + kCollected &&
                   window.viewItems() == kRows + kCollected;
        }));
}

// The selection benchmarks come in two sizes: 100,000 rows, and 1,000,000 rows, at which the platform's
// constant part of a command (its messages and one paint of the rows shown) no longer hides what each row
// costs.
struct SelectionSize {
    int rows;
    const char* suffix;  // of the benchmarks' names
    bool sort;           // BM_SortKeepsSelection too
};
constexpr SelectionSize kSelection100k{100000, "100k", true};
constexpr SelectionSize kSelection1M{1000000, "1M", false};

std::string benchName(const char* stem, const SelectionSize& size) {
    return std::string("BM_") + stem + size.suffix;
}

// The rows of a selection benchmark, in files of at most half a million rows (a list file holds 64 MiB at
// most), each handed to `load` (with whether it is the first) and removed again. False when one did not load.
template <class Load>
bool loadSelectionRows(const char* stem, const SelectionSize& size, Load&& load) {
    constexpr int kRowsPerFile = 500000;
    for (int part = 0, done = 0; done < size.rows; ++part) {
        const int n = std::min(size.rows - done, kRowsPerFile);
        const BigListFile file(tempFilePath((std::string(stem) + std::to_string(part)).c_str()),
                               static_cast<unsigned>(100 + part), n);
        if (!file.written() || !load(file.path(), part == 0)) return false;
        done += n;
    }
    return true;
}

// Every second row of the list selected, in the rows or (with `view`) in its view.
void selectHalf(twk::EntryList& list, twk::ui::Win32ListView* view) {
    for (int p = 0; p < list.count(); ++p) {
        list.entryAt(p)->selected = p % 2 == 0 ? 1 : 0;
        if (view) view->setSelected(p, p % 2 == 0);
    }
}

int selectedRows(const twk::EntryList& list) {
    int n = 0;
    for (int p = 0; p < list.count(); ++p) n += list.entryAt(p)->selected;
    return n;
}

// The anchors: the operations on the rows of a list without a view.
void rowSelections(const Options& options, const SelectionSize& size, std::vector<Result>& results) {
    const std::string selectAll = benchName("SelectAll", size), invert = benchName("InvertSelection", size),
                      sort = benchName("SortKeepsSelection", size);
    const int rows = size.rows;
    twk::EntryList list(twk::ListKind::Normal);
    if (!loadSelectionRows(
            "twk-bench-sel", size,
            [&](const std::string& path, bool) { return twk::readListFile(list, path) > 0; }) ||
        list.count() != rows)
        fail(selectAll.c_str(), "the rows were not loaded");
    if (options.selected(selectAll.c_str()))
        results.push_back(measure(
            selectAll.c_str(),
            [&] {
                for (int p = 0; p < list.count(); ++p) list.entryAt(p)->selected = 0;
                return true;
            },
            [&] {
                for (int p = 0; p < list.count(); ++p) list.entryAt(p)->selected = 1;
                return selectedRows(list) == rows;
            }));
    if (options.selected(invert.c_str())) {
        selectHalf(list, nullptr);
        results.push_back(measure(
            invert.c_str(), [] { return true; },
            [&] {
                for (int p = 0; p < list.count(); ++p) list.entryAt(p)->selected ^= 1;
                return selectedRows(list) == rows / 2;
            }));
    }
    if (size.sort && options.selected(sort.c_str())) {
        selectHalf(list, nullptr);
        results.push_back(measure(
            sort.c_str(), [] { return true; },
            [&] {
                list.sort(twk::kColName);
                return selectedRows(list) == rows / 2;
            }));
    }
}

// The same through the window's commands and header, with the list shown.
void uiSelections(const Options& options, const SelectionSize& size, std::vector<Result>& results) {
    const std::string selectAll = benchName("UiSelectAll", size),
                      invert = benchName("UiInvertSelection", size),
                      sort = benchName("UiSortKeepsSelection", size);
    const int rows = size.rows;
    Window window("BM_UiSelect");
    window.open();
    const bool loaded = loadSelectionRows("twk-bench-uisel", size, [&](const std::string& path, bool first) {
        if (first) return window.main().files().openIntoCurrent(path);
        // Added as 追加で開く adds them.
        twk::BulkUpdate bulk(window.list().view());
        return twk::readListFile(window.list(), path) > 0;
    });
    if (!loaded || window.list().count() != rows) fail(selectAll.c_str(), "the rows were not loaded");
    window.settle();
    twk::ui::Win32ListView& view = window.view();
    if (window.viewItems() != rows) fail(selectAll.c_str(), "the view does not show the rows");
    auto shown = [&](int selected) {
        window.settle();
        return view.selectedCount() == selected;
    };
    if (options.selected(selectAll.c_str()))
        results.push_back(measure(
            selectAll.c_str(),
            [&] {
                window.main().command(ID_EDIT_CLEARSEL, false);
                return shown(0);
            },
            [&] {
                window.main().command(ID_EDIT_SELECTALL, false);
                return shown(rows);
            }));
    if (options.selected(invert.c_str())) {
        window.main().command(ID_EDIT_CLEARSEL, false);
        selectHalf(window.list(), &view);
        results.push_back(measure(
            invert.c_str(), [] { return true; },
            [&] {
                window.main().command(ID_EDIT_INVERT, false);
                return shown(rows / 2);
            }));
    }
    if (size.sort && options.selected(sort.c_str())) {
        window.main().command(ID_EDIT_CLEARSEL, false);
        selectHalf(window.list(), &view);
        results.push_back(measure(
            sort.c_str(), [] { return true; },
            [&] {
                window.main().onColumnClick(window.page(), twk::kColName);
                return shown(rows / 2) && window.list().sortColumn() == twk::kColName;
            }));
    }
    window.emptyList();
}

// Start to a shown window and back, with TWK.ini holding five histories at their full capacity (or nothing).
void uiStartUp(const char* name, bool histories, std::vector<Result>& results) {
    Window window(name);
    if (histories) {
        std::string text = "[Tollwick]\r\n";
        const int capacity = twk::HistoryList::kCapacityLimit;
        for (const char* prefix :
             {"History", "SearchHistory", "VobraHistory", "BbsHistory", "VobraBbsHistory"}) {
            text += std::string(prefix) + "Max=" + std::to_string(capacity) + "\r\n";
            for (int i = 0; i < capacity; ++i) {
                char key[32];
                std::snprintf(key, sizeof key, "%s%2.2d=", prefix, i);
                text += key + std::string("C:\\files\\") + prefix + " entry " + std::to_string(i) + "\r\n";
            }
        }
        HANDLE file = CreateFileA((window.folder() + "TWK.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        const bool ok = file != INVALID_HANDLE_VALUE &&
                        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                        written == text.size();
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (!ok) fail(name, "TWK.ini was not written");
    }
    results.push_back(measure(
        name,
        [&] {
            window.close();
            return true;
        },
        [&] {
            window.open();
            return IsWindowVisible(window.main().hwnd()) != FALSE;
        }));
}

}  // namespace

void runWindowBenchmarks(const Options& options, std::vector<Result>& results) {
    // The program compares texts as the system does.
    twk::setTextComparer(&twk::systemTextComparer());
    if (options.selected("BM_WineLoadListFile64MiB")) wineLoad(results);
    if (options.selected("BM_UiLoad550k")) uiLoad(results);
    if (options.selected("BM_UiCollect1000Into100k"))
        uiCollect(options, "BM_UiCollect1000Into100k", true, results);
    if (options.selected("BM_UiCollect1000Into100kNoJournal"))
        uiCollect(options, "BM_UiCollect1000Into100kNoJournal", false, results);
    for (const SelectionSize& size : {kSelection100k, kSelection1M}) {
        auto anySelected = [&](std::initializer_list<const char*> stems) {
            for (const char* stem : stems)
                if ((size.sort || std::strstr(stem, "Sort") == nullptr) &&
                    options.selected(benchName(stem, size).c_str()))
                    return true;
            return false;
        };
        if (anySelected({"SelectAll", "InvertSelection", "SortKeepsSelection"}))
            rowSelections(options, size, results);
        if (anySelected({"UiSelectAll", "UiInvertSelection", "UiSortKeepsSelection"}))
            uiSelections(options, size, results);
    }
    if (options.selected("BM_UiStartUp")) uiStartUp("BM_UiStartUp", true, results);
    if (options.selected("BM_UiStartUpEmptySettings")) uiStartUp("BM_UiStartUpEmptySettings", false, results);
}

}  // namespace winbench
