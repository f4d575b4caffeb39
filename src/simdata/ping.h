// Pings of the LAN boards and the request for all input states.
#pragma once

#include <string>

struct PingState {
    int PingTimeout = 0;  // cycles since the last ping
};

extern PingState ping;

// The periodic ping.
inline const std::string PingChar = "XX";

// mode 1: every board that may be pinged is asked to send the state of all its
// inputs; mode 0: the periodic ping of the LAN boards.
void PingInputs(int mode);
