// The list views of the real window under load: a full-size list file opened into a shown list page
// (BM_UiLoad550k, against BM_WineLoadListFile64MiB, the same load into a list without a view), and a manual
// get of 1000 new rows from the host simulator into a shown list of 100,000 rows, with the recovery journal's
// point and flush of them (BM_UiCollect1000Into100k, against BM_Collect1000, and against the same get with
// the journal off, BM_UiCollect1000Into100kNoJournal). Selections of 100,000 rows in a shown list
// (BM_UiSelectAll100k, BM_UiInvertSelection100k, BM_UiSortKeepsSelection100k) against the same on the rows of
// a list without a view (BM_SelectAll100k, BM_InvertSelection100k, BM_SortKeepsSelection100k), and the start
// to a shown window with five full histories (BM_UiStartUp) against the same start with an empty TWK.ini
// (BM_UiStartUpEmptySettings).
#include <windows.h>
// The control declarations need the base declarations first.
#include <commctrl.h>

#include <cstdio>
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

constexpr int kSelectionRows = 100000;

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
void rowSelections(const Options& options, std::vector<Result>& results) {
    twk::EntryList list(twk::ListKind::Normal);
    {
        BigListFile rows(tempFilePath("twk-bench-sel"), 100, kSelectionRows);
        if (twk::readListFile(list, rows.path()) != kSelectionRows) fail("BM_SelectAll100k", "no rows");
    }
    if (options.selected("BM_SelectAll100k"))
        results.push_back(measure(
            "BM_SelectAll100k",
            [&] {
                for (int p = 0; p < list.count(); ++p) list.entryAt(p)->selected = 0;
                return true;
            },
            [&] {
                for (int p = 0; p < list.count(); ++p) list.entryAt(p)->selected = 1;
                return selectedRows(list) == kSelectionRows;
            }));
    if (options.selected("BM_InvertSelection100k")) {
        selectHalf(list, nullptr);
        results.push_back(measure(
            "BM_InvertSelection100k", [] { return true; },
            [&] {
                for (int p = 0; p < list.count(); ++p) list.entryAt(p)->selected ^= 1;
                return selectedRows(list) == kSelectionRows / 2;
            }));
    }
    if (options.selected("BM_SortKeepsSelection100k")) {
        selectHalf(list, nullptr);
        results.push_back(measure(
            "BM_SortKeepsSelection100k", [] { return true; },
            [&] {
                list.sort(twk::kColName);
                return selectedRows(list) == kSelectionRows / 2;
            }));
    }
}

// The same through the window's commands and header, with the list shown.
void uiSelections(const Options& options, std::vector<Result>& results) {
    Window window("BM_UiSelect");
    window.open();
    {
        BigListFile rows(tempFilePath("twk-bench-uisel"), 100, kSelectionRows);
        if (!window.main().files().openIntoCurrent(rows.path()) || window.list().count() != kSelectionRows)
            fail("BM_UiSelectAll100k", "the list of 100,000 rows was not loaded");
    }
    window.settle();
    twk::ui::Win32ListView& view = window.view();
    auto shown = [&](int selected) {
        window.settle();
        return view.selectedCount() == selected;
    };
    if (options.selected("BM_UiSelectAll100k"))
        results.push_back(measure(
            "BM_UiSelectAll100k",
            [&] {
                window.main().command(ID_EDIT_CLEARSEL, false);
                return shown(0);
            },
            [&] {
                window.main().command(ID_EDIT_SELECTALL, false);
                return shown(kSelectionRows);
            }));
    if (options.selected("BM_UiInvertSelection100k")) {
        window.main().command(ID_EDIT_CLEARSEL, false);
        selectHalf(window.list(), &view);
        results.push_back(measure(
            "BM_UiInvertSelection100k", [] { return true; },
            [&] {
                window.main().command(ID_EDIT_INVERT, false);
                return shown(kSelectionRows / 2);
            }));
    }
    if (options.selected("BM_UiSortKeepsSelection100k")) {
        window.main().command(ID_EDIT_CLEARSEL, false);
        selectHalf(window.list(), &view);
        results.push_back(measure(
            "BM_UiSortKeepsSelection100k", [] { return true; },
            [&] {
                window.main().onColumnClick(window.page(), twk::kColName);
                return shown(kSelectionRows / 2) && window.list().sortColumn() == twk::kColName;
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
    auto any = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (options.selected(n)) return true;
        return false;
    };
    if (any({"BM_SelectAll100k", "BM_InvertSelection100k", "BM_SortKeepsSelection100k"}))
        rowSelections(options, results);
    if (any({"BM_UiSelectAll100k", "BM_UiInvertSelection100k", "BM_UiSortKeepsSelection100k"}))
        uiSelections(options, results);
    if (options.selected("BM_UiStartUp")) uiStartUp("BM_UiStartUp", true, results);
    if (options.selected("BM_UiStartUpEmptySettings")) uiStartUp("BM_UiStartUpEmptySettings", false, results);
}

}  // namespace winbench
