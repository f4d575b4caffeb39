// Sending changed simulator values to the boards.
#pragma once

#include <cstddef>
#include <cstdint>

// Output message buffer, shared by the output engine and the mode messages.
inline constexpr std::size_t kOutputMessageSize = 64;
struct OutputMessage {
    uint8_t omsg[kOutputMessageSize] = {};
    int oln = 0;
};

extern OutputMessage output;

// Once per cycle, for every configured board in board-index order.
void SendBoardOutputs();
