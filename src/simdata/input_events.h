// Input events from the boards: switches, buttons, encoders and analog
// values that the simulator is to apply.
#pragma once

#include <string>

// One input-event message (3 or more bytes, not an identification).
void HandleInputEvent(const std::string& message);

// Once per cycle: the held and repeating inputs.
void ServeHeldInputs();
