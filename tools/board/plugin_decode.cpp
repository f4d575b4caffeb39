// Decoding by first byte: the short "X" requests and the two "~" messages
// here, the settings and "{" messages in their own files.
#include <string>

#include "plugin_messages.h"
#include "wire.h"

namespace vboard {

namespace {

void DecodeRequest(PluginMessage* message) {
    if (!RequireLength(message, 2, "request")) return;
    switch (message->bytes[1]) {
        case 'P':
            message->kind = PluginMessageKind::DiscoveryRequest;
            return;
        case 'X':
            message->kind = PluginMessageKind::Ping;
            return;
        case 'R':
            message->kind = PluginMessageKind::InputRequest;
            return;
        default:
            message->kind = PluginMessageKind::Unknown;
            message->problem = "\"X\" followed by an unknown letter";
    }
}

void DecodeUpload(PluginMessage* message) {
    message->kind = PluginMessageKind::ConfigUpload;
    for (std::size_t i = 0; i < kPinTableSize; ++i) {
        message->pinTable[i] = ByteAt(message->bytes, i + 1);
    }
    message->indexByte = message->pinTable[kIndexByte];
}

void DecodeIdReply(PluginMessage* message) {
    message->kind = PluginMessageKind::IdReply;
    message->indexByte = ByteAt(message->bytes, kIdReplySize - 1);
    for (std::size_t i = 1; i + 1 < kIdReplySize; ++i) {
        if (message->bytes[i] != 0) message->problem = "reserved bytes 1 to 5 are not all zero";
    }
}

// The two "~" messages differ only in length: 61 bytes for a numbered
// board's upload, 7 for a self-configuring board's ID reply.
void DecodeTilde(PluginMessage* message) {
    if (message->bytes.size() == kUploadSize) return DecodeUpload(message);
    if (message->bytes.size() == kIdReplySize) return DecodeIdReply(message);
    message->kind = PluginMessageKind::Malformed;
    message->problem = "\"~\" message of " + std::to_string(message->bytes.size()) +
                       " bytes; an upload has 61, an ID reply 7";
}

}  // namespace

bool RequireLength(PluginMessage* message, std::size_t expected, const char* what) {
    if (message->bytes.size() == expected) return true;
    message->kind = PluginMessageKind::Malformed;
    message->problem = std::string(what) + " of " + std::to_string(message->bytes.size()) +
                       " bytes, expected " + std::to_string(expected);
    return false;
}

PluginMessage DecodePluginMessage(const std::string& bytes) {
    PluginMessage message;
    message.bytes = bytes;
    if (bytes.empty()) {
        message.problem = "empty message";
        return message;
    }
    switch (bytes[0]) {
        case 'X':
            DecodeRequest(&message);
            break;
        case '~':
            DecodeTilde(&message);
            break;
        case 'A':
            DecodeAnalogSettings(&message);
            break;
        case 'N':
            DecodeSevenSegmentSettings(&message);
            break;
        case 'S':
            DecodeStepperSettings(&message);
            break;
        case 'T':
            DecodeText(&message);
            break;
        case '{':
            DecodeBraceMessage(&message);
            break;
        case '>':
            DecodePanelText(&message);
            break;
        default:
            message.problem = "no message begins with this byte";
    }
    return message;
}

}  // namespace vboard
