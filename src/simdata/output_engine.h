// Sending changed simulator values to the boards, once per cycle: every
// active output of every board that may receive output is read, mapped and
// formatted, compared with the text last sent, and each board gets one
// message with the outputs that changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Output message buffer, shared by the output engine and the mode messages.
inline constexpr std::size_t kOutputMessageSize = 64;
// A board message takes no more records once it is longer than this; the
// outputs left over go out in later passes.
inline constexpr int kOutputMessageCut = 51;
// The panel's text message stays within one datagram; outputs beyond it
// wait for later passes.
inline constexpr std::size_t kMaxPanelMessage = 60000;

struct OutputMessage {
    uint8_t omsg[kOutputMessageSize] = {};
    int oln = 0;
    std::string panelText;  // the panel's message; its storage is reused
};

extern OutputMessage output;

// Once per cycle, for every configured board in board-index order. A board
// with a numbered configuration gets "{", the payload length and its
// records, every pass, also with no record; the panel gets ">" and
// key<text> per changed output, when anything changed.
void SendBoardOutputs();
