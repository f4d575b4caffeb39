// The sizes and letters of the messages between the plugin and a board, as
// both ends must agree on them. Portable: built for the board (avr-gcc) and
// for the host (the virtual board, the tests, the fuzz target).
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace kxfw {

// Pins 0..53 carry a mode code in the configuration upload.
const uint8_t kPinCount = 54;
// The pin table: 54 mode codes, 5 reserved bytes, the board index + 1.
const uint8_t kPinTableSize = 60;
const uint8_t kIndexByte = 59;
// "~" and the pin table (numbered board), or "~", five zeros and the index
// byte (self-configuring board).
const uint8_t kUploadSize = 1 + kPinTableSize;
const uint8_t kIdReplySize = 7;
const uint8_t kAnalogChannels = 16;
const uint8_t kAnalogReplySize = 1 + 3 * kAnalogChannels;

// The firmware library version the board announces, times 100: 1.32 lies
// within what the plugin accepts (1.31 to 1.39; its 32-bit module 1.24 to
// 1.39).
const uint8_t kLibraryVersion = 132;

// The most steps one encoder message carries. A count byte never reaches
// 123 or 125, the braces of a serial frame, and never 0, which ends a LAN
// message.
const uint8_t kStepsPerMessage = 100;

// The longest plugin message: a letter, a count byte and 255 bytes.
const uint16_t kMaxPluginMessage = 2 + 255;

// The plugin's messages by their first byte.
const uint8_t kRequestLetter = 'X';    // "XP" discovery, "XX" ping, "XR" every input
const uint8_t kTildeLetter = '~';      // upload or ID reply
const uint8_t kAnalogLetter = 'A';     // analog settings
const uint8_t kSevenSegLetter = 'N';   // 7-segment settings
const uint8_t kStepperLetter = 'S';    // stepper settings
const uint8_t kTextLetter = 'T';       // a text for the board
const uint8_t kOutputLetter = '{';     // output or mode message
const uint8_t kPanelTextLetter = '>';  // output text of a self-configuring board (LAN)

// Output record letters.
const uint8_t kLedOn = ')';
const uint8_t kLedOff = '(';
const uint8_t kCountedRecord = 'R';  // 7-segment digits or LED port bytes
const uint8_t kByteDataRecord = 'B';
const uint8_t kStepperRecord = 'G';
const uint8_t kPwmRecord = 'P';
const uint8_t kServoRecord = 'S';

}  // namespace kxfw
