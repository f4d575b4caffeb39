#include "protocol/framing.h"

#include "base/log.h"
#include "transport/message.h"
#include "transport/serial.h"

bool CutSerialMessage(std::string& buffer, std::string* message) {
    message->clear();
    std::size_t end = buffer.find('}');
    if (end == std::string::npos) return false;
    std::size_t start = buffer.rfind('{', end);
    if (start != std::string::npos) message->assign(buffer, start + 1, end - start - 1);
    buffer.erase(0, end + 1);
    return true;
}

// Neither step changes which messages the stream yields: text before the
// last "{" would be dropped with the buffer's front when the "}" arrives.
void DropSerialNoise(std::string& buffer) {
    std::size_t start = buffer.rfind('{');
    if (start == std::string::npos) {
        buffer.clear();
        return;
    }
    buffer.erase(0, start);
    if (buffer.size() > kMaxSerialMessage) buffer.clear();
}

void FrameSerialMessage() {
    msg.MessageIsSerial = 1;
    msg.st.clear();
    msg.recsize = 0;
    int p = serial.SerialCurrent;
    if (p < 0 || static_cast<std::size_t>(p) >= serial.ports.size()) return;
    std::string& buffer = serial.ports[p].SerialBuffer;
    try {
        if (!CutSerialMessage(buffer, &msg.st)) DropSerialNoise(buffer);
    } catch (...) {
        // Out of memory while cutting: start the port over.
        Log("\nUSB read error");
        buffer.clear();
        msg.st.clear();
    }
    msg.recsize = static_cast<int>(msg.st.size());
}
