// What a serial port could not take at once. A board reads its messages as
// one stream of bytes: a message cut short would make it read the next one
// from the wrong byte (an upload that sets the wrong pins). So a message is
// written whole, or what the port did not take waits here, whole, and goes
// out before anything sent after it. Nothing waits for the port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes a port's queue may hold with a new message: eight full output
// messages, or the longest settings reply and a few more. A message that
// would not fit is dropped whole. The one exception is the rest of a
// message the port took only part of: the board is reading it already, so
// it always waits, whatever its length (a panel's long text).
inline constexpr std::size_t kSerialQueueBytes = 512;

class SerialQueue {
  public:
    SerialQueue() { bytes_.reserve(kSerialQueueBytes); }

    bool empty() const { return head_ == bytes_.size(); }
    std::size_t size() const { return bytes_.size() - head_; }
    const uint8_t* data() const { return bytes_.data() + head_; }

    // Appends length bytes; false, with nothing appended, when they would
    // take the queue beyond kSerialQueueBytes, unless always.
    bool Append(const void* bytes, std::size_t length, bool always);
    // Takes count bytes off the front.
    void Consume(std::size_t count);
    void Clear();

    unsigned long dropped = 0;  // whole messages dropped since the port opened

  private:
    // The waiting bytes are bytes_[head_..]; the front is moved up only
    // when room is needed, so steady use allocates nothing.
    std::vector<uint8_t> bytes_;
    std::size_t head_ = 0;
};
