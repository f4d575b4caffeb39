// Parsing one board's text (ReadConfigFile), as the plugin does when a board
// identifies itself or a self-configuring board sends its text: typical
// texts, and texts shaped to make the parser work hardest, from 5 KB up to
// the largest text a board can send.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "config/parser.h"

namespace {

using bench::FillTo;

std::string Decimal(std::size_t n) {
    return std::to_string(n);
}

// The shapes below, each filled up to `size` bytes.

// A switch group and inputs that all link to the group by a prefix of its
// key: every link matches every input (the text of the frozen simulator).
std::string LinksToAGroup(std::size_t size) {
    return FillTo("[A]\nT D1\n[I]\n", size, [](std::size_t) { return "D1 D"; });
}

// Thousands of switch groups, then inputs in them.
std::string ManyGroups(std::size_t size) {
    std::string text = FillTo(
        "[A]\nT", size / 2, [](std::size_t k) { return " D" + Decimal(k) + "+"; }, "");
    return FillTo(text + "\n[I]\n", size, [](std::size_t k) {
        return "D" + Decimal(k % 1000) + "+ sim/lights/beacon_lights_on";
    });
}

// Outputs that all share one key.
std::string OutputsWithOneKey(std::size_t size) {
    return FillTo("[O]\n", size, [](std::size_t) { return "1L 0 a"; });
}

// Inputs that select among outputs sharing a key ("O_" links), then the outputs.
std::string OutputSelections(std::size_t size) {
    std::string text = FillTo("[I]\n", size / 2, [](std::size_t) { return "D1 O_1L"; });
    return FillTo(text + "[O]\n", size, [](std::size_t) { return "1L 0 a"; });
}

// Inputs that link to outputs by key, then the outputs.
std::string LinksToOutputs(std::size_t size) {
    std::string text =
        FillTo("[I]\n", size / 2, [](std::size_t k) { return "D1 " + Decimal(k % 54) + "L"; });
    return FillTo(text + "[O]\n", size, [](std::size_t k) { return Decimal(k % 54) + "L 0 a"; });
}

// An encoder skip list, then encoder inputs that find their entry last.
std::string LongSkipList(std::size_t size) {
    std::string text = FillTo(
        "[A]\nS", size / 2, [](std::size_t k) { return " E" + Decimal(k + 2) + ",1"; }, "");
    return FillTo(text + "\n[I]\n", size,
                  [](std::size_t) { return "E1+ sim/autopilot/heading_up"; });
}

// One input whose value field fills the text.
std::string OneLongLine(std::size_t size) {
    std::string text = "[I]\nD1+ sim/cockpit2/fuel/fuel_tank_selector 1";
    while (text.size() + 3 <= size) text += ",1";
    return text + "\n";
}

void ApplySizes(benchmark::internal::Benchmark* b) {
    for (std::size_t size = 5120; size <= bench::kLargestBoardText; size *= 2) {
        b->Arg(static_cast<int64_t>(size));
    }
    b->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

// Parses the same text as board index 0 again and again: each parse rebuilds
// the board's rows, as a board identifying itself again does.
void ParseAgainAndAgain(benchmark::State& state, const std::string& text, unsigned id) {
    for (auto _ : state) {
        ReadConfigFile(text, 0, id, MessageSource{});
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_ParseShape(benchmark::State& state, std::string (*shape)(std::size_t), unsigned id) {
    const std::string text = shape(static_cast<std::size_t>(state.range(0)));
    ParseAgainAndAgain(state, text, id);
    state.SetComplexityN(static_cast<int64_t>(text.size()));
}

void BM_ParseExampleBoard(benchmark::State& state, unsigned board) {
    ParseAgainAndAgain(state, bench::ExampleBoardText(board), board);
}

}  // namespace

// Typical: the two boards of the shipped examples/data.cfg.
BENCHMARK_CAPTURE(BM_ParseExampleBoard, example_board_1, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ParseExampleBoard, example_board_2, 2u)->Unit(benchmark::kMicrosecond);

// Adversarial, by text size in bytes. Self-configuring boards (id 0) send
// their text over the network; numbered boards' texts come from data.cfg.
BENCHMARK_CAPTURE(BM_ParseShape, links_to_a_group, &LinksToAGroup, 0u)->Apply(ApplySizes);
BENCHMARK_CAPTURE(BM_ParseShape, many_groups, &ManyGroups, 0u)->Apply(ApplySizes);
BENCHMARK_CAPTURE(BM_ParseShape, outputs_with_one_key, &OutputsWithOneKey, 1u)->Apply(ApplySizes);
BENCHMARK_CAPTURE(BM_ParseShape, output_selections, &OutputSelections, 1u)->Apply(ApplySizes);
BENCHMARK_CAPTURE(BM_ParseShape, links_to_outputs, &LinksToOutputs, 0u)->Apply(ApplySizes);
BENCHMARK_CAPTURE(BM_ParseShape, long_skip_list, &LongSkipList, 0u)->Apply(ApplySizes);
BENCHMARK_CAPTURE(BM_ParseShape, one_long_line, &OneLongLine, 0u)->Apply(ApplySizes);
