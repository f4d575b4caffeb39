// Messages that carry values to the board: "{" messages, cut into their
// records, and the text a self-configuring board receives.
#include <cctype>
#include <string>

#include "output_records.h"
#include "plugin_messages.h"
#include "wire.h"

namespace vboard {

namespace {

constexpr std::size_t kHeader = 2;  // "{" and the payload length

// Cuts the payload into records by the firmware's rule
// (firmware/core/output_records.h); false with a reason when one runs past
// the end.
bool CutRecords(const std::string& payload, std::vector<OutputRecord>* records,
                std::string* problem) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(payload.data());
    kxfw::RecordCursor cursor(bytes, static_cast<uint8_t>(payload.size()));
    kxfw::OutputRecord cut;
    std::size_t end = 0;
    while (cursor.Next(&cut)) {
        OutputRecord record;
        record.pin = cut.pin;
        record.letter = static_cast<char>(cut.letter);
        record.body.assign(reinterpret_cast<const char*>(cut.body), cut.bodyLength);
        end = static_cast<std::size_t>(cut.body - bytes) + cut.bodyLength;
        records->push_back(std::move(record));
    }
    if (!cursor.cutShort()) return true;
    const uint8_t pin = ByteAt(payload, end);
    *problem = end + 2 > payload.size()
                   ? "a record of pin " + std::to_string(pin) + " has no letter"
                   : "the record of pin " + std::to_string(pin) + " is cut short";
    return false;
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
