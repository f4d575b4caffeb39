// The arithmetic of input events, case by case in tables.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "simdata/dataref_access.h"
#include "simdata/input_arithmetic.h"
#include "simdata/input_event.h"

TEST(InputArithmetic, StepsStopAtTheirLimitAndWrapAroundTheirRange) {
    struct Row {
        float cur;
        int dir;
        float step;
        std::vector<float> range;
        bool writes;
        float expected;
    };
    const std::vector<Row> rows = {
        {9.6f, +1, 0.5f, {10}, true, 10.1f},  // the limit is tested before stepping
        {10.1f, +1, 0.5f, {10}, false, 0},
        {0.0f, -1, 100, {0}, false, 0},
        {100.0f, -1, 100, {0}, true, 0},
        {359, +1, 2, {0, 360}, true, 1},
        {1, -1, 2, {0, 360}, true, 359},
        {12, +1, 1, {1, 12}, true, 2},
        {1, -1, 1, {1, 12}, true, 12},
        {10, -1, 1, {10, 20}, true, 19},  // from the top would be 29, outside the range
        {5, +1, 1, {}, true, 6},
        {5, +1, 1, {0, 10, 20}, true, 6},  // three values: neither a limit nor a range
    };
    for (const Row& row : rows) {
        float out = -999;
        const bool wrote = StepValue(row.cur, row.dir, row.step, row.range, &out);
        EXPECT_EQ(wrote, row.writes) << row.cur;
        if (row.writes) {
            EXPECT_FLOAT_EQ(out, row.expected) << row.cur << " " << row.dir;
        }
    }
}

TEST(InputArithmetic, SkipPairsCountStepsAndDivideLargeOnes) {
    struct Row {
        int n, counter;
        unsigned count;
        bool acts;
        unsigned steps;
        int counterAfter;
    };
    const std::vector<Row> rows = {
        {4, 0, 3, false, 0, 3},  {4, 3, 3, true, 1, 0}, {4, 0, 8, true, 2, 0},
        {4, 0, 12, true, 12, 0}, {0, 0, 5, true, 1, 0}, {2, 1, 1, true, 1, 0},
        {-2, 0, 5, true, 5, 0},
    };
    for (const Row& row : rows) {
        int counter = row.counter;
        unsigned count = row.count;
        EXPECT_EQ(ApplySkip(row.n, counter, count), row.acts) << row.n << " " << row.count;
        if (row.acts) {
            EXPECT_EQ(count, row.steps) << row.n << " " << row.count;
        }
        EXPECT_EQ(counter, row.counterAfter) << row.n << " " << row.count;
    }
}

TEST(InputArithmetic, GroupPositionsCycleAndAnalogReadingsScale) {
    const std::vector<std::pair<int, int>> groups = {{31, 32}, {32, 33}, {33, 31}, {21, 22},
                                                     {22, 21}, {11, 11}, {91, 92}, {99, 91}};
    for (const auto& [mode, next] : groups) EXPECT_EQ(AdvanceGroup(mode), next) << mode;

    struct Analog {
        float reading, inputDefault;
        std::vector<float> range;
        float expected;
    };
    const std::vector<Analog> analog = {{500, 1, {0, 1}, 0.5f},   {500, 2, {0, 1}, 0.25f},
                                        {1000, 1, {-1, 1}, 1.0f}, {0, 1, {-1, 1}, -1.0f},
                                        {250, 1, {}, 0.25f},      {512, 1, {0, 100}, 51.2f}};
    for (const Analog& row : analog) {
        EXPECT_FLOAT_EQ(AnalogValue(row.reading, row.inputDefault, row.range), row.expected);
    }
}

TEST(InputArithmetic, ConversionsNeverLeaveTheirType) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<float, int>> ints = {{2.9f, 2},
                                                     {-2.9f, -2},
                                                     {-0.7f, 0},
                                                     {3.99f, 3},
                                                     {nan, 0},
                                                     {1e10f, INT_MAX},
                                                     {-1e10f, INT_MIN},
                                                     {2147483648.0f, INT_MAX},
                                                     {-2147483648.0f, INT_MIN}};
    for (const auto& [value, expected] : ints) EXPECT_EQ(TruncateToInt(value), expected) << value;

    const std::vector<std::pair<char, unsigned>> counts = {
        {3, 3}, {127, 127}, {static_cast<char>(128), 127}, {static_cast<char>(255), 127}};
    for (const auto& [byte, expected] : counts) EXPECT_EQ(EncoderStepCount(byte), expected);

    struct Number {
        std::string text;
        bool ok;
        float value;
    };
    const std::vector<Number> numbers = {{"512", true, 512}, {"0.25", true, 0.25f},
                                         {"-7", true, -7},   {"12abc", true, 12},
                                         {"abc", false, 0},  {"", false, 0},
                                         {"nan", false, 0},  {"inf", false, 0},
                                         {"1e40", false, 0}, {std::string(80, '1'), false, 0}};
    for (const Number& row : numbers) {
        float value = -1;
        EXPECT_EQ(ReadEventNumber(row.text, &value), row.ok) << row.text;
        if (row.ok) {
            EXPECT_FLOAT_EQ(value, row.value) << row.text;
        }
    }
}

TEST(InputArithmetic, MessagesSplitIntoTokenAndValue) {
    struct Row {
        std::string text;
        bool ok;
        std::string token, value;
        bool hasValue;
    };
    const std::vector<Row> rows = {
        {"D22+", true, "D22+", "", false},
        {"A3 500", true, "A3", "500", true},
        {"A3  500 extra", true, "A3", "500", true},
        {"E7+ \x03", true, "E7+", "\x03", true},
        {"E7+  ", true, "E7+", " ", true},  // 32 steps: the count is a space
        {"E7+ \t", true, "E7+", "\t", true},
        {"E7+ ", true, "E7+", "", false},
        {"  ", false, "", "", false},
    };
    for (const Row& row : rows) {
        InputEvent event;
        EXPECT_EQ(SplitInputEvent(row.text, &event), row.ok) << row.text;
        EXPECT_EQ(event.token, row.token) << row.text;
        EXPECT_EQ(event.value, row.value) << row.text;
        EXPECT_EQ(event.hasValue, row.hasValue) << row.text;
    }
}
