// The records of a "{" message (outputs and mode lines): each begins with a
// pin byte and a letter. The body after the letter is
//   ")" "("       nothing (an LED on or off)
//   "R" "B"       a count byte and that many bytes (7-segment digits or LED
//                 port bytes; byte-data text)
//   "P"           one byte (PWM)
//   "G"           target (signed 16 bits) and frame time (16 bits), little-endian
//   any other     a 32-bit float, little-endian
#pragma once

#include <stdint.h>

namespace kxfw {

struct OutputRecord {
    uint8_t pin;
    uint8_t letter;
    const uint8_t* body;  // the bytes after the letter
    uint8_t bodyLength;
};

// Walks the records of a payload (the bytes after "{" and its length byte).
class RecordCursor {
  public:
    RecordCursor(const uint8_t* payload, uint8_t length) : payload_(payload), length_(length) {}

    // The next whole record; false at the end, or when a record runs past
    // the payload's end (then cutShort() is true and nothing more is read).
    bool Next(OutputRecord* record);
    bool cutShort() const { return cutShort_; }

  private:
    const uint8_t* payload_;
    uint8_t length_;
    uint8_t at_ = 0;
    bool cutShort_ = false;
};

uint16_t ReadLe16(const uint8_t* bytes);
float ReadLeFloat(const uint8_t* bytes);

}  // namespace kxfw
