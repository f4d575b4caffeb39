// Cuts the plugin's messages out of a serial byte stream. The plugin frames
// nothing in this direction, so a message is known by its first byte and its
// length: fixed ("XP", "XX", "XR" 2 bytes; "A" 49; "~" 61 for a numbered
// board or 7 for a self-configuring one) or given by a count byte ("N", "S",
// "T" and "{": count + 2). A byte no message begins with is noise: it is
// skipped alone, so the stream finds its step again at the very next byte.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "wire_format.h"

namespace kxfw {

enum class Framing : uint8_t { Complete, NeedMore, Noise };

struct FramingResult {
    Framing framing;
    uint16_t length;  // Complete: bytes of the message at the front
};

// How the count bytes at the front of a stream begin. tildeLength is what a
// "~" message is for this board (kUploadSize or kIdReplySize).
FramingResult FramePluginMessage(const uint8_t* bytes, uint16_t count, uint8_t tildeLength);

// The same rule over a fixed buffer, one byte at a time (the board's serial
// receive path). Push returns Complete when a message is ready in message(),
// Noise when the byte at the front of what it held was dropped (noiseByte()),
// NeedMore otherwise. A message is taken before the next Push.
class PluginFramer {
  public:
    explicit PluginFramer(uint8_t tildeLength) : tildeLength_(tildeLength) {}

    Framing Push(uint8_t byte);
    // After Noise: bytes still held may already form a message; call again
    // until it returns NeedMore.
    Framing Continue();

    const uint8_t* message() const { return buffer_; }
    uint16_t length() const { return ready_; }
    uint8_t noiseByte() const { return noise_; }
    uint16_t pending() const { return held_; }
    void Clear() { held_ = ready_ = 0; }

  private:
    Framing Examine();
    void DropTaken();

    uint8_t tildeLength_;
    uint8_t buffer_[kMaxPluginMessage];
    uint16_t held_ = 0;
    uint16_t ready_ = 0;
    uint8_t noise_ = 0;
};

}  // namespace kxfw
