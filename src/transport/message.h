// What both transports share: the inbound message being handled (valid
// until the next turn of the receive loop begins) and the result of the
// latest send.
#pragma once

#include <string>

struct InboundMessage {
    std::string st;           // message text without framing
    int recsize = 0;          // length of st; > 0 means the turn produced a message
    int MessageIsSerial = 0;  // 1: came from port SerialCurrent; 0: from serv_addr
};

extern InboundMessage msg;

// Result of the most recent send on either transport: bytes written or -1.
extern int bytes_sent;

// Empties the message before a turn.
inline void ClearMessage(InboundMessage& m) {
    m.st.clear();
    m.recsize = 0;
}
