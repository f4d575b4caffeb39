// What both transports share: the result of the latest send, and the reply
// to wherever a message came from.
#pragma once

#include <cstddef>

#include "base/message_source.h"

// Result of the most recent send on either transport: the bytes written (on
// a serial port: written or queued whole, transport/serial_queue.h) or -1.
extern int bytes_sent;

// Sends bytes back to the source of a message: to the LAN sender's address,
// or to the serial port it came in on. Returns the count sent, or -1 (also
// for a port that is no longer open).
int ReplyToSource(const MessageSource& source, const void* bytes, std::size_t length);
