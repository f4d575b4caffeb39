// The road of a board, end to end: the plugin in the stand-in, and virtual
// boards (numbered over UDP and over a pseudo-terminal, and a panel) as the
// peers, each stepped once per simulated frame.
#include <memory>

#include "base/settings.h"
#include "config/board_tables.h"
#include "input_script.h"
#include "peers.h"
#include "protocol/upload.h"
#include "simdata/ping.h"
#include "transport/serial.h"
#include "ui/status_window.h"
#include "virtual_board_fixture.h"

using testing::HasSubstr;

namespace {

const char* kDataCfg =
    "*1\n"
    "[A]\n"
    "E D8,1,2\n"
    "[I]\n"
    "D2 sim/lights/landing_lights_toggle\n"
    "E8+ sim/autopilot/heading_up\n"
    "E8- sim/autopilot/heading_down\n"
    "A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1 1 30\n"
    "[O]\n"
    "13L 0 sim/cockpit2/annunciators/master_warning\n"
    "9S 0 sim/cockpit2/controls/flap_ratio 1 0,1\n"
    "*2\n"
    "[I]\n"
    "D5 sim/lights/beacon_lights_toggle\n"
    "[O]\n"
    "30N 0 sim/cockpit2/radios/actuators/com1_frequency_hz_833 1 6 3\n"
    "4G 0 sim/cockpit2/gauges/indicators/compass_heading_deg_mag 1 0,360 0,360 400\n";

const char* kPanelText =
    "[O]\n"
    "12L 0 sim/cockpit2/annunciators/master_caution\n"
    "14L 0 sim/cockpit2/annunciators/low_voltage\n";

}  // namespace

TEST_F(VirtualBoardsTest, ThreeBoardsTakeTheWholeRoadAndScanningEnds) {
    folder.WriteDataCfg(kDataCfg);
    auto usb = SerialBoard("tty.usbmodem2101", vboard::BoardIdentity::Numbered(2, 132));
    testenv::PseudoTerminal idle;
    idle.LinkAs(folder.deviceDir() + "cu.usbserial-idle");
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 40\nWINDOW_ON_CONNECT = 1\n");
    auto lanBoard = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    auto panel = UdpBoard("127.0.0.3", vboard::BoardIdentity::SelfConfiguring(kPanelText));
    boards = {lanBoard.get(), usb.get(), panel.get()};
    testing::internal::CaptureStderr();
    simhost::SetFramePeriod(0.025);
    StartAndInitialize();
    ASSERT_EQ(serial.ports.size(), 2u);

    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); })) << log.str();
    ASSERT_EQ(Boards.size(), 3u);
    // Opened on connection, at both levels (the earlier one only lacks the
    // setting that could stop it).
    EXPECT_TRUE(simhost::IsShown(window.InstructionsWidget));

    // Each board got exactly the table and settings the plugin holds for it.
    for (auto* board : boards) {
        ASSERT_GE(board->boardIndex(), 0);
        const unsigned b = static_cast<unsigned>(board->boardIndex());
        const Board& rows = Boards.at(b);
        if (!board->identity().selfConfiguring) {
            ASSERT_TRUE(board->pinTable().has_value());
            PinModeTable expected = BuildPinModeTable(b);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), board->pinTable()->begin()));
            EXPECT_EQ(rows.OutDevice, static_cast<unsigned>(board->identity().boardNumber));
        } else {
            EXPECT_EQ(rows.OutDevice, 0u);
        }
        ASSERT_TRUE(board->analogSettings().has_value());
        for (std::size_t c = 0; c < kAnalogChannels; ++c) {
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ((*board->analogSettings())[c].bytes[k], rows.AnalogAdditional[3 * c + k]);
            }
        }
        ASSERT_TRUE(board->sevenSegmentPins().has_value());
        EXPECT_EQ(*board->sevenSegmentPins(), rows.SevenSegAdditional);
        EXPECT_TRUE(rows.AllowOutput);
        EXPECT_TRUE(rows.AllowPing);
    }
    // The numbered boards' tables hold their configured pins.
    const auto& lanTable = *lanBoard->pinTable();
    EXPECT_EQ(lanTable[2], 1);             // digital input
    EXPECT_EQ(lanTable[8], 2 + 16 + 128);  // encoder type 1, mode 2
    EXPECT_EQ(lanTable[13], 7);            // LED
    EXPECT_EQ(lanTable[9], 12);            // servo
    const auto& usbTable = *usb->pinTable();
    EXPECT_EQ(usbTable[5], 1);
    EXPECT_EQ(usbTable[30], 7);
    EXPECT_EQ(usbTable[4], 10);
    ASSERT_TRUE(usb->steppers().has_value());
    ASSERT_EQ(usb->steppers()->size(), 1u);
    EXPECT_EQ((*usb->steppers())[0].pin, 4);
    EXPECT_EQ((*usb->steppers())[0].steps, 400);

    // Each board shows its outputs, over UDP, serial and as panel text.
    ASSERT_TRUE(FramesUntil([&] {
        return lanBoard->outputs().leds.count(13) && usb->outputs().displays.count(30) &&
               panel->outputs().panel.count("14L");
    }));
    EXPECT_EQ(usb->outputs().displays.at(30), "  0.000");
    EXPECT_EQ(usb->outputs().steppers.at(4).target, 0);
    EXPECT_FALSE(lanBoard->outputs().leds.at(13));
    EXPECT_EQ(panel->outputs().panel.at("12L"), "0");

    // Scanning ends 40 cycles after the first board; the idle port closes.
    ASSERT_TRUE(FramesUntil([&] { return settings.ScanTimeout == 0; }));
    std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_THAT(stderrText, HasSubstr("\nFinishing scanning for devices..."));
    EXPECT_THAT(stderrText, HasSubstr("\nClosing " + folder.deviceDir() + "cu.usbserial-idle"));
    EXPECT_THAT(stderrText, HasSubstr("\nConfig sent: 61 bytes"));
    EXPECT_THAT(stderrText, HasSubstr("\nID sent: "));
    ASSERT_EQ(serial.ports.size(), 1u);
    EXPECT_EQ(serial.ports[0].ComPortName, folder.deviceDir() + "tty.usbmodem2101");

    // Every board has a status line of its own, and the scanning line is gone.
    std::string lines;
    for (int n = 1; n <= 3; ++n) lines += StatusLine(n) + "\n";
    EXPECT_THAT(lines, HasSubstr("LAN Kestrix Board #1"));
    EXPECT_THAT(lines, HasSubstr("USB Kestrix Board #2"));
    EXPECT_THAT(lines, HasSubstr("LAN Lumora Panel"));
    EXPECT_EQ(StatusLine(4), "   ");
}

TEST_F(VirtualBoardsTest, ABoardThatRestartsKeepsItsIndexAndIsUploadedAgain) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig();
    auto first = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {first.get()};
    simhost::SetFramePeriod(0.025);
    StartAndInitialize();
    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); }));
    const std::size_t uploads = Boards.size();

    // The same board, freshly powered: it answers the next request again.
    first.reset();
    boards.clear();
    auto again = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {again.get()};
    simhost::ChooseMenuItem("Kestrix", "Reconnect");  // its host gets the one-shot request
    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); }));
    EXPECT_EQ(Boards.size(), uploads);
    EXPECT_EQ(again->boardIndex(), 0);
}

TEST_F(VirtualBoardsTest, ScriptedInputsOfBothBoardsReachTheSimulator) {
    folder.WriteDataCfg(
        "*1\n[I]\nD22+ sim/lights/beacon_lights_on\nD22- sim/lights/beacon_lights_off\n"
        "E36+ sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1+,0,360\n"
        "*2\n[I]\nA0 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1\n");
    folder.WriteSafeConfig();
    auto usb = SerialBoard("tty.usbmodem2101", vboard::BoardIdentity::Numbered(2, 132));
    auto lanBoard = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {lanBoard.get(), usb.get()};
    StartAndInitialize();
    vboard::InputScript lanScript, usbScript;
    for (const char* line : {"press D22", "turn E36 +3", "release D22"}) {
        vboard::InputCommand command;
        std::string error;
        ASSERT_EQ(vboard::ParseInputLine(line, &command, &error), vboard::LineResult::Command);
        lanScript.Add(command);
    }
    vboard::InputCommand lever;
    std::string error;
    vboard::ParseInputLine("analog A0 250", &lever, &error);
    usbScript.Add(lever);
    ASSERT_TRUE(FramesUntil([&] {
        lanScript.Step(0, *lanBoard);
        usbScript.Step(0, *usb);
        return simhost::Counts("sim/lights/beacon_lights_off").once == 1 &&
               simhost::GetValue("sim/cockpit2/engine/actuators/throttle_ratio_all") == 0.25;
    })) << log.str();
    EXPECT_EQ(simhost::Counts("sim/lights/beacon_lights_on").once, 1);
    EXPECT_EQ(simhost::GetValue("sim/cockpit2/autopilot/heading_dial_deg_mag_pilot"), 3);

    // Asked for every input, the boards send their switch and lever states again.
    simhost::SetValue("sim/cockpit2/engine/actuators/throttle_ratio_all", 0);
    PingInputs(1);
    ASSERT_TRUE(FramesUntil([&] {
        return simhost::Counts("sim/lights/beacon_lights_off").once == 2 &&
               simhost::GetValue("sim/cockpit2/engine/actuators/throttle_ratio_all") == 0.25;
    })) << log.str();
}
