#include "protocol/framing.h"

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
