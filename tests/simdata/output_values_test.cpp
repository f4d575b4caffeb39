// From a simulator value to what an output shows: mapping by the ranges,
// the text, and the 7-segment bytes of that text. Each test is a table.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "simdata/output_format.h"
#include "simdata/output_mapping.h"
#include "simdata/output_records.h"
#include "simdata/seven_segment.h"

namespace {

std::string Format(double v, int p) {
    char text[kFormattedSize];
    const std::size_t length = FormatOutputValue(v, p, text);
    return std::string(text, length);
}

std::vector<int> Segments(const std::string& text, float value, int digits, int point,
                          const std::string& options = "") {
    const SevenSegmentLayout layout =
        ReadSevenSegmentLayout({"5N", "0", "sim/x", "1", std::to_string(digits),
                                std::to_string(point), options.empty() ? "-" : options});
    uint8_t bytes[kMaxSevenSegmentDigits] = {};
    EncodeSevenSegment(text.data(), text.size(), value, layout, bytes);
    return std::vector<int>(bytes, bytes + layout.digits);
}

}  // namespace

TEST(OutputMapping, RangesMapValuesAsTheKindAsks) {
    const struct {
        float v;
        std::vector<float> r1, r2;
        char kind;
        float expected;
    } rows[] = {
        {7.5f, {}, {}, 'D', 7.5f},                     // no ranges
        {3, {3}, {3}, 'L', 1},                         // window 3..3 lights at 3 only
        {2.9f, {3}, {3}, 'L', 0},                      //
        {3.1f, {3}, {3}, 'L', 0},                      //
        {-1, {-2}, {0, 9}, 'S', 1},                    // window t..u = -2..0
        {0.5f, {-2}, {0, 9}, 'S', 0},                  //
        {0.5f, {4}, {0, 9}, 'S', 1},                   // t > u: always 1
        {450, {360}, {0, 2000}, 'G', 500},             // a turn of 2000 steps, wrapped
        {-90, {360}, {0, 2000}, 'G', -2500},           // negative turns the other way
        {90, {360}, {0, 2000}, 'g', 500},              // both stepper kinds
        {45, {0}, {0, 2000}, 'G', 45},                 // a zero turn divides nothing
        {75, {0, 50, 100}, {0, 200, 1000}, 'S', 600},  // table
        {120, {0, 50, 100}, {0, 200, 1000}, 'S', 1000},
        {-5, {0, 50, 100}, {0, 200, 1000}, 'S', 0},
        {0.5f, {0, 1}, {500, 2500}, 'S', 1500},
        {1, {0, 1, 1, 2}, {0, 10, 20, 30}, 'P', 10},  // zero-width segment: its first target
    };
    for (const auto& row : rows) {
        EXPECT_FLOAT_EQ(MapOutputValue(row.v, row.r1, row.r2, row.kind), row.expected)
            << row.v << " kind " << row.kind;
    }
}

// The examples of the output texts, and the edges the precision can reach.
TEST(OutputFormat, TextsAreCutToThePrecisionWithoutRounding) {
    const struct {
        double v;
        int p;
        const char* text;
    } rows[] = {
        {12.3456, 2, "12.34"},
        {12.3456, 0, "12."},
        {12.3456, -1, "12"},
        {1234.5, -2, "1230"},
        {5, -2, "0"},
        {5, -3, "0"},
        {99, -3, "0"},
        {0.00001, 1, "0.0"},
        {0.00001, 4, "0.0"},
        {0.00001, 0, "0."},
        {2000000, 1, "0.0"},
        {2000000, 3, "0.0"},
        {-0.04, 1, "0.0"},
        {-0.0, 0, "0"},
        {-5, -2, "0"},
        {-12.5, 0, "-12."},
        {-12.5, 3, "-12.5"},
        {0.5, -1, "0"},
        {123456.7, 1, "123457"},  // six digits, rounded once, then cut
        {1.99999, 2, "1.99"},
        {118000, -1, "118000"},
        {1, 2147483647, "1"},
        {1, -2147483647 - 1, "0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Format(row.v, row.p), row.text) << row.v << " precision " << row.p;
    }
}

TEST(SevenSegment, DigitsPointsPaddingAndOptions) {
    const struct {
        const char* text;
        float value;
        int digits, point;
        const char* options;
        std::vector<int> bytes;
    } rows[] = {
        {"12.34", 12.34f, 4, 2, "", {0x9F, 0x24, 0x0D, 0x99}},
        {"5", 5, 3, 0, "", {0xFF, 0xFF, 0x49}},
        {"5", 5, 3, 0, "z", {0x03, 0x03, 0x49}},
        {"123456", 123456, 4, 2, "", {0x0D, 0x99, 0x49, 0x41}},  // last four, no point
        {"0", 0, 2, 0, "e", {0xFD, 0xFD}},
        {"0", 0, 2, 0, "f", {0xFF, 0xFF}},
        {"1.5", 1.5f, 4, 2, "", {0xFF, 0x9E, 0x49, 0x03}},
        {"-7", -7, 3, 0, "", {0xFF, 0xFD, 0x1F}},
        {"123.4", 123.4f, 4, 2, "", {0x9F, 0x25, 0x0C, 0x99}},   // point moves behind 123
        {"123.4", 123.4f, 4, 2, "d", {0x9F, 0x24, 0x0D, 0x99}},  // 3 spills behind the point
        {"12.34", 12.34f, 4, 2, "r", {0x99, 0x0D, 0x24, 0x9F}},  // reversed, point follows
        {"12.34", 12.34f, 4, 2, "c", {0x60, 0xDB, 0xF2, 0x66}},  // complemented
        {"*", 0, 3, 0, "", {0x00, 0x00, 0x00}},                  // overridden: all lit
        {"*", 0, 2, 0, "c", {0xFF, 0xFF}},
        {"7", 7, 2, 9, "", {0xFF, 0x1F}},                  // a point past the digits means none
        {"8", 8, 20, 0, "z", std::vector<int>(15, 0x03)},  // 16 digits at most...
    };
    for (const auto& row : rows) {
        std::vector<int> expected = row.bytes;
        if (row.digits > 16) expected.push_back(0x01);  // ...the last showing the 8
        EXPECT_EQ(Segments(row.text, row.value, row.digits, row.point, row.options), expected)
            << row.text << " on " << row.digits << " digits, point " << row.point << ", "
            << row.options;
    }
}

TEST(OutputRecords, ConversionsStayInRange) {
    EXPECT_EQ(StepperTarget(499.5f), 500);
    EXPECT_EQ(StepperTarget(-2.5f), -2);
    EXPECT_EQ(StepperTarget(1e9f), 32767);
    EXPECT_EQ(StepperTarget(-1e9f), -32768);
    EXPECT_EQ(StepperTarget(std::nanf("")), 0);
    EXPECT_EQ(FrameTimeUnits(0.025f), 2500);
    EXPECT_EQ(FrameTimeUnits(30.0f), 32760);
    EXPECT_EQ(FrameTimeUnits(-1.0f), 0);
    EXPECT_EQ(PwmByte(255.9f), 255);
    EXPECT_EQ(PwmByte(300.0f), 44);  // the low byte, as boards have it
    EXPECT_EQ(PwmByte(std::nanf("")), 0);
    EXPECT_EQ(PwmByte(1e30f), 0xFF);
}

// The quick path for floats writes what the general conversion writes, for
// floats of every size around its range, powers of ten and their
// neighbours, and the ties that round half to even.
TEST(OutputFormat, FloatsGetTheSameSixDigitsAsPrintfGives) {
    std::vector<float> values = {123456.5f, 123457.5f, 999999.5f, 999999.4375f, 99999.95f,
                                 0.5f,      100,       1e-4f,     9.99999e-5f,  0.000123457f};
    for (int e = -6; e <= 7; ++e) {
        const float ten = static_cast<float>(std::pow(10.0, e));
        values.insert(values.end(), {ten, std::nextafter(ten, 0.0f), std::nextafter(ten, 1e9f)});
    }
    uint32_t bits = 0x38000000;  // 3e-5 upwards, through 1e7, in odd strides
    while (bits < 0x4B200000) {
        float v = 0;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
        bits += 1237;
    }
    for (float value : values) {
        for (double v : {static_cast<double>(value), -static_cast<double>(value)}) {
            char quick[kFormattedSize];
            char general[kFormattedSize] = {};
            const std::size_t length = WriteSixDigits(v, quick);
            std::to_chars(general, general + sizeof general - 1, v, std::chars_format::general, 6);
            ASSERT_EQ(std::string(quick, length), std::string(general)) << v;
        }
    }
}
