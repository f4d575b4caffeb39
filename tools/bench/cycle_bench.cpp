// The whole main cycle with eight LAN boards of outputs, measured in turn
// with the bare calls that cycle cannot do without: one empty receive and
// one send per board (every board gets a message every cycle), and one
// dataref read per output the cycle reads. The cycle and its calls run
// alternately, a few rounds each, within the same benchmark run, so that
// a change of the machine's load moves both alike.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <time.h>

#include <cstdint>
#include <vector>

#include "alloc_count.h"
#include "config/board_tables.h"
#include "cycle_setup.h"
#include "protocol/receive.h"
#include "simdata/output_engine.h"
#include "transport/lan.h"

namespace {

// Rounds of each kind per block: enough that reading the clock costs
// nothing worth counting, few enough that the two kinds alternate every
// millisecond or so.
constexpr int kRounds = 16;

// CPU time of this thread, in nanoseconds: what the cycle takes from the
// simulator's thread, whatever else the machine does meanwhile.
int64_t ThreadNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void EmptyReceive() {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    benchmark::DoNotOptimize(
        recvfrom(lan.sock, recs, sizeof recs, 0, reinterpret_cast<sockaddr*>(&from), &length));
}

void SendToEveryBoard(const uint8_t* bytes, std::size_t length) {
    for (const sockaddr_in& address : bench::Rig().boardAddresses) {
        sendto(lan.sock, bytes, length, 0, reinterpret_cast<const sockaddr*>(&address),
               sizeof address);
    }
}

// The next count outputs' datarefs, round the list of every output.
void ReadDatarefs(uint64_t count, std::size_t* next) {
    const std::vector<XPLMDataRef>& handles = bench::OutputHandles();
    for (uint64_t k = 0; k < count; ++k) {
        benchmark::DoNotOptimize(XPLMGetDataf(handles[*next]));
        *next = *next + 1 == handles.size() ? 0 : *next + 1;
    }
}

struct Totals {
    int64_t cycles = 0;        // ns in cycles
    int64_t sockets = 0;       // ns in the receive and sends
    int64_t reads = 0;         // ns in the dataref reads
    uint64_t allocations = 0;  // by the cycles
    uint64_t readCount = 0;    // dataref reads by the cycles
    int64_t rounds = 0;
};

// One block of cycles, each after `before`, then the same number of bare
// rounds: the sockets, then as many reads as the cycles made.
template <typename BeforeCycle>
void Alternate(Totals& t, BeforeCycle before, const uint8_t* message, std::size_t length,
               std::size_t* nextRead) {
    const uint64_t readsBefore = bench::ReadsSoFar();
    const uint64_t allocationsBefore = bench::Allocations();
    int64_t start = ThreadNanoseconds();
    for (int k = 0; k < kRounds; ++k) {
        before();
        bench::RunMainCycle();
    }
    int64_t end = ThreadNanoseconds();
    t.cycles += end - start;
    t.allocations += bench::Allocations() - allocationsBefore;
    const uint64_t reads = bench::ReadsSoFar() - readsBefore;
    t.readCount += reads;

    start = ThreadNanoseconds();
    for (int k = 0; k < kRounds; ++k) {
        EmptyReceive();
        SendToEveryBoard(message, length);
    }
    end = ThreadNanoseconds();
    t.sockets += end - start;

    start = ThreadNanoseconds();
    ReadDatarefs(reads, nextRead);
    t.reads += ThreadNanoseconds() - start;
    t.rounds += kRounds;
}

void Report(benchmark::State& state, const Totals& t) {
    const double rounds = static_cast<double>(t.rounds);
    const double calls = static_cast<double>(t.sockets + t.reads);
    state.counters["cycle_us"] = static_cast<double>(t.cycles) / rounds / 1000;
    state.counters["sockets_us"] = static_cast<double>(t.sockets) / rounds / 1000;
    state.counters["reads_us"] = static_cast<double>(t.reads) / rounds / 1000;
    state.counters["x_calls"] = static_cast<double>(t.cycles) / calls;
    state.counters["x_sockets"] = static_cast<double>(t.cycles) / static_cast<double>(t.sockets);
    state.counters["allocs/cycle"] = static_cast<double>(t.allocations) / rounds;
    state.counters["reads/cycle"] = static_cast<double>(t.readCount) / rounds;
    state.counters["bytes/board"] = output.oln;
}

// Until every board has had everything once: the first passes send all.
void WarmUp() {
    for (int i = 0; i < 40; ++i) bench::RunMainCycle();
    bench::DrainBoards();
}

void Steady(benchmark::State& state) {
    bench::UseOutputsPerBoard(static_cast<int>(state.range(0)));
    bench::SetValueStep(0);
    WarmUp();
    const uint8_t empty[2] = {'{', 0};
    std::size_t nextRead = 0;
    Totals totals;
    for (auto _ : state) {
        Alternate(
            totals, [] {}, empty, sizeof empty, &nextRead);
        state.PauseTiming();
        bench::DrainBoards();
        state.ResumeTiming();
    }
    Report(state, totals);
}

// Every value changes every cycle; the bare sends are as long as a full
// message of the changing cycle.
void AllChanging(benchmark::State& state) {
    bench::UseOutputsPerBoard(static_cast<int>(state.range(0)));
    WarmUp();
    const uint8_t full[58] = {'{', 56};
    std::size_t nextRead = 0;
    int step = 1;
    Totals totals;
    for (auto _ : state) {
        Alternate(
            totals, [&step] { bench::SetValueStep(step++); }, full, sizeof full, &nextRead);
        state.PauseTiming();
        bench::DrainBoards();
        state.ResumeTiming();
    }
    Report(state, totals);
}

// The cycle with no board at all, in turn with its one receive.
void WithoutBoards(benchmark::State& state) {
    bench::Rig();
    std::vector<Board> boards;
    boards.swap(Boards);
    Totals totals;
    for (auto _ : state) {
        int64_t start = ThreadNanoseconds();
        for (int k = 0; k < kRounds; ++k) bench::RunMainCycle();
        int64_t end = ThreadNanoseconds();
        totals.cycles += end - start;
        start = ThreadNanoseconds();
        for (int k = 0; k < kRounds; ++k) EmptyReceive();
        totals.sockets += ThreadNanoseconds() - start;
        totals.rounds += kRounds;
    }
    boards.swap(Boards);
    state.counters["cycle_us"] = static_cast<double>(totals.cycles) / totals.rounds / 1000;
    state.counters["x_receive"] =
        static_cast<double>(totals.cycles) / static_cast<double>(totals.sockets);
}

// One input event from a LAN board, through framing and dispatch: what
// every datagram from a board costs before its event is applied.
void LanInputEvent(benchmark::State& state) {
    bench::UseOutputsPerBoard(bench::kOutputsPerBoard);
    const sockaddr_in sender = bench::Rig().boardAddresses[0];
    const uint8_t event[] = {1, 'D', '2', '2', '+'};  // board index + 1, key
    for (auto _ : state) HandleLanDatagram(event, sizeof event, sender);
}

}  // namespace

BENCHMARK(LanInputEvent);
BENCHMARK(WithoutBoards)->Unit(benchmark::kMicrosecond);
BENCHMARK(Steady)
    ->Arg(bench::kOutputsPerBoard)
    ->Arg(256)
    ->Arg(bench::kMostOutputsPerBoard)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(AllChanging)->Arg(bench::kOutputsPerBoard)->Unit(benchmark::kMillisecond);
