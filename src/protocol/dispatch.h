// Routing one inbound message by its first character and its length.
#pragma once

#include <string>

void DispatchMessage(const std::string& message);
