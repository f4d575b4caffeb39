// The plugin as the main-cycle benchmarks find it: scanning over, its UDP
// socket bound, and eight numbered LAN boards of outputs (LEDs, LED-port
// LEDs, 7-segment displays, steppers, servos, PWM and float outputs)
// switched on, each board a UDP socket of its own on 127.0.0.x. Every
// output reads a dataref whose value follows one step number, so a
// benchmark changes every value at once by changing the step.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>
#include <vector>

#include "XPLMDataAccess.h"

namespace bench {

inline constexpr int kBoards = 8;
// The board size the earlier figures were taken at, and the largest one
// measured (a board text creates at most 1024 outputs).
inline constexpr int kOutputsPerBoard = 64;
inline constexpr int kMostOutputsPerBoard = 1000;

struct CycleRig {
    std::vector<int> boardSockets;
    std::vector<sockaddr_in> boardAddresses;
};

// Built on the first call, with boards of kOutputsPerBoard outputs.
CycleRig& Rig();

// Reads every board's text again with n outputs (at most
// kMostOutputsPerBoard) and switches its outputs on, unless the boards have
// n already. Output k reads dataref k: every board reads the same ones.
void UseOutputsPerBoard(int n);

// Empties the board tables; the next Rig() or UseOutputsPerBoard reads the
// boards again.
void ClearBoards();

// The text of a numbered board with n outputs: the 64 of kOutputsPerBoard
// repeated, each with a dataref of its own. Past 64 outputs the pins repeat,
// as on a board that shows more values than it has pins.
std::string BoardText(int n);

// The dataref handles of every output of every board, in the order the
// cycle reads them.
const std::vector<XPLMDataRef>& OutputHandles();

// How often any output's dataref has been read so far.
uint64_t ReadsSoFar();

// The values every output reads follow this number.
void SetValueStep(int step);

// Takes every datagram the boards have received, so their sockets never
// fill up.
void DrainBoards();

// One main cycle, as the simulator calls it.
void RunMainCycle();

}  // namespace bench
