// 7-segment digits as the plugin sends them (one byte per digit, active low,
// bit 7 segment a down to bit 1 segment g, bit 0 the point) turned into the
// MAX7219's no-decode form (active high, bit 7 the point, bit 6 segment a
// down to bit 0 segment g).
#pragma once

#include <stdint.h>

namespace kxfw {

inline uint8_t SegmentsForMax7219(uint8_t wire) {
    const uint8_t lit = static_cast<uint8_t>(~wire);
    return static_cast<uint8_t>(((lit & 1) << 7) | (lit >> 1));
}

}  // namespace kxfw
