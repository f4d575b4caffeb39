// What each mode code of the configuration upload's pin table tells a pin to
// be. The board only reads these codes; the plugin derives them from the
// board's section of data.cfg.
#pragma once

#include <stdint.h>

#include "wire_format.h"

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

// The pins a role works from its own pin on: an encoder's second phase (or
// its down button), the 7-segment line's clock, a 28BYJ-48's four coils.
uint8_t PinSpan(uint8_t code);

// A set of pins, one bit each (bit p % 8 of byte p / 8).
const uint8_t kPinSetBytes = (kPinCount + 7) / 8;
inline bool InPinSet(const uint8_t* set, uint8_t pin) {
    return pin < kPinCount && (set[pin >> 3] & (1 << (pin & 7))) != 0;
}

// Takes every role away that would drive or read a pin of the set (the pins
// an Ethernet shield takes): a wrong data.cfg line must not disturb them.
// Returns how many roles were taken away.
uint8_t ClearReservedRoles(uint8_t* pinTable, const uint8_t* reserved);

}  // namespace kxfw
