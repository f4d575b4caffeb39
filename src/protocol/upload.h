// What the plugin sends a board about its configuration: the pin-mode
// upload, the mode messages, and the settings replies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/message_source.h"

inline constexpr std::size_t kPinModeTableSize = 60;
inline constexpr std::size_t kConfigurablePins = 54;
using PinModeTable = std::array<uint8_t, kPinModeTableSize>;

// The role of each of board b's pins, with byte 59 holding b + 1.
PinModeTable BuildPinModeTable(unsigned b);

// Sends board b its 61-byte upload ("~" and the table): on the serial port the
// identification came from, or to the board's LAN address.
void SendConfig(const MessageSource& source, unsigned b);

// The settings replies to the control requests "a", "n" and "s", sent back
// to the request's source.
void SendAnalogSettings(unsigned b, const MessageSource& source);
void SendSevenSegmentSettings(unsigned b, const MessageSource& source);
void SendStepperSettings(unsigned b, const MessageSource& source);
