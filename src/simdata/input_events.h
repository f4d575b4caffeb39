// Input events from the boards: switches, buttons, encoders and analog
// values that the simulator is to apply.
#pragma once

#include <string>

#include "base/message_source.h"

// One input-event message (3 or more bytes, not an identification) from
// source.
void HandleInputEvent(const std::string& message, const MessageSource& source);

// Once per cycle: the held and repeating inputs.
void ServeHeldInputs();
