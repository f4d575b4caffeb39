// The messages a board sends the plugin, as unframed bytes. The transports
// add what their line needs (braces on a serial line, nothing over UDP).
// Input events (board index + 1, a kind letter, the key text) will be encoded
// here too, next to the messages they share the checks with.
#pragma once

#include <cstdint>
#include <string>

namespace vboard {

// Numbered board: "|A", the library version byte (version x 100), the board
// number as one decimal digit.
std::string NumberedIdentification(uint8_t versionByte, int boardNumber);

// Self-configuring board: "|" and its configuration text.
std::string PanelIdentification(const std::string& configText);

enum class ControlRequest : char {
    SendAnalogSettings = 'a',
    SendSevenSegmentSettings = 'n',
    SendStepperSettings = 's',
    OutputsOn = 'w',
    OutputsOff = 'x',
};

std::string EncodeControlRequest(ControlRequest request);

// A serial message is "{" text "}".
std::string FrameForSerial(const std::string& message);

// Why the plugin could not take this message, or empty when it can: the
// plugin's receive steps end a message at a zero byte, and on a serial line
// a brace inside the text would end or restart the frame.
std::string WireProblem(const std::string& message, bool serial);

// "1.32" from the version byte 132.
std::string VersionText(uint8_t versionByte);

}  // namespace vboard
