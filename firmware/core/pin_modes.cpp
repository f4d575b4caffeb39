#include "pin_modes.h"

namespace kxfw {

namespace {

// Encoder codes: base 2 or 3, plus 16 x type (0..3) plus 64 x mode (0..3);
// a type of 4 or more is sent as base + 12 without type or mode bits.
bool DecodeEncoder(uint8_t code, PinRole* role) {
    if (code == 14 || code == 15) {
        role->encoderKind = static_cast<uint8_t>(code - 13);
        role->typeFourOrMore = true;
        return true;
    }
    const uint8_t base = code & 0x0F;
    if (base != 2 && base != 3) return false;
    role->encoderKind = static_cast<uint8_t>(base - 1);
    role->encoderType = (code >> 4) & 0x3;
    role->encoderMode = static_cast<uint8_t>(code >> 6);
    return true;
}

}  // namespace

PinRole DecodePinMode(uint8_t code) {
    PinRole role;
    if (code == 0) return role;
    if (code == 1) {
        role.family = PinFamily::DigitalInput;
    } else if (code >= 4 && code <= 13) {
        role.family =
            static_cast<PinFamily>(static_cast<uint8_t>(PinFamily::MatrixExtraPin) + code - 4);
    } else if (DecodeEncoder(code, &role)) {
        role.family = PinFamily::Encoder;
    } else {
        role.family = PinFamily::Unknown;
    }
    return role;
}

uint8_t PinSpan(uint8_t code) {
    switch (DecodePinMode(code).family) {
        case PinFamily::Encoder:
        case PinFamily::SevenSegmentCommon:
            return 2;
        case PinFamily::StepperSecondKind:
            return 4;
        default:
            return 1;
    }
}

uint8_t ClearReservedRoles(uint8_t* pinTable, const uint8_t* reserved) {
    uint8_t cleared = 0;
    for (uint8_t pin = 0; pin < kPinCount; ++pin) {
        if (pinTable[pin] == 0) continue;
        const uint8_t span = PinSpan(pinTable[pin]);
        for (uint8_t k = 0; k < span; ++k) {
            if (!InPinSet(reserved, static_cast<uint8_t>(pin + k))) continue;
            pinTable[pin] = 0;
            ++cleared;
            break;
        }
    }
    return cleared;
}

}  // namespace kxfw
