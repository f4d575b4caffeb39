#include "transport/reply.h"

#include "transport/lan.h"
#include "transport/serial.h"

int bytes_sent = 0;

int ReplyToSource(const MessageSource& source, const void* bytes, std::size_t length) {
    if (!source.isSerial) return Send_LAN(bytes, length, source.sender);
    if (source.port < 0 || static_cast<std::size_t>(source.port) >= serial.ports.size()) {
        return bytes_sent = -1;
    }
    return Send_USB(serial.ports[source.port].comport, bytes, length);
}
