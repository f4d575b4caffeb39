// Reading an output's dataref by its type and turning the reading into the
// output's text. The reading is kept in the output's memory: a value read
// again unchanged is neither mapped nor formatted again, a value that maps
// to what it mapped to before (an LED's 0 or 1) is not formatted again, and
// nothing is allocated.
#pragma once

#include "config/board_tables.h"

// Reads the output's value for a board: one element (Arraynum) of an array,
// the value of a scalar, or the text of byte data. Afterwards out.Memory
// holds the text and the mapped value. False when the dataref offers no
// readable type (or was not found): there is nothing to send for it.
bool ReadBoardOutput(BoardOutput& out);

// The same for the panel, which takes arrays whole: the first Arraynum
// elements (at most as many as the scratch buffers hold), each mapped and
// formatted, joined with ",".
bool ReadPanelOutput(BoardOutput& out);
