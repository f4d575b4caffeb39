// A 7-segment display's digits from an output's text: one segment byte per
// digit, active low (a clear bit lights its segment), bit 0 the point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The most digits one display takes.
inline constexpr std::size_t kMaxSevenSegmentDigits = 16;

// Option letters of the output line (its seventh token).
enum SevenSegmentOption : uint8_t {
    kComplement = 1,     // c: every byte inverted, for displays of the other polarity
    kSpillDigits = 2,    // d: integer digits beyond the point position go behind the point
    kDashesAtZero = 4,   // e: dashes when the value is exactly 0
    kBlankLoneZero = 8,  // f: an integer part "0" shows as blanks
    kReverse = 16,       // r: digits in reverse order
    kZeroPadding = 32,   // z: the integer part is padded with zeros, not blanks
};

struct SevenSegmentLayout {
    uint8_t digits = 0;  // at most kMaxSevenSegmentDigits
    uint8_t point = 0;   // digit after which the point shows, counted from the left; 0 none
    uint8_t options = 0;
};

// From an N output's tokens: digit count (token 4), point position (token
// 5) and option letters (token 6). More than 16 digits are cut to 16, and a
// point beyond the last digit means no point. Missing tokens read as 0.
SevenSegmentLayout ReadSevenSegmentLayout(const std::vector<std::string>& tokens);

// The segment bytes of text (length characters) on the display, value being
// the output's value (for option e). The text "*" (an output overridden by
// an input) lights every segment. Writes exactly layout.digits bytes to out.
void EncodeSevenSegment(const char* text, std::size_t length, float value,
                        const SevenSegmentLayout& layout, uint8_t* out);

// The segment byte of one character: digits and "-"; anything else blank.
uint8_t SegmentByte(char c);
