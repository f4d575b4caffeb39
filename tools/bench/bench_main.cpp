// kestrix-bench: the cost of the plugin's work, area by area (one file per
// area: parse_bench.cpp for board texts, input_bench.cpp for input events,
// cycle_bench.cpp for the main cycle and its outputs), then how each
// measured cycle compares with the bare calls beside it and with its target.
// Run it on a quiet machine:
//
//   build/bin/kestrix-bench [--benchmark_filter=REGEX] [--log]
//
// The plugin's own log lines (standard error) are sent to /dev/null unless
// --log is given, so the figures stay readable; writing them is still timed.
// Heap allocations are counted by the program's own operator new
// (alloc_count.cpp), for every benchmark.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// Takes --log out of the arguments; returns whether it was there.
bool TakeLogFlag(int& argc, char** argv) {
    bool log = false;
    int kept = 1;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--log") == 0) {
            log = true;
        } else {
            argv[kept++] = argv[k];
        }
    }
    argc = kept;
    return log;
}

void SilenceStandardError() {
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0) return;
    dup2(null, STDERR_FILENO);
    close(null);
}

// The console report as usual, keeping each benchmark's CPU time per
// iteration: the median when it was repeated, else its one run. CPU time is
// what the cycle takes from the simulator's thread; the wall time also holds
// whatever else the machine did meanwhile.
class KeepingReporter : public benchmark::ConsoleReporter {
  public:
    KeepingReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[name] = run.GetAdjustedCPUTime();
                medians.insert(name);
            } else if (run.run_type == Run::RT_Iteration && medians.count(name) == 0) {
                times[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::set<std::string> medians;
};

double Ratio(const KeepingReporter& report, const char* measured, const char* bare) {
    auto m = report.times.find(measured);
    auto b = report.times.find(bare);
    if (m == report.times.end() || b == report.times.end() || b->second <= 0) return -1;
    return m->second / b->second;
}

void Compare(const KeepingReporter& report, const char* what, const char* measured,
             const char* bare, double target) {
    const double ratio = Ratio(report, measured, bare);
    if (ratio < 0) return;
    std::printf("%-30s %5.2f x the bare calls (target at most %.1f): %s\n", what, ratio, target,
                ratio <= target ? "met" : "NOT met");
}

const char kUsage[] =
    "usage: kestrix-bench [--benchmark_filter=REGEX] [--log] [Google Benchmark options]\n"
    "Measures the plugin's work (board texts, input events, the main cycle) on this\n"
    "machine and compares each cycle with the bare calls beside it. Run it on a\n"
    "quiet machine.\n"
    "  --benchmark_filter=REGEX  only the benchmarks whose name matches\n"
    "  --log                     also show the plugin's log lines\n"
    "  --help                    this text\n"
    "Other --benchmark_... options (such as --benchmark_repetitions=5) go to the library.\n";

// Answers --help with the program's own usage rather than the library's.
bool AsksForHelp(int argc, char** argv) {
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AsksForHelp(argc, argv)) {
        std::printf("%s", kUsage);
        return 0;
    }
    const bool log = TakeLogFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::LoadSimulatorTables();
    if (!log) SilenceStandardError();
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    const double idle = Ratio(reporter, "MainCycleWithoutBoards", "BareEmptyReceive");
    if (idle >= 0) {
        std::printf("%-30s %5.2f x its one receive (about 1.1 before the outputs came)\n",
                    "cycle without boards", idle);
    }
    Compare(reporter, "cycle, steady values", "MainCycleSteady", "BareCallsSteady", 1.5);
    Compare(reporter, "cycle, every value changing", "MainCycleAllChanging", "BareCallsChanging",
            3.0);
    benchmark::Shutdown();
    return 0;
}
