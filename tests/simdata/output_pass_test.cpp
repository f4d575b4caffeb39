// The output pass on one numbered board, pass by pass: a value that moves
// without changing what its output shows sends nothing, yet an input's
// marker or release in the same pass still sends it. The message of the
// last pass stays in the output buffer, so each pass's bytes are checked
// there; with no socket open the sends fail harmlessly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/board_tables.h"
#include "config/parser.h"
#include "counting_new.h"
#include "simdata/output_engine.h"
#include "simhost.h"

namespace {

const std::string kFlaps = "sim/cockpit2/controls/flap_handle_request_ratio";
const std::string kAltitude = "sim/cockpit2/autopilot/altitude_dial_ft";

// Pin 13: an LED lit while the flap ratio is from 0.5 to 1. Pin 4: four
// digits of the altitude.
const char* kBoard =
    "[O]\n"
    "13L 0 sim/cockpit2/controls/flap_handle_request_ratio 1 0.5 1\n"
    "4N 0 sim/cockpit2/autopilot/altitude_dial_ft 1 4 0\n";

std::string Bytes(std::initializer_list<int> bytes) {
    std::string text;
    for (int b : bytes) text += static_cast<char>(b);
    return text;
}

class OutputPassTest : public testing::Test {
  protected:
    void SetUp() override {
        simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
        ReadConfigFile(kBoard, 0, 1, MessageSource{});
        Boards.at(0).AllowOutput = true;
    }
    std::string Pass() {
        SendBoardOutputs();
        return std::string(reinterpret_cast<const char*>(output.omsg),
                           static_cast<std::size_t>(output.oln));
    }
};

}  // namespace

TEST_F(OutputPassTest, ValuesThatShowTheSameSendNothingButMarkersStillCount) {
    const std::string empty = Bytes({'{', 0});
    const std::string dark = Bytes({'{', 2, 13, '('});
    const std::string lit = Bytes({'{', 2, 13, ')'});
    const struct {
        double flaps, altitude;
        const char* marker;  // written to the LED's Previous before the pass, as an input does
        std::string message;
    } passes[] = {
        {0.7, 4500, nullptr, Bytes({'{', 9, 13, ')', 4, 'R', 4, 0x99, 0x49, 0x03, 0x03})},
        {0.9, 4500.4, nullptr, empty},  // still lit, still 4500
        {0.2, 4500.4, nullptr, dark},
        {0.3, 4500.4, nullptr, empty},
        {0.35, 4500.4, "?", dark},  // released while the value moved: sent again
        {0.4, 4500.4, "!", lit},    // held by an input
        {0.45, 4500.4, nullptr, empty},
        {0.45, 4500.4, "?", dark},
        {0.8, 4510, nullptr, Bytes({'{', 9, 13, ')', 4, 'R', 4, 0x99, 0x49, 0x9F, 0x03})},
    };
    int n = 0;
    for (const auto& pass : passes) {
        simhost::SetValue(kFlaps, pass.flaps);
        simhost::SetValue(kAltitude, pass.altitude);
        if (pass.marker != nullptr) Boards[0].Outputs[0].Previous = pass.marker;
        EXPECT_EQ(Pass(), pass.message) << "pass " << n;
        ++n;
    }
}

// Changing values and markers included: the texts stay in the strings' own
// buffers, so a pass allocates nothing once every output has been shown.
TEST_F(OutputPassTest, PassesAllocateNothing) {
    const double values[] = {0.1, 0.6, 0.6, 0.95, -3};
    Pass();
    const long before = AllocationCount();
    for (int k = 0; k < 100; ++k) {
        simhost::SetValue(kFlaps, values[k % 5]);
        simhost::SetValue(kAltitude, 1000 + k);
        if (k % 7 == 0) Boards[0].Outputs[0].Previous = k % 2 ? "!" : "?";
        Pass();
    }
    EXPECT_EQ(AllocationCount() - before, 0);
}
