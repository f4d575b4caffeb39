// The three settings replies: analog channels, 7-segment pins, steppers.
#include <string>

#include "plugin_messages.h"
#include "wire.h"

namespace vboard {

namespace {

// "N" and "S" carry a count byte; the message must hold exactly that many
// bytes after it.
bool RequireCountedLength(PluginMessage* message, const char* what) {
    if (message->bytes.size() < 2) return RequireLength(message, 2, what);
    return RequireLength(message, 2 + ByteAt(message->bytes, 1), what);
}

std::string PinText(uint8_t pin) {
    std::string text = "pin " + std::to_string(pin);
    if (pin >= kPinCount) text += " (beyond the 54 pins)";
    return text;
}

}  // namespace

void DecodeAnalogSettings(PluginMessage* message) {
    if (!RequireLength(message, kAnalogReplySize, "analog settings")) return;
    message->kind = PluginMessageKind::AnalogSettings;
    for (std::size_t c = 0; c < kAnalogChannels; ++c) {
        for (std::size_t k = 0; k < 3; ++k) {
            message->analog[c].bytes[k] = ByteAt(message->bytes, 1 + 3 * c + k);
        }
    }
}

void DecodeSevenSegmentSettings(PluginMessage* message) {
    if (!RequireCountedLength(message, "7-segment settings")) return;
    message->kind = PluginMessageKind::SevenSegmentSettings;
    message->sevenSegmentPins.assign(message->bytes.begin() + 2, message->bytes.end());
}

void DecodeStepperSettings(PluginMessage* message) {
    if (!RequireCountedLength(message, "stepper settings")) return;
    message->kind = PluginMessageKind::StepperSettings;
    const std::size_t count = message->bytes.size() - 2;
    for (std::size_t at = 2; at + 3 <= message->bytes.size(); at += 3) {
        message->steppers.push_back({ByteAt(message->bytes, at), ReadLe16(message->bytes, at + 1)});
    }
    if (count % 3 != 0) {
        message->problem =
            std::to_string(count % 3) + " bytes after the last whole stepper ignored";
    }
}

void DecodeText(PluginMessage* message) {
    if (!RequireCountedLength(message, "text")) return;
    message->kind = PluginMessageKind::Text;
    message->text = message->bytes.substr(2);
}

std::vector<std::string> AnalogLines(const AnalogSettings& analog) {
    std::vector<std::string> lines;
    for (std::size_t c = 0; c < analog.size(); ++c) {
        const AnalogChannel& channel = analog[c];
        if (channel.IsDefault()) continue;
        lines.push_back("analog channel " + std::to_string(c) + ": " +
                        std::to_string(channel.bytes[0]) + ", " + std::to_string(channel.bytes[1]) +
                        ", " + std::to_string(channel.bytes[2]));
    }
    if (lines.empty()) lines.push_back("every analog channel has the default 0, 0, 100");
    return lines;
}

std::vector<std::string> SevenSegmentLines(const std::vector<uint8_t>& pins) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < pins.size(); ++i) {
        lines.push_back("7-segment display " + std::to_string(i + 1) + ": " + PinText(pins[i]));
    }
    if (lines.empty()) lines.push_back("no 7-segment displays");
    return lines;
}

std::vector<std::string> StepperLines(const std::vector<Stepper>& steppers) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < steppers.size(); ++i) {
        lines.push_back("stepper " + std::to_string(i + 1) + ": " + PinText(steppers[i].pin) +
                        ", " + std::to_string(steppers[i].steps) + " steps");
    }
    if (lines.empty()) lines.push_back("no steppers");
    return lines;
}

}  // namespace vboard
