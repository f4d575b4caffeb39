#include "simdata/seven_segment.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kDigitBytes[10] = {0x03, 0x9F, 0x25, 0x0D, 0x99, 0x49, 0x41, 0x1F, 0x01, 0x09};
constexpr uint8_t kDash = 0xFD;
constexpr uint8_t kBlank = 0xFF;
constexpr uint8_t kAllLit = 0x00;

// The characters of a display of d digits with the point after digit p (p
// is d when there is none): the integer part right-aligned in the first p
// places, the fraction left-aligned in the rest and padded with zeros; or
// dashes for a zero value with option e.
struct DigitText {
    char chars[kMaxSevenSegmentDigits];
    std::size_t p;
};

DigitText LayOutDigits(const char* text, std::size_t length, float value,
                       const SevenSegmentLayout& layout) {
    const std::size_t d = layout.digits;
    DigitText out{};
    const char* dot = static_cast<const char*>(std::memchr(text, '.', length));
    const char* whole = text;
    std::size_t wholeLength = dot ? static_cast<std::size_t>(dot - text) : length;
    const char* fraction = dot ? dot + 1 : text + length;
    std::size_t fractionLength = dot ? length - wholeLength - 1 : 0;
    std::size_t p = layout.point;
    if (wholeLength > d) {  // only the last d digits show, without a point
        whole += wholeLength - d;
        wholeLength = d;
        fractionLength = 0;
        p = 0;
    }
    if (p == 0) p = d;
    out.p = p;
    if ((layout.options & kDashesAtZero) && value == 0) {
        std::memset(out.chars, '-', d);
        return out;
    }
    const char* spill = whole + wholeLength;
    std::size_t spillLength = 0;
    if (wholeLength > p) {
        if (layout.options & kSpillDigits) {
            spillLength = wholeLength - p;
            spill = whole + p;
            wholeLength = p;
        } else {
            out.p = p = wholeLength;
        }
    }
    const bool loneZero = (layout.options & kBlankLoneZero) && wholeLength == 1 && whole[0] == '0';
    if (loneZero) wholeLength = 0;
    const char pad = (!loneZero && (layout.options & kZeroPadding)) ? '0' : ' ';
    std::size_t k = 0;
    while (k + wholeLength < p) out.chars[k++] = pad;
    for (std::size_t i = 0; i < wholeLength; ++i) out.chars[k++] = whole[i];
    for (std::size_t i = 0; i < spillLength && k < d; ++i) out.chars[k++] = spill[i];
    for (std::size_t i = 0; i < fractionLength && k < d; ++i) out.chars[k++] = fraction[i];
    while (k < d) out.chars[k++] = '0';
    return out;
}

}  // namespace

uint8_t SegmentByte(char c) {
    if (c >= '0' && c <= '9') return kDigitBytes[c - '0'];
    return c == '-' ? kDash : kBlank;
}

void EncodeSevenSegment(const char* text, std::size_t length, float value,
                        const SevenSegmentLayout& layout, uint8_t* out) {
    const std::size_t d = std::min<std::size_t>(layout.digits, kMaxSevenSegmentDigits);
    const bool complement = layout.options & kComplement;
    if (length == 1 && text[0] == '*') {
        std::memset(out, complement ? ~kAllLit & 0xFF : kAllLit, d);
        return;
    }
    SevenSegmentLayout bounded = layout;
    bounded.digits = static_cast<uint8_t>(d);
    bounded.point = static_cast<uint8_t>(std::min<std::size_t>(layout.point, d));
    DigitText digits = LayOutDigits(text, length, value, bounded);
    std::size_t p = digits.p;
    if (layout.options & kReverse) {
        std::reverse(digits.chars, digits.chars + d);
        p = d + 1 - p;
        if (p < 2) p = d;
    }
    for (std::size_t k = 1; k <= d; ++k) {
        uint8_t byte = SegmentByte(digits.chars[k - 1]);
        if (k == p && k != d) byte = static_cast<uint8_t>(byte - 1);  // lights the point
        if (complement) byte = static_cast<uint8_t>(~byte);
        out[k - 1] = byte;
    }
}
