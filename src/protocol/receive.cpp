#include "protocol/receive.h"

#include <cstring>
#include <exception>

#include "base/guard.h"
#include "base/log.h"
#include "base/message_source.h"
#include "protocol/dispatch.h"
#include "protocol/framing.h"
#include "transport/serial.h"

InboundMessage msg;

namespace {

// The bytes up to the first zero byte: a zero ends what a datagram or a
// read contributes.
std::size_t TextLength(const uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0) return 0;
    return strnlen(reinterpret_cast<const char*>(bytes), length);
}

// A fault while one message is handled abandons that message only.
void HandleMessage(MessageSource& source) noexcept {
    try {
        DispatchMessage(msg.st, source);
    } catch (const std::exception& e) {
        LogGuardedFault("inbound message", e.what());
    } catch (...) {
        LogGuardedFault("inbound message", "unknown exception");
    }
}

}  // namespace

void HandleLanDatagram(const uint8_t* bytes, std::size_t length, const sockaddr_in& sender) {
    msg.st.clear();
    msg.recsize = 0;
    try {
        msg.st.assign(reinterpret_cast<const char*>(bytes), TextLength(bytes, length));
    } catch (const std::exception& e) {
        LogGuardedFault("inbound message", e.what());
        return;
    }
    msg.recsize = static_cast<int>(msg.st.size());
    if (msg.recsize == 0) return;
    MessageSource source = LanSource(sender);
    HandleMessage(source);
}

SerialTurn HandleSerialTurn(int p, const uint8_t* bytes, std::size_t length) {
    SerialTurn turn;
    turn.port = p;
    msg.st.clear();
    msg.recsize = 0;
    if (p < 0 || static_cast<std::size_t>(p) >= serial.ports.size()) return turn;
    std::string& buffer = serial.ports[p].SerialBuffer;
    try {
        buffer.append(reinterpret_cast<const char*>(bytes), TextLength(bytes, length));
        if (!CutSerialMessage(buffer, &msg.st)) DropSerialNoise(buffer);
    } catch (...) {
        // Out of memory while appending or cutting: start the port over.
        Log("\nUSB read error");
        buffer.clear();
        msg.st.clear();
        return turn;
    }
    msg.recsize = static_cast<int>(msg.st.size());
    if (msg.recsize == 0) return turn;
    turn.framed = true;
    MessageSource source = SerialSource(p);
    HandleMessage(source);
    turn.port = source.port;
    return turn;
}
