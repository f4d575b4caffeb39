#include "pin_roles.h"

namespace vboard {

namespace {

// Encoder codes: base 2 or 3, plus 16 x type (0..3) plus 64 x mode (0..3);
// a type of 4 or more is sent as base + 12 without type or mode bits.
bool DecodeEncoder(uint8_t code, PinRole* role) {
    if (code == 14 || code == 15) {
        role->encoderKind = code - 13;
        role->typeFourOrMore = true;
        return true;
    }
    int base = code & 0x0F;
    if (base != 2 && base != 3) return false;
    role->encoderKind = base - 1;
    role->encoderType = (code >> 4) & 0x3;
    role->encoderMode = code >> 6;
    return true;
}

const char* PlainRoleText(PinFamily family) {
    switch (family) {
        case PinFamily::None:
            return "no role";
        case PinFamily::DigitalInput:
            return "digital input";
        case PinFamily::MatrixExtraPin:
            return "button matrix, single pin";
        case PinFamily::MatrixFirstRange:
            return "button matrix, first pin range";
        case PinFamily::MatrixSecondRange:
            return "button matrix, second pin range";
        case PinFamily::LedOutput:
            return "LED / 7-segment / LED port output";
        case PinFamily::PwmOutput:
            return "PWM output";
        case PinFamily::StepperSecondKind:
            return "stepper, second kind";
        case PinFamily::StepperFirstKind:
            return "stepper, first kind";
        case PinFamily::StepperDirection:
            return "stepper direction pin";
        case PinFamily::ServoOutput:
            return "servo output";
        case PinFamily::SevenSegmentCommon:
            return "7-segment common pin";
        default:
            return "unknown mode code";
    }
}

}  // namespace

PinRole DecodePinMode(uint8_t code) {
    PinRole role;
    if (code == 0) return role;
    if (code == 1) {
        role.family = PinFamily::DigitalInput;
    } else if (code >= 4 && code <= 13) {
        role.family =
            static_cast<PinFamily>(static_cast<int>(PinFamily::MatrixExtraPin) + code - 4);
    } else if (DecodeEncoder(code, &role)) {
        role.family = PinFamily::Encoder;
    } else {
        role.family = PinFamily::Unknown;
    }
    return role;
}

std::string DescribePinRole(const PinRole& role) {
    if (role.family != PinFamily::Encoder) return PlainRoleText(role.family);
    std::string text = role.encoderKind == 1 ? "encoder, first kind" : "encoder, second kind";
    if (role.typeFourOrMore) return text + ", type 4 or more";
    return text + ", type " + std::to_string(role.encoderType) + ", mode " +
           std::to_string(role.encoderMode);
}

std::vector<std::string> PinTableLines(const PinTable& table) {
    std::vector<std::string> lines;
    for (std::size_t pin = 0; pin < kPinCount; ++pin) {
        uint8_t code = table[pin];
        if (code == 0) continue;
        lines.push_back("pin " + std::to_string(pin) + ": " + DescribePinRole(DecodePinMode(code)) +
                        " (code " + std::to_string(code) + ")");
    }
    if (lines.empty()) lines.push_back("no pin has a role");
    for (std::size_t i = kPinCount; i < kIndexByte; ++i) {
        if (table[i] != 0) {
            lines.push_back("reserved byte " + std::to_string(i) + " is " +
                            std::to_string(table[i]) + ", expected 0");
        }
    }
    return lines;
}

}  // namespace vboard
