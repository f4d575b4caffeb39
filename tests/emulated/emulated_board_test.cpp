// The Kestrix firmware, emulated, end to end with the plugin: identified and
// configured from data.cfg, its inputs reaching the simulator, the
// simulator's values reaching its pins.
#include <cmath>

#include "XPLMPlugin.h"

#include "emulated_fixture.h"

using testing::HasSubstr;

namespace {

// Board 3: one input and one output of every kind the firmware drives.
const char* kBoard3 =
    "*3\n"
    "[A]\n"
    "G 40\n"
    "N 30\n"
    "L 44\n"
    "E E20,0,0\n"
    "[I]\n"
    "D22+ sim/lights/landing_lights_on\n"
    "D22- sim/lights/landing_lights_off\n"
    "D23+ sim/cockpit2/switches/beacon_on 1\n"
    "D23- sim/cockpit2/switches/beacon_on 0\n"
    "E20+ sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1+,0,360\n"
    "E20- sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1-,0,360\n"
    "A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1\n"
    "[O]\n"
    "13L 0 sim/cockpit2/annunciators/master_warning\n"
    "7P 0 sim/cockpit2/switches/panel_brightness_ratio 1 0,1\n"
    "9S 0 sim/cockpit2/controls/flap_handle_request_ratio 1 0,1\n"
    "5G 0 sim/cockpit2/gauges/indicators/airspeed_kts_pilot 1 0,200 0,320 2048\n"
    "4N 0 sim/cockpit2/autopilot/altitude_dial_ft 1 5 0\n"
    "24g 0 sim/cockpit2/gauges/indicators/compass_heading_deg_mag 1 0,360 0,360 4096\n"
    "2l 0 sim/cockpit2/annunciators/low_voltage\n";

}  // namespace

class ConfiguredBoard : public EmulatedBoardTest {
  protected:
    void SetUp() override {
        EmulatedBoardTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Start(kBoard3, 3));
        display = board->Attach<avrboard::Max7219>(30, 31, 4);
        ledPort = board->Attach<avrboard::ShiftRegisterChain>(44, 45, 46, 1);
        stepper = board->Attach<avrboard::StepDirDriver>(5, 40);
        geared = board->Attach<avrboard::GearedStepper>(24);
        testing::internal::CaptureStderr();
        ASSERT_TRUE(FramesUntil([&] { return Configured(); }))
            << testing::internal::GetCapturedStderr();
        log = testing::internal::GetCapturedStderr();
    }
    // The board asked for its outputs, and the first values have reached it.
    bool Configured() { return board->PulseMicros(9) > 0 && display->Text(5) == "    0"; }

    avrboard::Max7219* display = nullptr;
    avrboard::ShiftRegisterChain* ledPort = nullptr;
    avrboard::StepDirDriver* stepper = nullptr;
    avrboard::GearedStepper* geared = nullptr;
    std::string log;
};

TEST_F(ConfiguredBoard, IdentifiesFromItsEepromAndIsConfiguredFromDataCfg) {
    EXPECT_THAT(log, HasSubstr("\nReading config for board #3"));
    EXPECT_THAT(log, HasSubstr("\nConfig sent: 61 bytes"));
    EXPECT_THAT(log, HasSubstr("\nSending Stepper config: 8 bytes"));
}

TEST_F(ConfiguredBoard, InputsReachTheSimulator) {
    board->SetSwitch(22, true);
    EXPECT_TRUE(
        FramesUntil([] { return simhost::Counts("sim/lights/landing_lights_on").once == 1; }));
    board->SetSwitch(22, false);
    EXPECT_TRUE(
        FramesUntil([] { return simhost::Counts("sim/lights/landing_lights_off").once == 1; }));

    const char* heading = "sim/cockpit2/autopilot/heading_dial_deg_mag_pilot";
    simhost::SetValue(heading, 10);
    board->Turn(20, 3);
    EXPECT_TRUE(FramesUntil([&] { return simhost::GetValue(heading) == 13; }));
    board->Turn(20, -5);
    EXPECT_TRUE(FramesUntil([&] { return simhost::GetValue(heading) == 8; }));

    const char* throttle = "sim/cockpit2/engine/actuators/throttle_ratio_all";
    board->SetAnalog(0, 2.5);
    EXPECT_TRUE(FramesUntil([&] { return std::abs(simhost::GetValue(throttle) - 0.5) < 0.01; }));
}

TEST_F(ConfiguredBoard, SimulatorValuesReachThePins) {
    simhost::SetValue("sim/cockpit2/annunciators/master_warning", 1);
    simhost::SetElement("sim/cockpit2/switches/panel_brightness_ratio", 0, 0.5);
    simhost::SetValue("sim/cockpit2/controls/flap_handle_request_ratio", 0.25);
    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 100);
    simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 4500);
    simhost::SetValue("sim/cockpit2/annunciators/low_voltage", 1);
    simhost::SetValue("sim/cockpit2/gauges/indicators/compass_heading_deg_mag", 90);
    EXPECT_TRUE(FramesUntil([&] {
        return board->Level(13) && board->PwmValue(7) == 127 &&
               std::abs(board->PulseMicros(9) - 1000) < 5 && stepper->position() == 910 &&
               geared->position() == 1024 && display->Text(5) == " 4500" && ledPort->Output(1);
    })) << board->Level(13)
        << " " << board->PwmValue(7) << " " << board->PulseMicros(9) << " " << stepper->position()
        << " " << geared->position() << " [" << display->Text(5) << "] " << ledPort->Output(1);
    // And back: the direction pin turns the driver the other way.
    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 0);
    EXPECT_TRUE(FramesUntil([&] { return stepper->position() == 0; }));
    EXPECT_FALSE(ledPort->Output(0));
}

TEST_F(ConfiguredBoard, AFlightLoadTakesOverEverySwitchPosition) {
    board->SetSwitch(23, true);
    ASSERT_TRUE(
        FramesUntil([] { return simhost::GetValue("sim/cockpit2/switches/beacon_on") == 1; }));
    simhost::SetValue("sim/cockpit2/switches/beacon_on", 0);
    const int offBefore = simhost::Counts("sim/lights/landing_lights_off").once;
    simhost::SendMessage(module, XPLM_MSG_AIRPORT_LOADED);
    // The board answers "XR" with every switch: D23 closed, D22 open.
    EXPECT_TRUE(FramesUntil([&] {
        return simhost::GetValue("sim/cockpit2/switches/beacon_on") == 1 &&
               simhost::Counts("sim/lights/landing_lights_off").once == offBefore + 1;
    }));
}

TEST_F(ConfiguredBoard, ARestartedBoardIsConfiguredAgain) {
    simhost::SetValue("sim/cockpit2/annunciators/master_warning", 1);
    ASSERT_TRUE(FramesUntil([&] { return board->Level(13); }));
    testing::internal::CaptureStderr();
    board->Reset();
    Frame();
    EXPECT_FALSE(board->Level(13)) << "a reset leaves every pin an input";
    EXPECT_TRUE(FramesUntil([&] { return board->Level(13); }));
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\nConfig sent: 61 bytes"));
}

TEST_F(EmulatedBoardTest, MatrixKeysAndABoardWithoutNumberInEeprom) {
    ASSERT_NO_FATAL_FAILURE(
        Start("*1\n[A]\nB 30 31 40 42 100\n[I]\n"
              "B6+ sim/lights/beacon_lights_on\n"
              "B1+ sim/lights/landing_lights_on\n",
              0));
    // Row 31 (the second of two), column 42 (the third of three): key 1 x 3 + 2 + 1.
    board->SetMatrixKey(31, 42, true);
    EXPECT_TRUE(
        FramesUntil([] { return simhost::Counts("sim/lights/beacon_lights_on").once == 1; }));
    board->SetMatrixKey(31, 42, false);
    board->SetMatrixKey(30, 40, true);
    EXPECT_TRUE(
        FramesUntil([] { return simhost::Counts("sim/lights/landing_lights_on").once == 1; }));
    EXPECT_EQ(simhost::Counts("sim/lights/beacon_lights_on").once, 1);
}

TEST_F(ConfiguredBoard, AReconnectLeavesTheNeedlesWhereTheyAre) {
    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 100);
    ASSERT_TRUE(FramesUntil([&] { return stepper->position() == 910; }));
    simhost::SetValue("sim/cockpit2/controls/flap_handle_request_ratio", 1);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(simhost::ChooseMenuItem("Kestrix", "Reconnect"));
    // Configured again: the outputs arrive anew, the stepper's among them.
    EXPECT_TRUE(FramesUntil([&] { return std::abs(board->PulseMicros(9) - 2500) < 5; }));
    Frames(40);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\nConfig sent: 61 bytes"));
    EXPECT_EQ(stepper->position(), 910);
}
