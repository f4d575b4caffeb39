// Diagnostics go to the standard error stream as short texts that begin with
// a newline and do not end with one, unbuffered, so the simulator's log
// shows them at once.
#pragma once

#include <string>

void Log(const std::string& text);

// Decimal text of a number, independent of the process locale.
std::string Decimal(long long value);
