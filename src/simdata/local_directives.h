// Inputs bound to the board itself rather than to a simulator name: they
// change a mode group's value and tell the board, select which of several
// outputs with one key is shown, mark outputs for the output engine, or pass
// their name to the board as text.
#pragma once

#include <cstddef>

#include "base/message_source.h"

struct Board;
struct BoardInput;

// Forwarded texts are sent as this letter, the text's length in one byte,
// then the text (at most 255 bytes): the same bytes over the LAN and USB, and
// a board cuts them out of its serial stream by the count, as it does the
// settings replies.
inline constexpr char kTextMessageLetter = 'T';
inline constexpr std::size_t kMaxForwardedText = 255;

// Runs the directive of input i of board b; replies go to source.
void RunLocalDirective(unsigned b, unsigned i, const MessageSource& source);

// Sets Previous of the outputs an input links to: "!" while it is held (the
// output engine sends "*", every segment or LED on), "?" when it is released
// (sent again on the next pass). InputIncrementDir names the output, or
// 32767 every output whose key ends with the first character of the input's
// name.
void MarkLinkedOutputs(Board& board, const BoardInput& in, const char* marker);
