// The data.cfg board-section parser.
#pragma once

#include <cstddef>
#include <string>

#include "base/message_source.h"

// "USB" or "LAN": how the board being added was reached, for its status line.
extern std::string DebugAddress;

// Parses one board's configuration text into the rows of board b; id is the
// board number (0 when the board sent the text itself); source is where the
// identification came from, which is how a new board is reached. A board
// index past the next free one is ignored.
void ReadConfigFile(const std::string& text, std::size_t b, unsigned id,
                    const MessageSource& source);
