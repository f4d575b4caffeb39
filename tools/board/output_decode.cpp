// Messages that carry values to the board: "{" messages, cut into their
// records, and the text a self-configuring board receives.
#include <cctype>
#include <string>

#include "plugin_messages.h"
#include "wire.h"

namespace vboard {

namespace {

constexpr std::size_t kHeader = 2;  // "{" and the payload length

// Bytes after the pin and the letter, or 0 with *counted set when a count
// byte follows the letter.
std::size_t FixedBodySize(char letter, bool* counted) {
    *counted = false;
    switch (letter) {
        case ')':
        case '(':
            return 0;
        case 'R':  // 7-segment digits or LED port bytes
        case 'B':  // byte-data text
            *counted = true;
            return 0;
        case 'P':
            return 1;
        default:  // G: target and frame time; any other letter: a float
            return 4;
    }
}

// Cuts the payload into records; false with a reason when one runs past the end.
bool CutRecords(const std::string& payload, std::vector<OutputRecord>* records,
                std::string* problem) {
    std::size_t at = 0;
    while (at < payload.size()) {
        if (at + 2 > payload.size()) {
            *problem = "a record of pin " + std::to_string(ByteAt(payload, at)) + " has no letter";
            return false;
        }
        OutputRecord record;
        record.pin = ByteAt(payload, at);
        record.letter = payload[at + 1];
        bool counted = false;
        std::size_t body = FixedBodySize(record.letter, &counted);
        std::size_t start = at + 2;
        if (counted && start < payload.size()) body = 1 + ByteAt(payload, start);
        if (counted && start >= payload.size()) body = 1;
        if (start + body > payload.size()) {
            *problem = "the record of pin " + std::to_string(record.pin) + " is cut short";
            return false;
        }
        record.body = payload.substr(start, body);
        records->push_back(std::move(record));
        at = start + body;
    }
    return true;
}

// A single LED record, or a single value record whose letter is not one of
// the output records' own (G, P, R, B): what a mode line sends.
bool IsModeRecord(const std::vector<OutputRecord>& records) {
    if (records.size() != 1) return false;
    const char letter = records[0].letter;
    if (letter == ')' || letter == '(') return true;
    const unsigned char code = static_cast<unsigned char>(letter);
    return code < 0x80 && std::isalpha(code) && letter != 'L' && letter != 'l' && letter != 'G' &&
           letter != 'P' && letter != 'R' && letter != 'B';
}

}  // namespace

void DecodeBraceMessage(PluginMessage* message) {
    const std::string& bytes = message->bytes;
    if (bytes.size() < kHeader) {
        RequireLength(message, kHeader, "\"{\" message");
        return;
    }
    if (!RequireLength(message, kHeader + ByteAt(bytes, 1), "\"{\" message")) return;
    std::string problem;
    if (!CutRecords(bytes.substr(kHeader), &message->records, &problem)) {
        message->kind = PluginMessageKind::Malformed;
        message->problem = problem;
        return;
    }
    message->kind = PluginMessageKind::OutputMessage;
    if (!IsModeRecord(message->records)) return;
    const OutputRecord& record = message->records[0];
    ModeRecord& mode = message->mode;
    message->kind = PluginMessageKind::ModeMessage;
    mode.pin = record.pin;
    if (record.letter == ')' || record.letter == '(') {
        mode.isLed = true;
        mode.ledOn = record.letter == ')';
    } else {
        mode.letter = record.letter;
        mode.value = ReadLeFloat(record.body, 0);
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
