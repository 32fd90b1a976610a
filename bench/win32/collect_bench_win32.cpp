// One collection of 1000 host records from the host simulator in another process, read field by field
// (BM_Collect1000_FieldReads) and in blocks of the table (BM_Collect1000), into a list without a view.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/win32/winbench_win32.h"
#include "core/entry_list.h"
#include "host/host_link.h"
#include "host/host_system_win32.h"
#include "tools/vobra_sim/sim_driver_win32.h"

namespace winbench {

namespace {

std::string records1000() {
    std::string out;
    char line[256];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(
            line, sizeof line,
            "benchmark_file_%04d.zip\tTrip%04d\t%d\t完全キャッシュ\t%d\t12/08 10:%02d\t1.2\t%032X\n", i, i,
            1000 + i * 37, i % 500, i % 60, 0xB000 + i);
        out += line;
    }
    return out;
}

}  // namespace

void runCollectBenchmarks(const Options& options, std::vector<Result>& results) {
    struct Case {
        const char* name;
        twk::ReadMethod method;
    };
    const Case cases[] = {{"BM_Collect1000_FieldReads", twk::ReadMethod::FieldReads},
                          {"BM_Collect1000", twk::ReadMethod::TableReads}};
    bool any = false;
    for (const Case& c : cases) any = any || options.selected(c.name);
    if (!any) return;

    vobra_sim::SimProcess host;
    vobra_sim::SimOptions simOptions;
    simOptions.hidden = true;
    std::string error;
    if (!host.start(options.simPath, simOptions, &error) || !host.setRecords(records1000()))
        fail("BM_Collect1000", error.empty() ? "the simulator refused the rows" : error);
    twk::LayoutDefinitions layout;
    layout.fileStates = {"完全キャッシュ"};
    layout.startPtr = twk::kDefaultStartPtr;
    twk::HostLink link(twk::systemHost(), layout);
    for (const Case& c : cases) {
        if (!options.selected(c.name)) continue;
        link.options().method = c.method;
        std::unique_ptr<twk::EntryList> list;
        results.push_back(measure(
            c.name,
            [&] {
                list = std::make_unique<twk::EntryList>(twk::ListKind::Normal);
                return true;
            },
            [&] {
                int seen = 0;
                return link.readHostResults(layout.fileStates, *list, seen, 0) == 1000;
            }));
    }
}

}  // namespace winbench
