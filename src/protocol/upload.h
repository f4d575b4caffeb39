// What the plugin sends a board about its configuration: the pin-mode
// upload, the mode messages, and the settings replies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kPinModeTableSize = 60;
inline constexpr std::size_t kConfigurablePins = 54;
using PinModeTable = std::array<uint8_t, kPinModeTableSize>;

// The role of each of board b's pins, with byte 59 holding b + 1.
PinModeTable BuildPinModeTable(unsigned b);

// Sends board b its 61-byte upload ("~" and the table): on port SerialCurrent
// when isSerial is 1, else to the board's LAN address.
void SendConfig(unsigned isSerial, unsigned b);

// Mode line m of board b: an L line shows ")" when value equals mode and "("
// otherwise; an l line sets or clears its LED-port bit (sent with the
// outputs); any other letter carries the value as a float. Goes to the source
// of the message being handled.
void SendMode(unsigned b, unsigned m, unsigned value, unsigned mode);

// The settings replies to the control requests "a", "n" and "s".
void SendAnalogSettings(unsigned b);
void SendSevenSegmentSettings(unsigned b);
void SendStepperSettings(unsigned b);

// Sends bytes back to the source of the message being handled.
int ReplyToSource(const void* bytes, std::size_t length);
