// Decoding what the plugin sends: the pin table's mode codes, the settings
// replies, "{" messages and the requests.
#include <gtest/gtest.h>

#include "board_outputs.h"
#include "plugin_messages.h"
#include "test_env.h"

using namespace vboard;

namespace {

using testenv::Bytes;

std::string Role(uint8_t code) {
    return DescribePinRole(DecodePinMode(code));
}

}  // namespace

TEST(boardPinRoles, EveryPlainCodeHasItsRole) {
    EXPECT_EQ(DecodePinMode(0).family, PinFamily::None);
    EXPECT_EQ(Role(1), "digital input");
    EXPECT_EQ(Role(4), "button matrix, single pin (key B0)");
    EXPECT_EQ(Role(5), "button matrix, first pin range (rows)");
    EXPECT_EQ(Role(6), "button matrix, second pin range (columns)");
    EXPECT_EQ(Role(7), "LED / 7-segment / LED port output");
    EXPECT_EQ(Role(8), "PWM output");
    EXPECT_EQ(Role(9), "stepper, second kind (28BYJ-48 on a ULN2003)");
    EXPECT_EQ(Role(10), "stepper, first kind (step/direction driver)");
    EXPECT_EQ(Role(11), "stepper direction pin (DIR of every step/direction driver)");
    EXPECT_EQ(Role(12), "servo output");
    EXPECT_EQ(Role(13), "7-segment common pin");
}

TEST(boardPinRoles, EncoderCodesCarryKindTypeAndMode) {
    EXPECT_EQ(Role(2), "encoder, first kind, type 0, mode 0");
    EXPECT_EQ(Role(3), "encoder, second kind, type 0, mode 0");
    EXPECT_EQ(Role(2 + 16 + 128), "encoder, first kind, type 1, mode 2");
    EXPECT_EQ(Role(3 + 48 + 192), "encoder, second kind, type 3, mode 3");
    EXPECT_EQ(Role(2 + 64), "encoder, first kind, type 0, mode 1");
    // Type 4 or more: base + 12, no type or mode bits.
    EXPECT_EQ(Role(14), "encoder, first kind, type 4 or more");
    EXPECT_EQ(Role(15), "encoder, second kind, type 4 or more");
    PinRole role = DecodePinMode(146);
    EXPECT_EQ(role.family, PinFamily::Encoder);
    EXPECT_EQ(role.encoderKind, 1);
    EXPECT_EQ(role.encoderType, 1);
    EXPECT_EQ(role.encoderMode, 2);
    // Codes no pin role produces.
    for (uint8_t code : {16, 30, 31, 200, 255}) {
        EXPECT_EQ(DecodePinMode(code).family, PinFamily::Unknown) << int(code);
    }
}

TEST(boardPinRoles, TheTableListsPinsWithARoleAndOddReservedBytes) {
    PinTable table{};
    table[2] = 1;
    table[13] = 7;
    table[53] = 12;
    table[55] = 9;
    table[kIndexByte] = 1;
    EXPECT_EQ(
        PinTableLines(table),
        (std::vector<std::string>{
            "pin 2: digital input (code 1)", "pin 13: LED / 7-segment / LED port output (code 7)",
            "pin 53: servo output (code 12)", "reserved byte 55 is 9, expected 0"}));
    EXPECT_EQ(PinTableLines(PinTable{}), std::vector<std::string>{"no pin has a role"});
}

TEST(boardDecode, TildeMessagesAreToldApartByLength) {
    std::string upload(61, '\0');
    upload[0] = '~';
    upload[1 + 6] = static_cast<char>(146);
    upload[60] = 3;
    PluginMessage message = DecodePluginMessage(upload);
    ASSERT_EQ(message.kind, PluginMessageKind::ConfigUpload);
    EXPECT_EQ(message.pinTable[6], 146);
    EXPECT_EQ(message.indexByte, 3);
    EXPECT_EQ(DescribePluginMessage(message), "configuration upload, board index 2");

    message = DecodePluginMessage(Bytes({'~', 0, 0, 0, 0, 0, 1}));
    ASSERT_EQ(message.kind, PluginMessageKind::IdReply);
    EXPECT_EQ(message.indexByte, 1);
    EXPECT_TRUE(message.problem.empty());
    EXPECT_FALSE(DecodePluginMessage(Bytes({'~', 0, 7, 0, 0, 0, 1})).problem.empty());

    EXPECT_EQ(DecodePluginMessage(Bytes({'~', 0, 0, 0, 0, 0, 0, 1})).kind,
              PluginMessageKind::Malformed);
    EXPECT_EQ(DecodePluginMessage(upload.substr(0, 60)).kind, PluginMessageKind::Malformed);
}

TEST(boardDecode, RequestsAndUnknownBytes) {
    EXPECT_EQ(DecodePluginMessage("XP").kind, PluginMessageKind::DiscoveryRequest);
    EXPECT_EQ(DecodePluginMessage("XX").kind, PluginMessageKind::Ping);
    EXPECT_EQ(DecodePluginMessage("XR").kind, PluginMessageKind::InputRequest);
    EXPECT_EQ(DecodePluginMessage("XQ").kind, PluginMessageKind::Unknown);
    EXPECT_EQ(DecodePluginMessage("XPX").kind, PluginMessageKind::Malformed);
    EXPECT_EQ(DecodePluginMessage("q").kind, PluginMessageKind::Unknown);
    EXPECT_EQ(DecodePluginMessage("").kind, PluginMessageKind::Unknown);
}

TEST(boardDecode, AnalogSettingsKeepEveryChannelAndListTheChangedOnes) {
    std::string reply = "A";
    for (int c = 0; c < 16; ++c) reply += Bytes({0, 0, 100});
    reply[1 + 3 * 3] = 101;
    reply[1 + 3 * 15 + 2] = 50;
    PluginMessage message = DecodePluginMessage(reply);
    ASSERT_EQ(message.kind, PluginMessageKind::AnalogSettings);
    EXPECT_EQ(message.analog[3].bytes[0], 101);
    EXPECT_EQ(message.analog[15].bytes[2], 50);
    EXPECT_EQ(
        AnalogLines(message.analog),
        (std::vector<std::string>{"analog channel 3: 101, 0, 100", "analog channel 15: 0, 0, 50"}));
    EXPECT_EQ(DescribePluginMessage(message), "analog settings, 2 channels set");

    EXPECT_EQ(DecodePluginMessage(reply.substr(0, 48)).kind, PluginMessageKind::Malformed);
    EXPECT_EQ(DecodePluginMessage(reply + "x").kind, PluginMessageKind::Malformed);
}

TEST(boardDecode, SevenSegmentAndStepperSettingsFollowTheirCount) {
    PluginMessage seven = DecodePluginMessage(Bytes({'N', 2, 20, 60}));
    ASSERT_EQ(seven.kind, PluginMessageKind::SevenSegmentSettings);
    EXPECT_EQ(seven.sevenSegmentPins, (std::vector<uint8_t>{20, 60}));
    EXPECT_EQ(SevenSegmentLines(seven.sevenSegmentPins),
              (std::vector<std::string>{"7-segment display 1: pin 20",
                                        "7-segment display 2: pin 60 (beyond the 54 pins)"}));
    EXPECT_EQ(DecodePluginMessage(Bytes({'N', 0})).sevenSegmentPins.size(), 0u);
    // A count that does not match the bytes is refused, not read past.
    EXPECT_EQ(DecodePluginMessage(Bytes({'N', 3, 20})).kind, PluginMessageKind::Malformed);
    EXPECT_EQ(DecodePluginMessage("N").kind, PluginMessageKind::Malformed);

    PluginMessage stepper = DecodePluginMessage(Bytes({'S', 6, 8, 0x90, 0x01, 9, 0xFF, 0xFF}));
    ASSERT_EQ(stepper.kind, PluginMessageKind::StepperSettings);
    ASSERT_EQ(stepper.steppers.size(), 2u);
    EXPECT_EQ(stepper.steppers[0].pin, 8);
    EXPECT_EQ(stepper.steppers[0].steps, 400);
    EXPECT_EQ(stepper.steppers[1].steps, 65535);
    EXPECT_EQ(StepperLines(stepper.steppers)[0], "stepper 1: pin 8, 400 steps");

    PluginMessage partial = DecodePluginMessage(Bytes({'S', 4, 8, 0x90, 0x01, 9}));
    EXPECT_EQ(partial.kind, PluginMessageKind::StepperSettings);
    EXPECT_EQ(partial.steppers.size(), 1u);
    EXPECT_FALSE(partial.problem.empty());
}

TEST(boardDecode, BraceMessagesHoldModeRecordsOrOutputs) {
    PluginMessage led = DecodePluginMessage(Bytes({'{', 2, 12, ')'}));
    ASSERT_EQ(led.kind, PluginMessageKind::ModeMessage);
    EXPECT_TRUE(led.mode.isLed);
    EXPECT_TRUE(led.mode.ledOn);
    EXPECT_EQ(led.mode.pin, 12);
    EXPECT_FALSE(DecodePluginMessage(Bytes({'{', 2, 12, '('})).mode.ledOn);

    PluginMessage value = DecodePluginMessage(Bytes({'{', 6, 5, 'D', 0, 0, 0x80, 0x3F}));
    ASSERT_EQ(value.kind, PluginMessageKind::ModeMessage);
    EXPECT_EQ(value.mode.letter, 'D');
    EXPECT_EQ(value.mode.value, 1.0f);
    EXPECT_EQ(DescribePluginMessage(value), "mode or output record: pin 5 'D' = 1");
    EXPECT_EQ(DescribePluginMessage(DecodePluginMessage(Bytes({'{', 6, 5, 'D', 0, 0, 0x20, 0xC0}))),
              "mode or output record: pin 5 'D' = -2.5");

    PluginMessage empty = DecodePluginMessage(Bytes({'{', 0}));
    EXPECT_EQ(empty.kind, PluginMessageKind::OutputMessage);
    EXPECT_EQ(DecodePluginMessage(Bytes({'{', 3, 9, 'P', 200})).kind,
              PluginMessageKind::OutputMessage);
    EXPECT_EQ(DecodePluginMessage(Bytes({'{', 5, 9, 'P'})).kind, PluginMessageKind::Malformed);
    EXPECT_EQ(DecodePluginMessage("{").kind, PluginMessageKind::Malformed);
}

TEST(boardDecode, PanelTextIsReadAsKeyValuePairs) {
    PluginMessage text = DecodePluginMessage(">13L<1>20N<120.5>");
    ASSERT_EQ(text.kind, PluginMessageKind::PanelText);
    ASSERT_EQ(text.panelValues.size(), 2u);
    EXPECT_EQ(text.panelValues[1].key, "20N");
    EXPECT_EQ(text.panelValues[1].text, "120.5");
    EXPECT_EQ(DecodePluginMessage(">13L<1").kind, PluginMessageKind::Malformed);
}

TEST(boardDecode, OutputRecordsShowWhatACockpitBuilderSees) {
    const std::string message =
        Bytes({'{', 41,  44,   'R',  2,    0x00, 0xA0,  // LED port: bytes last first, LEDs 1 and 3
               11,  ')',                                // LED
               4,   'R', 4,    0xFF, 0x24, 0x49, 0x03,  // display " 2.50"
               8,   'G', 0x00, 0x02, 0xC4, 0x09,        // stepper to 512, 25 ms
               7,   'P', 128,                           // PWM
               3,   'B', 3,    'N',  '1',  '2',         // byte data
               9,   'S', 0x00, 0x80, 0xBB, 0x44,        // servo 1500
               5,   'D', 0x00, 0x00, 0x20, 0xC0});      // another value
    PluginMessage decoded = DecodePluginMessage(message);
    ASSERT_EQ(decoded.kind, PluginMessageKind::OutputMessage) << decoded.problem;
    EXPECT_EQ(DescribePluginMessage(decoded), "output message, 8 records");
    BoardOutputs shown;
    EXPECT_EQ(ApplyRecords(decoded.records, {4}, &shown).size(), 8u);
    EXPECT_TRUE(ApplyRecords(decoded.records, {4}, &shown).empty()) << "nothing changed";
    EXPECT_EQ(
        ShownLines(shown),
        (std::vector<std::string>{"LED pin 11: on", "LED port pin 44: LEDs 1, 3 lit (of 16)",
                                  "7-segment pin 4: [ 2.50]",
                                  "stepper pin 8: step 512, frame time 25 ms", "pin 5 'D': -2.5",
                                  "servo pin 9: 1500", "PWM pin 7: 128", "text pin 3: \"N12\""}));
    EXPECT_EQ(DisplayText(Bytes({0x00, 0x9E, 0xFD, 0x77})), "8.1.-?");
    EXPECT_EQ(DecodePluginMessage(Bytes({'{', 4, 4, 'R', 5, 0xFF})).kind,
              PluginMessageKind::Malformed)
        << "a record cut short";
}
