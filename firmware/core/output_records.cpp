#include "output_records.h"

#include <string.h>

#include "wire_format.h"

namespace kxfw {

namespace {

// Bytes after the letter; counted is set when a count byte says how many.
uint8_t FixedBodySize(uint8_t letter, bool* counted) {
    *counted = false;
    switch (letter) {
        case kLedOn:
        case kLedOff:
            return 0;
        case kCountedRecord:
        case kByteDataRecord:
            *counted = true;
            return 1;
        case kPwmRecord:
            return 1;
        default:  // G: target and frame time; any other letter: a float
            return 4;
    }
}

}  // namespace

bool RecordCursor::Next(OutputRecord* record) {
    if (cutShort_ || at_ >= length_) return false;
    const uint16_t left = static_cast<uint16_t>(length_ - at_);
    if (left < 2) {
        cutShort_ = true;
        return false;
    }
    const uint8_t* start = payload_ + at_;
    bool counted = false;
    uint16_t body = FixedBodySize(start[1], &counted);
    if (counted && left > 2) body = static_cast<uint16_t>(1 + start[2]);
    if (2 + body > left) {
        cutShort_ = true;
        return false;
    }
    record->pin = start[0];
    record->letter = start[1];
    record->body = start + 2;
    record->bodyLength = static_cast<uint8_t>(body);
    at_ = static_cast<uint8_t>(at_ + 2 + body);
    return true;
}

uint16_t ReadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

float ReadLeFloat(const uint8_t* bytes) {
    uint32_t bits = 0;
    for (int8_t i = 3; i >= 0; --i) bits = (bits << 8) | bytes[i];
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace kxfw
