#include "plugin_framing.h"

#include <string.h>

namespace kxfw {

namespace {

FramingResult Need(uint16_t count, uint16_t length) {
    FramingResult result = {Framing::NeedMore, 0};
    if (count >= length) result = {Framing::Complete, length};
    return result;
}

// "N", "S", "T" and "{" say in their second byte how many bytes follow it.
FramingResult Counted(const uint8_t* bytes, uint16_t count) {
    if (count < 2) return {Framing::NeedMore, 0};
    return Need(count, static_cast<uint16_t>(2 + bytes[1]));
}

FramingResult Request(const uint8_t* bytes, uint16_t count) {
    if (count < 2) return {Framing::NeedMore, 0};
    const uint8_t letter = bytes[1];
    if (letter == 'P' || letter == 'X' || letter == 'R') return {Framing::Complete, 2};
    return {Framing::Noise, 0};
}

}  // namespace

FramingResult FramePluginMessage(const uint8_t* bytes, uint16_t count, uint8_t tildeLength) {
    if (count == 0) return {Framing::NeedMore, 0};
    switch (bytes[0]) {
        case kRequestLetter:
            return Request(bytes, count);
        case kTildeLetter:
            return Need(count, tildeLength);
        case kAnalogLetter:
            return Need(count, kAnalogReplySize);
        case kSevenSegLetter:
        case kStepperLetter:
        case kTextLetter:
        case kOutputLetter:
            return Counted(bytes, count);
        default:
            return {Framing::Noise, 0};
    }
}

// The message handed out before leaves the buffer; bytes after it stay.
void PluginFramer::DropTaken() {
    if (ready_ == 0) return;
    held_ = static_cast<uint16_t>(held_ - ready_);
    memmove(buffer_, buffer_ + ready_, held_);
    ready_ = 0;
}

Framing PluginFramer::Push(uint8_t byte) {
    DropTaken();
    // Never reached with the rule above (every kind fits the buffer); kept
    // so that no byte is ever written past it.
    if (held_ >= sizeof buffer_) held_ = 0;
    buffer_[held_++] = byte;
    return Examine();
}

Framing PluginFramer::Continue() {
    DropTaken();
    return Examine();
}

Framing PluginFramer::Examine() {
    const FramingResult result = FramePluginMessage(buffer_, held_, tildeLength_);
    if (result.framing == Framing::Noise) {
        noise_ = buffer_[0];
        --held_;
        memmove(buffer_, buffer_ + 1, held_);
        return Framing::Noise;
    }
    if (result.framing == Framing::Complete) ready_ = result.length;
    return result.framing;
}

}  // namespace kxfw
