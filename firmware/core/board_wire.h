// The messages a board sends the plugin, built into a fixed buffer, unframed:
// the link adds what its line needs (braces on a serial line, nothing in a
// datagram).
//   identification   "|A", the library version byte, the board number digit
//   control request  "~" and a letter: a analog, n 7-segment, s stepper
//                    settings; w outputs on, x outputs off
//   input event      the board index + 1 as one byte, then the key and state:
//                    "D22+" "D22-"; "E8+", a space, the step count byte;
//                    "A0 512" (a reading in thousandths)
#pragma once

#include <stdint.h>

namespace kxfw {

// Long enough for any event: index byte, a key of up to 16 characters, a
// state character, a space and up to 5 digits.
const uint8_t kMaxBoardMessage = 32;

struct BoardMessage {
    uint8_t bytes[kMaxBoardMessage];
    uint8_t length = 0;

    // False (and the message left as it was) when it would not fit.
    bool Append(uint8_t byte);
    bool AppendText(const char* text);
    bool AppendDecimal(uint16_t value);
};

BoardMessage NumberedIdentification(uint8_t versionByte, uint8_t boardNumber);
BoardMessage ControlRequest(char letter);

// "D22" "E8" "A3" "B12": a kind letter and a number, as a key text.
void FormatKey(char letter, uint16_t number, char* out, uint8_t size);

// Key and state: pressed/on ("+") or released/off ("-"). False when the key
// does not fit.
bool SwitchEvent(uint8_t indexByte, const char* key, bool on, BoardMessage* out);
// One message for up to kStepsPerMessage steps; steps beyond it are the
// caller's to send in further messages (the return value says how many were
// taken, 0 when the key does not fit).
uint8_t TurnEvent(uint8_t indexByte, const char* key, bool up, uint16_t steps, BoardMessage* out);
// An analog reading, or any value message: key, a space, the decimal value.
bool ValueEvent(uint8_t indexByte, const char* key, uint16_t value, BoardMessage* out);

// Whether the plugin can take the message as one: it ends a LAN message at a
// zero byte, and on a serial line a brace inside the text would end or
// restart the frame.
bool Sendable(const uint8_t* bytes, uint8_t length, bool serial);

}  // namespace kxfw
