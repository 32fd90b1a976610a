// One collection of 1000 host records from the host simulator in another process, read field by field
// (BM_Collect1000_FieldReads) and by one read per record (BM_Collect1000). Prints the results in the JSON
// form of the native benchmarks. Options: --benchmark_filter=REGEX, --sim=PATH (the simulator to start).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "host/host_link.h"
#include "host/host_system_win32.h"
#include "tools/vobra_sim/sim_driver_win32.h"

namespace {

struct Result {
    std::string name;
    long iterations = 0;
    double realMs = 0;
    double cpuMs = 0;
};

double cpuNow() {
    FILETIME create, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &create, &exit, &kernel, &user);
    auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime) /
               1e4;
    };
    return ms(kernel) + ms(user);
}

// Runs one collection per iteration until a second has passed (at least three iterations).
Result measure(const char* name, twk::HostLink& link, const twk::LayoutDefinitions& layout,
               twk::ReadMethod m) {
    link.options().method = m;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    Result r;
    r.name = name;
    double cpu0 = cpuNow();
    QueryPerformanceCounter(&t0);
    double elapsed = 0;
    while (r.iterations < 3 || (elapsed < 1000.0 && r.iterations < 10000)) {
        twk::EntryList list(twk::ListKind::Normal);
        int seen = 0;
        int added = link.readHostResults(layout.fileStates, list, seen, 0);
        if (added != 1000) {
            std::fprintf(stderr, "%s: collected %d rows instead of 1000\n", name, added);
            std::exit(1);
        }
        ++r.iterations;
        QueryPerformanceCounter(&t1);
        elapsed =
            static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
    }
    r.realMs = elapsed / static_cast<double>(r.iterations);
    r.cpuMs = (cpuNow() - cpu0) / static_cast<double>(r.iterations);
    return r;
}

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

int main(int argc, char** argv) {
    std::string filter = ".";
    std::string sim = TWK_SIM_EXE;
    if (const char* env = std::getenv("TWK_SIM_EXE")) sim = env;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.compare(0, 19, "--benchmark_filter=") == 0) filter = a.substr(19);
        if (a.compare(0, 6, "--sim=") == 0) sim = a.substr(6);
    }
    std::regex pattern;
    try {
        pattern = std::regex(filter);
    } catch (const std::regex_error&) {
        std::fprintf(stderr, "invalid --benchmark_filter: %s\n", filter.c_str());
        return 2;
    }

    struct Case {
        const char* name;
        twk::ReadMethod method;
    };
    const Case cases[] = {{"BM_Collect1000_FieldReads", twk::ReadMethod::FieldReads},
                          {"BM_Collect1000", twk::ReadMethod::SpanReads}};
    std::vector<Result> results;
    bool any = false;
    for (const Case& c : cases) any = any || std::regex_search(c.name, pattern);
    if (any) {
        vobra_sim::SimProcess host;
        vobra_sim::SimOptions options;
        options.hidden = true;
        std::string error;
        if (!host.start(sim, options, &error) || !host.setRecords(records1000())) {
            std::fprintf(stderr, "twk_winbench: %s\n",
                         error.empty() ? "the simulator refused the rows" : error.c_str());
            return 1;
        }
        twk::LayoutDefinitions layout;
        layout.fileStates = {"完全キャッシュ"};
        layout.startPtr = twk::kDefaultStartPtr;
        twk::HostLink link(twk::systemHost(), layout);
        for (const Case& c : cases)
            if (std::regex_search(c.name, pattern))
                results.push_back(measure(c.name, link, layout, c.method));
    }

    SYSTEM_INFO si;
    GetSystemInfo(&si);
    SYSTEMTIME st;
    GetLocalTime(&st);
    std::printf(
        "{\n  \"context\": {\n    \"date\": \"%04d-%02d-%02dT%02d:%02d:%02d\",\n    \"executable\": "
        "\"twk_winbench\",\n"
        "    \"num_cpus\": %lu,\n    \"library_build_type\": \"%s\"\n  },\n  \"benchmarks\": [",
        st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, si.dwNumberOfProcessors,
#ifdef NDEBUG
        "release"
#else
        "debug"
#endif
    );
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        std::printf(
            "%s\n    {\"name\": \"%s\", \"run_name\": \"%s\", \"run_type\": \"iteration\", \"iterations\": "
            "%ld, "
            "\"real_time\": %.4f, \"cpu_time\": %.4f, \"time_unit\": \"ms\"}",
            i ? "," : "", r.name.c_str(), r.name.c_str(), r.iterations, r.realMs, r.cpuMs);
    }
    std::printf("\n  ]\n}\n");
    return 0;
}
