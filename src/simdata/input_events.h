// Input events from the boards: switches, buttons, encoders and analog
// values that the simulator is to apply.
#pragma once

#include <string>

#include "base/message_source.h"

// One input-event message (3 or more bytes, not an identification) from
// source. ownBoard is the index of the board that source identified itself
// as and was configured from, or -1: the event is applied only when its
// first byte names that very board (index + 1); any other is refused and
// counted.
void HandleInputEvent(const std::string& message, const MessageSource& source, int ownBoard);
