// kestrix-bench: the cost of the plugin's work, area by area (one file per
// area: parse_bench.cpp for board texts). Run it on a quiet machine:
//
//   build/bin/kestrix-bench [--benchmark_filter=REGEX] [--log]
//
// The plugin's own log lines (standard error) are sent to /dev/null unless
// --log is given, so the figures stay readable; writing them is still timed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

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

}  // namespace

int main(int argc, char** argv) {
    const bool log = TakeLogFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::LoadSimulatorTables();
    if (!log) SilenceStandardError();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
