// One-line descriptions of decoded plugin messages, for the board's log.
#include <string>

#include "plugin_messages.h"
#include "wire.h"

namespace vboard {

namespace {

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string IndexText(uint8_t indexByte) {
    if (indexByte == 0) return "index byte 0 (no board index)";
    return "board index " + std::to_string(indexByte - 1);
}

// A mode line's message and an output message with one such record are the
// same bytes; the board cannot tell which the plugin meant.
std::string DescribeMode(const ModeRecord& mode) {
    std::string text = "mode or output record: pin " + std::to_string(mode.pin);
    if (mode.isLed) return text + (mode.ledOn ? " LED on" : " LED off");
    return text + " '" + std::string(1, mode.letter) + "' = " + FormatFloat(mode.value);
}

std::string DescribeOutput(const PluginMessage& message) {
    if (message.records.empty()) return "output message, no records (nothing changed)";
    return "output message, " + Plural(message.records.size(), "record", "records");
}

std::string DescribePanelText(const PluginMessage& message) {
    std::string text = "panel output text";
    const char* separator = ": ";
    for (const PanelValue& value : message.panelValues) {
        text += separator + value.key + " = " + value.text;
        separator = ", ";
    }
    return text;
}

std::size_t ChangedChannels(const AnalogSettings& analog) {
    std::size_t n = 0;
    for (const AnalogChannel& channel : analog) n += channel.IsDefault() ? 0 : 1;
    return n;
}

}  // namespace

std::string DescribePluginMessage(const PluginMessage& message) {
    std::string text;
    switch (message.kind) {
        case PluginMessageKind::DiscoveryRequest:
            text = "discovery request";
            break;
        case PluginMessageKind::Ping:
            text = "ping";
            break;
        case PluginMessageKind::InputRequest:
            text = "input request";
            break;
        case PluginMessageKind::ConfigUpload:
            text = "configuration upload, " + IndexText(message.indexByte);
            break;
        case PluginMessageKind::IdReply:
            text = "ID reply, " + IndexText(message.indexByte);
            break;
        case PluginMessageKind::AnalogSettings:
            text = "analog settings, " +
                   Plural(ChangedChannels(message.analog), "channel set", "channels set");
            break;
        case PluginMessageKind::SevenSegmentSettings:
            text = "7-segment settings, " +
                   Plural(message.sevenSegmentPins.size(), "display", "displays");
            break;
        case PluginMessageKind::StepperSettings:
            text = "stepper settings, " + Plural(message.steppers.size(), "stepper", "steppers");
            break;
        case PluginMessageKind::ModeMessage:
            text = DescribeMode(message.mode);
            break;
        case PluginMessageKind::OutputMessage:
            text = DescribeOutput(message);
            break;
        case PluginMessageKind::PanelText:
            text = DescribePanelText(message);
            break;
        case PluginMessageKind::Text:
            text = "text for the board: \"" + message.text + "\"";
            break;
        case PluginMessageKind::Malformed:
            return "malformed: " + message.problem;
        case PluginMessageKind::Unknown:
            return "unknown message: " + message.problem;
    }
    if (!message.problem.empty()) text += " (" + message.problem + ")";
    return text;
}

}  // namespace vboard
