// What each mode code of the configuration upload's pin table tells a pin to
// be. The board only reads these codes; the plugin derives them from the
// board's section of data.cfg.
#pragma once

#include <stdint.h>

namespace kxfw {

enum class PinFamily : uint8_t {
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
    // Encoders only: kind 1 (code 2, key "E") or 2 (code 3, key "e"); type
    // 0..3 and mode 0..3 from the bits 16 x type + 64 x mode, or
    // typeFourOrMore for the + 12 form.
    uint8_t encoderKind = 0;
    uint8_t encoderType = 0;
    uint8_t encoderMode = 0;
    bool typeFourOrMore = false;
};

PinRole DecodePinMode(uint8_t code);

}  // namespace kxfw
