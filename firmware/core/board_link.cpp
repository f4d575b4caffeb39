#include "board_link.h"

namespace kxfw {

bool SerialLink::Receive(const uint8_t** message, uint16_t* length) {
    for (;;) {
        Framing framing = framer_.Continue();
        while (framing == Framing::Noise) {
            ++noise_;
            framing = framer_.Continue();
        }
        if (framing == Framing::Complete) break;
        const int16_t byte = stream_.ReadByte();
        if (byte < 0) return false;
        framing = framer_.Push(static_cast<uint8_t>(byte));
        while (framing == Framing::Noise) {
            ++noise_;
            framing = framer_.Continue();
        }
        if (framing == Framing::Complete) break;
    }
    *message = framer_.message();
    *length = framer_.length();
    return true;
}

bool SerialLink::CanSend(uint8_t length) {
    return stream_.WriteRoom() >= static_cast<uint16_t>(length) + 2;
}

void SerialLink::Send(const uint8_t* bytes, uint8_t length) {
    stream_.WriteByte('{');
    for (uint8_t i = 0; i < length; ++i) stream_.WriteByte(bytes[i]);
    stream_.WriteByte('}');
}

bool DatagramLink::Receive(const uint8_t** message, uint16_t* length) {
    for (;;) {
        Endpoint from;
        const int16_t received = port_.Receive(buffer_, sizeof buffer_, &from);
        if (received < 0) {
            sendsLeft_ = kDatagramsPerTurn;  // a new turn of the loop
            return false;
        }
        const uint16_t size = static_cast<uint16_t>(received);
        const FramingResult framing = FramePluginMessage(buffer_, size, tildeLength_);
        if (framing.framing != Framing::Complete || framing.length != size) {
            ++noise_;
            continue;
        }
        peer_ = from;
        hasPeer_ = true;
        *message = buffer_;
        *length = size;
        return true;
    }
}

bool DatagramLink::CanSend(uint8_t length) {
    return hasPeer_ && sendsLeft_ > 0 && port_.CanSend(length);
}

void DatagramLink::Send(const uint8_t* bytes, uint8_t length) {
    if (sendsLeft_ > 0) --sendsLeft_;
    port_.Send(bytes, length, peer_);
}

}  // namespace kxfw
