// Section I of a board text: one input per line, bound to a simulator
// command, a dataref, or a local link to other inputs or outputs of the board.
#pragma once

#include <string>

#include "config/parse_context.h"

// Parses one section I line into a new input of the board.
void ReadInputLine(ParseContext& parse, std::string line);

// After the last line: resolves the local links and settles the analog
// channels' first settings byte.
void SetInputOptions(ParseContext& parse);
