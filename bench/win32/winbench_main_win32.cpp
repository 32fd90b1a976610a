// twk_winbench: options --benchmark_filter=REGEX (or -REGEX: all but those it matches) and --sim=PATH (the host simulator to start; the variable
// TWK_SIM_EXE does the same). Prints one Google Benchmark JSON document.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/winbench_win32.h"

namespace winbench {

namespace {

void printJson(const std::vector<Result>& results) {
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
            "\"real_time\": %.4f, \"cpu_time\": %.4f, \"time_unit\": \"ms\"",
            i ? "," : "", r.name.c_str(), r.name.c_str(), r.iterations, r.realMs, r.cpuMs);
        for (const auto& counter : r.counters)
            std::printf(", \"%s\": %.17g", counter.first.c_str(), counter.second);
        if (!r.label.empty()) std::printf(", \"label\": \"%s\"", r.label.c_str());
        std::printf("}");
    }
    std::printf("\n  ]\n}\n");
}

}  // namespace

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

double nowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

Result measure(const char* name, const std::function<bool()>& prepare, const std::function<bool()>& operation,
               int minIterations) {
    Result r;
    r.name = name;
    double real = 0, cpu = 0;
    while (r.iterations < minIterations || (real < 1000.0 && r.iterations < 10000)) {
        if (!prepare()) fail(name, "preparing an iteration failed");
        const double cpu0 = cpuNow(), t0 = nowMs();
        const bool ok = operation();
        real += nowMs() - t0;
        cpu += cpuNow() - cpu0;
        if (!ok) fail(name, "the measured operation did not do its work");
        ++r.iterations;
    }
    r.realMs = real / static_cast<double>(r.iterations);
    r.cpuMs = cpu / static_cast<double>(r.iterations);
    return r;
}

void fail(const char* name, const std::string& message) {
    throw Failure{std::string(name) + ": " + message};
}

std::string tempFilePath(const char* stem) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + stem + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
}

}  // namespace winbench

int main(int argc, char** argv) {
    std::string filter = ".";
    winbench::Options options;
    options.simPath = TWK_SIM_EXE;
    if (const char* env = std::getenv("TWK_SIM_EXE")) options.simPath = env;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.compare(0, 19, "--benchmark_filter=") == 0) filter = a.substr(19);
        if (a.compare(0, 6, "--sim=") == 0) options.simPath = a.substr(6);
    }
    // As Google Benchmark reads it: a filter that begins with "-" runs every benchmark it does not match.
    if (!filter.empty() && filter[0] == '-') {
        options.leaveOut = true;
        filter.erase(0, 1);
    }
    try {
        options.filter = std::regex(filter);
    } catch (const std::regex_error&) {
        std::fprintf(stderr, "invalid --benchmark_filter: %s\n", filter.c_str());
        return 2;
    }
    std::vector<winbench::Result> results;
    try {
        winbench::runCollectBenchmarks(options, results);
        winbench::runWindowBenchmarks(options, results);
        winbench::runEnduranceBenchmark(options, results);
    } catch (const winbench::Failure& f) {
        std::fprintf(stderr, "twk_winbench: %s\n", f.message.c_str());
        return 1;
    }
    winbench::printJson(results);
    return 0;
}
