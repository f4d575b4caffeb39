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

// A benchmark's name with its argument: "Steady/64".
std::string NameOf(const benchmark::BenchmarkReporter::Run& run) {
    const benchmark::BenchmarkName& name = run.run_name;
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
}

// The console report as usual, keeping each benchmark's CPU time per
// iteration and its counters: the medians when it was repeated, else its
// one run. CPU time is what the cycle takes from the simulator's thread;
// the wall time also holds whatever else the machine did meanwhile.
class KeepingReporter : public benchmark::ConsoleReporter {
  public:
    KeepingReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = NameOf(run);
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median) medians.insert(name);
            if (!median && (run.run_type != Run::RT_Iteration || medians.count(name) > 0)) {
                continue;
            }
            times[name] = run.GetAdjustedCPUTime();
            walls[name] = run.GetAdjustedRealTime();
            for (const auto& [counter, value] : run.counters) figures[name][counter] = value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // A counter of a benchmark, or -1 when it did not run.
    double Figure(const std::string& name, const std::string& counter) const {
        auto found = figures.find(name);
        if (found == figures.end()) return -1;
        auto value = found->second.find(counter);
        return value == found->second.end() ? -1 : static_cast<double>(value->second);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> walls;
    std::map<std::string, std::map<std::string, double>> figures;
    std::set<std::string> medians;
};

// One line per measured cycle: its time, its time as a multiple of its bare
// calls (and of its sockets alone), allocations, and whether the target holds.
void Compare(const KeepingReporter& report, const char* what, const std::string& name,
             double target) {
    const double ratio = report.Figure(name, "x_calls");
    if (ratio < 0) return;
    const double allocations = report.Figure(name, "allocs/cycle");
    std::printf("%-34s %8.1f us %5.2f x its calls", what, report.Figure(name, "cycle_us"), ratio);
    if (target > 0) std::printf(" (at most %.1f)", target);
    std::printf(", %5.2f x its sockets, %g allocs/cycle", report.Figure(name, "x_sockets"),
                allocations);
    if (target > 0) std::printf(": %s", ratio <= target && allocations == 0 ? "met" : "NOT met");
    std::printf("\n");
}

// CPU time, as for the cycles, and the wall time of the frame it falls in.
void CompareIdentification(const KeepingReporter& report, const char* what, const std::string& name,
                           double targetMs) {
    auto found = report.times.find(name);
    if (found == report.times.end()) return;
    const double ms = found->second;  // in the benchmarks' unit, milliseconds
    std::printf("%-34s %8.2f ms (wall %.2f ms)", what, ms, report.walls.at(name));
    if (targetMs > 0) std::printf(" (at most %.0f ms)", targetMs);
    std::printf(", %g strings to Log.txt", report.Figure(name, "log_lines"));
    if (targetMs > 0) std::printf(": %s", ms <= targetMs ? "met" : "NOT met");
    std::printf("\n");
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
    const double idle = reporter.Figure("WithoutBoards", "x_receive");
    if (idle >= 0) {
        std::printf("%-34s %5.2f x its one receive (about 1.1 before the outputs came)\n",
                    "cycle without boards", idle);
    }
    Compare(reporter, "steady, 8 boards x 64 outputs", "Steady/64", 1.3);
    Compare(reporter, "steady, 8 boards x 256 outputs", "Steady/256", 0);
    Compare(reporter, "steady, 8 boards x 1000 outputs", "Steady/1000", 2.0);
    Compare(reporter, "every value changing, 8 x 64", "AllChanging/64", 1.5);
    CompareIdentification(reporter, "identifying a board of 1000 outputs", "IdentifyOneBoard", 5);
    CompareIdentification(reporter, "identifying nine such boards", "IdentifyNineBoards", 0);
    benchmark::Shutdown();
    return 0;
}
