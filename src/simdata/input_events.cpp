#include "simdata/input_events.h"

// Input events are not applied to the simulator yet: the messages reach this
// handler, which drops them, and nothing is held.
void HandleInputEvent(const std::string& /*message*/, const MessageSource& /*source*/) {}

void ServeHeldInputs() {}
