// Routing one inbound message by its first character and its length.
#pragma once

#include <string>

#include "base/message_source.h"

// Handles message from source. An identification may close serial ports
// before the source's own; source.port then names its new position.
void DispatchMessage(const std::string& message, MessageSource& source);
