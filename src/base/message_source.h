// Where an inbound message came from: a serial port or a LAN sender. Replies
// go back there, and a board that identifies itself is reached there from
// then on. The source travels with its message through framing, dispatch and
// the handlers; when an identification closes other serial ports, the port
// index is updated so that it still names the port the message came from.
#pragma once

#include "base/socket_address.h"

struct MessageSource {
    bool isSerial = false;  // true: serial port `port`; false: the LAN sender
    int port = -1;          // position of a serial message's port in the port list
    sockaddr_in sender{};   // sender address (IPv4 and port) of a LAN datagram
};

inline MessageSource SerialSource(int port) {
    MessageSource source;
    source.isSerial = true;
    source.port = port;
    return source;
}

inline MessageSource LanSource(const sockaddr_in& sender) {
    MessageSource source;
    source.sender = sender;
    return source;
}
