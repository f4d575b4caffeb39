// The Kestrix firmware as a LAN board, emulated with its Ethernet shield
// down to the chip's registers and bridged to a UDP socket on its own
// loopback address: found by the plugin's sweep, configured, its inputs
// reaching the simulator and the simulator's values its pins; beside a USB
// board; found again after a restart.
#include <algorithm>
#include <cmath>

#include "emulated_fixture.h"

using testing::HasSubstr;

namespace {

// Board 2. The LED line on pin 10 and the switch on pin 52 name pins the
// shield takes: the board must refuse them, or the chip's select would
// follow the simulator's values and the SPI clock would be an input.
const char* kBoard2 =
    "*2\n"
    "[A]\n"
    "A 0,0\n"
    "[I]\n"
    "D22+ sim/lights/landing_lights_on\n"
    "D22- sim/lights/landing_lights_off\n"
    "D52+ sim/lights/beacon_lights_on\n"
    "A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1\n"
    "[O]\n"
    "13L 0 sim/cockpit2/annunciators/master_warning\n"
    "10L 0 sim/cockpit2/annunciators/master_warning\n"
    "9S 0 sim/cockpit2/controls/flap_handle_request_ratio 1 0,1\n";

const char* kMasterWarning = "sim/cockpit2/annunciators/master_warning";

}  // namespace

class LanBoardTest : public EmulatedBoardTest {
  protected:
    void StartLan(const std::string& address, bool dhcp) {
        ASSERT_NO_FATAL_FAILURE(OpenLanBoard(2, address, dhcp));
        testing::internal::CaptureStderr();
        StartPlugin(kBoard2);
        ASSERT_TRUE(FramesUntil([&] { return Configured(); }))
            << testing::internal::GetCapturedStderr() << lanBoard->uartText();
        log = testing::internal::GetCapturedStderr();
    }
    // Outputs on, and the first values have reached the pins.
    bool Configured() { return lanBoard->PulseMicros(9) > 0; }
    avrboard::EmulatedShield& shield() { return *lanBoard->shield(); }

    std::string log;
};

TEST_F(LanBoardTest, AnAddressByDhcpFoundBySweepConfiguredInputsAndOutputs) {
    ASSERT_NO_FATAL_FAILURE(StartLan("127.0.0.21", true));
    EXPECT_THAT(log, HasSubstr("(LAN 127.0.0.21) configured"));
    EXPECT_THAT(shield().dhcp()->transactions,
                testing::ElementsAre("DISCOVER", "REQUEST 127.0.0.21 from 0.0.0.0"));
    EXPECT_EQ(shield().dhcp()->hostName, "kestrix-2");
    EXPECT_THAT(lanBoard->uartText(), HasSubstr("Kestrix board 2: LAN 127.0.0.21, UDP port " +
                                                std::to_string(folder.port()) + " (DHCP)"));

    lanBoard->SetSwitch(22, true);
    EXPECT_TRUE(
        FramesUntil([] { return simhost::Counts("sim/lights/landing_lights_on").once == 1; }));
    const char* throttle = "sim/cockpit2/engine/actuators/throttle_ratio_all";
    lanBoard->SetAnalog(0, 2.5);
    EXPECT_TRUE(FramesUntil([&] { return std::abs(simhost::GetValue(throttle) - 0.5) < 0.01; }));

    simhost::SetValue(kMasterWarning, 1);
    simhost::SetValue("sim/cockpit2/controls/flap_handle_request_ratio", 0.25);
    EXPECT_TRUE(FramesUntil(
        [&] { return lanBoard->Level(13) && std::abs(lanBoard->PulseMicros(9) - 1000) < 5; }));
    // The shield's pins kept to the shield, and nothing left loopback.
    EXPECT_EQ(simhost::Counts("sim/lights/beacon_lights_on").once, 0)
        << testing::PrintToString(shield().bridge().recent());
    EXPECT_EQ(shield().framesWithCardSelected(), 0u);
    EXPECT_EQ(shield().bridge().keptInside(), 0u);
    EXPECT_EQ(shield().chip().commandsOverrun(), 0u);
}

TEST_F(LanBoardTest, AFixedAddressFromEepromAsksNoDhcpServer) {
    ASSERT_NO_FATAL_FAILURE(StartLan("127.0.0.22", false));
    EXPECT_THAT(log, HasSubstr("(LAN 127.0.0.22) configured"));
    EXPECT_EQ(shield().dhcp(), nullptr);
    EXPECT_THAT(lanBoard->uartText(),
                HasSubstr("LAN 127.0.0.22, UDP port " + std::to_string(folder.port()) +
                          " (fixed address)"));
    simhost::SetValue(kMasterWarning, 1);
    EXPECT_TRUE(FramesUntil([&] { return lanBoard->Level(13); }));
    EXPECT_EQ(shield().bridge().keptInside(), 0u);
}

// After its reset the board has no configuration and the plugin does not
// call registered hosts: the board's answer to the periodic ping "XX" makes
// it known, and it is configured again.
TEST_F(LanBoardTest, ARestartedBoardAnswersThePingAndIsConfiguredAgain) {
    ASSERT_NO_FATAL_FAILURE(StartLan("127.0.0.24", true));
    simhost::SetValue(kMasterWarning, 1);
    ASSERT_TRUE(FramesUntil([&] { return lanBoard->Level(13); }));
    testing::internal::CaptureStderr();
    lanBoard->Reset();
    Frame();
    EXPECT_FALSE(lanBoard->Level(13));
    EXPECT_TRUE(FramesUntil([&] { return lanBoard->Level(13); }));
    const std::string again = testing::internal::GetCapturedStderr();
    EXPECT_THAT(again, HasSubstr("identified again (LAN 127.0.0.24)"));
    EXPECT_THAT(again, HasSubstr("\nConfig sent: 61 bytes"));
    EXPECT_EQ(shield().dhcp()->acks, 2);
    // The identification went out in answer to a ping: of the datagrams that
    // came in since the board last sent, output messages went unanswered.
    const auto& recent = shield().bridge().recent();
    auto at = std::find_if(recent.begin(), recent.end(),
                           [](const std::string& d) { return d.rfind("out |A", 0) == 0; });
    ASSERT_NE(at, recent.end());
    std::vector<std::string> before;
    while (at != recent.begin() && (at - 1)->rfind("in ", 0) == 0) before.push_back(*--at);
    EXPECT_THAT(before, testing::Contains("in XX"));
    EXPECT_THAT(before, testing::Contains(testing::StartsWith("in {")));
}

TEST_F(EmulatedBoardTest, ALanBoardAndAUsbBoardSideBySide) {
    ASSERT_NO_FATAL_FAILURE(OpenLanBoard(2, "127.0.0.23", true));
    ASSERT_NO_FATAL_FAILURE(OpenUsbBoard(3));
    StartPlugin("*2\n[I]\nD22+ sim/lights/landing_lights_on\n[O]\n13L 0 " +
                std::string(kMasterWarning) +
                "\n*3\n[I]\nD23+ sim/lights/beacon_lights_on\n[O]\n12L 0 " + kMasterWarning + "\n");
    simhost::SetValue(kMasterWarning, 1);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(FramesUntil([&] { return lanBoard->Level(13) && board->Level(12); }))
        << testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStderr();
    lanBoard->SetSwitch(22, true);
    board->SetSwitch(23, true);
    EXPECT_TRUE(FramesUntil([&] {
        return simhost::Counts("sim/lights/landing_lights_on").once == 1 &&
               simhost::Counts("sim/lights/beacon_lights_on").once == 1;
    }));
}

// The EEPROM says LAN, but no chip answers: the board gives the shield's
// pins back and is a USB board.
TEST_F(EmulatedBoardTest, ALanBoardWithoutAShieldStaysOnUsb) {
    avrboard::ShieldOptions shield;
    shield.address = "127.0.0.25";
    shield.chipAnswers = false;
    std::string error;
    board = avrboard::EmulatedBoard::Open(
        {KESTRIX_FIRMWARE_ELF, folder.deviceDir(), "ttyACM0", 2, shield}, &error);
    ASSERT_TRUE(board) << error;
    StartPlugin("*2\n[O]\n13L 0 " + std::string(kMasterWarning) + "\n");
    simhost::SetValue(kMasterWarning, 1);
    EXPECT_TRUE(FramesUntil([&] { return board->Level(13); }));
    EXPECT_THAT(
        board->uartText(),
        HasSubstr("Kestrix board 2: no W5500 Ethernet shield answers, the board stays on USB"));
}
