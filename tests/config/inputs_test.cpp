// Section I lines: name resolution, value fields, analog channels, switch
// groups, repeats, encoders, skips and local links.
#include "parser_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kThrottle = "sim/cockpit2/engine/actuators/throttle_ratio_all";

}  // namespace

TEST_F(ParserTest, CommandInputHoldsTheCommandHandle) {
    Parse(
        "[I]\nd5+ sim/lights/beacon_lights_on\nb3+ sim/starters/engage_starter_1\n"
        "D6+ sim/annunciator/test_all_annunciators\n");
    const BoardInput& beacon = Input(0);
    EXPECT_EQ(beacon.InputDataPointer, XPLMFindCommand("sim/lights/beacon_lights_on"));
    EXPECT_EQ(beacon.InputArrayNum, 0);
    EXPECT_EQ(beacon.InputDrefTypes, 0);
    EXPECT_EQ(beacon.Contval, -1);
    EXPECT_EQ(beacon.InputDefault, 1.0f);
    EXPECT_THAT(beacon.Data, ElementsAre("D5+", "sim/lights/beacon_lights_on"));
    EXPECT_THAT(Keys(), ElementsAre("D5+", "B3+", "D6+"));
    EXPECT_EQ(Input(1).Contval, 1) << "starter held while pressed";
    EXPECT_EQ(Input(2).Contval, 1) << "annunciator test held while pressed";
}

TEST_F(ParserTest, LinesWithoutANameOrSwitchedOffTakeNoIndex) {
    Parse("[I]\nD4+\nD5+ not_selected\nD6+ sim/lights/beacon_lights_on\n");
    EXPECT_THAT(Keys(), ElementsAre("D6+"));
}

TEST_F(ParserTest, DatarefInputsReadTheirValueField) {
    Parse(
        "[I]\n"
        "D1+ sim/cockpit2/fuel/fuel_tank_selector 1,2,3\n"
        "D2+ sim/cockpit2/autopilot/altitude_dial_ft 0+,1,10\n"
        "D3+ sim/cockpit2/fuel/fuel_tank_selector 5\n"
        "D4+ sim/cockpit2/autopilot/altitude_dial_ft 100-,0\n"
        "D5+ sim/cockpit2/switches/beacon_on\n"
        "D6+ sim/cockpit2/switches/generic_lights_switch 0.5 3\n"
        "D7+ sim/cockpit2/switches/generic_lights_switch 1 0\n"
        "D8+ sim/cockpit2/switches/beacon_on ,,\n");
    EXPECT_THAT(Input(0).InputDataRange, ElementsAre(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(Input(0).InputDefault, 1.0f);
    EXPECT_EQ(Input(0).InputIncrementDir, 0);
    EXPECT_EQ(Input(0).InputDrefTypes, xplmType_Int);
    EXPECT_EQ(Input(0).InputDataPointer, XPLMFindDataRef("sim/cockpit2/fuel/fuel_tank_selector"));

    EXPECT_THAT(Input(1).InputDataRange, ElementsAre(1.0f, 10.0f));
    EXPECT_EQ(Input(1).InputIncrementDir, 1);
    EXPECT_EQ(Input(1).InputDefault, 0.0f);

    EXPECT_THAT(Input(2).InputDataRange, IsEmpty());
    EXPECT_EQ(Input(2).InputDefault, 5.0f);

    EXPECT_THAT(Input(3).InputDataRange, ElementsAre(0.0f));
    EXPECT_EQ(Input(3).InputIncrementDir, -1);
    EXPECT_EQ(Input(3).InputDefault, 100.0f);

    EXPECT_EQ(Input(4).InputDefault, 1.0f) << "no value field";
    EXPECT_EQ(Input(4).InputArrayNum, 1);
    EXPECT_EQ(Input(5).InputArrayNum, 3);
    EXPECT_EQ(Input(5).InputDrefTypes, xplmType_FloatArray);
    EXPECT_EQ(Input(6).InputArrayNum, 1) << "element 0 is raised to 1";
    EXPECT_EQ(Input(7).InputDefault, 1.0f) << "commas only count as no value";
    EXPECT_THAT(Input(7).InputDataRange, IsEmpty());
}

TEST_F(ParserTest, IgnitionKeyInStartPositionIsHeld) {
    Parse(
        "[I]\nD1+ sim/cockpit2/engine/actuators/ignition_key 4 1\n"
        "D2+ sim/cockpit2/engine/actuators/ignition_key 3 1\n");
    EXPECT_EQ(Input(0).Contval, 1);
    EXPECT_EQ(Input(1).Contval, -1);
}

TEST_F(ParserTest, AnalogTokensSetTheChannelsSettingsBytes) {
    const Board& board = Parse(
        "[I]\n"
        "A0 " +
        kThrottle +
        " 0,1 1 30\n"
        "A1 " +
        kThrottle +
        " 0,1 1 75\n"
        "A2 " +
        kThrottle +
        " 0,1 1 250\n"
        "A3 " +
        kThrottle +
        " 0,1 1 1000\n"
        "A4 " +
        kThrottle +
        " 0,1 1 20 7 9\n"
        "A5 " +
        kThrottle +
        " 0,1\n"
        "A6+ " +
        kThrottle +
        " 0,1\n"
        "A7/5 " +
        kThrottle +
        " 0,1\n"
        "A8/200 " +
        kThrottle +
        " 0,1 1 140\n"
        "A16 " +
        kThrottle +
        " 0,1 1 30 1 2\n"
        "Ax " +
        kThrottle + " 0,1 1 30 1 2\n");
    const ByteList& a = board.AnalogAdditional;
    ASSERT_EQ(a.size(), 48u);
    EXPECT_EQ(a[0], 30);
    EXPECT_EQ(a[3], 101);
    EXPECT_EQ(a[6], 102);
    EXPECT_EQ(a[9], 110);
    EXPECT_EQ((ByteList{a[12], a[13], a[14]}), (ByteList{20, 7, 9}));
    EXPECT_EQ(a[15], 101) << "a plain analog input";
    EXPECT_EQ(a[18], 1) << "an input with + or -";
    EXPECT_EQ(a[21], 132) << "127 + 5";
    EXPECT_EQ(a[24], static_cast<uint8_t>(327)) << "the larger of 101 and 327, low byte";
    for (std::size_t c = 9; c < 16; ++c) {
        EXPECT_EQ(a[3 * c], 0) << "channel " << c;
        EXPECT_EQ(a[3 * c + 2], 100) << "channel " << c;
    }
    EXPECT_EQ(board.Inputs.size(), 11u) << "inputs on unknown channels still exist";
}

TEST_F(ParserTest, SwitchGroupMembersGetTheirPositions) {
    Parse(
        "[A]\nT D5+\n[I]\n"
        "D4+ sim/lights/beacon_lights_on\n"
        "D5+ sim/cockpit2/fuel/fuel_tank_selector 1\n"
        "D5+ sim/cockpit2/fuel/fuel_tank_selector 4\n"
        "D5+ sim/cockpit2/fuel/fuel_tank_selector 3\n"
        "D5- sim/cockpit2/fuel/fuel_tank_selector 0\n");
    EXPECT_THAT(Keys(), ElementsAre("D4+", "D5/1+", "D5/2+", "D5/3+", "D5-"));
    EXPECT_EQ(Input(1).Mode, 31);
    EXPECT_EQ(Input(2).Mode, 0);
    EXPECT_EQ(Input(3).Mode, 0);
    EXPECT_EQ(Input(4).Mode, 0);
    EXPECT_EQ(Input(2).Data[0], "D5+") << "Data keeps the key as written";
}

TEST_F(ParserTest, RepeatListedKeysRepeatWhileHeld) {
    Parse(
        "[A]\nR D6+ B2+\n[I]\nD6+ sim/cockpit2/autopilot/altitude_dial_ft 100+,50000\n"
        "b2+ sim/starters/engage_starter_1\nD7+ sim/lights/beacon_lights_on\n");
    EXPECT_EQ(Input(0).Contval, 2);
    EXPECT_EQ(Input(1).Contval, 2);
    EXPECT_EQ(Input(2).Contval, -1);
}

TEST_F(ParserTest, OnlyTheFirstInputOfAnEncoderBaseIsMarked) {
    Parse(
        "[A]\nS E9,3 E4,5 E4,7\n[I]\n"
        "E4+ sim/autopilot/heading_up\n"
        "e4- sim/autopilot/heading_down\n"
        "E6/1+ sim/autopilot/altitude_up\n"
        "E6/2+ sim/autopilot/altitude_down\n"
        "D4+ sim/lights/beacon_lights_on\n");
    EXPECT_THAT(Keys(), ElementsAre("E4+", "E4-", "E6/1+", "E6/2+", "D4+"));
    EXPECT_EQ(Input(1).Data[0], "e4-") << "the encoder kind stays in Data";
    EXPECT_EQ(Input(0).Mode, 1);
    EXPECT_EQ(Input(1).Mode, 1) << "E4+ and E4- are two bases";
    EXPECT_EQ(Input(2).Mode, 1);
    EXPECT_EQ(Input(3).Mode, 0);
    EXPECT_THAT(Input(0).InputSkip, ElementsAre(5, 0)) << "the first matching entry wins";
    EXPECT_THAT(Input(1).InputSkip, ElementsAre(5, 0));
    EXPECT_THAT(Input(2).InputSkip, IsEmpty());
    EXPECT_THAT(Input(4).InputSkip, IsEmpty()) << "D4 is not E4";
}

TEST_F(ParserTest, AnalogDefaultListSquaresTheResponse) {
    Parse("[A]\nQ A1\n[I]\nA1 " + kThrottle + " 0,1\nA2 " + kThrottle + " 0,1\n");
    EXPECT_EQ(Input(0).InputDefault, 2.0f);
    EXPECT_EQ(Input(1).InputDefault, 0.0f);
}

TEST_F(ParserTest, UnknownNamesBecomeLinksToOtherInputs) {
    Parse(
        "[A]\nT D5+\n[I]\n"
        "D4+ sim/lights/beacon_lights_on\n"
        "D5+ sim/lights/beacon_lights_on\n"
        "D5+ sim/lights/landing_lights_on\n"
        "D5+ sim/lights/taxi_lights_on\n"
        "D7+ D5>\n"
        "D8+ D5<2\n"
        "D9+ D5=2\n"
        "D10+ D5\n");
    const BoardInput& up = Input(4);
    EXPECT_EQ(up.InputArrayNum, -1);
    EXPECT_EQ(up.InputDataPointer, nullptr);
    EXPECT_EQ(up.Data[1], "D5>1") << "the operand defaults to 1";
    EXPECT_EQ(up.Mode, 1) << "the group's head";
    EXPECT_EQ(up.InputIncrementDir, 3) << "the group's largest position";
    EXPECT_EQ(Input(5).Data[1], "D5<2");
    EXPECT_EQ(Input(5).InputIncrementDir, 3);
    EXPECT_EQ(Input(6).Mode, 1);
    EXPECT_EQ(Input(6).InputIncrementDir, 0) << "= keeps no largest position";
    EXPECT_EQ(Input(7).Mode, 1);
}

TEST_F(ParserTest, LinksToOutputsFindTheOutputByKey) {
    Parse(
        "[I]\nD1+ 13L\nD2+ 9N\nD3+ L\n[O]\n12L 0 sim/cockpit2/annunciators/master_caution\n"
        "13L 0 sim/cockpit2/annunciators/master_warning\n",
        0);
    EXPECT_EQ(Input(0).InputIncrementDir, 1);
    EXPECT_EQ(Input(0).Contval, 1);
    EXPECT_EQ(Input(1).InputIncrementDir, -1) << "no output 9N";
    EXPECT_EQ(Input(2).InputIncrementDir, 32767);
}

TEST_F(ParserTest, LinksToOutputsOnANumberedBoardTakeTheOneCharacterForm) {
    ObserveNotes();
    Parse("[I]\nD1+ 13L\nD2+ L\n[O]\n13L 0 sim/cockpit2/annunciators/master_warning\n", 2);
    EXPECT_EQ(Input(0).Data[1], std::string(1, static_cast<char>(13 + 'L')));
    EXPECT_EQ(Input(0).InputIncrementDir, 32767);
    EXPECT_EQ(Input(0).Mode, 0);
    EXPECT_EQ(Input(1).Data[1], "L");
    EXPECT_EQ(Input(1).InputIncrementDir, 32767);
    // Only the bare letter reaches an output, which the check reports.
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].line, 2u);
    EXPECT_EQ(notes[0].kind, NoteKind::Unresolved);
}

TEST_F(ParserTest, OutputSelectionLinksKeepRepeatedKeysInactive) {
    const std::string outputs =
        "[O]\n12L 0 sim/cockpit2/annunciators/master_warning\n"
        "12L 0 sim/cockpit2/annunciators/master_caution\n"
        "12L 0 sim/cockpit2/annunciators/low_voltage\n";
    Parse("[I]\nD1+ O_12L\n" + outputs, 3);
    EXPECT_EQ(Input(0).Data[1], "O_" + CompactKey(12, 'L'));
    EXPECT_EQ(Input(0).InputArrayNum, -1);
    EXPECT_TRUE(Output(0).OutputActive);
    EXPECT_FALSE(Output(1).OutputActive);
    EXPECT_FALSE(Output(2).OutputActive);

    Parse("[I]\nD1+ sim/lights/beacon_lights_on\n" + outputs, 3);
    EXPECT_TRUE(Output(1).OutputActive) << "without a selection every output is sent";

    Parse("[I]\nD1+ O_12L\n" + outputs, 0);
    EXPECT_TRUE(Output(1).OutputActive) << "a panel's keys are not compact";
}

TEST_F(ParserTest, LinksTakeTheLastGroupHeadAmongTheKeysTheyPrefix) {
    // A link's Mode is the last input whose key it prefixes and whose Mode is
    // above 0 at that moment: links resolved earlier count, and so does the
    // link itself.
    Parse(
        "[A]\nT D5+ D1\n[I]\n"
        "D5 D\n"
        "D5+ sim/lights/beacon_lights_on\nD5+ sim/lights/landing_lights_on\n"
        "D5+ sim/lights/taxi_lights_on\nE3+ sim/autopilot/heading_up\n"
        "D1 D/\nD1 D\nD7+ D5>\nD8+ E<\nD9+ <\nD10+ D5/2=\nD11+ Z>\n",
        0);
    struct Link {
        std::size_t i;
        const char* name;
        int mode;
        int largest;
    };
    const Link kLinks[] = {
        {0, "D", 5, 0},     // a later group head
        {5, "D/", 5, 0},    // itself: a group head no other key before it matches
        {6, "D", 6, 0},     // itself, once the earlier links made it count
        {7, "D5>1", 1, 3},  // the group of D5+, positions 1 to 3
        {8, "E<1", 4, 0},   // the encoder's first input
        {9, "<1", 9, 3},    // every key
        {10, "D5/2=1", 0, 0}, {11, "Z>1", 0, 0},  // no key
    };
    for (const Link& link : kLinks) {
        EXPECT_EQ(Input(link.i).Data[1], link.name) << "input " << link.i;
        EXPECT_EQ(Input(link.i).Mode, link.mode) << "input " << link.i;
        EXPECT_EQ(Input(link.i).InputIncrementDir, link.largest) << "input " << link.i;
    }
    EXPECT_THAT(Keys(), ElementsAre("D5", "D5/1+", "D5/2+", "D5/3+", "E3+", "D/11", "D/21", "D7+",
                                    "D8+", "D9+", "D10+", "D11+"));
}

TEST_F(ParserTest, OutputLinkCodesAreAddedInEightBitsAndLargeNumbersWarned) {
    struct Case {
        const char* name;
        int code;  // the one character a numbered board's link becomes
        bool warned;
    };
    const Case kCases[] = {
        {"13L", 13 + 'L', false},
        {"255N", (255 + 'N') & 0xFF, false},
        {"2147483647l", (0x7FFFFFFFu + 'l') & 0xFF, true},  // once an int overflow
        {"-1N", 'N' - 1, true},
        {"300L", (300 + 'L') & 0xFF, true},
    };
    for (const Case& c : kCases) {
        notes.clear();
        ObserveNotes();
        Parse(std::string("[I]\n5 ") + c.name + "\n", 4);
        EXPECT_EQ(Input(0).Data[1], std::string(1, static_cast<char>(c.code))) << c.name;
        const bool warned = !notes.empty() && notes[0].kind == NoteKind::Warning &&
                            notes[0].reason.find("0 to 255") != std::string::npos;
        EXPECT_EQ(warned, c.warned) << c.name;
    }
}
