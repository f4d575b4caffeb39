// What the output engine needs of an output on every pass, settled once when
// the board's text is read and kept in the output's own small record, so
// that a pass over hundreds of outputs reads one record per output instead
// of following the output's tokens and tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "XPLMDataAccess.h"

// The most digits one 7-segment display takes.
inline constexpr std::size_t kMaxSevenSegmentDigits = 16;

// Option letters of a 7-segment output line (its seventh token).
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

// How an output's value is read: the first of these its dataref's type mask
// offers, in this order; byte data only when the mask is exactly that.
enum class OutputRead : uint8_t {
    Nothing,  // no dataref, or no type that can be read: nothing is sent
    FloatArray,
    IntArray,
    Float,
    Int,
    Double,
    Bytes,
};

struct OutputCompact {
    XPLMDataRef ref = nullptr;  // the output's Drefread
    int element = 1;            // its Arraynum
    char kind = '\0';           // the key's last character; '\0': the output sends nothing
    uint8_t pin = 0;            // the key's first byte (a numbered board's pin)
    OutputRead read = OutputRead::Nothing;
    bool litByTest = false;     // the output test lights it: L, l or N, not byte data
    SevenSegmentLayout layout;  // kind N only
};

// The record of an output with these tokens (after rewriting), dataref,
// type mask and element.
OutputCompact CompactRecordOf(const std::vector<std::string>& tokens, XPLMDataRef ref, int type,
                              int element);
