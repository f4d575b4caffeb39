// What each mode code of the configuration upload's pin table tells a pin to
// be. The board only reads these codes; the plugin derives them from the
// board's section of data.cfg.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vboard {

constexpr std::size_t kPinCount = 54;      // pins 0..53 carry a mode code
constexpr std::size_t kPinTableSize = 60;  // + 5 reserved bytes + index byte
constexpr std::size_t kIndexByte = 59;
using PinTable = std::array<uint8_t, kPinTableSize>;

enum class PinFamily {
    None,                // 0
    DigitalInput,        // 1
    Encoder,             // 2 or 3, with type and mode bits, or + 12
    MatrixExtraPin,      // 4
    MatrixFirstRange,    // 5
    MatrixSecondRange,   // 6
    LedOutput,           // 7: LED, 7-segment output, LED port pin
    PwmOutput,           // 8
    StepperSecondKind,   // 9
    StepperFirstKind,    // 10
    StepperDirection,    // 11
    ServoOutput,         // 12
    SevenSegmentCommon,  // 13
    Unknown,
};

struct PinRole {
    PinFamily family = PinFamily::None;
    // Encoders only: kind 1 (code 2) or 2 (code 3); type 0..3 and mode 0..3
    // from the bits 16 x type + 64 x mode, or typeFourOrMore for the + 12 form.
    int encoderKind = 0;
    int encoderType = 0;
    int encoderMode = 0;
    bool typeFourOrMore = false;
};

PinRole DecodePinMode(uint8_t code);

// "digital input", "encoder, first kind, type 1, mode 2", ...
std::string DescribePinRole(const PinRole& role);

// One line per pin with a role ("pin 13: LED / 7-segment / LED port output
// (code 7)"), then remarks on the reserved bytes; a line saying so when no
// pin has a role.
std::vector<std::string> PinTableLines(const PinTable& table);

}  // namespace vboard
