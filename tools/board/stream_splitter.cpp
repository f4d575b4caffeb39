#include "stream_splitter.h"

#include <cstdint>

#include "plugin_messages.h"

namespace vboard {

namespace {

FramingResult Need(const std::string& buffer, std::size_t length) {
    if (buffer.size() < length) return {Framing::NeedMore, 0};
    return {Framing::Complete, length};
}

// "N", "S" and "{" say in their second byte how many bytes follow it.
FramingResult Counted(const std::string& buffer) {
    if (buffer.size() < 2) return {Framing::NeedMore, 0};
    return Need(buffer, 2 + static_cast<uint8_t>(buffer[1]));
}

FramingResult Request(const std::string& buffer) {
    if (buffer.size() < 2) return {Framing::NeedMore, 0};
    char letter = buffer[1];
    if (letter == 'P' || letter == 'X' || letter == 'R') return {Framing::Complete, 2};
    return {Framing::Noise, 0};
}

}  // namespace

FramingResult FramePluginMessage(const std::string& buffer, std::size_t tildeLength) {
    if (buffer.empty()) return {Framing::NeedMore, 0};
    switch (buffer[0]) {
        case 'X':
            return Request(buffer);
        case '~':
            return Need(buffer, tildeLength);
        case 'A':
            return Need(buffer, kAnalogReplySize);
        case 'N':
        case 'S':
        case '{':
            return Counted(buffer);
        default:
            return {Framing::Noise, 0};
    }
}

bool PluginStreamSplitter::Next(StreamPiece* piece) {
    std::string noise;
    for (;;) {
        FramingResult result = FramePluginMessage(buffer_, tildeLength_);
        if (result.framing == Framing::Noise) {
            noise += buffer_[0];
            buffer_.erase(0, 1);
            continue;
        }
        // A run of noise is handed out before the message that ends it.
        if (!noise.empty()) {
            *piece = {true, noise};
            return true;
        }
        if (result.framing == Framing::NeedMore) return false;
        *piece = {false, buffer_.substr(0, result.length)};
        buffer_.erase(0, result.length);
        return true;
    }
}

}  // namespace vboard
