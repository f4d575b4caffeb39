// Section O lines: keys, defaults by kind, ranges, the board's configuration
// bytes and the finishing pass.
#include <iterator>

#include "custom/custom_refs.h"
#include "parser_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kAirspeed = "sim/cockpit2/gauges/indicators/airspeed_kts_pilot";
const std::string kWarning = "sim/cockpit2/annunciators/master_warning";

}  // namespace

TEST_F(ParserTest, ServoAndPwmOutputsGetTheirDefaultTargetRange) {
    Parse("[O]\n3S 0 " + kAirspeed + " 1 5\n9P 0 " + kAirspeed + " 1 0,1\n9S 0 " + kAirspeed +
              " 1 0,1\n",
          0);
    EXPECT_THAT(Output(0).OutDrefs, ElementsAre("3S", "0", kAirspeed, "1", "5", "500,2500"));
    EXPECT_THAT(Output(0).OutRange1, IsEmpty()) << "one value against two";
    EXPECT_THAT(Output(0).OutRange2, IsEmpty());
    EXPECT_THAT(Output(1).OutRange1, ElementsAre(0.0f, 1.0f));
    EXPECT_THAT(Output(1).OutRange2, ElementsAre(0.0f, 255.0f));
    EXPECT_THAT(Output(2).OutRange2, ElementsAre(500.0f, 2500.0f));
}

TEST_F(ParserTest, StepperRangesTurnDegreesIntoSteps) {
    const Board& panel = Parse("[O]\n4G 0 " + kAirspeed + " 1 0,1 0,90 400\n", 0);
    EXPECT_THAT(Output(0).OutRange1, ElementsAre(0.0f, 1.0f));
    EXPECT_THAT(Output(0).OutRange2, ElementsAre(0.0f, 100.0f));
    EXPECT_EQ(panel.StepperAdditional, (ByteList{4, 144, 1}));

    const Board& numbered = Parse("[O]\n4g 0 " + kAirspeed + " 1 0,1 0,90 -400\n", 1);
    EXPECT_THAT(Output(0).OutRange2, ElementsAre(0.0f, -100.0f))
        << "negative steps turn the other way";
    EXPECT_EQ(numbered.StepperAdditional, (ByteList{4, 144, 1}));
    EXPECT_EQ(Output(0).OutDrefs[0], CompactKey(4, 'g'));
}

TEST_F(ParserTest, SingleRangeValuesWidenExceptForLeds) {
    Parse("[O]\n5L 0 " + kWarning + " 1 1\n7S 0 " + kAirspeed + " 1 0.5 1500\n", 0);
    EXPECT_THAT(Output(0).OutRange1, ElementsAre(1.0f));
    EXPECT_THAT(Output(0).OutRange2, ElementsAre(1.0f));
    EXPECT_THAT(Output(1).OutRange1, ElementsAre(0.5f));
    EXPECT_THAT(Output(1).OutRange2, ElementsAre(0.0f, 1500.0f));
}

TEST_F(ParserTest, UnequalRangesAreDropped) {
    Parse("[O]\n9S 0 " + kAirspeed + " 1 0,0.5,1 1000,2000\n", 0);
    EXPECT_THAT(Output(0).OutRange1, IsEmpty());
    EXPECT_THAT(Output(0).OutRange2, IsEmpty());
}

TEST_F(ParserTest, NumberedBoardsUseCompactKeysAndLowerPrecision) {
    Parse("[O]\n6 0 " + kWarning + "\n7L -1 " + kWarning + "\n8L 2 " + kWarning + "\n", 2);
    EXPECT_THAT(Output(0).OutDrefs, ElementsAre(CompactKey(6, 'D'), "0", kWarning, "1"));
    EXPECT_EQ(Output(0).Precision, -1);
    EXPECT_EQ(Output(1).Precision, -2);
    EXPECT_EQ(Output(2).Precision, 2);

    Parse("[O]\n6 0 " + kWarning + "\n7L -1 " + kWarning + "\n", 0);
    EXPECT_EQ(Output(0).OutDrefs[0], "6");
    EXPECT_EQ(Output(0).Precision, 0);
    EXPECT_EQ(Output(1).Precision, -1);
}

TEST_F(ParserTest, KeysThatAreNoPinByteAndBareKeysAreSkipped) {
    const Board& board = Parse("[O]\n300L 0 " + kWarning + "\n-2L 0 " + kWarning + "\nL 0 " +
                               kWarning + "\n12L\n13L 0 not_selected\n255L 0 " + kWarning + "\n");
    ASSERT_EQ(board.Outputs.size(), 1u);
    EXPECT_EQ(Output(0).OutDrefs[0], CompactKey(255, 'L'));
    EXPECT_TRUE(board.OutputModeLed.empty());
    EXPECT_EQ(Parse("[O]\n300L 0 " + kWarning + "\n", 0).Outputs.size(), 1u)
        << "a panel's keys are not compact";
}

TEST_F(ParserTest, TwoTokenLinesAreModeLinesWithoutAnOutputIndex) {
    const Board& board = Parse("[O]\n12L D22=1\n13L 0 " + kWarning + "\n3l D22=2\n", 1);
    ASSERT_EQ(board.Outputs.size(), 1u);
    EXPECT_EQ(Output(0).OutDrefs[0], CompactKey(13, 'L'));
    EXPECT_THAT(board.OutputModeLed[0], ElementsAre(CompactKey(12, 'L'), "D22=1"));
    EXPECT_THAT(board.OutputModeLed[1], ElementsAre(CompactKey(3, 'l'), "D22=2"));
    EXPECT_EQ(board.LedPortData.size(), 1u) << "mode lines size the LED port too";
}

TEST_F(ParserTest, SevenSegmentPinsAreListedForTheBoard) {
    const Board& board = Parse("[O]\n5N 0 " + kAirspeed + " 1 3 0 z\n6N 0 " + kAirspeed +
                                   " 1 4\n7N 0 " + kAirspeed + " 1 4 2\n",
                               1);
    EXPECT_EQ(board.SevenSegAdditional, (ByteList{5, 7}));
    EXPECT_THAT(Output(0).OutRange1, IsEmpty()) << "no ranges for 7-segment displays";
    EXPECT_THAT(Output(2).OutDrefs, ElementsAre(CompactKey(7, 'N'), "0", kAirspeed, "1", "4", "2"));
}

TEST_F(ParserTest, LedPortOutputsSizeThePortUpToEightBytes) {
    EXPECT_EQ(Parse("[O]\n20l 0 " + kWarning + "\n", 0).LedPortData.size(), 3u);
    EXPECT_EQ(Parse("[O]\n8l 0 " + kWarning + "\n1l 0 " + kWarning + "\n", 0).LedPortData.size(),
              1u);
    EXPECT_EQ(Parse("[O]\n100l 0 " + kWarning + "\n", 1).LedPortData.size(), 8u);
    EXPECT_EQ(Parse("[O]\n20L 0 " + kWarning + "\n", 0).LedPortData.size(), 0u);
}

TEST_F(ParserTest, FinishingResolvesDatarefsAndFillsElementAndPrevious) {
    defaultval = "0";
    Parse(
        "[O]\n1 0 sim/cockpit2/electrical/bus_volts 3\n2 0 sim/cockpit2/electrical/bus_volts "
        "0\n3 1 sim/does/not/exist\n4 0 sim/cockpit2/switches/beacon_on x\n",
        0);
    EXPECT_EQ(Output(0).Arraynum, 3);
    EXPECT_EQ(Output(0).Drefread, XPLMFindDataRef("sim/cockpit2/electrical/bus_volts"));
    EXPECT_EQ(Output(0).Type, xplmType_FloatArray);
    EXPECT_EQ(Output(0).Previous, "0");
    EXPECT_EQ(Output(1).Arraynum, 1);
    EXPECT_EQ(Output(2).Drefread, nullptr);
    EXPECT_EQ(Output(2).Type, 0);
    EXPECT_EQ(Output(2).Precision, 1);
    EXPECT_EQ(Output(3).Arraynum, 1) << "an element that is no number";
    EXPECT_EQ(Output(3).Type, xplmType_Int);
}

TEST_F(ParserTest, PluginOwnedDatarefsShownByAnOutputAreComputed) {
    Kestrix_Drefs.resize(2);
    Kestrix_Drefs[0].name = "kestrix/flaps_in_transition";
    Kestrix_Drefs[1].name = "kestrix/altitude_hold_status";
    Parse(
        "[O]\n5L 0 kestrix/altitude_hold_status\n6L 0 kestrix/altitude_hold_status\n7L 0 "
        "sim/kestrix/flaps_in_transition\n");
    EXPECT_THAT(CustomIndices, ElementsAre(1u));
}

// What every output pass needs of an output is settled with the text: the
// key's pin byte and kind, the first type of the dataref's mask that can be
// read (byte data only when it is all the mask offers), whether the output
// test lights it, and a display's layout.
TEST_F(ParserTest, EachOutputKeepsWhatThePassNeedsInItsCompactRecord) {
    Parse(
        "[O]\n"
        "13L 0 sim/cockpit2/electrical/bus_volts 2\n"
        "7 0 sim/cockpit2/electrical/battery_on 3\n"
        "4N 0 sim/flightmodel/position/latitude 1 20 9 zrx\n"
        "5N 0 sim/aircraft/view/acf_tailnum\n"
        "2l 0 sim/cockpit2/switches/beacon_on\n"
        "9G 0 sim/does/not/exist\n");
    const struct {
        char kind;
        int pin;
        OutputRead read;
        bool lit;
        int digits, point, options;
    } rows[] = {
        {'L', 13, OutputRead::FloatArray, true, 0, 0, 0},
        {'D', 7, OutputRead::IntArray, false, 0, 0, 0},
        {'N', 4, OutputRead::Float, true, 16, 9, kZeroPadding | kReverse},  // mask 6: float first
        {'N', 5, OutputRead::Bytes, false, 0, 0, 0},
        {'l', 2, OutputRead::Int, true, 0, 0, 0},
        {'G', 9, OutputRead::Nothing, false, 0, 0, 0},
    };
    for (std::size_t j = 0; j < std::size(rows); ++j) {
        const OutputCompact& c = Output(j).Compact;
        EXPECT_EQ(c.kind, rows[j].kind) << j;
        EXPECT_EQ(c.pin, rows[j].pin) << j;
        EXPECT_EQ(c.read, rows[j].read) << j;
        EXPECT_EQ(c.litByTest, rows[j].lit) << j;
        EXPECT_EQ(c.ref, Output(j).Drefread) << j;
        EXPECT_EQ(c.element, Output(j).Arraynum) << j;
        EXPECT_EQ(c.layout.digits, rows[j].digits) << j;
        EXPECT_EQ(c.layout.point, rows[j].point) << j;
        EXPECT_EQ(c.layout.options, rows[j].options) << j;
    }
}
