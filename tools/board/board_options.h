// The command line of kestrix-board.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vboard {

struct BoardOptions {
    bool serial = false;
    std::string address;  // --udp
    int port = 5080;
    std::string serialDir;   // --serial
    std::string serialName;  // --name

    bool selfConfiguring = false;
    int boardNumber = 0;  // --number
    uint8_t versionByte = 132;
    std::string panelFile;  // --panel

    std::string inputsFile;                    // --inputs: a script of input events
    std::optional<long long> runMilliseconds;  // --seconds
    std::string label;                         // --label, or made from the rest
};

// args without the program name. False with a reason for anything the
// program cannot run with.
bool ParseBoardOptions(const std::vector<std::string>& args, BoardOptions* options,
                       std::string* error);

std::string BoardUsage();

// "[board #1 udp 127.0.0.2]", "[panel serial tty.usbmodem2101]", or "[TEXT]"
// for --label TEXT.
std::string BoardLabel(const BoardOptions& options);

// "1.32" -> 132: one digit, optionally a point and up to two digits; the
// result must fit a nonzero byte. Read without the process locale.
bool ParseVersionByte(const std::string& text, uint8_t* versionByte);

// "10" or "2.5" -> milliseconds, up to ten years.
bool ParseSeconds(const std::string& text, long long* milliseconds);

}  // namespace vboard
