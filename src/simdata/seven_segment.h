// A 7-segment display's digits from an output's text: one segment byte per
// digit, active low (a clear bit lights its segment), bit 0 the point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/output_compact.h"  // the layout, as the board's text gives it

// The segment bytes of text (length characters) on the display, value being
// the output's value (for option e). The text "*" (an output overridden by
// an input) lights every segment. Writes exactly layout.digits bytes to out.
void EncodeSevenSegment(const char* text, std::size_t length, float value,
                        const SevenSegmentLayout& layout, uint8_t* out);

// The segment byte of one character: digits and "-"; anything else blank.
uint8_t SegmentByte(char c);
