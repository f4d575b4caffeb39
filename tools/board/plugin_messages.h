// The messages the plugin sends a board, decoded. Over UDP every datagram is
// one message; over a serial line the stream splitter cuts the messages out
// first. Every byte here comes from outside the board, so every decoder checks
// lengths and counts before it reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pin_roles.h"

namespace vboard {

constexpr std::size_t kUploadSize = 1 + kPinTableSize;  // "~" + pin table
constexpr std::size_t kIdReplySize = 7;                 // "~", 5 zeros, index byte
constexpr std::size_t kAnalogChannels = 16;
constexpr std::size_t kAnalogReplySize = 1 + 3 * kAnalogChannels;

enum class PluginMessageKind {
    DiscoveryRequest,      // "XP"
    Ping,                  // "XX"
    InputRequest,          // "XR": report the state of every input
    ConfigUpload,          // "~" + pin table, to a numbered board
    IdReply,               // "~" + 5 zeros + index byte, to a self-configuring board
    AnalogSettings,        // "A" + 16 x 3 bytes
    SevenSegmentSettings,  // "N", count, one pin per display
    StepperSettings,       // "S", count, 3 bytes per stepper
    ModeMessage,           // "{", n, one LED or value record, as a mode line sends it
    OutputMessage,         // "{", n, output records
    PanelText,             // ">key<text>..." output text for a self-configuring board
    Text,                  // "T", length, text: an input's text for the board
    Malformed,             // a known first byte with the wrong length
    Unknown,               // a first byte no message begins with
};

struct AnalogChannel {
    uint8_t bytes[3] = {0, 0, 100};
    bool IsDefault() const { return bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 100; }
};
using AnalogSettings = std::array<AnalogChannel, kAnalogChannels>;

struct Stepper {
    uint8_t pin = 0;
    uint16_t steps = 0;
};

// A mode record: an LED pin switched on or off (")" or "("), or a pin, a
// letter and a value for any other kind of mode line.
struct ModeRecord {
    uint8_t pin = 0;
    bool isLed = false;
    bool ledOn = false;
    char letter = 0;
    float value = 0;
};

// One record of a "{" message: the pin byte, the letter after it (")" or
// "(" for an LED), and the bytes that follow the letter: the count and the
// segment or port bytes for "R", the length and the text for "B", the
// target and the frame time for "G", the byte for "P", the float otherwise.
struct OutputRecord {
    uint8_t pin = 0;
    char letter = 0;
    std::string body;
};

struct PanelValue {
    std::string key;
    std::string text;
};

struct PluginMessage {
    PluginMessageKind kind = PluginMessageKind::Unknown;
    std::string bytes;  // the whole message as received

    PinTable pinTable{};    // ConfigUpload
    uint8_t indexByte = 0;  // ConfigUpload byte 59, IdReply byte 6: board index + 1
    AnalogSettings analog{};
    std::vector<uint8_t> sevenSegmentPins;
    std::vector<Stepper> steppers;
    ModeRecord mode;
    std::vector<OutputRecord> records;  // ModeMessage, OutputMessage
    std::vector<PanelValue> panelValues;
    std::string text;  // Text

    // Malformed / Unknown: why; other kinds: a remark on odd but usable content.
    std::string problem;
};

PluginMessage DecodePluginMessage(const std::string& bytes);

// The settings payloads, for messages known to start with their letter.
void DecodeAnalogSettings(PluginMessage* message);
void DecodeSevenSegmentSettings(PluginMessage* message);
void DecodeStepperSettings(PluginMessage* message);
void DecodeText(PluginMessage* message);
// "{" messages and ">" panel text.
void DecodeBraceMessage(PluginMessage* message);
void DecodePanelText(PluginMessage* message);

// Sets kind Malformed with a reason unless the message is exactly expected
// bytes long; returns whether it was.
bool RequireLength(PluginMessage* message, std::size_t expected, const char* what);

// One line: "discovery request", "configuration upload, board index 0", ...
std::string DescribePluginMessage(const PluginMessage& message);

// Readable detail of the settings, one line each: analog channels that are
// not the default, 7-segment pins, steppers.
std::vector<std::string> AnalogLines(const AnalogSettings& analog);
std::vector<std::string> SevenSegmentLines(const std::vector<uint8_t>& pins);
std::vector<std::string> StepperLines(const std::vector<Stepper>& steppers);

}  // namespace vboard
