#include "pin_roles.h"

namespace vboard {

namespace {

const char* PlainRoleText(PinFamily family) {
    switch (family) {
        case PinFamily::None:
            return "no role";
        case PinFamily::DigitalInput:
            return "digital input";
        case PinFamily::MatrixExtraPin:
            return "button matrix, single pin (key B0)";
        case PinFamily::MatrixFirstRange:
            return "button matrix, first pin range (rows)";
        case PinFamily::MatrixSecondRange:
            return "button matrix, second pin range (columns)";
        case PinFamily::LedOutput:
            return "LED / 7-segment / LED port output";
        case PinFamily::PwmOutput:
            return "PWM output";
        case PinFamily::StepperSecondKind:
            return "stepper, second kind (28BYJ-48 on a ULN2003)";
        case PinFamily::StepperFirstKind:
            return "stepper, first kind (step/direction driver)";
        case PinFamily::StepperDirection:
            return "stepper direction pin (DIR of every step/direction driver)";
        case PinFamily::ServoOutput:
            return "servo output";
        case PinFamily::SevenSegmentCommon:
            return "7-segment common pin";
        default:
            return "unknown mode code";
    }
}

}  // namespace

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
