#include "board_wire.h"

#include "wire_format.h"

namespace kxfw {

bool BoardMessage::Append(uint8_t byte) {
    if (length >= kMaxBoardMessage) return false;
    bytes[length++] = byte;
    return true;
}

bool BoardMessage::AppendText(const char* text) {
    const uint8_t start = length;
    for (; *text != 0; ++text) {
        if (!Append(static_cast<uint8_t>(*text))) {
            length = start;
            return false;
        }
    }
    return true;
}

bool BoardMessage::AppendDecimal(uint16_t value) {
    char digits[6];
    uint8_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value = static_cast<uint16_t>(value / 10);
    } while (value != 0);
    const uint8_t start = length;
    while (n > 0) {
        if (!Append(static_cast<uint8_t>(digits[--n]))) {
            length = start;
            return false;
        }
    }
    return true;
}

BoardMessage NumberedIdentification(uint8_t versionByte, uint8_t boardNumber) {
    BoardMessage message;
    message.AppendText("|A");
    message.Append(versionByte);
    message.Append(static_cast<uint8_t>('0' + boardNumber % 10));
    return message;
}

BoardMessage ControlRequest(char letter) {
    BoardMessage message;
    message.Append(kTildeLetter);
    message.Append(static_cast<uint8_t>(letter));
    return message;
}

void FormatKey(char letter, uint16_t number, char* out, uint8_t size) {
    BoardMessage text;
    text.Append(static_cast<uint8_t>(letter));
    text.AppendDecimal(number);
    uint8_t n = 0;
    for (; n + 1 < size && n < text.length; ++n) out[n] = static_cast<char>(text.bytes[n]);
    if (size > 0) out[n] = 0;
}

bool SwitchEvent(uint8_t indexByte, const char* key, bool on, BoardMessage* out) {
    *out = BoardMessage();
    return out->Append(indexByte) && out->AppendText(key) && out->Append(on ? '+' : '-');
}

uint8_t TurnEvent(uint8_t indexByte, const char* key, bool up, uint16_t steps, BoardMessage* out) {
    const uint8_t taken = static_cast<uint8_t>(steps < kStepsPerMessage ? steps : kStepsPerMessage);
    *out = BoardMessage();
    if (taken == 0) return 0;
    const bool fits = out->Append(indexByte) && out->AppendText(key) &&
                      out->Append(up ? '+' : '-') && out->Append(' ') && out->Append(taken);
    return fits ? taken : 0;
}

bool ValueEvent(uint8_t indexByte, const char* key, uint16_t value, BoardMessage* out) {
    *out = BoardMessage();
    return out->Append(indexByte) && out->AppendText(key) && out->Append(' ') &&
           out->AppendDecimal(value);
}

bool Sendable(const uint8_t* bytes, uint8_t length, bool serial) {
    if (length == 0) return false;
    for (uint8_t i = 0; i < length; ++i) {
        if (bytes[i] == 0) return false;
        if (serial && (bytes[i] == '{' || bytes[i] == '}')) return false;
    }
    return true;
}

}  // namespace kxfw
