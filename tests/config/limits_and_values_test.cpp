// What one board text may create, and the numbers a board cannot use as
// written, each reported with its line.
#include "parser_fixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(ParserTest, ABoardTextCreatesNoMoreThanTheLimitsAndSaysSoOnce) {
    ObserveNotes();
    std::string text = "[I]\n";
    for (std::size_t i = 0; i < kMaxInputs + 3; ++i) text += "D5+ D\n";
    text += "[O]\n";
    for (std::size_t j = 0; j < kMaxOutputs - 1; ++j) text += "5L 0 sim/x\n";
    text += "6L D5=1\n7L D5=2\n8L 0 sim/x\n";
    testing::internal::CaptureStderr();
    const Board& board = Parse(text, 3);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(board.Inputs.size(), kMaxInputs);
    EXPECT_EQ(board.Outputs.size() + board.OutputModeLed.size(), kMaxOutputs);
    std::vector<std::size_t> lines;
    for (const ParseNote& note : notes) {
        if (note.reason.find("at most") != std::string::npos) lines.push_back(note.line);
    }
    // The first input past the limit, and the second mode line ("[I]", the
    // inputs, "[O]", kMaxOutputs - 1 outputs and the first mode line before it).
    EXPECT_THAT(lines, ElementsAre(kMaxInputs + 2, kMaxInputs + 3 + kMaxOutputs + 3));
    EXPECT_THAT(log, HasSubstr("\nBoard #3: more than 2048 inputs, the rest are ignored"));
    EXPECT_THAT(log, HasSubstr("\nBoard #3: more than 1024 outputs, the rest are ignored"));
    EXPECT_EQ(log.find("more than", log.find("outputs") + 1), std::string::npos) << "once each";
}

TEST_F(ParserTest, NumbersTheBoardCannotUseAreWarnedAboutWithTheirLine) {
    ObserveNotes();
    Parse(
        "[A]\n"
        "B 22 25 30 60 300\n"
        "G 60\n"
        "L 100\n"
        "E E300,1 E4,9,7\n"
        "[I]\n"
        "D60+ sim/lights/beacon_lights_on\n"
        "E70+ sim/autopilot/heading_up\n"
        "A1 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1 1 30000 300\n"
        "D/5 sim/lights/beacon_lights_on\n"
        "D53+ sim/lights/beacon_lights_on\n"
        "[O]\n"
        "60L 0 sim/cockpit2/annunciators/master_warning\n"
        "4G 0 sim/cockpit2/gauges/indicators/airspeed_kts_pilot 1 0,1 0,90 70000\n"
        "60L D53=1\n"
        "70l 0 sim/cockpit2/annunciators/master_warning\n"
        "60 0 sim/cockpit2/annunciators/master_warning\n",
        2);
    const std::pair<std::size_t, const char*> kExpected[] = {
        {2, "matrix pin 60 is beyond the board's pins (0 to 53)"},
        {2, "matrix pin 300 does not fit a byte (0 to 255): 44 is used"},
        {3, "stepper direction pin 60 is beyond"},
        {5, "encoder pin 300 does not fit a byte (0 to 255): 44 is used"},
        {5, "encoder type 9 is not one of 0 to 3: 0 is used"},
        {5, "encoder mode 7 is not one of 0 to 3: 0 is used"},
        {7, "input pin 60 is beyond"},
        {8, "input pin 70 is beyond"},
        {9, "analog setting 30000, stored as 400 does not fit a byte"},
        {9, "analog setting 300 does not fit a byte"},
        {10, "key \"D/5\" names no pin"},
        {13, "output pin 60 is beyond"},
        {14, "stepper step count 70000 does not fit 16 bits (0 to 65535): 4464 is used"},
        {15, "output pin 60 is beyond"},
        {16, "LED port number 70 is not one of 1 to 64"},
    };
    std::stable_sort(notes.begin(), notes.end(),
                     [](const ParseNote& a, const ParseNote& b) { return a.line < b.line; });
    ASSERT_EQ(notes.size(), std::size(kExpected));
    for (std::size_t k = 0; k < notes.size(); ++k) {
        EXPECT_EQ(notes[k].kind, NoteKind::Warning) << notes[k].reason;
        EXPECT_EQ(notes[k].line, kExpected[k].first) << notes[k].reason;
        EXPECT_THAT(notes[k].reason, HasSubstr(kExpected[k].second));
    }
}

// Lines that draw a warning about their meaning are read exactly as they are
// without an observer: the warnings change nothing the plugin keeps.
TEST_F(ParserTest, WarningsAboutMeaningChangeNothingTheBoardIsGiven) {
    const std::string text =
        "[A]\nG 40 41\n[I]\nD2+ sim/lights/beacon_lights_on 1\n"
        "A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0;1 1 30 0 100 9\n"
        "A1 sim/cockpit2/engine/actuators/throttle_ratio_all\nA20 A20>1\n"
        "D3+ sim/cockpit2/annunciators/master_caution 0 1 x\n[O]\n"
        "14L sim/cockpit2/annunciators/gear_unsafe\n"
        "7P 0 sim/cockpit2/switches/panel_brightness_ratio 1 0;1\n"
        "6 0 sim/cockpit2/radios/actuators/transponder_code 1 0,7777\n"
        "3G 0 sim/cockpit2/gauges/indicators/compass_heading_deg_mag 1 360 360 400 x\n";
    const Board quiet = Parse(text, 1, 0);
    ObserveNotes();
    const Board& heard = Parse(text, 1, 1);
    EXPECT_GE(notes.size(), 10u);
    ASSERT_EQ(heard.Inputs.size(), quiet.Inputs.size());
    for (std::size_t i = 0; i < quiet.Inputs.size(); ++i) {
        const BoardInput& a = quiet.Inputs[i];
        const BoardInput& b = heard.Inputs[i];
        EXPECT_EQ(a.Data, b.Data);
        EXPECT_EQ(a.Datatags, b.Datatags);
        EXPECT_EQ(a.InputDataRange, b.InputDataRange);
        EXPECT_EQ(a.InputDefault, b.InputDefault);
        EXPECT_EQ(a.InputArrayNum, b.InputArrayNum);
        EXPECT_EQ(a.Mode, b.Mode);
    }
    ASSERT_EQ(heard.Outputs.size(), quiet.Outputs.size());
    for (std::size_t j = 0; j < quiet.Outputs.size(); ++j) {
        EXPECT_EQ(quiet.Outputs[j].OutDrefs, heard.Outputs[j].OutDrefs);
        EXPECT_EQ(quiet.Outputs[j].OutRange1, heard.Outputs[j].OutRange1);
        EXPECT_EQ(quiet.Outputs[j].OutRange2, heard.Outputs[j].OutRange2);
    }
    EXPECT_EQ(quiet.OutputModeLed, heard.OutputModeLed);
    EXPECT_EQ(quiet.AnalogAdditional, heard.AnalogAdditional);
    EXPECT_EQ(quiet.StepperAdditional, heard.StepperAdditional);
    EXPECT_EQ(quiet.StepperCommon, heard.StepperCommon);
}
