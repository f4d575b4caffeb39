// The mode messages that set a board's mode-only outputs (two-token O lines).
// Sent when a board switches its outputs on, and by input handling.
#pragma once

#include "base/message_source.h"

// Mode line m of board b, whose key is its pin byte and, as its last
// character, its letter: an L line shows ")" when value equals mode and "("
// otherwise; an l line sets or clears its LED-port bit (sent with the
// outputs); any other letter carries the value as a float. Goes to source.
void SendMode(const MessageSource& source, unsigned b, unsigned m, unsigned value, unsigned mode);
