// The line loop, sections, section A directives, the new-board bookkeeping
// and the board's status line.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <random>

#include "base/settings.h"
#include "config/parse_report.h"
#include "config/status_line.h"
#include "parser_fixture.h"
#include "ui/status_window.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

const char* kBeaconOn = "sim/lights/beacon_lights_on";

sockaddr_in Address(const char* host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host, &address.sin_addr);
    return address;
}

}  // namespace

TEST_F(ParserTest, CommentsShortLinesAndLinesOutsideSectionsAreSkipped) {
    const Board& board = Parse(
        "D1+ sim/lights/beacon_lights_on\n"  // before any header
        "[I]\n"
        "# D2+ sim/lights/beacon_lights_on\n"
        " D3+ sim/lights/beacon_lights_on\n"
        "/D4+ sim/lights/beacon_lights_on\n"
        "!D5+ sim/lights/beacon_lights_on\n"
        "D6\n"
        "\n"
        "D7+ sim/lights/beacon_lights_on\n"
        "[X]\n"
        "D8+ sim/lights/beacon_lights_on\n");
    EXPECT_THAT(Keys(), ElementsAre("D7+"));
    EXPECT_TRUE(board.Outputs.empty());
}

TEST_F(ParserTest, MatrixDirectiveNeedsFiveNumbersAndKeepsTheLowByte) {
    EXPECT_EQ(Parse("[A]\nB 1 2 3 4\n").MatrixAdditional, ByteList(5, 100));
    EXPECT_EQ(Parse("[A]\nB 1 2 3 4 5 6\n").MatrixAdditional, (ByteList{1, 2, 3, 4, 5}));
    EXPECT_EQ(Parse("[A]\nB 256 22 x 4 5\n").MatrixAdditional, (ByteList{0, 22, 100, 4, 5}));
}

TEST_F(ParserTest, CommonPinDirectivesSetTheirPinAndLogIt) {
    testing::internal::CaptureStderr();
    const Board& board = Parse("[A]\nG 40\nL 44\nN 41\nG\n");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(board.StepperCommon, 40u);
    EXPECT_EQ(board.LEDCommon, 44u);
    EXPECT_EQ(board.SevenSegCommon, 41u);
    EXPECT_EQ(log, "\nStepper Direction pin: 40\nLED Port pin: 44\n7-segment common pin: 41");

    testing::internal::CaptureStderr();
    EXPECT_EQ(Parse("[A]\nG forty\n").StepperCommon, 100u) << "not a number: still unset";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\nStepper Direction pin: 100");
}

TEST_F(ParserTest, EncoderDirectiveAppendsPinTypeAndMode) {
    const Board& board = Parse("[A]\nE D3,B D4,7 D5,2,5 D6 D7,1,3\nX 1 2\n");
    EXPECT_EQ(board.EncoderAdditional, (ByteList{3, 4, 0, 4, 0, 0, 5, 2, 0, 7, 1, 3}));
}

TEST_F(ParserTest, DirectiveListsLastOneParseOnly) {
    const std::string inputs =
        "[I]\nD5+ sim/starters/engage_starter_1\nD5+ sim/lights/beacon_lights_on\n";
    Parse("[A]\nT D5+\n" + inputs);
    EXPECT_THAT(Keys(), ElementsAre("D5/1+", "D5/2+"));
    Parse(inputs);
    EXPECT_THAT(Keys(), ElementsAre("D5+", "D5+"));
}

TEST_F(ParserTest, InputsAboveTheDirectivesDoNotSeeThem) {
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\nD5+ sim/lights/beacon_lights_off\n[A]\nT D5+\n");
    EXPECT_THAT(Keys(), ElementsAre("D5+", "D5+"));
    EXPECT_EQ(Input(0).Mode, 0);
}

TEST_F(ParserTest, WindowsLineEndsLeaveInputsCleanAndOutputsResolved) {
    const Board& board = Parse(
        "[A]\r\nG 40\r\nT D5+\r\n[I]\r\n"
        "D5+ sim/lights/beacon_lights_on\r\nD5+ sim/lights/beacon_lights_off\r\n"
        "[O]\r\n13L 0 sim/cockpit2/annunciators/master_warning\r\n"
        "9P 0 sim/cockpit2/switches/panel_brightness_ratio 1 0,1\r\n");
    EXPECT_EQ(board.StepperCommon, 40u);
    EXPECT_THAT(Keys(), ElementsAre("D5/1+", "D5/2+"));
    EXPECT_EQ(Input(1).Data[1], "sim/lights/beacon_lights_off");
    EXPECT_NE(Input(1).InputDataPointer, nullptr);
    ASSERT_EQ(board.Outputs.size(), 2u);
    // The carriage return stays in an output line's last token ...
    EXPECT_EQ(Output(0).OutDrefs[2], "sim/cockpit2/annunciators/master_warning\r");
    EXPECT_EQ(Output(1).OutDrefs[4], "0,1\r");
    // ... but the dataref is still found, and numbers still read.
    EXPECT_EQ(Output(0).Drefread, XPLMFindDataRef("sim/cockpit2/annunciators/master_warning"));
    EXPECT_THAT(Output(1).OutRange1, ElementsAre(0.0f, 1.0f));
}

TEST_F(ParserTest, ASecondInputOrOutputSectionContinuesTheFirst) {
    const Board& board = Parse(
        "[A]\nT D5+\n[I]\nD5+ sim/lights/beacon_lights_on\n"
        "[O]\n13L 0 sim/cockpit2/annunciators/master_warning\n"
        "[I]\nD6+ sim/lights/landing_lights_on\nD5+ sim/lights/beacon_lights_off\n"
        "[O]\n12L 0 sim/cockpit2/annunciators/master_caution\n");
    EXPECT_THAT(Keys(), ElementsAre("D5/1+", "D6+", "D5/2+"));
    EXPECT_EQ(Input(0).Mode, 21) << "the group's head is the first input, not the new section's";
    EXPECT_EQ(Input(1).Mode, 0);
    ASSERT_EQ(board.Outputs.size(), 2u);
    EXPECT_EQ(Output(1).OutDrefs[2], "sim/cockpit2/annunciators/master_caution");
}

TEST_F(ParserTest, ReparsingABoardReplacesOnlyItsRows) {
    Parse(
        "[A]\nE D3,1\nG 40\n[I]\nD5+ sim/lights/beacon_lights_on\nA2 "
        "sim/cockpit2/engine/actuators/throttle_ratio_all 0,1 1 30\n"
        "[O]\n13L 0 sim/cockpit2/annunciators/master_warning\n12L sim/x\n",
        1, 0, SerialSource(3));
    Parse(
        "[I]\nD7+ sim/lights/taxi_lights_on\n[O]\n5N 0 sim/cockpit2/radios/actuators/"
        "transponder_code 1 4 0\n",
        2, 1);
    const Board second = Boards[1];
    Parse("[I]\nD9+ sim/lights/landing_lights_on\nD9- sim/lights/landing_lights_off\n", 4, 0,
          SerialSource(3));

    ASSERT_EQ(Boards.size(), 2u);
    const Board& first = Boards[0];
    EXPECT_EQ(first.OutDevice, 4u);
    EXPECT_THAT(Keys(0), ElementsAre("D9+", "D9-"));
    EXPECT_TRUE(first.Outputs.empty());
    EXPECT_TRUE(first.OutputModeLed.empty());
    EXPECT_TRUE(first.EncoderAdditional.empty());
    EXPECT_EQ(first.StepperCommon, 100u);
    EXPECT_EQ(first.AnalogAdditional[6], 0) << "channel 2 is free again";
    EXPECT_EQ(first.AnalogAdditional.size(), 48u);
    EXPECT_EQ(first.SerialIndex, 3) << "a USB board stays on its port";
    EXPECT_EQ(message_line_number, 2);

    const Board& untouched = Boards[1];
    EXPECT_EQ(untouched.OutDevice, 2u);
    EXPECT_THAT(Keys(1), ElementsAre("D7+"));
    ASSERT_EQ(untouched.Outputs.size(), 1u);
    EXPECT_EQ(untouched.Outputs[0].OutDrefs, second.Outputs[0].OutDrefs);
    EXPECT_EQ(untouched.SevenSegAdditional, ByteList{5});
    EXPECT_EQ(untouched.SerialIndex, -1);
}

TEST_F(ParserTest, NewBoardsAreReachedTheWayTheirMessageCame) {
    Parse("", 1, 0, SerialSource(2));
    EXPECT_EQ(DebugAddress, "USB");
    const sockaddr_in sender = Address("127.0.0.5", 5080);
    Parse("", 2, 1, LanSource(sender));
    EXPECT_EQ(DebugAddress, "LAN");

    EXPECT_EQ(Boards[0].SerialIndex, 2);
    EXPECT_EQ(Boards[0].UdpIP.sin_addr.s_addr, 0u);
    EXPECT_EQ(Boards[0].UdpIP.sin_port, 0);
    EXPECT_EQ(Boards[1].SerialIndex, -1);
    EXPECT_EQ(Boards[1].UdpIP.sin_addr.s_addr, sender.sin_addr.s_addr);
    EXPECT_EQ(Boards[1].UdpIP.sin_port, htons(5080));
    EXPECT_EQ(message_line_number, 2);
    ReadConfigFile("[I]\nD5+ sim/lights/beacon_lights_on\n", 5, 3, MessageSource{});
    EXPECT_EQ(Boards.size(), 2u) << "an index past the next board is ignored";
}

TEST_F(ParserTest, StatusLineNamesTheBoardAndCountsItsInputsAndOutputs) {
    settings.ScanTimeout = 512;
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\n", 1, 0);
    std::string text = "[I]\n";
    for (int pin = 22; pin < 36; ++pin) text += "D" + std::to_string(pin) + "+ " + kBeaconOn + "\n";
    text += "[O]\n";
    for (int pin = 2; pin < 9; ++pin) {
        text += std::to_string(pin) + "L 0 sim/cockpit2/annunciators/master_warning\n";
    }
    text += "12L D22=1\n13L D22=2\n";
    Parse(text, 3, 1, SerialSource(0));
    EXPECT_EQ(StatusLine(1), "1. LAN Kestrix Board #1,   1 inputs");
    EXPECT_EQ(StatusLine(2), "2. USB Kestrix Board #3,   14 inputs,   9 outputs");
    EXPECT_EQ(StatusLine(3), "   scanning...");

    settings.ScanTimeout = 0;
    Parse("[O]\nK1 0 sim/cockpit2/annunciators/master_warning\nK2 mode=1\n", 0, 2);
    EXPECT_EQ(StatusLine(3), "3. LAN Lumora Panel,   2 outputs");
    EXPECT_EQ(StatusLine(4), "") << "no scanning line once scanning is over";
    Parse("[O]\n12L sim/x\n", 4, 3);
    EXPECT_EQ(StatusLine(4), "4. LAN Kestrix Board #4") << "mode lines alone show no count";
}

TEST_F(ParserTest, ABoardReadAgainKeepsItsOwnStatusLine) {
    settings.ScanTimeout = 512;
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\n", 1, 0);
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\nD6+ sim/lights/beacon_lights_off\n", 2, 1,
          SerialSource(0));
    Parse("", 1, 0, SerialSource(0));
    EXPECT_EQ(StatusLine(1), "1. LAN Kestrix Board #1");
    EXPECT_EQ(StatusLine(2), "2. USB Kestrix Board #2,   2 inputs");
    EXPECT_EQ(StatusLine(3), "   scanning...");
}

TEST_F(ParserTest, BoardsPastTheWindowsLastLineAreStillConfigured) {
    SetStatusLineSink(&WindowStatusLines());
    settings.ScanTimeout = 512;
    message_line_number = 9;
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\n", 1, 0);
    EXPECT_EQ(::StatusLine(10), "10. LAN Kestrix Board #1,   1 inputs");
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\n", 2, 1);
    EXPECT_EQ(message_line_number, 11);
    EXPECT_EQ(::StatusLine(11), "");
    EXPECT_EQ(::StatusLine(10), "10. LAN Kestrix Board #1,   1 inputs");
    EXPECT_THAT(Keys(1), ElementsAre("D5+"));
}

TEST_F(ParserTest, TheWindowAsSinkShowsTheLineAndOpensWhenSetTo) {
    CreateInstructionsWidget(400, 612, 410, 445);
    SetStatusLineSink(&WindowStatusLines());
    settings.WINDOW_ON_CONNECT = false;
    Parse("[I]\nD5+ sim/lights/beacon_lights_on\n", 1, 0);
    EXPECT_FALSE(simhost::IsShown(window.InstructionsWidget));
    EXPECT_EQ(simhost::FindWidget(window.InstructionsTextWidget[1])->descriptor,
              "1. LAN Kestrix Board #1,   1 inputs");
    settings.WINDOW_ON_CONNECT = true;
    Parse("", 2, 1);
    EXPECT_TRUE(simhost::IsShown(window.InstructionsWidget));

    // Without a sink (kestrix-check) the board is read all the same.
    SetStatusLineSink(nullptr);
    Parse("[I]\nD6+ sim/lights/beacon_lights_on\n", 3, 2);
    EXPECT_THAT(Keys(2), ElementsAre("D6+"));
    EXPECT_THAT(simhost::FindWidget(window.InstructionsTextWidget[3])->descriptor,
                Not(HasSubstr("Board #3")));
}

TEST_F(ParserTest, ReportsNameTheLinesSkippedAndUnresolved) {
    ObserveNotes();
    Parse(
        "[A]\nB 1 2\nZ 4\n[I]\nD5\nD6+\nD7+ not_selected\nD8+ sim/lights/beacon_light_on\n"
        "[O]\n13L 0 sim/cockpit2/annunciators/master_warn\n300L 0 "
        "sim/cockpit2/annunciators/master_caution\n[Q]\n");
    std::vector<std::string> seen;
    for (const ParseNote& note : notes) {
        seen.push_back(std::to_string(note.line) + " " + NoteKindName(note.kind));
    }
    EXPECT_THAT(seen,
                ElementsAre("2 skipped", "3 skipped", "5 skipped", "6 skipped", "7 switched off",
                            "11 skipped", "12 skipped", "8 not resolved", "10 not resolved"));
    EXPECT_EQ(notes[7].text, "D8+ sim/lights/beacon_light_on");
}

TEST_F(ParserTest, ObservingTheParseChangesNothingInTheTables) {
    const std::string text =
        "[A]\nT D5+\nE E3,1\n[I]\nD5+ sim/lights/beacon_lights_on\nD5+ sim/x\nE3+ "
        "sim/autopilot/heading_up\n[O]\n13L 0 sim/nothing\n4G 0 "
        "sim/cockpit2/gauges/indicators/airspeed_kts_pilot 1 0,1 0,90 400\n";
    Parse(text, 1, 0);
    ObserveNotes();
    Parse(text, 1, 1);
    EXPECT_FALSE(notes.empty());
    const Board& plain = Boards[0];
    const Board& observed = Boards[1];
    ASSERT_EQ(plain.Inputs.size(), observed.Inputs.size());
    for (std::size_t i = 0; i < plain.Inputs.size(); ++i) {
        EXPECT_EQ(plain.Inputs[i].Data, observed.Inputs[i].Data);
        EXPECT_EQ(plain.Inputs[i].Datatags, observed.Inputs[i].Datatags);
        EXPECT_EQ(plain.Inputs[i].Mode, observed.Inputs[i].Mode);
        EXPECT_EQ(plain.Inputs[i].InputArrayNum, observed.Inputs[i].InputArrayNum);
    }
    ASSERT_EQ(plain.Outputs.size(), observed.Outputs.size());
    EXPECT_EQ(plain.Outputs[1].OutRange2, observed.Outputs[1].OutRange2);
    EXPECT_EQ(plain.StepperAdditional, observed.StepperAdditional);
    EXPECT_EQ(plain.EncoderAdditional, observed.EncoderAdditional);
}

TEST_F(ParserTest, AFaultInOneLineAbandonsThatLineOnly) {
    // An observer that fails on the first report stands in for any fault
    // raised while a line is read.
    bool failed = false;
    SetParseObserver([&](const ParseNote&) {
        if (!failed) {
            failed = true;
            throw std::runtime_error("observer fault");
        }
    });
    testing::internal::CaptureStderr();
    const Board& board = Parse(
        "[I]\nD4+ sim/cockpit2/fuel/fuel_tank_selector x\nD5+ sim/lights/beacon_lights_on\n"
        "[O]\n13L 0 "
        "sim/cockpit2/annunciators/master_warning\n");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(failed);
    EXPECT_THAT(Keys(), ElementsAre("D5+"));
    EXPECT_EQ(board.Outputs.size(), 1u);
    EXPECT_THAT(log, testing::HasSubstr("abandoned: observer fault"));
}

TEST_F(ParserTest, ArbitraryLinesKeepEveryTableInBounds) {
    const std::vector<std::string> pieces = {"[A]",
                                             "[I]",
                                             "[O]",
                                             "[",
                                             "B",
                                             "E",
                                             "T",
                                             "S",
                                             "Q",
                                             "R",
                                             "G",
                                             "L",
                                             "N",
                                             "D5+",
                                             "d5+",
                                             "A3",
                                             "A99/7",
                                             "A/",
                                             "A15+",
                                             "E4+",
                                             "e4-",
                                             "E",
                                             "O",
                                             "O_",
                                             "O_300L",
                                             "O_-3N",
                                             "12L",
                                             "300N",
                                             "4G",
                                             "4g",
                                             "9S",
                                             "7P",
                                             "l",
                                             "200l",
                                             "-5",
                                             "0,",
                                             ",",
                                             "1,2,3",
                                             "0+,1,10",
                                             "5-",
                                             "x",
                                             "not_selected",
                                             "sim/cockpit2/switches/beacon_on",
                                             "sim/lights/beacon_lights_on",
                                             "sim/cockpit2/electrical/bus_volts",
                                             "kestrix/flaps_in_transition",
                                             "4294967296",
                                             "-2147483648",
                                             "99999999999",
                                             "D5>",
                                             "D5<",
                                             "=",
                                             "\r",
                                             "E3,B",
                                             "E3,9,9",
                                             "D5,2",
                                             "E4"};
    std::mt19937 random(7);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::size_t inputs = 0, outputs = 0;
    for (int round = 0; round < 600; ++round) {
        std::string text;
        for (std::size_t line = pick(25); line > 0; --line) {
            for (std::size_t token = pick(8); token > 0; --token) {
                text += pieces[pick(pieces.size())] + (pick(5) ? " " : "\t");
            }
            text += pick(4) ? "\n" : "\r\n";
        }
        const std::size_t b = static_cast<std::size_t>(round % 3);
        ReadConfigFile(text, b, static_cast<unsigned>(round % 4), MessageSource{});
        const Board& board = Boards.at(b);
        ASSERT_EQ(board.AnalogAdditional.size(), 48u) << text;
        ASSERT_EQ(board.MatrixAdditional.size(), 5u) << text;
        ASSERT_LE(board.LedPortData.size(), 8u) << text;
        ASSERT_EQ(board.StepperAdditional.size() % 3, 0u) << text;
        inputs += board.Inputs.size();
        outputs += board.Outputs.size();
        for (const BoardInput& in : board.Inputs) ASSERT_GE(in.Data.size(), 2u) << text;
        for (const BoardOutput& out : board.Outputs) {
            ASSERT_GE(out.OutDrefs.size(), 4u) << text;
            ASSERT_GE(out.Arraynum, 1) << text;
        }
    }
    EXPECT_EQ(Boards.size(), 3u);
    EXPECT_GT(inputs, 100u) << "the texts must reach the input parser";
    EXPECT_GT(outputs, 50u) << "the texts must reach the output parser";
}
