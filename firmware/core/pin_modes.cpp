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

}  // namespace kxfw
