// The seam between the transports and the protocol: the bytes of one turn of
// the receive loop reach framing and dispatch here, together with their
// source. The main cycle calls these right after its recvfrom or read; a
// test or fuzz target calls them with bytes of its own, without a socket or a
// pseudo-terminal (a serial turn needs only an entry in serial.ports).
#pragma once

#include "base/socket_address.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The message being handled, without framing; valid until the next turn.
// Kept between turns so that its storage is reused.
struct InboundMessage {
    std::string st;
    int recsize = 0;  // length of st
};

extern InboundMessage msg;

// One LAN datagram: the bytes up to its first zero byte are one message,
// handled with the sender as its source. An empty message is dropped.
void HandleLanDatagram(const uint8_t* bytes, std::size_t length, const sockaddr_in& sender);

struct SerialTurn {
    bool framed = false;  // a message was cut from the port's stream and handled
    int port = -1;        // the port's index afterwards: an identification may
                          // have closed ports before it
};

// One serial turn of port p: the bytes just read, up to the first zero byte,
// join the port's buffer; the next complete message, if any, is cut out and
// handled with the port as its source.
SerialTurn HandleSerialTurn(int p, const uint8_t* bytes, std::size_t length);
