// The simulator action of one input: a command run count times, an analog
// or typed value, a fixed value, a memory save or restore, or a step up or
// down with a limit or a wrap-around range.
#pragma once

#include "simdata/input_event.h"

// element is the input's InputArrayNum (0 for a command); count the encoder
// steps (1 for anything else).
void WriteToXPlane(unsigned board, unsigned input, int element, unsigned count,
                   const InputEvent& event);
