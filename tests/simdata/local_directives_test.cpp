// Inputs bound to the board itself: mode changes with their mode messages,
// output selection, overrides and texts forwarded to the board.
#include "config/board_tables.h"
#include "protocol_fixture.h"

namespace {

const char* kDirectives =
    "*1\n"
    "[I]\n"
    "E9/1+ sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1+,0,360\n"
    "E9/2+ sim/cockpit2/autopilot/altitude_dial_ft 100+\n"
    "D5+ E9>1\n"
    "D6+ E9<1\n"
    "D2+ O_12L\n"
    "D3+ O-_12L\n"
    "D4+ O3_12L\n"
    "D7+ L\n"
    "D8+ hello_board\n"
    "[O]\n"
    "12L 0 sim/cockpit2/annunciators/master_warning\n"
    "12L 0 sim/cockpit2/annunciators/master_caution\n"
    "12L 0 sim/cockpit2/annunciators/low_voltage\n"
    "13L 0 sim/cockpit2/annunciators/gear_unsafe\n"
    "20L E9=1\n"
    "21L E9=2\n";

class LocalDirectivesTest : public ProtocolTest {
  protected:
    void SetUp() override {
        folder.WriteDataCfg(kDirectives);
        StartPlugin("SCANNING_TIMEOUT = 0\n");
        board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
        std::string upload;
        ASSERT_TRUE(CyclesUntilReceived(board, &upload));
    }
    // The event's replies to the board.
    std::vector<std::string> Send(const std::string& event) {
        board.SendToPlugin("\x01" + event, folder.port());
        RunCycles(1);
        return board.ReceiveAll();
    }
    std::string Active() const {
        std::string active;
        for (const BoardOutput& output : Boards[0].Outputs)
            active += output.OutputActive ? '1' : '0';
        return active;
    }

    testenv::UdpPeer board{"127.0.0.22", folder.port()};
};

}  // namespace

TEST_F(LocalDirectivesTest, ModeChangesPickTheEncodersActionAndShowTheMode) {
    const std::string heading = "sim/cockpit2/autopilot/heading_dial_deg_mag_pilot";
    const std::string altitude = "sim/cockpit2/autopilot/altitude_dial_ft";
    Send("E9+ \x01");
    EXPECT_EQ(simhost::GetValue(heading), 1);
    EXPECT_EQ(Send("D5+"),
              (std::vector<std::string>{Bytes({'{', 2, 20, '('}), Bytes({'{', 2, 21, ')'})}));
    Send("E9+ \x01");
    EXPECT_EQ(simhost::GetValue(altitude), 100);
    EXPECT_EQ(simhost::GetValue(heading), 1);
    struct Step {
        std::string event;
        int mode;
    };
    for (const Step& step : {Step{"D5+", 1}, Step{"D6+", 2}, Step{"D6+", 1}, Step{"D5+", 2}}) {
        Send(step.event);
        EXPECT_EQ(Boards[0].Inputs[0].Mode, step.mode) << step.event;
    }
}

TEST_F(LocalDirectivesTest, OutputSelectionOverridesAndForwardedText) {
    EXPECT_EQ(Active(), "1001");
    struct Step {
        std::string event, active;
    };
    for (const Step& step : {Step{"D2+", "0101"}, Step{"D3+", "1001"}, Step{"D4+", "0011"},
                             Step{"D2+", "1001"}, Step{"D3+", "0011"}}) {
        Send(step.event);
        EXPECT_EQ(Active(), step.active) << step.event;
    }
    EXPECT_EQ(Boards[0].Outputs[2].Previous, "?");

    Send("D7+");  // held: every LED output shows "*"
    for (const BoardOutput& output : Boards[0].Outputs) EXPECT_EQ(output.Previous, "!");
    Send("D4+");  // a selection keeps the override
    EXPECT_EQ(Boards[0].Outputs[2].Previous, "!");
    Send("D7-");
    for (const BoardOutput& output : Boards[0].Outputs) EXPECT_EQ(output.Previous, "?");

    EXPECT_EQ(Send("D8+"), std::vector<std::string>{"T\x0bhello_board"});
}
