// Cuts plugin messages out of a serial byte stream, by the firmware's own
// rule (firmware/core/plugin_framing.h): a message is recognised by its first
// byte and its length, fixed ("XP" 2, "A" 49, "~" 61 or 7 by the kind of
// board) or given by a count byte ("N", "S", "T" count + 2, "{" length + 2).
// A byte no message begins with is noise: it is skipped alone, so the stream
// resynchronises at the very next byte.
#pragma once

#include <cstddef>
#include <string>

namespace vboard {

enum class Framing { Complete, NeedMore, Noise };

struct FramingResult {
    Framing framing;
    std::size_t length;  // Complete: bytes of the message at the buffer's front
};

// How the bytes at the front of buffer begin. tildeLength is what a "~"
// message is for this board (61 for a numbered board, 7 for a panel).
FramingResult FramePluginMessage(const std::string& buffer, std::size_t tildeLength);

struct StreamPiece {
    bool isNoise = false;
    std::string bytes;  // one message, or a run of skipped noise bytes
};

class PluginStreamSplitter {
  public:
    explicit PluginStreamSplitter(std::size_t tildeLength) : tildeLength_(tildeLength) {}

    void Feed(const char* data, std::size_t size) { buffer_.append(data, size); }

    // The next message or run of noise; false while the front is an
    // incomplete message (its bytes stay until more arrive).
    bool Next(StreamPiece* piece);

    std::size_t pending() const { return buffer_.size(); }

  private:
    std::size_t tildeLength_;
    std::string buffer_;
};

}  // namespace vboard
