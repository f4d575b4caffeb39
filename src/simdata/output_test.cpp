#include "simdata/output_test.h"

#include "config/board_tables.h"
#include "custom/tool_commands.h"
#include "simdata/seven_segment.h"

OutputTestState outputTest;

namespace {

constexpr char kEights[] = "8888888888888888";
static_assert(sizeof kEights - 1 == kMaxSevenSegmentDigits, "one 8 for every digit");

// The test is over: what it lit is forgotten, and every output of every
// board goes out again with the simulator's value (the LED port's LEDs
// with it), as after a configuration.
void ShowSimulatorValuesAgain() {
    for (Board& board : Boards) {
        for (BoardOutput& out : board.Outputs) out.Memory.testShown = false;
        board.sendall = true;
    }
}

}  // namespace

void UpdateOutputTest(double now) {
    const bool running = now < toolCommands.outputTestUntil;
    if (outputTest.running && !running) ShowSimulatorValuesAgain();
    outputTest.running = running;
}

PanelTestText PanelTestTextOf(const BoardOutput& out) {
    if (out.Compact.kind != 'N') return {"1", 1};
    const std::size_t digits = out.Compact.layout.digits;
    return {kEights, digits == 0 ? 1 : digits};
}
