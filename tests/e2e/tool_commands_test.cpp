// The output test and the input monitor, end to end: the commands run as a
// key would run them, a virtual board shows what arrives and sends inputs.
#include <algorithm>

#include "input_commands.h"
#include "simdata/input_monitor.h"
#include "virtual_board_fixture.h"

using testenv::Bytes;
using testing::HasSubstr;

namespace {

const char* kBoard =
    "*1\n"
    "[A]\n"
    "L 44\n"
    "[I]\n"
    "D2+ sim/lights/landing_lights_on\n"
    "D2- sim/cockpit2/switches/beacon_on 0\n"
    "D3+ kestrix/starter_ignition_1\n"
    "A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1 1 30\n"
    "[O]\n"
    "13L 0 sim/cockpit2/annunciators/master_warning\n"
    "2l 0 sim/cockpit2/annunciators/low_voltage\n"
    "4N 0 sim/cockpit2/autopilot/altitude_dial_ft 1 5 0\n"
    "8G 0 sim/cockpit2/gauges/indicators/airspeed_kts_pilot 1 0,200 0,320 2048\n";

const std::string kAltitude = "sim/cockpit2/autopilot/altitude_dial_ft";
const std::string kAirspeed = "sim/cockpit2/gauges/indicators/airspeed_kts_pilot";

class ToolCommandsTest : public VirtualBoardsTest {
  protected:
    void SetUp() override {
        folder.WriteDataCfg(kBoard);
        folder.WriteSafeConfig();
        board = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
        boards = {board.get()};
        simhost::SetFramePeriod(0.025);
        StartAndInitialize();
        simhost::SetValue(kAltitude, 4500);
        simhost::SetValue(kAirspeed, 100);
        ASSERT_TRUE(FramesUntil([&] { return Shows(" 4500", 910) && board->outputs().hasLedPort; }))
            << log.str();
    }
    bool Shows(const std::string& display, int stepper) const {
        const vboard::BoardOutputs& shown = board->outputs();
        return shown.displays.count(4) && shown.displays.at(4) == display &&
               shown.steppers.count(8) && shown.steppers.at(8).target == stepper;
    }
    void Send(const std::string& line) {
        vboard::InputCommand command;
        std::string error;
        ASSERT_EQ(vboard::ParseInputLine(line, &command, &error), vboard::LineResult::Command);
        ASSERT_TRUE(board->SendInput(command));
    }
    // The monitor's lines in the simulator's log from index from on.
    static std::vector<std::string> MonitorLines(std::size_t from) {
        std::vector<std::string> lines, all = simhost::DebugStrings();
        for (std::size_t k = from; k < all.size(); ++k) {
            if (all[k].find("Input monitor") != std::string::npos) lines.push_back(all[k]);
        }
        return lines;
    }

    std::unique_ptr<vboard::VirtualBoard> board;
};

}  // namespace

TEST_F(ToolCommandsTest, OutputTestLightsEverythingForThreeSecondsThenShowsTheValuesAgain) {
    const std::size_t before = BraceMessages(*board).size();
    simhost::CommandOnce("kestrix/output_test");
    const double started = simhost::Now();
    ASSERT_TRUE(FramesUntil([&] { return board->outputs().ledPort.Lit(2); }));
    // The LED and every segment and point of the display in one message, the
    // LED port's record leading the next; the stepper is not touched.
    std::vector<std::string> arrived = BraceMessages(*board);
    arrived.erase(arrived.begin(), arrived.begin() + static_cast<std::ptrdiff_t>(before));
    arrived.erase(std::remove(arrived.begin(), arrived.end(), Bytes({'{', 0})), arrived.end());
    ASSERT_EQ(arrived.size(), 2u) << testing::PrintToString(arrived);
    EXPECT_EQ(arrived[0], Bytes({'{', 10, 13, ')', 4, 'R', 5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(arrived[1], Bytes({'{', 4, 44, 'R', 1, 0x40}));
    EXPECT_TRUE(board->outputs().leds.at(13));
    EXPECT_EQ(board->outputs().displays.at(4), "8.8.8.8.8.");

    // Meanwhile the stepper follows the simulator; the display keeps its 8s.
    simhost::SetValue(kAltitude, 4510);
    simhost::SetValue(kAirspeed, 50);
    ASSERT_TRUE(FramesUntil([&] { return Shows("8.8.8.8.8.", 455); }));

    ASSERT_TRUE(FramesUntil([&] { return Shows(" 4510", 455); }));
    EXPECT_GE(simhost::Now() - started, 3.0);
    EXPECT_LT(simhost::Now() - started, 3.2);
    EXPECT_FALSE(board->outputs().leds.at(13));
    ASSERT_TRUE(FramesUntil([&] { return !board->outputs().ledPort.Lit(2); }));
}

TEST_F(ToolCommandsTest, InputMonitorLogsEachEventAndWhatItDidWhileOn) {
    std::size_t from = simhost::DebugStrings().size();
    simhost::CommandOnce("kestrix/input_monitor");
    ASSERT_THAT(MonitorLines(from), testing::ElementsAre(HasSubstr("Input monitor on")));

    struct Case {
        const char* input;
        const char* line;
    } cases[] = {
        {"press D2", "board #1: D2+ -> sim/lights/landing_lights_on once"},
        {"release D2", "board #1: D2- -> sim/cockpit2/switches/beacon_on = 0"},
        {"analog A0 250", "A0 250 -> sim/cockpit2/engine/actuators/throttle_ratio_all = 0.25"},
        {"press D3", "D3+ -> kestrix/starter_ignition_1 begun"},
        {"release D3", "D3- -> kestrix/starter_ignition_1 ended"},
        {"press D9", "D9+ -> nothing matched"},
    };
    for (const Case& c : cases) {
        from = simhost::DebugStrings().size();
        Send(c.input);
        ASSERT_TRUE(FramesUntil([&] { return !MonitorLines(from).empty(); })) << c.input;
        for (int i = 0; i < 3; ++i) Frame();
        EXPECT_THAT(MonitorLines(from), testing::ElementsAre(HasSubstr(c.line))) << c.input;
    }

    // A chattering switch: the lines of one second are bounded, the rest counted.
    for (int i = 0; i < 45; ++i) Frame();  // a second with no line
    from = simhost::DebugStrings().size();
    for (int i = 0; i < kMonitorLinesPerSecond + 15; ++i) Send(i % 2 ? "release D9" : "press D9");
    for (int i = 0; i < 50; ++i) Frame();
    std::vector<std::string> lines = MonitorLines(from);
    ASSERT_EQ(lines.size(), kMonitorLinesPerSecond + 1u);
    EXPECT_THAT(lines.back(), HasSubstr("... 15 more input events not shown"));

    from = simhost::DebugStrings().size();
    simhost::CommandOnce("kestrix/input_monitor");
    Send("press D2");
    ASSERT_TRUE(
        FramesUntil([&] { return simhost::Counts("sim/lights/landing_lights_on").once == 2; }));
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_THAT(MonitorLines(from), testing::ElementsAre(HasSubstr("Input monitor off")));
}
