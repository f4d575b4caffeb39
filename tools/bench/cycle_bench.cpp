// The whole main cycle with eight LAN boards of 64 outputs, beside the bare
// socket calls that cycle cannot do without: one empty receive, and one
// send per board, since every board gets a message every cycle. Every
// benchmark counts the heap allocations of the cycles it runs.
#include <benchmark/benchmark.h>
#include <sys/socket.h>

#include <cstdint>
#include <vector>

#include "alloc_count.h"
#include "config/board_tables.h"
#include "cycle_setup.h"
#include "protocol/receive.h"
#include "simdata/output_engine.h"
#include "transport/lan.h"

namespace {

using bench::Rig;

// A board socket takes some hundred small datagrams; they are taken away
// every 64 cycles, outside the timing.
constexpr int64_t kDrainEvery = 64;

void DrainNowAndThen(benchmark::State& state, int64_t done) {
    if (done % kDrainEvery != kDrainEvery - 1) return;
    state.PauseTiming();
    bench::DrainBoards();
    state.ResumeTiming();
}

void EmptyReceive() {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    benchmark::DoNotOptimize(
        recvfrom(lan.sock, recs, sizeof recs, 0, reinterpret_cast<sockaddr*>(&from), &length));
}

void SendToEveryBoard(const uint8_t* bytes, std::size_t length) {
    for (const sockaddr_in& address : Rig().boardAddresses) {
        sendto(lan.sock, bytes, length, 0, reinterpret_cast<const sockaddr*>(&address),
               sizeof address);
    }
}

// Runs cycles, with a step function called before each, counting the
// allocations the cycles make.
template <typename BeforeCycle>
void RunCycles(benchmark::State& state, BeforeCycle before) {
    uint64_t allocations = 0;
    int64_t done = 0;
    for (auto _ : state) {
        before();
        const uint64_t start = bench::Allocations();
        bench::RunMainCycle();
        allocations += bench::Allocations() - start;
        DrainNowAndThen(state, done++);
    }
    state.counters["allocs/cycle"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
    state.counters["bytes/board"] = output.oln;
}

// Until every board has had everything once: the first passes send all.
void WarmUp() {
    for (int i = 0; i < 40; ++i) bench::RunMainCycle();
    bench::DrainBoards();
}

void MainCycleWithoutBoards(benchmark::State& state) {
    Rig();
    std::vector<Board> boards;
    boards.swap(Boards);
    const uint64_t start = bench::Allocations();
    for (auto _ : state) bench::RunMainCycle();  // nothing is sent: nothing to drain
    state.counters["allocs/cycle"] = benchmark::Counter(
        static_cast<double>(bench::Allocations() - start), benchmark::Counter::kAvgIterations);
    boards.swap(Boards);
}

void BareEmptyReceive(benchmark::State& state) {
    Rig();
    for (auto _ : state) EmptyReceive();
}

void MainCycleSteady(benchmark::State& state) {
    Rig();
    bench::SetValueStep(0);
    WarmUp();
    RunCycles(state, [] {});
}

void BareCallsSteady(benchmark::State& state) {
    Rig();
    const uint8_t empty[2] = {'{', 0};
    int64_t done = 0;
    for (auto _ : state) {
        EmptyReceive();
        SendToEveryBoard(empty, sizeof empty);
        DrainNowAndThen(state, done++);
    }
}

void MainCycleAllChanging(benchmark::State& state) {
    Rig();
    WarmUp();
    int step = 1;
    RunCycles(state, [&step] { bench::SetValueStep(step++); });
}

// Messages as long as a full one of the changing cycle.
void BareCallsChanging(benchmark::State& state) {
    Rig();
    uint8_t full[58] = {'{', 56};
    int64_t done = 0;
    for (auto _ : state) {
        EmptyReceive();
        SendToEveryBoard(full, sizeof full);
        DrainNowAndThen(state, done++);
    }
}

// One input event from a LAN board, through framing and dispatch: what
// every datagram from a board costs before its event is applied.
void LanInputEvent(benchmark::State& state) {
    const sockaddr_in sender = Rig().boardAddresses[0];
    const uint8_t event[] = {1, 'D', '2', '2', '+'};  // board index + 1, key
    for (auto _ : state) HandleLanDatagram(event, sizeof event, sender);
}

}  // namespace

BENCHMARK(LanInputEvent);
BENCHMARK(MainCycleWithoutBoards);
BENCHMARK(BareEmptyReceive);
BENCHMARK(MainCycleSteady);
BENCHMARK(BareCallsSteady);
BENCHMARK(MainCycleAllChanging);
BENCHMARK(BareCallsChanging);
