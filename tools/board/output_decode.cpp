// Messages that carry values to the board: "{" messages (a mode record now;
// the output engine's records are left undecoded) and the text a
// self-configuring board receives.
#include <cctype>
#include <string>

#include "plugin_messages.h"
#include "wire.h"

namespace vboard {

namespace {

constexpr std::size_t kHeader = 2;  // "{" and the payload length

bool IsLedRecord(const std::string& payload) {
    return payload.size() == 2 && (payload[1] == ')' || payload[1] == '(');
}

// A pin, a letter other than L or l (those switch LEDs) and a 32-bit float.
bool IsValueRecord(const std::string& payload) {
    if (payload.size() != 6) return false;
    unsigned char letter = static_cast<unsigned char>(payload[1]);
    return letter < 0x80 && std::isalpha(letter) && letter != 'L' && letter != 'l';
}

}  // namespace

void DecodeBraceMessage(PluginMessage* message) {
    const std::string& bytes = message->bytes;
    if (bytes.size() < kHeader) {
        RequireLength(message, kHeader, "\"{\" message");
        return;
    }
    if (!RequireLength(message, kHeader + ByteAt(bytes, 1), "\"{\" message")) return;
    const std::string payload = bytes.substr(kHeader);
    ModeRecord& mode = message->mode;
    if (IsLedRecord(payload)) {
        message->kind = PluginMessageKind::ModeMessage;
        mode.pin = ByteAt(payload, 0);
        mode.isLed = true;
        mode.ledOn = payload[1] == ')';
    } else if (IsValueRecord(payload)) {
        message->kind = PluginMessageKind::ModeMessage;
        mode.pin = ByteAt(payload, 0);
        mode.letter = payload[1];
        mode.value = ReadLeFloat(payload, 2);
    } else {
        message->kind = PluginMessageKind::OutputMessage;
    }
}

void DecodePanelText(PluginMessage* message) {
    const std::string& text = message->bytes;
    std::vector<PanelValue> values;
    std::size_t at = 1;
    while (at < text.size()) {
        std::size_t open = text.find('<', at);
        std::size_t close = open == std::string::npos ? open : text.find('>', open + 1);
        if (close == std::string::npos) {
            message->kind = PluginMessageKind::Malformed;
            message->problem = "panel text not made of key<text> pairs closed by \">\"";
            return;
        }
        values.push_back({text.substr(at, open - at), text.substr(open + 1, close - open - 1)});
        at = close + 1;
    }
    message->kind = PluginMessageKind::PanelText;
    message->panelValues = std::move(values);
}

}  // namespace vboard
