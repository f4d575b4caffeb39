#include "config/output_compact.h"

#include <algorithm>
#include <charconv>

namespace {

// The unsigned number at the start of a token, capped at 255; anything
// else (a sign, a letter, nothing) reads as 0.
uint8_t SmallNumber(const std::string& token) {
    unsigned long long value = 0;
    const std::from_chars_result result =
        std::from_chars(token.data(), token.data() + token.size(), value);
    if (result.ec == std::errc::result_out_of_range) return 255;
    if (result.ec != std::errc()) return 0;
    return static_cast<uint8_t>(std::min<unsigned long long>(value, 255));
}

uint8_t OptionBits(const std::string& letters) {
    uint8_t bits = 0;
    for (char c : letters) {
        switch (c) {
            case 'c':
                bits |= kComplement;
                break;
            case 'd':
                bits |= kSpillDigits;
                break;
            case 'e':
                bits |= kDashesAtZero;
                break;
            case 'f':
                bits |= kBlankLoneZero;
                break;
            case 'r':
                bits |= kReverse;
                break;
            case 'z':
                bits |= kZeroPadding;
                break;
            default:
                break;
        }
    }
    return bits;
}

OutputRead ReadOf(XPLMDataRef ref, int type) {
    if (ref == nullptr) return OutputRead::Nothing;
    if (type & xplmType_FloatArray) return OutputRead::FloatArray;
    if (type & xplmType_IntArray) return OutputRead::IntArray;
    if (type & xplmType_Float) return OutputRead::Float;
    if (type & xplmType_Int) return OutputRead::Int;
    if (type & xplmType_Double) return OutputRead::Double;
    return type == xplmType_Data ? OutputRead::Bytes : OutputRead::Nothing;
}

}  // namespace

SevenSegmentLayout ReadSevenSegmentLayout(const std::vector<std::string>& tokens) {
    SevenSegmentLayout layout;
    if (tokens.size() > 4) {
        layout.digits = std::min<uint8_t>(SmallNumber(tokens[4]), kMaxSevenSegmentDigits);
    }
    if (tokens.size() > 5) layout.point = std::min(SmallNumber(tokens[5]), layout.digits);
    if (tokens.size() > 6) layout.options = OptionBits(tokens[6]);
    return layout;
}

OutputCompact CompactRecordOf(const std::vector<std::string>& tokens, XPLMDataRef ref, int type,
                              int element) {
    OutputCompact compact;
    compact.ref = ref;
    compact.element = element;
    compact.read = ReadOf(ref, type);
    if (tokens.empty() || tokens[0].empty()) return compact;
    const std::string& key = tokens[0];
    compact.kind = key.back();
    compact.pin = static_cast<uint8_t>(key[0]);
    const bool lamp = compact.kind == 'L' || compact.kind == 'l' || compact.kind == 'N';
    compact.litByTest = lamp && type != xplmType_Data;
    if (compact.kind == 'N') compact.layout = ReadSevenSegmentLayout(tokens);
    return compact;
}
