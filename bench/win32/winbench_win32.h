// The harness of twk_winbench: benchmarks that need the real system (another process, real windows), timed
// per iteration and printed in the JSON form of the native benchmarks so that the two documents merge.
#pragma once

#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace winbench {

struct Result {
    std::string name;
    long iterations = 0;
    double realMs = 0;  // per iteration
    double cpuMs = 0;
    // Named figures of the run beside its time, and a line that says how they were taken.
    std::vector<std::pair<std::string, double>> counters;
    std::string label;
};

struct Options {
    std::regex filter;
    bool leaveOut = false;  // the filter names the benchmarks not to run (it began with "-")
    std::string simPath;    // the host simulator
    bool selected(const char* name) const { return std::regex_search(name, filter) != leaveOut; }
};

// Runs `prepare` (not timed) and then `operation` (timed) once per iteration, until at least `minIterations`
// ran and a second of timed work has passed. Either returning false fails the benchmark: one whose work went
// wrong has no time.
Result measure(const char* name, const std::function<bool()>& prepare, const std::function<bool()>& operation,
               int minIterations = 3);

// A benchmark that cannot run: thrown, so that the simulator and the windows of the benchmark go first; the
// program then prints the message and ends with exit code 1.
struct Failure {
    std::string message;
};
[[noreturn]] void fail(const char* name, const std::string& message);

// The process's CPU time (user and kernel) and the wall clock, in milliseconds.
double cpuNow();
double nowMs();

// A file name in the temporary folder, unique to this process.
std::string tempFilePath(const char* stem);

// The groups of benchmarks: each runs those of its benchmarks that the options select.
void runCollectBenchmarks(const Options& options, std::vector<Result>& results);
void runWindowBenchmarks(const Options& options, std::vector<Result>& results);
void runEnduranceBenchmark(const Options& options, std::vector<Result>& results);

}  // namespace winbench
