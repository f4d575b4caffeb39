// Section O of a board text: one output per line (key, precision, dataref,
// element, ranges, steps), or a two-token mode line.
#pragma once

#include <string>

#include "config/parse_context.h"

// Parses one section O line into a new output or mode line of the board.
void ReadOutputLine(ParseContext& parse, const std::string& line);

// After the last line: the 7-segment pins, stepper bytes and LED-port size
// that the board is told about.
void SetOutputOptions(ParseContext& parse);

// Resolves every output's dataref and fills its element, precision and
// Previous; settles which outputs with a repeated key stay active.
void FinishOutputs(ParseContext& parse);
