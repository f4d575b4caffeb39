// Input events in a cockpit builder's words, and the exact messages a board
// sends for them:
//   press D44        switch on or button pressed     "D44+"
//   release D44      switch off or button released   "D44-"
//   turn E7 +2       encoder 2 steps one way         "E7+", a space, the byte 2
//   turn E7 -3       ... and 3 steps the other way   "E7-", a space, the byte 3
//   analog A2 512    analog channel reading          "A2 512"
//   wait 1.5         pause before the next line
// Each message begins with the board's index + 1 as one byte. "#" starts a
// comment; empty lines are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wire_format.h"

namespace vboard {

struct InputCommand {
    enum class Kind { Press, Release, Turn, Analog, Wait };
    Kind kind = Kind::Press;
    std::string key;       // "D44", "E7", "A2": kind letter and pin
    int steps = 0;         // Turn: signed step count
    int reading = 0;       // Analog: the channel's reading
    long long waitMs = 0;  // Wait
    std::string text;      // the line as written, for the log
};

// The most steps one encoder message carries. Larger turns go out as several
// messages, which also keeps the count byte from being a brace on a serial
// line.
constexpr int kStepsPerMessage = kxfw::kStepsPerMessage;
// The longest key a board message holds beside its index byte, state and
// value (firmware/core/board_wire.h).
constexpr std::size_t kLongestKey = 20;

enum class LineResult { Command, Empty, Error };

// One line of a script or of standard input.
LineResult ParseInputLine(const std::string& line, InputCommand* command, std::string* error);

// The messages (unframed) a board with this index byte sends for the command;
// none for Wait.
std::vector<std::string> EncodeInputEvents(const InputCommand& command, uint8_t indexByte);

}  // namespace vboard
