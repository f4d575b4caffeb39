#include "stream_splitter.h"

#include <cstdint>

#include "plugin_framing.h"

namespace vboard {

FramingResult FramePluginMessage(const std::string& buffer, std::size_t tildeLength) {
    // The firmware's rule: a message of at most 257 bytes is known by then.
    const std::size_t count = buffer.size() < 0xFFFF ? buffer.size() : 0xFFFF;
    const kxfw::FramingResult result =
        kxfw::FramePluginMessage(reinterpret_cast<const uint8_t*>(buffer.data()),
                                 static_cast<uint16_t>(count), static_cast<uint8_t>(tildeLength));
    switch (result.framing) {
        case kxfw::Framing::Complete:
            return {Framing::Complete, result.length};
        case kxfw::Framing::Noise:
            return {Framing::Noise, 0};
        default:
            return {Framing::NeedMore, 0};
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
