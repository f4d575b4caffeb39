// The plugin as the main-cycle benchmarks find it: scanning over, its UDP
// socket bound, and eight numbered LAN boards of 64 outputs each (LEDs,
// LED-port LEDs, 7-segment displays, steppers, servos, PWM and float
// outputs) switched on, each board a UDP socket of its own on 127.0.0.x.
// Every output reads a dataref whose value follows one step number, so a
// benchmark changes every value at once by changing the step.
#pragma once

#include <netinet/in.h>

#include <vector>

namespace bench {

inline constexpr int kBoards = 8;
inline constexpr int kOutputsPerBoard = 64;

struct CycleRig {
    std::vector<int> boardSockets;
    std::vector<sockaddr_in> boardAddresses;
};

// Built on the first call.
CycleRig& Rig();

// The values every output reads follow this number.
void SetValueStep(int step);

// Takes every datagram the boards have received, so their sockets never
// fill up.
void DrainBoards();

// One main cycle, as the simulator calls it.
void RunMainCycle();

}  // namespace bench
