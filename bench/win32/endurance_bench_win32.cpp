// A long run of the window beside the host simulator (BM_UiEndurance): 2,000 automatic-collection cycles,
// each started by the collection's timer message, with the host's results changing between cycles, a list
// that grows past 100,000 rows, and a search, a sort, a copy and a save every 100 cycles. From cycle 100 to
// the end it reports what the process gained in kernel handles, GDI and USER objects and private memory, and
// what the rows added in that time hold: the objects must not grow, and the memory no more than the rows'
// own bytes allow for.
#include <windows.h>

#include <cstdio>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "bench/big_list_file.h"
#include "bench/win32/bench_window_win32.h"
#include "bench/win32/process_counts_win32.h"
#include "bench/win32/winbench_win32.h"
#include "core/entry.h"
#include "tools/vobra_sim/sim_driver_win32.h"

namespace winbench {

namespace {

constexpr const char* kName = "BM_UiEndurance";
constexpr int kCycles = 2000;
constexpr int kFirstMeasuredCycle = 100;
constexpr int kChoresEvery = 100;
// The host lists this many results in each cycle: some new, the rest seen in recent cycles with a changed
// reference amount (they merge into the rows already there).
constexpr int kHostResults = 600;
constexpr int kNewPerCycle = 60;

// The chores of every 100th cycle take these in turn: search words that hit a few rows of the random names,
// and the columns to sort by.
const char* const kSearchWords[] = {"Qz", "k7", "[a", "9_", "Mx"};
const int kSortColumns[] = {twk::kColName, twk::kColSize, twk::kColRefAmount, twk::kColUpdateTime,
                            twk::kColHash};

struct HostRecord {
    std::string name, trip, size, hash;
    unsigned refAmount;
};

// The results the host lists cycle after cycle.
class HostResults {
  public:
    explicit HostResults(unsigned seed) : rng_(seed) {}

    // The next cycle's results as the simulator takes them: new ones first, then recent ones changed.
    std::string next() {
        for (int i = 0; i < kNewPerCycle; ++i) {
            recent_.push_back({twk::bench::randomName(rng_), "trip" + std::to_string(rng_() % 1000),
                               twk::bench::grouped(rng_() % 2000000000u), twk::bench::randomHash(rng_),
                               static_cast<unsigned>(rng_() % 5000)});
            if (static_cast<int>(recent_.size()) > kHostResults) recent_.pop_front();
        }
        std::string lines;
        for (HostRecord& r : recent_) {
            r.refAmount += static_cast<unsigned>(rng_() % 3);
            lines += r.name + "\t" + r.trip + "\t" + r.size + "\t完全キャッシュ\t" +
                     std::to_string(r.refAmount) + "\t12/09 10:00\t1.0\t" + r.hash + "\r\n";
        }
        return lines;
    }

  private:
    std::mt19937 rng_;
    std::deque<HostRecord> recent_;
};

struct Snapshot {
    ProcessCounts process;
    std::size_t rowBytes;
    int rows;
};

}  // namespace

void runEnduranceBenchmark(const Options& options, std::vector<Result>& results) {
    if (!options.selected(kName)) return;
    ProcessCounter counter;
    std::string error;
    if (!counter.calibrate(&error)) fail(kName, error);

    vobra_sim::SimProcess host;
    vobra_sim::SimOptions simOptions;
    simOptions.hidden = true;
    if (!host.start(options.simPath, simOptions, &error)) fail(kName, error);
    HostResults hostResults(2000);
    if (!host.setRecords(hostResults.next())) fail(kName, "the simulator refused the results");

    Window window(kName);
    window.setting("TWKdef.ini", "State00", "完全キャッシュ");
    window.setting("TWK.ini", "NoDialog", "1");
    window.setting("TWK.ini", "AutoSearch", "0");
    window.setting("TWK.ini", "AutoSort", "1");
    window.setting("TWK.ini", "TimerDelay", "3600");  // the real timer never comes first
    window.open();
    const std::string savePath = window.folder() + "endurance.txt";
    window.main().files().setFileChooser([&](bool, std::string& chosen) {
        chosen = savePath;
        return true;
    });
    twk::ui::MainWindow& main = window.main();
    main.command(ID_GET_START, false);  // the first cycle runs at once
    window.settle();
    if (!main.collection().running) fail(kName, "the automatic collection did not start");

    HWND page = window.page().hwnd();
    auto pageCommand = [&](int id) {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    };
    auto chores = [&](int round) {
        const char* word = kSearchWords[round % (sizeof kSearchWords / sizeof kSearchWords[0])];
        SetWindowTextA(GetDlgItem(page, IDC_SEARCHWORD), word);
        pageCommand(IDC_SEARCH);
        main.command(ID_EDIT_SELECTMARKED, false);
        main.onColumnClick(window.page(),
                           kSortColumns[round % (sizeof kSortColumns / sizeof kSortColumns[0])]);
        main.command(ID_EDIT_COPY, false);
        main.command(ID_FILE_SAVEAS, false);
        window.settle();
    };
    auto snapshot = [&] {
        window.settle();
        return Snapshot{counter.take(), window.list().heldBytes(), window.list().count()};
    };

    const double start = nowMs();
    const double cpuStart = cpuNow();
    Snapshot first{};
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        if (cycle > 1) {
            if (!host.setRecords(hostResults.next())) fail(kName, "the simulator refused the results");
            PostMessageW(main.hwnd(), WM_TIMER, twk::ui::CollectionCommands::kTimer, 0);
            window.settle();
        }
        if (!main.collection().running)
            fail(kName, "the collection stopped at cycle " + std::to_string(cycle));
        if (cycle % kChoresEvery == 0) {
            chores(cycle / kChoresEvery);
            std::fprintf(stderr, "%s: cycle %d, %d rows, %.0f s\n", kName, cycle, window.list().count(),
                         (nowMs() - start) / 1000);
        }
        if (cycle == kFirstMeasuredCycle) first = snapshot();
    }
    const Snapshot last = snapshot();
    const double elapsed = nowMs() - start;
    const double cpu = cpuNow() - cpuStart;
    main.command(ID_GET_STOP, false);
    window.emptyList();
    window.close();
    DeleteFileA(savePath.c_str());

    const int expectedRows = kCycles * kNewPerCycle;
    if (last.rows != expectedRows)
        fail(kName,
             "the list holds " + std::to_string(last.rows) + " rows, not " + std::to_string(expectedRows));
    Result r;
    r.name = kName;
    r.iterations = 1;
    r.realMs = elapsed;
    r.cpuMs = cpu;
    r.counters = {
        {"handles_growth", static_cast<double>(last.process.handles - first.process.handles)},
        {"gdi_growth", static_cast<double>(last.process.gdi - first.process.gdi)},
        {"user_growth", static_cast<double>(last.process.user - first.process.user)},
        {"private_bytes_growth", static_cast<double>(last.process.privateBytes - first.process.privateBytes)},
        {"rows_bytes_added", static_cast<double>(last.rowBytes) - static_cast<double>(first.rowBytes)},
        {"private_bytes_allowed",
         1.5 * (static_cast<double>(last.rowBytes) - static_cast<double>(first.rowBytes)) + 1024.0 * 1024.0},
        {"rows_at_cycle_100", static_cast<double>(first.rows)},
        {"rows_at_end", static_cast<double>(last.rows)},
        {"handles_at_cycle_100", static_cast<double>(first.process.handles)},
        {"gdi_at_cycle_100", static_cast<double>(first.process.gdi)},
        {"user_at_cycle_100", static_cast<double>(first.process.user)},
    };
    r.label = counter.methods();
    results.push_back(r);
}

}  // namespace winbench
