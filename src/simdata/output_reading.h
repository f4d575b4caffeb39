// Reading an output's dataref by its type and turning the reading into the
// output's text. The reading is kept in the output's memory: a value read
// again unchanged is neither mapped nor formatted again, and nothing is
// allocated.
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

// The kind letter of an output: the last character of its key.
inline char OutputKind(const BoardOutput& out) {
    if (out.OutDrefs.empty() || out.OutDrefs[0].empty()) return '\0';
    return out.OutDrefs[0].back();
}
