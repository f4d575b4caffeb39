#include "board_outputs.h"

#include <algorithm>

#include "wire.h"

namespace vboard {

namespace {

// Segment bytes are active low; bit 0 is the point.
char SegmentCharacter(uint8_t byte) {
    static const struct {
        uint8_t segments;
        char shown;
    } kTable[] = {{0x03, '0'}, {0x9F, '1'}, {0x25, '2'}, {0x0D, '3'}, {0x99, '4'}, {0x49, '5'},
                  {0x41, '6'}, {0x1F, '7'}, {0x01, '8'}, {0x09, '9'}, {0xFD, '-'}, {0xFF, ' '}};
    const uint8_t segments = static_cast<uint8_t>(byte | 1);
    for (const auto& entry : kTable) {
        if (entry.segments == segments) return entry.shown;
    }
    return '?';
}

std::string LedLine(uint8_t pin, bool on) {
    return "LED pin " + std::to_string(pin) + ": " + (on ? "on" : "off");
}

std::string DisplayLine(uint8_t pin, const std::string& shown) {
    return "7-segment pin " + std::to_string(pin) + ": [" + shown + "]";
}

std::string StepperLine(uint8_t pin, const StepperTarget& stepper) {
    return "stepper pin " + std::to_string(pin) + ": step " + std::to_string(stepper.target) +
           ", frame time " + FormatFloat(stepper.frameUnits / 100.0f) + " ms";
}

std::string PwmLine(uint8_t pin, uint8_t value) {
    return "PWM pin " + std::to_string(pin) + ": " + std::to_string(value);
}

std::string ValueLine(uint8_t pin, const std::pair<char, float>& value) {
    if (value.first == 'S')
        return "servo pin " + std::to_string(pin) + ": " + FormatFloat(value.second);
    return "pin " + std::to_string(pin) + " '" + std::string(1, value.first) +
           "': " + FormatFloat(value.second);
}

std::string TextLine(uint8_t pin, const std::string& text) {
    return "text pin " + std::to_string(pin) + ": \"" + text + "\"";
}

std::string LedPortLine(const LedPort& port) {
    std::string lit;
    const int leds = static_cast<int>(8 * port.bytes.size());
    for (int led = 1; led <= leds; ++led) {
        if (port.Lit(led)) lit += (lit.empty() ? "" : ", ") + std::to_string(led);
    }
    std::string text = "LED port pin " + std::to_string(port.pin) + ": ";
    text += lit.empty() ? "no LED lit" : "LEDs " + lit + " lit";
    return text + " (of " + std::to_string(leds) + ")";
}

std::string PanelLine(const std::string& key, const std::string& text) {
    return "panel " + key + ": " + text;
}

// Sets the entry; a line when that changed what shows.
template <typename Key, typename Value, typename Describe>
void ShowIn(std::map<Key, Value>* map, const Key& key, const Value& value, Describe describe,
            std::vector<std::string>* lines) {
    auto found = map->find(key);
    if (found != map->end() && found->second == value) return;
    (*map)[key] = value;
    lines->push_back(describe(key, value));
}

void ApplyCounted(const OutputRecord& record, const std::vector<uint8_t>& sevenSegmentPins,
                  BoardOutputs* outputs, std::vector<std::string>* lines) {
    const std::string bytes = record.body.substr(1);
    if (std::find(sevenSegmentPins.begin(), sevenSegmentPins.end(), record.pin) !=
        sevenSegmentPins.end()) {
        ShowIn(&outputs->displays, record.pin, DisplayText(bytes), DisplayLine, lines);
        return;
    }
    LedPort port;
    port.pin = record.pin;
    port.bytes.assign(bytes.rbegin(), bytes.rend());  // sent from the last byte to the first
    const bool same = outputs->hasLedPort && outputs->ledPort.pin == port.pin &&
                      outputs->ledPort.bytes == port.bytes;
    outputs->ledPort = port;
    outputs->hasLedPort = true;
    if (!same) lines->push_back(LedPortLine(port));
}

void ApplyRecord(const OutputRecord& record, const std::vector<uint8_t>& sevenSegmentPins,
                 BoardOutputs* outputs, std::vector<std::string>* lines) {
    const uint8_t pin = record.pin;
    switch (record.letter) {
        case ')':
        case '(':
            ShowIn(&outputs->leds, pin, record.letter == ')', LedLine, lines);
            return;
        case 'R':
            ApplyCounted(record, sevenSegmentPins, outputs, lines);
            return;
        case 'B':
            ShowIn(&outputs->texts, pin, record.body.substr(1), TextLine, lines);
            return;
        case 'G':
            ShowIn(&outputs->steppers, pin,
                   StepperTarget{static_cast<int16_t>(ReadLe16(record.body, 0)),
                                 ReadLe16(record.body, 2)},
                   StepperLine, lines);
            return;
        case 'P':
            ShowIn(&outputs->pwm, pin, ByteAt(record.body, 0), PwmLine, lines);
            return;
        default:
            ShowIn(&outputs->values, pin,
                   std::make_pair(record.letter, ReadLeFloat(record.body, 0)), ValueLine, lines);
    }
}

}  // namespace

bool LedPort::Lit(int led) const {
    if (led < 1 || static_cast<std::size_t>(led - 1) / 8 >= bytes.size()) return false;
    return (bytes[(led - 1) / 8] & (0x80 >> ((led - 1) % 8))) != 0;
}

std::string DisplayText(const std::string& segmentBytes) {
    std::string shown;
    for (char c : segmentBytes) {
        const uint8_t byte = static_cast<uint8_t>(c);
        shown += SegmentCharacter(byte);
        if ((byte & 1) == 0) shown += '.';
    }
    return shown;
}

std::vector<std::string> ApplyRecords(const std::vector<OutputRecord>& records,
                                      const std::vector<uint8_t>& sevenSegmentPins,
                                      BoardOutputs* outputs) {
    std::vector<std::string> lines;
    for (const OutputRecord& record : records) {
        ApplyRecord(record, sevenSegmentPins, outputs, &lines);
    }
    return lines;
}

std::vector<std::string> ApplyPanelValues(const std::vector<PanelValue>& values,
                                          BoardOutputs* outputs) {
    std::vector<std::string> lines;
    for (const PanelValue& value : values) {
        ShowIn(&outputs->panel, value.key, value.text, PanelLine, &lines);
    }
    return lines;
}

std::vector<std::string> ShownLines(const BoardOutputs& outputs) {
    std::vector<std::string> lines;
    for (const auto& [pin, on] : outputs.leds) lines.push_back(LedLine(pin, on));
    if (outputs.hasLedPort) lines.push_back(LedPortLine(outputs.ledPort));
    for (const auto& [pin, shown] : outputs.displays) lines.push_back(DisplayLine(pin, shown));
    for (const auto& [pin, stepper] : outputs.steppers) lines.push_back(StepperLine(pin, stepper));
    for (const auto& [pin, value] : outputs.values) lines.push_back(ValueLine(pin, value));
    for (const auto& [pin, value] : outputs.pwm) lines.push_back(PwmLine(pin, value));
    for (const auto& [pin, text] : outputs.texts) lines.push_back(TextLine(pin, text));
    for (const auto& [key, text] : outputs.panel) lines.push_back(PanelLine(key, text));
    return lines;
}

}  // namespace vboard
